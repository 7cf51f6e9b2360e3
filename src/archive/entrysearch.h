#pragma once
// Finding entries by a piece of their path or by a pattern on the whole path.
// Every file's path is folded once (letter case, both separators) into one
// buffer, so that a keystroke costs one scan of it, not 200,000 decodings.
// A big archive's paths are folded on a worker thread, so that the window
// never waits for them; a keystroke that extends the last text scans only
// the last matches, and the last few results are kept for Backspace.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CDATArchive;

class CEntrySearch
{
public:
    CEntrySearch();
    ~CEntrySearch();
    CEntrySearch(const CEntrySearch&) = delete;
    CEntrySearch& operator=(const CEntrySearch&) = delete;

    // Folds the path of every file of archive: its folders from the top and
    // its name, '\\' between them. StartBuild does it on a worker thread; the
    // archive must stay as it is until IsBuilt() or Clear(). onBuilt is
    // called on the worker thread when it is done.
    void Build(const CDATArchive& archive);
    void StartBuild(const CDATArchive& archive, std::function<void()> onBuilt);
    bool IsBuilding() const { return m_worker.joinable(); }
    // Whether the paths are folded (taking over a finished worker's).
    bool IsBuilt();
    // Forgets the paths, waiting for a worker still folding them.
    void Clear();

    // Indices into archive.m_files, in directory order, of the files whose path
    // holds query (UTF-8, letter case ignored, '/' and '\\' alike) or, when it
    // holds '*' or '?', whose whole path matches it ('*' any run, separators
    // included; '?' any one character). An empty query finds nothing, and
    // so does any before IsBuilt(). Valid until the next call.
    const std::vector<std::uint32_t>& Find(std::string_view query);

    struct SIndex
    {
        std::string m_text;                // folded paths, each followed by '\0'
        std::vector<std::uint32_t> m_starts; // where each path starts; one end slot
        // Per path: its folders' part ("art\\tiles\\"), and which folder it is,
        // so that the files of one folder test that part once.
        std::vector<std::uint32_t> m_folderLength;
        std::vector<std::uint32_t> m_folder;
    };

private:
    void ScanAll(const std::string& folded, std::vector<std::uint32_t>& out) const;

    std::unique_ptr<SIndex> m_pIndex;
    std::unique_ptr<SIndex> m_pBuilt; // the worker's, until taken over
    std::thread m_worker;
    std::atomic<bool> m_bWorkerDone{false};
    // The last results, the latest at the back, by folded query.
    struct SResult
    {
        std::string m_query;
        std::vector<std::uint32_t> m_hits;
    };
    std::vector<SResult> m_recent;
    std::vector<std::uint32_t> m_none;
};

// CP1251 bytes folded as the search compares them: Latin and Cyrillic
// capitals to small letters, '/' to '\\'.
void FoldSearchText(std::string& cp1251);
