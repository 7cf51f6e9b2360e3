#include "archive/entrysearch.h"

#include "archive/datarchive.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// The last results kept, for Backspace and for narrowing.
constexpr std::size_t kRecentResults = 8;

std::unique_ptr<CEntrySearch::SIndex> FoldPaths(const CDATArchive& archive)
{
    auto index = std::make_unique<CEntrySearch::SIndex>();
    // Each folder's path once, its parent's first.
    std::vector<std::string> folderPaths(archive.m_folders.size());
    std::vector<bool> done(archive.m_folders.size(), false);
    std::function<const std::string&(const CDATFolder*)> pathOf = [&](const CDATFolder* folder) -> const std::string& {
        static const std::string top;
        if (folder->IsRoot() || folder->m_nIndex >= folderPaths.size())
            return top;
        std::string& path = folderPaths[folder->m_nIndex];
        if (!done[folder->m_nIndex]) {
            path = pathOf(folder->m_pParent) + folder->m_strName + '\\';
            FoldSearchText(path);
            done[folder->m_nIndex] = true;
        }
        return path;
    };
    std::size_t total = 0;
    for (const CDATInternalFile& f : archive.m_files)
        total += pathOf(f.m_pParent).size() + f.m_strName.size() + 1;
    const std::size_t files = archive.m_files.size();
    index->m_text.reserve(total);
    index->m_starts.reserve(files + 1);
    index->m_folderLength.reserve(files);
    index->m_folder.reserve(files);
    std::string name;
    for (const CDATInternalFile& f : archive.m_files) {
        index->m_starts.push_back(std::uint32_t(index->m_text.size()));
        const std::string& folder = pathOf(f.m_pParent);
        index->m_folderLength.push_back(std::uint32_t(folder.size()));
        const bool top = f.m_pParent->IsRoot() || f.m_pParent->m_nIndex >= folderPaths.size();
        index->m_folder.push_back(top ? 0 : f.m_pParent->m_nIndex + 1);
        index->m_text += folder;
        name = f.m_strName;
        FoldSearchText(name);
        index->m_text += name;
        index->m_text += '\0';
    }
    index->m_starts.push_back(std::uint32_t(index->m_text.size()));
    return index;
}

// Whether text[0, size) holds needle (not empty).
inline bool Holds(const char* text, std::size_t size, std::string_view needle)
{
    if (size < needle.size())
        return false;
    const char first = needle.front();
    const char* const last = text + (size - needle.size());
    for (const char* at = text; at <= last; ++at) {
        at = static_cast<const char*>(std::memchr(at, first, std::size_t(last - at) + 1));
        if (!at)
            return false;
        if (std::memcmp(at + 1, needle.data() + 1, needle.size() - 1) == 0)
            return true;
    }
    return false;
}

// A pattern split at its stars: the first piece is tied to the path's start,
// the last to its end, the ones between are found leftmost in turn (which is
// all a star needs); '?' stands for any one character.
class CGlob
{
public:
    explicit CGlob(std::string_view pattern)
    {
        std::size_t from = 0;
        for (;;) {
            const std::size_t star = pattern.find('*', from);
            m_pieces.push_back(pattern.substr(from, star == std::string_view::npos ? std::string_view::npos : star - from));
            if (star == std::string_view::npos)
                break;
            from = star + 1;
        }
        for (std::string_view piece : m_pieces)
            m_nFixed += piece.size();
    }

    bool Matches(std::string_view path) const
    {
        if (m_pieces.size() == 1)
            return path.size() == m_pieces[0].size() && PieceAt(m_pieces[0], path.data());
        if (path.size() < m_nFixed)
            return false;
        const std::string_view head = m_pieces.front(), tail = m_pieces.back();
        if (!PieceAt(head, path.data()) || !PieceAt(tail, path.data() + path.size() - tail.size()))
            return false;
        std::size_t at = head.size();
        const std::size_t end = path.size() - tail.size();
        for (std::size_t i = 1; i + 1 < m_pieces.size(); ++i) {
            const std::string_view piece = m_pieces[i];
            for (;; ++at) {
                if (end - at < piece.size())
                    return false;
                if (PieceAt(piece, path.data() + at))
                    break;
            }
            at += piece.size();
        }
        return true;
    }

private:
    static bool PieceAt(std::string_view piece, const char* text)
    {
        for (std::size_t i = 0; i < piece.size(); ++i)
            if (piece[i] != '?' && piece[i] != text[i])
                return false;
        return true;
    }

    std::vector<std::string_view> m_pieces;
    std::size_t m_nFixed = 0; // characters the pieces take
};

} // namespace

void FoldSearchText(std::string& text)
{
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            ch = char(c + 0x20);
        else if (c >= 0xC0 && c <= 0xDF) // А..Я
            ch = char(c + 0x20);
        else if (c == 0xA8) // Ё
            ch = char(0xB8);
        else if (c == '/')
            ch = '\\';
    }
}

CEntrySearch::CEntrySearch() = default;

CEntrySearch::~CEntrySearch()
{
    Clear();
}

void CEntrySearch::Clear()
{
    if (m_worker.joinable())
        m_worker.join();
    m_bWorkerDone = false;
    m_pBuilt.reset();
    m_pIndex.reset();
    m_recent.clear();
}

void CEntrySearch::Build(const CDATArchive& archive)
{
    Clear();
    m_pIndex = FoldPaths(archive);
}

void CEntrySearch::StartBuild(const CDATArchive& archive, std::function<void()> onBuilt)
{
    Clear();
    m_worker = std::thread([this, &archive, onBuilt = std::move(onBuilt)] {
        try {
            m_pBuilt = FoldPaths(archive);
        } catch (...) {
            // Out of memory: nothing is found rather than the program ended.
            m_pBuilt = std::make_unique<SIndex>();
        }
        m_bWorkerDone = true;
        if (onBuilt)
            onBuilt();
    });
}

bool CEntrySearch::IsBuilt()
{
    if (m_worker.joinable() && m_bWorkerDone) {
        m_worker.join();
        m_pIndex = std::move(m_pBuilt);
    }
    return m_pIndex != nullptr;
}

void CEntrySearch::ScanAll(const std::string& folded, std::vector<std::uint32_t>& out) const
{
    const SIndex& index = *m_pIndex;
    const std::size_t entries = index.m_starts.size() - 1;
    const char* const text = index.m_text.data();
    if (folded.find_first_of("*?") != std::string::npos) {
        const CGlob glob(folded);
        for (std::size_t i = 0; i < entries; ++i)
            if (glob.Matches(std::string_view(text + index.m_starts[i], index.m_starts[i + 1] - index.m_starts[i] - 1)))
                out.push_back(std::uint32_t(i));
        return;
    }
    // The files of one folder share its part of the path: tested once, and
    // past it only the name (with what may start a hit across the boundary).
    std::uint32_t folder = UINT32_MAX;
    bool inFolder = false;
    for (std::size_t i = 0; i < entries; ++i) {
        const char* const path = text + index.m_starts[i];
        const std::size_t folderLength = index.m_folderLength[i];
        if (index.m_folder[i] != folder) {
            folder = index.m_folder[i];
            inFolder = Holds(path, folderLength, folded);
        }
        const std::size_t from = folderLength >= folded.size() ? folderLength - (folded.size() - 1) : 0;
        if (inFolder || Holds(path + from, index.m_starts[i + 1] - index.m_starts[i] - 1 - from, folded))
            out.push_back(std::uint32_t(i));
    }
}

const std::vector<std::uint32_t>& CEntrySearch::Find(std::string_view query)
{
    if (query.empty() || !IsBuilt() || m_pIndex->m_starts.size() < 2)
        return m_none;
    std::string folded = EncodeCp1251(query);
    FoldSearchText(folded);
    // A zero byte would let a hit run from one path into the next.
    folded.erase(std::remove(folded.begin(), folded.end(), '\0'), folded.end());
    if (folded.empty())
        return m_none;
    auto same = std::find_if(m_recent.begin(), m_recent.end(), [&](const SResult& r) { return r.m_query == folded; });
    if (same != m_recent.end()) {
        std::rotate(same, same + 1, m_recent.end());
        return m_recent.back().m_hits;
    }
    // A text that holds an earlier one matches among that one's matches only.
    std::size_t narrowest = m_recent.size();
    if (folded.find_first_of("*?") == std::string::npos)
        for (std::size_t r = 0; r < m_recent.size(); ++r)
            if (m_recent[r].m_query.find_first_of("*?") == std::string::npos &&
                folded.find(m_recent[r].m_query) != std::string::npos &&
                (narrowest == m_recent.size() || m_recent[r].m_hits.size() < m_recent[narrowest].m_hits.size()))
                narrowest = r;
    // The oldest result's room serves the new one.
    std::vector<std::uint32_t> out;
    if (m_recent.size() == kRecentResults && narrowest != 0) {
        out = std::move(m_recent.front().m_hits);
        out.clear();
        m_recent.erase(m_recent.begin());
        if (narrowest < kRecentResults)
            --narrowest;
    }
    if (narrowest < m_recent.size()) {
        const SIndex& index = *m_pIndex;
        for (std::uint32_t i : m_recent[narrowest].m_hits)
            if (Holds(index.m_text.data() + index.m_starts[i], index.m_starts[i + 1] - index.m_starts[i] - 1, folded))
                out.push_back(i);
    } else {
        ScanAll(folded, out);
    }
    if (m_recent.size() == kRecentResults)
        m_recent.erase(m_recent.begin());
    m_recent.push_back({std::move(folded), std::move(out)});
    return m_recent.back().m_hits;
}
