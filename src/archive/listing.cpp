// The listings of the file pane: a folder's subfolders and files, or a type's
// files, in the browser's order.
#include "archive/datfiledoc.h"

#include <algorithm>

namespace {

// A listing row with its sort keys worked out once: the type key (and depth)
// cost a virtual call, and names compare as numbers on their first 8 bytes.
struct SSortRow
{
    std::uint64_t m_nGroup;  // depth, then type key (folders have 0)
    std::uint64_t m_nPrefix; // first 8 bytes, letters folded, zero padded
    CDATItem* m_pItem;
};

// Orders like CompareNames on the first 8 bytes: a shorter name pads with
// zero bytes, which sort first, as a prefix does.
std::uint64_t NamePrefixKey(std::string_view name)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i)
        key = (key << 8) | (i < name.size() ? FoldAscii(static_cast<unsigned char>(name[i])) : 0u);
    return key;
}

bool RowLess(const SSortRow& a, const SSortRow& b)
{
    if (a.m_nGroup != b.m_nGroup)
        return a.m_nGroup < b.m_nGroup;
    if (a.m_nPrefix != b.m_nPrefix)
        return a.m_nPrefix < b.m_nPrefix;
    return CompareNames(a.m_pItem->GetName(), b.m_pItem->GetName()) < 0;
}

// Sorts the listing by depth, type key and name (byType), or by name alone.
void SortListing(std::vector<CDATItem*>& listing, bool byType)
{
    std::vector<SSortRow> rows(listing.size());
    for (std::size_t i = 0; i < listing.size(); ++i) {
        CDATItem* item = listing[i];
        const std::uint64_t group = byType ? (std::uint64_t(item->m_nDepth) << 32) | item->GetTypeKey() : 0;
        rows[i] = {group, NamePrefixKey(item->GetName()), item};
    }
    std::sort(rows.begin(), rows.end(), RowLess);
    for (std::size_t i = 0; i < rows.size(); ++i)
        listing[i] = rows[i].m_pItem;
}

} // namespace

void CDATFileDoc::ListFolder(const CDATFolder* folder, CView* sender)
{
    if (!IsLoaded())
        return;
    m_listing.clear();
    m_bQueryWaits = false;
    m_nListingKind = kListFolder;
    const std::size_t slots = m_index.m_folderFileStart.size();
    const std::size_t slot = folder->IsRoot() ? slots - 2 : folder->m_nIndex;
    if (slots >= 2 && slot + 1 < slots) {
        const std::uint32_t fileBegin = m_index.m_folderFileStart[slot];
        const std::uint32_t fileEnd = m_index.m_folderFileStart[slot + 1];
        const std::uint32_t childBegin = m_index.m_folderChildStart[slot];
        const std::uint32_t childEnd = m_index.m_folderChildStart[slot + 1];
        m_listing.reserve((fileEnd - fileBegin) + (childEnd - childBegin));
        for (std::uint32_t i = childBegin; i < childEnd; ++i)
            m_listing.push_back(const_cast<CDATFolder*>(m_index.m_folderChildren[i]));
        // Every file of the folder, also those a packer appended elsewhere.
        for (std::uint32_t i = fileBegin; i < fileEnd; ++i)
            m_listing.push_back(&m_files[m_index.m_folderFiles[i]]);
    }
    // Depth, then type key (folders have 0), then name.
    SortListing(m_listing, true);
    DropUnchanged();
    UpdateAllViews(sender, 0, nullptr);
}

void CDATFileDoc::ListFileType(const CDATFileType* type, CView* sender)
{
    if (!IsLoaded())
        return;
    m_listing.clear();
    m_bQueryWaits = false;
    m_nListingKind = kListType;
    const auto& types = m_index.m_typeByIndex;
    auto it = std::find(types.begin(), types.end(), type);
    if (it != types.end()) {
        std::size_t t = std::size_t(it - types.begin());
        const std::uint32_t begin = m_index.m_typeFileStart[t];
        const std::uint32_t end = m_index.m_typeFileStart[t + 1];
        m_listing.reserve(end - begin);
        for (std::uint32_t i = begin; i < end; ++i)
            m_listing.push_back(&m_files[m_index.m_typeFiles[i]]);
    }
    SortListing(m_listing, false);
    DropUnchanged();
    UpdateAllViews(sender, 0, nullptr);
}

namespace {

// Folding this many paths takes a few milliseconds: done at once, not on a worker.
constexpr std::size_t kFoldAtOnce = 50000;

} // namespace

void CDATFileDoc::PrepareSearch(const std::function<void()>& onFolded)
{
    if (IsLoaded() && !m_search.IsBuilding() && !m_search.IsBuilt()) {
        if (m_files.size() <= kFoldAtOnce)
            m_search.Build(*this);
        else
            m_search.StartBuild(*this, onFolded);
    }
}

bool CDATFileDoc::ListMatches(std::string_view query, CView* sender, const std::function<void()>& onFolded)
{
    if (!IsLoaded())
        return false;
    PrepareSearch(onFolded);
    m_strWaitingQuery = query;
    m_bQueryWaits = true;
    return ListWaitingMatches(sender);
}

bool CDATFileDoc::ListWaitingMatches(CView* sender)
{
    if (!m_bQueryWaits || !IsLoaded())
        return m_bQueryWaits = false;
    if (!m_search.IsBuilt())
        return true;
    m_bQueryWaits = false;
    const std::vector<std::uint32_t>& hits = m_search.Find(m_strWaitingQuery);
    m_listing.resize(hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i)
        m_listing[i] = &m_files[hits[i]];
    m_nListingKind = kListMatches;
    DropUnchanged();
    UpdateAllViews(sender, 0, nullptr);
    return false;
}
