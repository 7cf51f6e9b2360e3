// The 8-bit BMP the converters write, and CDib's loading, writing and refusals.
#include "formats/dib.h"
#include "formats/picture.h"
#include "handlertest.h"
#include "platform/file.h"

namespace {

std::uint32_t U32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + std::size_t(i)]);
    return v;
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + std::size_t(i)] = char(v >> (8 * i));
}

// A width x height picture whose pixel (x, y) is 10 * y + x + 1.
std::string Bmp8(std::uint32_t width, std::uint32_t height, const std::uint8_t* palette = nullptr)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            pixels[y * width + x] = std::uint8_t(10 * y + x + 1);
    std::uint8_t grey[768] = {};
    return BuildIndexedBmp(width, height, palette ? palette : grey, pixels.data());
}

std::uint64_t ReadBytes(CDib& dib, const std::string& bytes)
{
    CTempDir dir;
    WriteWholeFile(dir / "x.bmp", bytes);
    CFile file(dir / "x.bmp", CFile::modeRead);
    return dib.Read(file);
}

TEST(DibTest, ConverterWritesTheFixedHeaderAndBottomUpRowsPaddedToFour)
{
    const std::uint32_t strides[] = {4, 4, 4, 4, 8};
    for (std::uint32_t width = 1; width <= 5; ++width) {
        SCOPED_TRACE(width);
        const std::uint32_t stride = strides[width - 1];
        const std::string bmp = Bmp8(width, 3);
        ASSERT_EQ(bmp.size(), 1078u + 3 * stride);
        // bfSize, both reserved words, bfOffBits, biSize, width, height, planes
        // and depth; compression, image size, resolutions, colours used and important.
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        const std::uint32_t fields[] = {1078 + 3 * stride, 0, 1078, 40, width, 3, 0x80001, 0, 0, 0, 0, 256, 256};
        for (std::size_t i = 0; i < std::size(fields); ++i)
            EXPECT_EQ(U32(bmp, 2 + 4 * i), fields[i]) << "field " << i;
        // The picture's last row is stored first; padding is zero.
        for (std::uint32_t row = 0; row < 3; ++row)
            EXPECT_EQ(bmp.substr(1078 + std::size_t(row) * stride + width - 1, stride - width + 1),
                      char(10 * (2 - row) + width) + std::string(stride - width, '\0'));
        CDib dib;
        ASSERT_EQ(ReadBytes(dib, bmp), bmp.size());
        EXPECT_EQ(dib.Stride(), stride);
    }
}

TEST(DibTest, EightBitFileHasItsPaletteTimesFourLoadsWholeWritesBackAndReloadsAfresh)
{
    std::uint8_t palette[768] = {};
    palette[3] = 63, palette[4] = 32, palette[5] = 0; // entry 1
    palette[6] = 65, palette[7] = 64, palette[8] = 1; // entry 2 wraps
    const std::string bmp = Bmp8(5, 3, palette);
    EXPECT_EQ(bmp.substr(54 + 4, 4), std::string("\x00\x80\xFC\x00", 4));
    EXPECT_EQ(bmp.substr(54 + 8, 4), std::string("\x04\x00\x04\x00", 4));
    EXPECT_EQ(bmp.substr(54, 4), std::string(4, '\0')); // index 0 stays an ordinary colour

    CDib dib;
    EXPECT_EQ(ReadBytes(dib, bmp), bmp.size());
    ASSERT_EQ(dib.Palette().size(), 256u);
    EXPECT_EQ(dib.Palette()[1], 0xFC8000u);
    EXPECT_EQ(dib.Palette()[2], 0x040004u);
    EXPECT_TRUE(dib.Width() == 5 && dib.Height() == 3 && dib.NumColors() == 256 && dib.PaletteSize() == 1024);
    EXPECT_TRUE(dib.MakePalette());
    EXPECT_EQ(dib.Bits(), std::vector<std::uint8_t>(bmp.begin() + 1078, bmp.end()));

    CTempDir dir;
    {
        CFile out(dir / "w.bmp", CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(dib.Write(out), bmp.size());
    }
    std::string written = ReadWholeFile(dir / "w.bmp");
    EXPECT_EQ(U32(written, 34), 3u * 8); // biSizeImage filled in
    EXPECT_EQ(written.replace(34, 4, 4, '\0'), bmp);

    // A reload or Free drops the old picture's pixels; a picture without columns loads too.
    EXPECT_EQ(ReadBytes(dib, Bmp8(0, 212)), 1078u);
    ASSERT_GT(ReadBytes(dib, Bmp8(3, 3)), 0u);
    EXPECT_EQ(dib.Bitmap().m_nWidth, 3);
    dib.Free();
    EXPECT_TRUE(dib.Bitmap().IsEmpty());
}

TEST(DibTest, DamagedFilesAreRefusedAndLeaveTheDibEmpty)
{
    const std::string good = Bmp8(4, 4);
    auto with32 = [&](std::size_t at, std::uint32_t v) {
        std::string s = good;
        Put32(s, at, v);
        return s;
    };
    const std::string noBM = "X" + good.substr(1), bits7 = good.substr(0, 28) + '\x07' + good.substr(29);
    const std::pair<const char*, std::string> cases[] = {
        {"not BM", noBM},
        {"shorter than the file header", good.substr(0, 13)},
        {"shorter than bfOffBits", good.substr(0, 1000)},
        {"a row missing", good.substr(0, good.size() - 4)},
        {"bfOffBits inside the file header", with32(10, 10)},
        {"absurd width", with32(18, 100000)},
        {"absurd height", with32(22, 0x80000000u)},
        {"more colours than the depth has", with32(46, 300)},
        {"compressed", with32(30, 1)},
        {"unknown depth", bits7},
        {"empty file", std::string()},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        CDib dib;
        ASSERT_GT(ReadBytes(dib, good), 0u);
        EXPECT_EQ(ReadBytes(dib, bytes), 0u);
        EXPECT_TRUE(dib.IsEmpty() && dib.Width() == 0 && dib.Height() == 0 && dib.NumColors() == 0);
        EXPECT_FALSE(dib.MakePalette());
        CRecordingDC dc;
        EXPECT_EQ(dib.Draw(dc, {0, 0, 4, 4}, {0, 0, 4, 4}), 0);
        EXPECT_TRUE(dc.m_dibs.empty());
    }
}

} // namespace
