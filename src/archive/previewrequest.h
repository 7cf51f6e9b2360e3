#pragma once
// Everything a handler needs to make an entry's preview, copied out of the
// model on the GUI thread, so that the work can run on a worker thread while
// the document changes.
#include "archive/datitem.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SPreviewRequest
{
    SPreviewRequest(std::string archivePath, const CDATInternalFile& entry)
        : m_strArchivePath(std::move(archivePath)), m_entry(entry)
    {
    }

    std::string m_strArchivePath;
    // A copy of the entry; its parent must not be followed (see m_folders).
    CDATInternalFile m_entry;
    // The raw names of the entry's folders, outermost first.
    std::vector<std::string> m_folders;
    std::optional<CDATInternalFile> m_palette;
    // The file m_palette is read from (a set may hold it in another source).
    std::string m_strPaletteFile;
    // A PAL file on disk for pictures the archive has no palette for.
    std::string m_strDefaultPalette;
    // The user chose the palette: the preview is not cached on disk.
    bool m_bChosenPalette = false;
    // Entries read with this one: the other direction files of a figure.
    std::vector<CDATInternalFile> m_siblings;
    // The file each sibling is read from, where a set keeps it elsewhere.
    std::vector<std::string> m_siblingFiles;
    // Where the handler keeps its converted copy; empty when it keeps none.
    std::string m_strCacheFile;
    // The cache file is to be written again even if it is there.
    bool m_bRefreshCache = false;
    // Handler-defined: the text encoding the user chose, for texts.
    int m_nOption = 0;
    // Set when the pane moved on: long work stops and its result is dropped.
    std::shared_ptr<const std::atomic<bool>> m_pCancel;
    bool IsCancelled() const { return m_pCancel && m_pCancel->load(std::memory_order_relaxed); }
};
