#pragma once
// Selected files and whole folders written out with the archive's folders
// below the selection's own folder. The command "Извлечь с папками..." and
// the drag out of the file list both go through here.
#include <cstdint>
#include <string>
#include <vector>

class CDATFileDoc;
class CDATItem;
class CWnd;

struct SExtractDirsOptions
{
    // Ask before something on disk is replaced (Yes, Yes to all, No, No to
    // all, Cancel); otherwise it is always replaced.
    bool m_bAsk = true;
    // Progress shows from this many files or bytes on (0: always).
    std::size_t m_nProgressFromFiles = 0;
    std::uint64_t m_nProgressFromBytes = 0;
};

struct SExtractDirsResult
{
    int m_nWritten = 0;
    std::vector<std::string> m_damaged; // raw entry names
    bool m_bStopped = false;            // Cancel, or Yes to "Прекратить?"
    // The selected items on disk: every folder, and the files written or kept.
    std::vector<std::string> m_topLevel;
};

// Writes items into folder (an existing folder, '/' at the end or not): a
// file under its own name, a folder with its whole subtree, the root as its
// contents. Names are mapped (filenames.h) and never lead out of folder; a
// link or file where a folder belongs is refused. Damaged entries are left
// out and reported; a destination error ends the run with an exception.
SExtractDirsResult ExtractItemsWithFolders(CDATFileDoc& doc, const std::vector<const CDATItem*>& items,
                                           const std::string& folder, const SExtractDirsOptions& options,
                                           CWnd* owner);

// The command on the listing's rows: asks for the folder (nothing is done
// when the user cancels; folder is then left empty), then extracts.
SExtractDirsResult ExtractRowsWithFolders(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner,
                                          std::string* folder);
