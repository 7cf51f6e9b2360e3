#include "views/listingsort.h"

#include "archive/datitem.h"
#include "archive/namecompare.h"

#include <algorithm>
#include <cstdint>

std::string FolderPathOf(const CDATItem& item)
{
    std::vector<const CDATFolder*> chain;
    for (const CDATFolder* f = item.m_pParent; f && !f->IsRoot(); f = f->m_pParent)
        chain.push_back(f);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '\\';
        path += (*it)->m_strName;
    }
    return path;
}

namespace {

struct SKeyed
{
    std::int64_t m_nNumber; // -1 for folders
    std::string m_text;     // type text or folder path
    CDATItem* m_pItem;
};

void SortKeyed(std::vector<CDATItem*>& listing, std::vector<SKeyed>& rows, ESortKey key, bool descending)
{
    auto compare = [key](const SKeyed& a, const SKeyed& b) {
        if (a.m_nNumber != b.m_nNumber)
            return a.m_nNumber < b.m_nNumber ? -1 : 1;
        if (key == ESortKey::kType || key == ESortKey::kFolder)
            if (const int c = CompareNames(a.m_text, b.m_text); c != 0)
                return c;
        return key == ESortKey::kName || key == ESortKey::kType || key == ESortKey::kFolder
                   ? CompareNames(a.m_pItem->GetName(), b.m_pItem->GetName())
                   : 0;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const SKeyed& a, const SKeyed& b) {
        const int c = compare(a, b);
        return descending ? c > 0 : c < 0;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        listing[i] = rows[i].m_pItem;
}

std::int64_t NumberOf(const CDATItem& item, ESortKey key)
{
    const auto* file = dynamic_cast<const CDATInternalFile*>(&item);
    if (!file)
        return -1;
    switch (key) {
    case ESortKey::kSize: return file->m_nRealSize;
    case ESortKey::kPacked: return file->m_nPackedSize;
    case ESortKey::kOffset: return file->m_nOffset;
    default: return 0;
    }
}

} // namespace

void SortListingBy(std::vector<CDATItem*>& listing, ESortKey key, bool descending)
{
    // Keys are worked out once: a type text costs a virtual call and a copy.
    std::vector<SKeyed> rows(listing.size());
    char buffer[260];
    for (std::size_t i = 0; i < listing.size(); ++i) {
        CDATItem* item = listing[i];
        rows[i].m_pItem = item;
        rows[i].m_nNumber = NumberOf(*item, key);
        if (key == ESortKey::kType) {
            item->GetTypeText(buffer, int(sizeof buffer));
            rows[i].m_text = buffer;
        } else if (key == ESortKey::kFolder) {
            rows[i].m_text = FolderPathOf(*item);
        }
    }
    SortKeyed(listing, rows, key, descending);
}

void SortListingByText(std::vector<CDATItem*>& listing, const std::function<std::string(const CDATItem&)>& text,
                       bool descending)
{
    // Keyed as a folder column is: the same order of texts, then of names.
    std::vector<SKeyed> rows(listing.size());
    for (std::size_t i = 0; i < listing.size(); ++i)
        rows[i] = {0, text(*listing[i]), listing[i]};
    SortKeyed(listing, rows, ESortKey::kFolder, descending);
}
