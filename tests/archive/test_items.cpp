// The text slots and identity of folders and file entries.
#include "archive/datitem.h"
#include "filetypes/datfiletype.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// What a slot writes into a buffer of maxLength bytes; it must end it with a zero.
std::string Text(const CDATItem& item, void (CDATItem::*slot)(char*, int) const, int maxLength = 32)
{
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    (item.*slot)(buffer, maxLength);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

TEST(ItemTest, SlotsShowTheFullUnsignedRangeAndCutTextsToTheBufferWithItsZero)
{
    CDATFileType txt("Text files", "txt", 4);
    CDATFolder folder("dir", 1, nullptr, 5);
    CDATInternalFile big(&folder, 2, "a.txt", 4294967295u, 0, 1000000000u, &txt);
    EXPECT_EQ(Text(big, &CDATItem::GetSizeText, 11), "4294967295");
    EXPECT_EQ(Text(big, &CDATItem::GetPackedSizeText, 11), "1000000000");
    EXPECT_EQ(Text(big, &CDATItem::GetOffsetText, 11), "0");
    EXPECT_EQ(Text(big, &CDATItem::GetTypeText, 1), "");
    EXPECT_EQ(Text(big, &CDATItem::GetTypeText, 5), "Text");
    EXPECT_EQ(Text(big, &CDATItem::GetTypeText), "Text files");
    EXPECT_EQ(Text(folder, &CDATItem::GetTypeText, 4), "Fol");
    for (auto slot : {&CDATItem::GetSizeText, &CDATItem::GetPackedSizeText, &CDATItem::GetOffsetText})
        EXPECT_EQ(Text(folder, slot, 11), "");
    EXPECT_TRUE(big.IsCompressed());
    EXPECT_EQ(folder.m_pParent, &g_rootFolder);
}

TEST(ItemTest, CopyDropsCachePathAssignmentKeepsTargets)
{
    CDATFileType type("FRM files", "frm", 3);
    CDATFolder folder("dir", 1, nullptr, 9);
    CDATInternalFile source(&folder, 2, "a.frm", 10, 20, 5, &type);
    source.m_strCachePath = "/cash/a.frm";
    CDATInternalFile copy(source), target(nullptr, 1, "b.frm", 1, 1, 1, &type);
    target.m_strCachePath = "/cash/b.frm";
    target = source;
    EXPECT_EQ(copy.m_strCachePath, "");
    EXPECT_EQ(target.m_strCachePath, "/cash/b.frm");
    for (const CDATInternalFile* f : {&copy, &target})
        EXPECT_TRUE(f->m_strName == "a.frm" && f->m_pParent == &folder && f->m_nRealSize == 10 && f->m_nOffset == 20);
}

} // namespace
