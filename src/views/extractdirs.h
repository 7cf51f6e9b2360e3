#pragma once
// Selected files and whole folders written out with the archive's folders
// below the selection's own folder. The command "Извлечь с папками..." and
// the drag out of the file list both go through here.
#include "platform/uitext.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CDATFileDoc;
class CDATInternalFile;
class CDATItem;
class CFile;
class CWnd;

struct SExtractDirsOptions
{
    // Ask before something on disk is replaced (Yes, Yes to all, No, No to
    // all, Cancel); otherwise it is always replaced.
    bool m_bAsk = true;
    // Progress shows from this many files or bytes on (0: always).
    std::size_t m_nProgressFromFiles = 0;
    std::uint64_t m_nProgressFromBytes = 0;
    std::string m_strBrowseTitle = DRAVIK_TR_NOOP("Core", "Извлечение выбранных элементов с папками");
    std::string m_strProgressTitle = DRAVIK_TR_NOOP("Core", "Извлечение...");
    // Set to write something else than the entries themselves (an export):
    // only the files m_take accepts, and the folders holding them, are made;
    // each is written by m_write under the disk name m_rename gives. m_write
    // returns false for an entry it could not convert (reported like a
    // damaged one) and raises for a destination error.
    std::function<bool(const CDATInternalFile&)> m_take;
    std::function<std::string(const CDATInternalFile&, const std::string&)> m_rename;
    std::function<bool(CFile& archive, const CDATInternalFile&, const std::string& path)> m_write;
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
                                          std::string* folder, const SExtractDirsOptions& options = {});
