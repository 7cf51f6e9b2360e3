// The listings of the file pane: a folder's subfolders and files, or a type's
// files, in the browser's order.
#include "archive/datfiledoc.h"

#include <algorithm>

namespace {

// Depth, then type key (folders have 0), then name.
bool FolderListingLess(const CDATItem* a, const CDATItem* b)
{
    if (a->m_nDepth != b->m_nDepth)
        return a->m_nDepth < b->m_nDepth;
    std::uint32_t ka = a->GetTypeKey();
    std::uint32_t kb = b->GetTypeKey();
    if (ka != kb)
        return ka < kb;
    return CompareNames(a->GetName(), b->GetName()) < 0;
}

} // namespace

void CDATFileDoc::ListFolder(const CDATFolder* folder, CView* sender)
{
    if (!IsLoaded())
        return;
    m_listing.clear();
    const std::size_t slots = m_index.m_folderFileStart.size();
    const std::size_t slot = folder == &g_rootFolder ? slots - 2 : folder->m_nIndex;
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
    std::sort(m_listing.begin(), m_listing.end(), FolderListingLess);
    UpdateAllViews(sender, 0, nullptr);
}

void CDATFileDoc::ListFileType(const CDATFileType* type, CView* sender)
{
    if (!IsLoaded())
        return;
    m_listing.clear();
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
    std::sort(m_listing.begin(), m_listing.end(), [](const CDATItem* a, const CDATItem* b) {
        return CompareNames(a->GetName(), b->GetName()) < 0;
    });
    UpdateAllViews(sender, 0, nullptr);
}
