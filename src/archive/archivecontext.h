#pragma once
// What handlers, converters and dialogs need of one open archive, passed in
// explicitly, so that several archives can be open in one process.
#include "archive/datarchive.h"
#include "platform/uiservices.h"

#include <string>
#include <string_view>

struct SArchiveContext
{
    const CDATArchive* m_pArchive = nullptr;
    // The cache folder, ending with '/'; empty when none is set.
    std::string m_strCacheFolder;
    CUiServices* m_pUi = nullptr;
    // A PAL file on disk for pictures the archive has no palette for; empty: none.
    std::string m_strDefaultPalette;

    const std::string& ArchivePath() const { return m_pArchive->ArchivePath(); }
    std::string EntryFile(const CDATInternalFile& entry) const { return m_pArchive->EntryFile(entry); }
    // The entry of that name (letter case ignored), else the palette entry.
    const CDATInternalFile* FindEntry(std::string_view name) const { return m_pArchive->FindEntry(name); }
    CUiServices& Ui() const { return m_pUi ? *m_pUi : UiServices(); }
};
