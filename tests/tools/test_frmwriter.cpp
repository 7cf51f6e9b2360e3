// The picture fixtures: byte layouts the image handlers read, and the demo palette.
#include "frmwriter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

unsigned Be16(const std::string& s, std::size_t at)
{
    return unsigned(std::uint8_t(s[at])) << 8 | std::uint8_t(s[at + 1]);
}

unsigned Be32(const std::string& s, std::size_t at)
{
    return Be16(s, at) << 16 | Be16(s, at + 2);
}

unsigned Le16(const std::string& s, std::size_t at)
{
    return unsigned(std::uint8_t(s[at])) | unsigned(std::uint8_t(s[at + 1])) << 8;
}

} // namespace

TEST(FrmWriter, OneFrameLayout)
{
    const std::vector<std::uint8_t> px = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const std::string frm = BuildFrm(3, 5, px);
    ASSERT_EQ(frm.size(), 74u + 15);
    EXPECT_EQ(Be32(frm, 0), 4u);
    EXPECT_EQ(Be16(frm, 8), 1u);
    EXPECT_EQ(Be32(frm, 58), 12u + 15);
    EXPECT_EQ(Be16(frm, 62), 3u);
    EXPECT_EQ(Be16(frm, 64), 5u);
    EXPECT_EQ(Be32(frm, 66), 15u);
    EXPECT_EQ(Be32(frm, 70), 0u);
    EXPECT_EQ(frm.substr(74), std::string(px.begin(), px.end()));
    // Short pixels are padded with zero.
    EXPECT_EQ(BuildFrm(4, 2, {7}).substr(74), std::string("\x07\0\0\0\0\0\0\0", 8));
}

TEST(FrmWriter, LaterFramesDifferFromTheFirst)
{
    const std::string frm = BuildFrm(2, 2, {0, 1, 254, 255}, 3);
    ASSERT_EQ(frm.size(), 62u + 3 * (12 + 4));
    EXPECT_EQ(Be16(frm, 4), 10u);
    EXPECT_EQ(Be16(frm, 8), 3u);
    EXPECT_EQ(Be32(frm, 58), 3u * 16);
    const std::size_t second = 62 + 16;
    EXPECT_EQ(Be16(frm, second), 2u);
    EXPECT_EQ(Be16(frm, second + 2), 2u);
    EXPECT_EQ(Be32(frm, second + 4), 4u);
    EXPECT_EQ(frm.substr(74, 4), std::string("\x00\x01\xFE\xFF", 4));
    EXPECT_EQ(frm.substr(second + 12, 4), std::string("\x01\x02\xFF\x00", 4));
}

TEST(FrmWriter, PaletteAndRixLayout)
{
    Palette63 pal{};
    pal[0] = {63, 32, 0};
    pal[255] = {1, 2, 3};
    const std::string bytes = BuildPalette(pal);
    ASSERT_EQ(bytes.size(), 768u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x3F\x20\x00", 3));
    EXPECT_EQ(bytes.substr(765), std::string("\x01\x02\x03", 3));

    const std::string rix = BuildRix(300, 2, pal, std::vector<std::uint8_t>(600, 9));
    ASSERT_EQ(rix.size(), 778u + 600);
    EXPECT_EQ(rix.substr(0, 4), "RIX3");
    EXPECT_EQ(Le16(rix, 4), 300u);
    EXPECT_EQ(Le16(rix, 6), 2u);
    EXPECT_EQ(rix.substr(10, 768), bytes);
    EXPECT_EQ(rix.substr(778), std::string(600, '\x09'));
}

TEST(FrmWriter, DemoPaletteIsSixBitAndDistinctAndPicturesHaveDetail)
{
    const Palette63 pal = DemoPalette();
    std::set<std::array<std::uint8_t, 3>> seen;
    for (const auto& c : pal) {
        for (std::uint8_t v : c)
            EXPECT_LE(v, 63);
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_EQ(pal[0], (std::array<std::uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(pal[15], (std::array<std::uint8_t, 3>{63, 63, 63}));
    EXPECT_EQ(DemoIndex(kSlate, 15), 255);

    for (const auto& px : {LandscapePicture(64, 48), RingsPicture(64, 48), CheckerPicture(64, 48, 'Q')}) {
        EXPECT_EQ(px.size(), 64u * 48);
        EXPECT_GT(std::set<std::uint8_t>(px.begin(), px.end()).size(), 3u);
    }
    EXPECT_NE(CheckerPicture(40, 40, 'A'), CheckerPicture(40, 40, 'B'));
}
