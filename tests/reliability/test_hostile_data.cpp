// Hostile archive, picture, bitmap and text data, including every input the
// fuzzers found a fault with: each is refused with a clear error naming the
// file, or read correctly, and never takes memory or disk that the bytes do
// not justify.
#include "reliability.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "cli/commands.h"
#include "formats/dib.h"
#include "formats/textdecode.h"
#include "helpers.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Bytes this process has handed to write() so far, on any file.
std::uint64_t BytesWritten()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "wchar:")
            return value;
    return 0;
}

void PutLe32(std::string& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// ---------------------------------------------------------------- archives

// Found by fuzz_dirparser: a few-byte compressed entry claiming 752 MiB made
// ExtractEntry allocate and write all of it.
TEST(HostileArchiveTest, ASizeThePackedBytesCannotHoldIsDamageBeforeAnythingIsTaken)
{
    CTempDir dir;
    CDatWriter w;
    for (std::uint32_t claim : {788529152u, std::uint32_t((Zlib("x").size() + 1) * 1032)}) // the second just possible
        w.Add(Def(std::to_string(claim), "x", [&](SDatEntryDef& d) { d.packedBytes = Zlib("x"), d.realSize = claim; }));
    w.WriteTo(dir / "a.dat");
    CDATFileDoc doc(false);
    doc.LoadArchive(dir / "a.dat");
    CFile archive(dir / "a.dat", CFile::modeRead);
    for (bool keep : {true, false}) {
        EXPECT_EQ(ExtractEntry(archive, doc.m_files[0], dir / "out", keep), Z_DATA_ERROR);
        EXPECT_EQ(ExtractEntryMapped(archive, doc.m_files[0], dir / "out", keep), Z_DATA_ERROR);
        EXPECT_FALSE(FileExists(dir / "out"));
    }
    EXPECT_THROW(ReadEntryData(archive, doc.m_files[0]), CArchiveException);
    EXPECT_EQ(ExtractEntry(archive, doc.m_files[1], dir / "out"), Z_DATA_ERROR);
    EXPECT_EQ(fs::file_size(dir / "out"), doc.m_files[1].m_nRealSize);
}

// Entries that share one damaged block, each claiming a thousand times its
// size: the command line writes nothing that did not unpack, keeps nothing of
// a damaged entry unless asked, and names each one.
TEST(HostileArchiveTest, CommandLineWritesOnlyWhatUnpacksFromASharedDamagedBlock)
{
    CTempDir dir;
    const std::string noise = Noise(20000);
    const std::string block = Zlib(noise).substr(0, 16384); // ends short
    CDatWriter w;
    for (int i = 0; i < 10; ++i)
        w.Add(Def("e" + std::to_string(i) + ".bin", "", [&](SDatEntryDef& d) {
            d.packedBytes = i == 0 ? block : std::string(), d.offset = 0;
            d.packedSize = std::uint32_t(block.size()), d.realSize = std::uint32_t(block.size() * 1000);
        }));
    const std::string archive = dir / "a.dat";
    w.WriteTo(archive);

    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "--keep-damaged" : "default");
        const std::string out = dir / (keep ? "kept" : "out");
        const std::uint64_t before = BytesWritten();
        int status = -1;
        const std::string err = CaptureStderr([&] { status = ExtractArchive(archive, out, {}, 2, keep); });
        EXPECT_LT(BytesWritten() - before, 2u << 20);
        EXPECT_EQ(status, kExitFailure);
        for (int i = 0; i < 10; ++i)
            EXPECT_NE(err.find("'e" + std::to_string(i) + ".bin' is damaged"), std::string::npos) << err;
        EXPECT_EQ(CountFiles(out), keep ? 10u : 0u);
        const std::string kept = keep ? ReadWholeFile(out + "/e9.bin") : noise.substr(0, 1);
        EXPECT_TRUE(!kept.empty() && kept == noise.substr(0, kept.size())); // the bytes that unpacked
    }
}

// ---------------------------------------------------------------- bitmaps

// A true-colour bitmap may carry a colour table of up to 65,535 entries; its
// size in bytes no longer fits 16 bits and must not wrap when written.
TEST(HostileBitmapTest, ALargeColourTableIsWrittenWholeAndReadsBackTheSame)
{
    for (std::uint32_t colours : {16383u, 16384u, 16385u, 65535u}) {
        SCOPED_TRACE(colours);
        const std::uint32_t offBits = 14 + 40 + 4 * colours;
        std::string bmp(offBits + 16, '\0'); // 2 x 2 pixels of 24 bits: rows of 8 bytes
        for (auto [at, value] : {std::pair<std::size_t, std::uint32_t>{2, offBits + 16}, {10, offBits}, {14, 40}, {18, 2},
                                 {22, 2}, {26, 1 | (24 << 16)}, {46, colours}})
            PutLe32(bmp, at, value);
        bmp[0] = 'B';
        bmp[1] = 'M';
        for (std::uint32_t i = 0; i < colours; ++i)
            PutLe32(bmp, 54 + 4 * i, i);
        CDib dib;
        ASSERT_EQ(dib.ReadFromMemory(bmp), bmp.size());
        ASSERT_EQ(dib.Palette().size(), colours);

        CTempDir dir;
        {
            CFile file(dir / "out.bmp", CFile::modeReadWrite | CFile::modeCreate);
            EXPECT_EQ(dib.Write(file), bmp.size());
        }
        const std::string written = ReadWholeFile(dir / "out.bmp");
        CDib again;
        ASSERT_EQ(again.ReadFromMemory(written), written.size());
        EXPECT_EQ(again.Palette(), dib.Palette());
        EXPECT_EQ(again.Bits(), dib.Bits());
    }
}

// ---------------------------------------------------------------- texts

TEST(HostileTextTest, EveryEncodingTurnsAnyBytesIntoValidUtf8)
{
    const std::string samples[] = {
        "\xC0\xAF",                 // overlong '/'
        "\xED\xA0\x80",             // a UTF-16 surrogate
        "abc\xE2\x82",              // a sequence cut at the end
        "\x80\x80\xBF",             // continuation bytes alone
        "\xF5\x80\x80\x80",         // beyond U+10FFFF
        "\x98\x98",                 // no character in CP1251
        "\xA4",                     // a Big5 lead byte at the end
        "\x81\x30",                 // half of a GBK four-byte sequence
        "\x82",                     // a Shift-JIS lead byte alone
        std::string(3, '\0') + "z", // zero bytes
    };
    for (const std::string& bytes : samples)
        for (const STextEncodingInfo& info : TextEncodings()) {
            const std::string text = DecodeText(bytes, info.m_id);
            EXPECT_TRUE(IsValidUtf8(text)) << info.m_szKey << " " << ::testing::PrintToString(bytes);
        }
    EXPECT_EQ(DecodeText("\x98", ETextEncoding::Cp1251), "\xEF\xBF\xBD");
}

} // namespace
