#include "archive/datfiledoc.h"

#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <filesystem>

CDATFileDoc::CDATFileDoc(bool useProfile) : m_CashPath(useProfile) {}

CDATFileDoc::~CDATFileDoc() = default;

SArchiveContext CDATFileDoc::Context() const
{
    return {this, m_CashPath.Get(), &UiServices(), m_strDefaultPalette};
}

void CDATFileDoc::DeleteContents()
{
    m_listing.clear();
    Clear();
    UpdateAllViews(nullptr, 0, nullptr);
}

void CDATFileDoc::LoadArchive(const std::string& path)
{
    DeleteContents();
    try {
        CFile file(path, CFile::modeRead);
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        m_strArchivePath = error ? path : absolute.string();
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
