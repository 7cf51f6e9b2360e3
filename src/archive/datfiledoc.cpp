#include "archive/datfiledoc.h"

#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

CDATFileDoc* g_pDocument = nullptr;

CDATFileDoc::CDATFileDoc(bool useProfile) : m_CashPath(useProfile)
{
    g_pDocument = this;
}

CDATFileDoc::~CDATFileDoc()
{
    if (g_pDocument == this)
        g_pDocument = nullptr;
}

void CDATFileDoc::SIndex::Clear()
{
    m_folderFiles.clear();
    m_folderFileStart.clear();
    m_folderChildren.clear();
    m_folderChildStart.clear();
    m_typeFiles.clear();
    m_typeFileStart.clear();
    m_typeByIndex.clear();
}

void CDATFileDoc::DeleteContents()
{
    m_listing.clear();
    m_files.clear(); // the capacity stays
    m_folders.clear();
    m_types.clear();
    m_index.Clear();
    m_dwDataSize = 0;
    m_pPaletteEntry = nullptr;
    UpdateAllViews(nullptr, 0, nullptr);
    g_nNextItemId = 1;
}

void CDATFileDoc::LoadArchive(const std::string& path)
{
    DeleteContents();
    try {
        CFile file(path, CFile::modeRead);
        // An empty file opens as an empty document, without an error.
        if (file.GetLength() == 0)
            return;
        Serialize(file);
    } catch (...) {
        DeleteContents();
        throw;
    }
}

bool CDATFileDoc::OnOpenDocument(const std::string& path)
{
    try {
        LoadArchive(path);
        return true;
    } catch (const std::exception& e) {
        UiServices().ReportException(e, "Failed to open document.");
        return false;
    }
}

void CDATFileDoc::SetViewMode(int mode)
{
    if (m_nViewMode == mode)
        return;
    m_nViewMode = mode;
    UpdateAllViews(nullptr, 0, nullptr);
}

CDATInternalFile* CDATFileDoc::FindEntry(std::string_view name)
{
    for (CDATInternalFile& f : m_files)
        if (EqualNames(f.m_strName, name))
            return &f;
    return m_pPaletteEntry;
}
