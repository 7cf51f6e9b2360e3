#pragma once
// Finding entries by a piece of their path or by a pattern on the whole path.
// Every file's path is folded once (letter case, both separators) into one
// buffer, so that a keystroke costs one scan of it, not 200,000 decodings.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CDATArchive;

class CEntrySearch
{
public:
    // Folds the path of every file of archive: its folders from the top and
    // its name, '\\' between them.
    void Build(const CDATArchive& archive);
    bool IsBuilt() const { return !m_starts.empty(); }
    void Clear();

    // Indices into archive.m_files, in directory order, of the files whose path
    // holds query (UTF-8, letter case ignored, '/' and '\\' alike) or, when it
    // holds '*' or '?', whose whole path matches it ('*' any run, separators
    // included; '?' any one character). An empty query finds nothing.
    void Find(std::string_view query, std::vector<std::uint32_t>& out) const;

private:
    bool GlobMatches(std::string_view pattern, std::string_view path) const;

    std::string m_text;                  // folded paths, each followed by '\0'
    std::vector<std::uint32_t> m_starts; // where each path starts; one end slot
};

// CP1251 bytes folded as the search compares them: Latin and Cyrillic
// capitals to small letters, '/' to '\\'.
void FoldSearchText(std::string& cp1251);
