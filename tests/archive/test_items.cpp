// The text slots and identity of folders and file entries.
#include "archive/datitem.h"
#include "filetypes/datfiletype.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Text(const CDATItem& item, void (CDATItem::*slot)(char*, int) const, int maxLength = 32)
{
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    (item.*slot)(buffer, maxLength);
    return buffer;
}

TEST(ItemTest, FileSlotsShowTheFullUnsignedRangeAndTruncateTheType)
{
    CDATFileType frm("FRM files", "frm", 3), txt("Text files", "txt", 4);
    CDATFolder root(std::string(), 0, nullptr, 0);
    CDATInternalFile big(&root, 1, "a.frm", 4294967295u, 0, 1000000000u, &frm);
    EXPECT_EQ(Text(big, &CDATItem::GetSizeText, 11), "4294967295");
    EXPECT_EQ(Text(big, &CDATItem::GetPackedSizeText, 11), "1000000000");
    EXPECT_EQ(Text(big, &CDATItem::GetOffsetText, 11), "0");
    EXPECT_TRUE(big.IsCompressed());
    EXPECT_TRUE(big.m_pParent->IsRoot());

    CDATInternalFile file(&root, 1, "a.txt", 1, 2, 1, &txt);
    EXPECT_EQ(Text(file, &CDATItem::GetTypeText, 1), "");
    EXPECT_EQ(Text(file, &CDATItem::GetTypeText, 5), "Text");
    EXPECT_EQ(Text(file, &CDATItem::GetTypeText), "Text files");
    EXPECT_FALSE(file.IsCompressed());
    EXPECT_EQ(file.GetImage(), 4);
    EXPECT_EQ(file.GetTypeKey(), HashExtension("txt"));
}

TEST(ItemTest, FolderHasNoNumbersFolderImageAndTypeKeyZero)
{
    CDATFolder root(std::string(), 0, nullptr, 0);
    CDATFolder folder("dir", 1, &root, 5);
    EXPECT_EQ(Text(folder, &CDATItem::GetTypeText, 4), "Fol");
    EXPECT_EQ(Text(folder, &CDATItem::GetTypeText), "Folder");
    for (auto slot : {&CDATItem::GetSizeText, &CDATItem::GetPackedSizeText, &CDATItem::GetOffsetText})
        EXPECT_EQ(Text(folder, slot, 11), "");
    EXPECT_EQ(folder.GetImage(), 1);
    EXPECT_EQ(folder.GetTypeKey(), 0u);
    EXPECT_TRUE(folder.m_pParent == &root && root.IsRoot() && !folder.IsRoot());
}

TEST(ItemTest, CopyDropsCachePathAssignmentKeepsTargets)
{
    CDATFileType type("FRM files", "frm", 3);
    CDATFolder folder("dir", 1, nullptr, 9);
    CDATInternalFile source(&folder, 2, "a.frm", 10, 20, 5, &type);
    source.m_strCachePath = "/cash/a.frm";
    CDATInternalFile copy(source), target(&folder, 1, "b.frm", 1, 1, 1, &type);
    target.m_strCachePath = "/cash/b.frm";
    target = source;
    EXPECT_EQ(copy.m_strCachePath, "");
    EXPECT_EQ(target.m_strCachePath, "/cash/b.frm");
    for (const CDATInternalFile* f : {&copy, &target}) {
        EXPECT_TRUE(f->m_strName == "a.frm" && f->m_pParent == &folder && f->m_nDepth == 2 && f->m_pType == &type);
        EXPECT_TRUE(f->m_nRealSize == 10 && f->m_nOffset == 20 && f->m_nPackedSize == 5);
    }
}

} // namespace
