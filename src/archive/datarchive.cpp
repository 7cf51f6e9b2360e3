#include "archive/datarchive.h"

#include "platform/file.h"

#include <filesystem>

CDATArchive::CDATArchive() : m_rootFolder(std::string(), 0, nullptr, 0) {}

CDATArchive::~CDATArchive() = default;

void CDATArchive::SIndex::Clear()
{
    m_folderFiles.clear();
    m_folderFileStart.clear();
    m_folderChildren.clear();
    m_folderChildStart.clear();
    m_typeFiles.clear();
    m_typeFileStart.clear();
    m_typeByIndex.clear();
}

void CDATArchive::Clear()
{
    m_files.clear(); // the capacity stays
    m_folders.clear();
    m_types.clear();
    m_index.Clear();
    m_dwDataSize = 0;
    m_pPaletteEntry = nullptr;
    m_nDatVersion = 0;
    m_strArchivePath.clear();
    m_nNextItemId = 1;
}

CDATInternalFile* CDATArchive::FindEntry(std::string_view name)
{
    for (CDATInternalFile& f : m_files)
        if (EqualNames(f.m_strName, name))
            return &f;
    return m_pPaletteEntry;
}

const CDATInternalFile* CDATArchive::FindEntry(std::string_view name) const
{
    return const_cast<CDATArchive*>(this)->FindEntry(name);
}
