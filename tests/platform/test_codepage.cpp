// Code pages of archive names and texts.
#include "platform/codepage.h"

#include <gtest/gtest.h>

TEST(CodePageTest, DecodesCyrillicOfBothPagesAndKeepsAscii)
{
    EXPECT_EQ(DecodeToUtf8("\xC0\xC1\xC2"), "АБВ");
    EXPECT_EQ(DecodeToUtf8("\xE0\xFF\xA8\xB8"), "аяЁё");
    EXPECT_EQ(DecodeToUtf8("\x80\x81\x82", CodePage::Cp866), "АБВ");
    EXPECT_EQ(DecodeToUtf8("\xA0\xEF\xF0\xF1", CodePage::Cp866), "аяЁё");
    EXPECT_EQ(DecodeToUtf16("\xC0z"), u"Аz");

    std::string ascii;
    for (int c = 1; c < 0x80; ++c)
        ascii += char(c);
    EXPECT_EQ(DecodeToUtf8(ascii), ascii);
    EXPECT_EQ(DecodeToUtf8(ascii, CodePage::Cp866), ascii);
}

TEST(CodePageTest, EncodeCp1251RoundTripsCyrillicAndWritesQuestionMarksForTheRest)
{
    const std::string text = "Привет, мир! ЁёЪъ №5 data\\файл.txt";
    const std::string bytes = EncodeCp1251(text);
    EXPECT_EQ(bytes.substr(0, 6), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(DecodeToUtf8(bytes), text);

    std::string all;
    for (int c = 1; c < 0x100; ++c)
        if (c != 0x98) // unassigned in the page
            all += char(c);
    EXPECT_EQ(EncodeCp1251(DecodeToUtf8(all)), all);

    EXPECT_EQ(EncodeCp1251("a日b"), "a?b");
    EXPECT_EQ(EncodeCp1251("x\xFFy"), "x?y"); // not UTF-8
    EXPECT_EQ(EncodeCp1251("\xEF\xBF\xBD"), "?"); // U+FFFD
}
