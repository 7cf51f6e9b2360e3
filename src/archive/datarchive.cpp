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

void CDATArchive::SwapContents(CDATArchive& other)
{
    // Items at the top point at their archive's own root, which stays put:
    // they are handed over to the other root.
    m_files.swap(other.m_files);
    m_folders.swap(other.m_folders);
    for (CDATArchive* archive : {this, &other}) {
        CDATArchive* from = archive == this ? &other : this;
        for (CDATInternalFile& f : archive->m_files)
            if (f.m_pParent == &from->m_rootFolder)
                f.m_pParent = &archive->m_rootFolder;
        for (const CDATFolder& folder : archive->m_folders)
            if (folder.m_pParent == &from->m_rootFolder)
                const_cast<CDATFolder&>(folder).m_pParent = &archive->m_rootFolder;
    }
    std::swap(m_rootFolder.m_strName, other.m_rootFolder.m_strName);
    std::swap(m_nNextItemId, other.m_nNextItemId);
    m_types.swap(other.m_types);
    std::swap(m_dwDataSize, other.m_dwDataSize);
    std::swap(m_pPaletteEntry, other.m_pPaletteEntry);
    std::swap(m_index, other.m_index);
    m_strArchivePath.swap(other.m_strArchivePath);
}

void CDATArchive::LoadKeepingOnFailure(const std::string& path)
{
    CDATArchive staged;
    staged.m_progressFactory = m_progressFactory;
    CFile file(path, CFile::modeRead);
    if (file.GetLength() == 0)
        throw CEmptyArchiveError(path + ": the file is empty (0 bytes)");
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    staged.m_strArchivePath = error ? path : absolute.string();
    staged.Serialize(file);
    SwapContents(staged);
}

std::string CDATArchive::EntryFile(const CDATInternalFile&) const
{
    return m_strArchivePath;
}
