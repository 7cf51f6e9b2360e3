#include "views/treebuild.h"

#include "archive/datfiledoc.h"
#include "platform/codepage.h"

#include <filesystem>
#include <unordered_map>

namespace {

int AddNode(CTreeModel& tree, CTreeNode node)
{
    int index = int(tree.m_nodes.size());
    if (node.m_nParent < 0)
        tree.m_roots.push_back(index);
    else
        tree.m_nodes[std::size_t(node.m_nParent)].m_children.push_back(index);
    tree.m_nodes.push_back(std::move(node));
    return index;
}

} // namespace

CTreeModel BuildTree(const CDATFileDoc& doc)
{
    return doc.m_nViewMode == 1 ? BuildTypeTree(doc) : BuildFolderTree(doc);
}

CTreeModel BuildFolderTree(const CDATFileDoc& doc)
{
    CTreeModel tree;
    if (!doc.IsLoaded())
        return tree;
    tree.m_nodes.reserve(doc.m_folders.size() + 1);
    CTreeNode root;
    // A set of sources is named by its sources' names, not its paths one a line.
    root.m_strLabel = IsSourceSet(doc.GetPathName()) ? doc.GetTitle() : doc.GetPathName();
    if (const SComparison* comparison = doc.Comparison()) {
        // Both sides by name: the old one's sources, then the new one.
        const std::vector<std::string> sources = SplitSourceSet(doc.ArchivePath());
        root.m_strLabel.clear();
        for (std::size_t i = 0; i < sources.size(); ++i)
            root.m_strLabel += (i == 0 ? "" : i == comparison->m_nFirstNew ? " → " : " + ") +
                               std::filesystem::path(sources[i]).filename().string();
    }
    root.m_bChanged = doc.FolderChanged(doc.m_rootFolder);
    root.m_nImage = kImageRoot;
    root.m_nSelectedImage = kImageRootSelected;
    root.m_pFolder = const_cast<CDATFolder*>(&doc.m_rootFolder);
    std::unordered_map<std::uint32_t, int> nodeOf;
    nodeOf.reserve(doc.m_folders.size() + 1);
    nodeOf[doc.m_rootFolder.m_nID] = AddNode(tree, std::move(root));

    // Place a folder, its parents first should they be missing.
    auto place = [&](auto& self, const CDATFolder& folder) -> int {
        auto found = nodeOf.find(folder.m_nID);
        if (found != nodeOf.end())
            return found->second;
        int parent = self(self, *folder.m_pParent);
        CTreeNode node;
        node.m_strLabel = DecodeToUtf8(folder.m_strName);
        node.m_nImage = kImageFolder;
        node.m_nSelectedImage = kImageFolderSelected;
        node.m_pFolder = const_cast<CDATFolder*>(&folder);
        node.m_nParent = parent;
        node.m_bChanged = doc.FolderChanged(folder);
        int index = AddNode(tree, std::move(node));
        nodeOf[folder.m_nID] = index;
        return index;
    };
    for (const CDATFolder& folder : doc.m_folders)
        place(place, folder);
    return tree;
}

CTreeModel BuildTypeTree(const CDATFileDoc& doc)
{
    CTreeModel tree;
    if (!doc.IsLoaded())
        return tree;
    tree.m_nodes.reserve(doc.m_types.size());
    for (const auto& [extension, type] : doc.m_types) {
        CTreeNode node;
        node.m_strLabel = DecodeToUtf8(type->m_strDescription);
        node.m_nImage = type->m_nImage;
        node.m_nSelectedImage = type->m_nImage;
        node.m_pType = type.get();
        AddNode(tree, std::move(node));
    }
    return tree;
}
