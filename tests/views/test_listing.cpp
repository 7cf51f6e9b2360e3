// The left pane's trees and the file pane's listings.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "views/treebuild.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

class ListingTest : public ::testing::Test
{
protected:
    ListingTest()
    {
        m_doc.AddView(&m_tree);
        m_doc.AddView(&m_list);
    }

    // withData false writes a data-size word of 0.
    std::string Open(const Names& names, bool withData = true)
    {
        const std::string path =
            WriteNamesArchive(m_dir, names, Options({}, {}, withData ? std::nullopt : std::optional(0u)));
        EXPECT_TRUE(m_doc.OpenDocumentFile(path));
        return path;
    }

    std::string OpenExample()
    {
        return Open({"art\\intrface\\b.frm", "art\\intrface\\a.frm", "art\\critters\\c.frm", "text\\english\\d.msg",
                     "readme.txt"});
    }

    const CDATFolder* Folder(const std::string& name) { return &FindFolder(m_doc, name); }

    // The listing of a folder, or what is listed now.
    Names List(const CDATFolder* folder = nullptr)
    {
        if (folder)
            m_doc.ListFolder(folder, nullptr);
        Names out;
        for (const CDATItem* item : m_doc.m_listing)
            out.push_back(item->GetName());
        return out;
    }
    static Names Labels(const CTreeModel& tree, const std::vector<int>& nodes)
    {
        Names out;
        for (int n : nodes)
            out.push_back(tree.m_nodes[std::size_t(n)].m_strLabel);
        return out;
    }

    CTempDir m_dir;
    CFakeUiServices m_ui;
    CDATFileDoc m_doc{false};
    CCountingView m_tree, m_list;
};

TEST_F(ListingTest, ExampleFolderAndTypeTreesAndListings)
{
    std::string path = OpenExample();
    Names order;
    for (const CDATFolder& f : m_doc.m_folders)
        order.push_back(f.m_strName);
    EXPECT_EQ(order, (Names{"art", "text", "critters", "english", "intrface"}));

    CTreeModel tree = BuildTree(m_doc);
    ASSERT_EQ(tree.m_roots.size(), 1u);
    const CTreeNode& root = tree.m_nodes[std::size_t(tree.m_roots[0])];
    EXPECT_EQ(root.m_strLabel, path);
    EXPECT_TRUE(root.m_nImage == 7 && root.m_nSelectedImage == 9 && root.m_pFolder == &m_doc.m_rootFolder);
    ASSERT_EQ(Labels(tree, root.m_children), (Names{"art", "text"}));
    const CTreeNode& art = tree.m_nodes[std::size_t(root.m_children[0])];
    const CTreeNode& text = tree.m_nodes[std::size_t(root.m_children[1])];
    EXPECT_EQ(Labels(tree, art.m_children), (Names{"critters", "intrface"}));
    EXPECT_EQ(Labels(tree, text.m_children), (Names{"english"}));
    EXPECT_TRUE(art.m_pFolder == Folder("art") && art.m_nImage == 1 && art.m_nSelectedImage == 2);
    EXPECT_EQ(tree.m_nodes.size(), 6u);

    const std::pair<const CDATFolder*, Names> listings[] = {{Folder("art"), {"critters", "intrface"}},
                                                            {Folder("intrface"), {"a.frm", "b.frm"}},
                                                            {Folder("english"), {"d.msg"}},
                                                            {&m_doc.m_rootFolder, {"art", "text", "readme.txt"}}};
    for (const auto& [folder, names] : listings)
        EXPECT_EQ(List(folder), names);

    m_doc.SetViewMode(1);
    tree = BuildTree(m_doc);
    EXPECT_EQ(Labels(tree, tree.m_roots), (Names{"FRM files", "Msg files", "Text files"}));
    ASSERT_EQ(tree.m_nodes.size(), 3u);
    const CTreeNode& frm = tree.m_nodes[std::size_t(tree.m_roots[0])];
    EXPECT_TRUE(frm.m_nImage == 3 && frm.m_nSelectedImage == 3 && frm.m_children.empty());
    EXPECT_EQ(tree.m_nodes[std::size_t(tree.m_roots[2])].m_nImage, 4);
    EXPECT_EQ(frm.m_pType, m_doc.m_types.at("frm").get());

    m_doc.ListFileType(frm.m_pType, nullptr);
    EXPECT_EQ(List(), (Names{"a.frm", "b.frm", "c.frm"}));
}

TEST_F(ListingTest, ListingsNotifyEveryViewButTheSenderOnce)
{
    OpenExample();
    const int tree = m_tree.m_nUpdates, list = m_list.m_nUpdates;
    m_doc.ListFolder(Folder("art"), &m_tree);
    EXPECT_TRUE(m_tree.m_nUpdates == tree && m_list.m_nUpdates == list + 1 && m_list.m_lastSender == &m_tree);
    m_doc.ListFileType(m_doc.m_types.at("msg").get(), &m_list);
    EXPECT_TRUE(m_tree.m_nUpdates == tree + 1 && m_list.m_nUpdates == list + 1 && m_tree.m_lastSender == &m_list);
    m_doc.ListFolder(&m_doc.m_rootFolder, nullptr);
    EXPECT_TRUE(m_tree.m_nUpdates == tree + 2 && m_list.m_nUpdates == list + 2);
}

TEST_F(ListingTest, NothingLoadedLeavesListingAndViewsAlone)
{
    CDATFolder stale("stale", 1, nullptr, 99);
    for (const bool emptyArchive : {false, true}) {
        if (emptyArchive)
            Open({"a\\b.txt"}, false); // a data-size word of 0
        m_doc.m_listing = {&stale};
        const int tree = m_tree.m_nUpdates, list = m_list.m_nUpdates;
        m_doc.ListFolder(&m_doc.m_rootFolder, nullptr);
        m_doc.ListFileType(nullptr, nullptr);
        EXPECT_EQ(m_doc.m_listing, std::vector<CDATItem*>{&stale});
        EXPECT_EQ(m_tree.m_nUpdates + m_list.m_nUpdates, tree + list) << emptyArchive;
        EXPECT_TRUE(BuildFolderTree(m_doc).m_nodes.empty() && BuildTypeTree(m_doc).m_nodes.empty());
    }
    m_doc.m_listing.clear();
}

TEST_F(ListingTest, FolderListsFoldersThenFilesByTypeKeyThenNameWhereverTheyStand)
{
    Open({"f\\z.frm", "f\\a.cfg", "f\\m.h", "f\\sub\\q.txt", "f\\noext", "f\\B.frm", "f\\a.frm", "f\\Zed",
          "f\\Alpha"});
    EXPECT_EQ(List(Folder("f")), (Names{"Alpha", "noext", "sub", "Zed", "m.h", "a.cfg", "a.frm", "B.frm", "z.frm"}));

    // Files scattered through the directory.
    Open({"a\\1.txt", "b\\2.txt", "a\\3.txt", "a\\c\\4.txt", "b\\5.txt", "A\\0.txt"});
    EXPECT_EQ(List(Folder("a")), (Names{"c", "0.txt", "1.txt", "3.txt"}));
    EXPECT_EQ(List(Folder("b")), (Names{"2.txt", "5.txt"}));
    EXPECT_EQ(List(Folder("c")), (Names{"4.txt"}));

    // No folders at all: every file at the root, a tree of the root alone.
    Open({"b.txt", "a.frm", "c", "d.txt"});
    EXPECT_TRUE(m_doc.m_folders.empty());
    EXPECT_EQ(List(&m_doc.m_rootFolder), (Names{"c", "a.frm", "b.txt", "d.txt"}));
    CTreeModel tree = BuildFolderTree(m_doc);
    ASSERT_EQ(tree.m_nodes.size(), 1u);
    EXPECT_TRUE(tree.m_nodes[0].m_children.empty());
}

// Names are CP1251; queries come as UTF-8 and fold Cyrillic letters too.
TEST_F(ListingTest, MatchesComeFromTheWholeArchiveInDirectoryOrder)
{
    Open({"\xCF\xE0\xEF\xEA\xE0\\\xA8\xEB\xEA\xE0.txt", "art\\ab.frm", "art\\b\\abab.frm", "ab.txt", "art\\b\\c.frm"});
    const struct { std::string query; Names names; } finds[] = {
        {"ПАПКА/ёлка", {"\xA8\xEB\xEA\xE0.txt"}},
        {"a", {"ab.frm", "abab.frm", "ab.txt", "c.frm"}},
        {"ab", {"ab.frm", "abab.frm", "ab.txt"}}, // among the matches of "a"
        {"bab", {"abab.frm"}},
        {"ab", {"ab.frm", "abab.frm", "ab.txt"}}, // back again
        {"t\\a", {"ab.frm"}},                  // across a folder's end
        {"b\\", {"abab.frm", "c.frm"}},       // a folder's name, not a file's
        {"*a*b.frm", {"ab.frm", "abab.frm"}}, // a star goes back until the rest fits
        {"?b.*", {"ab.txt"}},
        {"*.frm*", {"ab.frm", "abab.frm", "c.frm"}},
        {std::string("t\0a", 3), {}},      // never across two paths
        {"", {}},
    };
    for (const auto& f : finds) {
        m_doc.ListMatches(f.query, nullptr, {});
        EXPECT_EQ(List(), f.names) << f.query;
        EXPECT_EQ(m_doc.m_nListingKind, CDATFileDoc::kListMatches);
    }
}

} // namespace
