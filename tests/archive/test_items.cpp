// The text slots and identity of folders and file entries.
#include "archive/datitem.h"
#include "archive/datfiletype.h"

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
    CDATFolder root(std::string(), 0, nullptr, 0);
    CDATFolder folder("dir", 1, &root, 5);
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
    EXPECT_TRUE(folder.m_pParent == &root && root.IsRoot() && !folder.IsRoot());
}

} // namespace
