#pragma once
// The nodes of the left pane, built from the document for its view mode,
// apart from any widget.
#include <string>
#include <vector>

class CDATFileDoc;
class CDATFolder;
class CDATFileType;

struct CTreeNode
{
    std::string m_strLabel; // UTF-8
    int m_nImage = 0;
    int m_nSelectedImage = 0;
    CDATFolder* m_pFolder = nullptr;  // mode 0: the root folder or a folder
    CDATFileType* m_pType = nullptr;  // mode 1: a handler
    int m_nParent = -1;               // index of the parent node, -1 at the top
    bool m_bChanged = false;          // comparing: something below changed
    std::vector<int> m_children;      // in insertion order
};

struct CTreeModel
{
    std::vector<CTreeNode> m_nodes;
    std::vector<int> m_roots;
};

// The tree for the document's current view mode; empty when nothing is loaded.
CTreeModel BuildTree(const CDATFileDoc& doc);
CTreeModel BuildFolderTree(const CDATFileDoc& doc);
CTreeModel BuildTypeTree(const CDATFileDoc& doc);
