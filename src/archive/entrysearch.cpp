#include "archive/entrysearch.h"

#include "archive/datarchive.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstring>
#include <functional>

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

void CEntrySearch::Clear()
{
    m_text.clear();
    m_text.shrink_to_fit();
    m_starts.clear();
    m_starts.shrink_to_fit();
}

void CEntrySearch::Build(const CDATArchive& archive)
{
    Clear();
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
    m_text.reserve(total);
    m_starts.reserve(archive.m_files.size() + 1);
    std::string name;
    for (const CDATInternalFile& f : archive.m_files) {
        m_starts.push_back(std::uint32_t(m_text.size()));
        m_text += pathOf(f.m_pParent);
        name = f.m_strName;
        FoldSearchText(name);
        m_text += name;
        m_text += '\0';
    }
    m_starts.push_back(std::uint32_t(m_text.size()));
}

bool CEntrySearch::GlobMatches(std::string_view pattern, std::string_view path) const
{
    // Greedy with one step back to the last '*': linear for the usual patterns.
    std::size_t p = 0, s = 0, star = std::string_view::npos, resume = 0;
    while (s < path.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == path[s])) {
            ++p;
            ++s;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = s;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void CEntrySearch::Find(std::string_view query, std::vector<std::uint32_t>& out) const
{
    out.clear();
    if (query.empty() || m_starts.size() < 2)
        return;
    std::string folded = EncodeCp1251(query);
    FoldSearchText(folded);
    // A zero byte would let a hit run from one path into the next.
    folded.erase(std::remove(folded.begin(), folded.end(), '\0'), folded.end());
    if (folded.empty())
        return;
    const std::size_t entries = m_starts.size() - 1;
    if (folded.find_first_of("*?") != std::string::npos) {
        for (std::size_t i = 0; i < entries; ++i) {
            const std::string_view path(m_text.data() + m_starts[i], m_starts[i + 1] - m_starts[i] - 1);
            if (GlobMatches(folded, path))
                out.push_back(std::uint32_t(i));
        }
        return;
    }
    // One scan of the whole buffer; a hit skips to the next path. The '\0'
    // after each path keeps a hit from spanning two.
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    const char* at = begin;
    while (at < end) {
        const void* hit = ::memmem(at, std::size_t(end - at), folded.data(), folded.size());
        if (!hit)
            break;
        const auto offset = std::uint32_t(static_cast<const char*>(hit) - begin);
        const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
        out.push_back(std::uint32_t(next - m_starts.begin() - 1));
        at = begin + *next;
    }
}
