#pragma once
// One entry of `extract` on its way out: its name checked and its folders made
// (on the main thread, in directory order), then read, inflated and written
// (by whichever thread is free). Its complaints are kept for printing in
// directory order.
#include "platform/atomicfile.h"
#include "platform/file.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CDATInternalFile;

// What became of one entry.
enum class EOutcome { kDone, kEntryFailed, kStop };

struct SExtractJob
{
    const CDATInternalFile* m_pEntry = nullptr;
    std::string m_strDisplayPath; // the stored name, decoded
    std::string_view m_folders;   // its folders with their last '\\' ("" at the top)
    std::string_view m_name;      // its own name
    std::string m_strTarget;
    std::string m_strSourcePath; // the file holding its bytes, when not the archive's
    bool m_bReady = false; // checked: only the writing is left
    CAtomicFile::EPlace m_place = CAtomicFile::EPlace::kAnyFolder;
    EOutcome m_outcome = EOutcome::kDone;
    std::string m_strReport; // "dravik-cli: ..." lines
};

// Refuses what the stored names cannot stand for as they are: nothing is
// renamed, nothing lands outside the output folder or passes through a link.
class CExtractor
{
public:
    // outDirMade: the output folder was made by this run.
    CExtractor(CFile& archive, std::string outDir, bool keepDamaged, bool outDirMade = false);

    // The entry's target and folders, name checks first. On return the job is
    // either decided (refused, failed) or ready to be written.
    void Prepare(SExtractJob& job);

    // Reads, inflates and writes a ready job through archive (the caller's
    // own handle of the same file).
    void Write(SExtractJob& job, CFile& archive);

    // Whether a folder or the file of a job about to be prepared is among
    // targets (relative paths, ASCII letters folded); its own target's key
    // goes to key.
    bool Clashes(const SExtractJob& job, const std::unordered_set<std::string>& targets, std::string& key);

    // A file that must not be replaced either (another source being read).
    void Protect(const std::string& path);

private:
    template <class F>
    void Guarded(SExtractJob& job, F&& body);
    void Refuse(SExtractJob& job, const std::string& why);
    void PrepareChecked(SExtractJob& job);
    void WriteChecked(SExtractJob& job, CFile& archive);
    void WriteChecked(SExtractJob& job, CFile& archive, const CDATInternalFile& entry, const std::string& target);
    // Splits the folders of an entry ("a\\b\\", decoded), unless the previous
    // entry had the same ones.
    void LoadFolders(std::string_view folders);
    const std::string& SourceOf(const SExtractJob& job) const;

    CFile& m_archive;
    std::string m_strBase;
    bool m_bKeepDamaged;
    std::vector<std::pair<dev_t, ino_t>> m_protected; // the archive (or sources) being read

    // Folders (relative) known to be real folders, and whether this run made them.
    std::unordered_map<std::string, bool> m_verified;
    bool m_bFoldersLoaded = false;
    std::string m_strFoldersOf;            // whose folders the next members hold
    std::vector<std::string> m_folders;    // decoded, from the top
    std::vector<std::string> m_folderKeys; // "a", "a/b": folded, for Clashes
    std::string m_strFolderKeyPrefix;      // "a/b/"
    bool m_bChecked = false;               // those folders passed the checks and exist
    std::string m_strCheckedRel;           // their relative path, "a/b/"
    bool m_bCheckedFresh = false;          // the last of them was made by this run
};
