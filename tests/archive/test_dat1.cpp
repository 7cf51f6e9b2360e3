// The first game's archives: read into the same model as the second game's,
// every storage unpacked byte-identical, hostile directories and lying LZSS
// streams refused or reported as damage.
#include "archive/datitem.h"
#include "archive/extract.h"
#include "dat1writer.h"
#include "helpers.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "../reliability/reliability.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

const std::pair<const char*, SExtractOptions> kWays[] = {
    {"in memory", {.m_bKeepDamaged = true, .m_whole = EWholeEntry::kInMemory}},
    {"mapped", {.m_bKeepDamaged = true, .m_whole = EWholeEntry::kMapped}},
    {"streamed", {.m_bKeepDamaged = true, .m_bPad = false}},
};

SDat1EntryDef Entry(std::string folder, std::string name, std::string data, EDat1Storage storage,
                    const std::function<void(SDat1EntryDef&)>& tweak = {})
{
    SDat1EntryDef d{std::move(folder), std::move(name), std::move(data), storage};
    if (tweak)
        tweak(d);
    return d;
}

std::string Text(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i)
        s += "{" + std::to_string(100 + i % 37) + "}{}{A line of dialogue}\r\n";
    return s.substr(0, n);
}

class Dat1Test : public ::testing::Test
{
protected:
    void Open(const CDat1Writer& w, const SDat1Options& opt = {})
    {
        w.WriteTo(m_dir / "a.dat", opt);
        m_doc.LoadArchive(m_dir / "a.dat");
        m_archive.Open(m_dir / "a.dat", CFile::modeRead);
    }
    CTempDir m_dir, m_out;
    CDATFileDoc m_doc{false};
    CFile m_archive;
};

} // namespace

TEST_F(Dat1Test, EveryStorageListsAndUnpacksByteIdenticalEveryWay)
{
    const std::string text = Text(100000), noise = Noise(40000, 7), runs = std::string(70000, 'A') + Text(500);
    const std::string spaces = std::string(5000, ' ') + "x" + std::string(20, ' ');
    const std::string mixed = Text(30000) + noise + Text(30000);
    const struct { SDat1EntryDef def; std::string path; } cases[] = {
        {Entry(".", "COLOR.PAL", text.substr(0, 768), EDat1Storage::kStored), "COLOR.PAL"},
        {Entry(".", "EMPTY.TXT", "", EDat1Storage::kBlocks), "EMPTY.TXT"},
        {Entry("ART\\CRITTERS", "runs.frm", runs, EDat1Storage::kBlocks), "ART\\CRITTERS\\runs.frm"},
        {Entry("ART\\CRITTERS", "SPACES.TXT", spaces, EDat1Storage::kStream), "ART\\CRITTERS\\SPACES.TXT"},
        {Entry("art\\intrface", "text.msg", text, EDat1Storage::kBlocks), "ART\\intrface\\text.msg"},
        {Entry("art\\intrface", "MIXED.ACM", mixed, EDat1Storage::kBlocks, [](auto& d) { d.blockSize = 29120; }),
         "ART\\intrface\\MIXED.ACM"}, // one folder ART, spelt as first seen
        {Entry("SOUND", "ALL.ACM", noise, EDat1Storage::kBlocks, [](auto& d) { d.storeAll = true; }), "SOUND\\ALL.ACM"},
        {Entry("SOUND", "STREAM.ACM", mixed, EDat1Storage::kStream), "SOUND\\STREAM.ACM"},
        {Entry("SOUND", "PACKED.TXT", "   ABCABCABCD", EDat1Storage::kBlocks,
               [](auto& d) { d.packedBytes = std::string("\x00\x09\x2E\x00\x00\x41\x42\x43\xF1\xF3\x44", 11); }),
         "SOUND\\PACKED.TXT"},
        {Entry("SOUND", "TRAILING.ACM", mixed, EDat1Storage::kBlocks,
               [&](auto& d) { d.packedBytes = LzssBlocks(mixed, 29120) + std::string(2, '\0'); }), // never read
         "SOUND\\TRAILING.ACM"},
        {Entry("SOUND", "ZERO.TXT", "attribute 0 is one stream", EDat1Storage::kStream,
               [](auto& d) { d.attributes = 0; }), "SOUND\\ZERO.TXT"},
    };
    CDat1Writer w;
    for (const auto& c : cases)
        w.Add(c.def);
    for (int i = 0; i < 5000; ++i)
        w.Add(Entry("MANY", "F" + std::to_string(i) + ".TXT", Text(std::size_t(i % 50)), EDat1Storage::kStream));
    Open(w); // capacities of 1, as packers write them
    ASSERT_EQ(m_doc.m_files.size(), std::size(cases) + 5000);
    EXPECT_EQ(m_doc.m_nDatVersion, 1);
    ASSERT_NE(m_doc.m_pPaletteEntry, nullptr);
    EXPECT_EQ(m_doc.m_pPaletteEntry->m_strName, "COLOR.PAL");
    EXPECT_EQ(FindFolder(m_doc, "CRITTERS").m_pParent, FindFolder(m_doc, "intrface").m_pParent);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const CDATInternalFile& entry = FindFile(m_doc, cases[i].path);
        SCOPED_TRACE(cases[i].path);
        EXPECT_EQ(entry.m_nRealSize, cases[i].def.data.size());
        // What the archive holds for it: a stored entry's 0 in the packed field reads as its size.
        EXPECT_EQ(entry.m_nPackedSize, cases[i].def.storage == EDat1Storage::kStored ? cases[i].def.data.size()
                                                                                       : w.PackedBytes(i).size());
        for (const auto& [how, options] : kWays) {
            EXPECT_EQ(Extract(m_archive, entry, m_out / "out", options).m_nStatus, 0) << how;
            EXPECT_EQ(ReadWholeFile(m_out / "out"), cases[i].def.data) << how;
        }
    }
    EXPECT_EQ(ReadEntryData(m_archive, FindFile(m_doc, "MANY\\F4999.TXT")), Text(4999 % 50));
}

TEST_F(Dat1Test, HostileDirectoriesAreRefusedAndLeaveNothingLoaded)
{
    CDat1Writer good;
    good.Add(Entry("ART", "A.FRM", Text(3000), EDat1Storage::kBlocks));
    good.AddStored(".", "B.TXT", "plain");
    std::string deep; // 60 backslashes in the folder and 40 in the name: the path is over the limit
    while (deep.size() < 120)
        deep += "d\\";
    const struct { const char* what; std::function<void(CDat1Writer&, SDat1Options&)> tweak; } cases[] = {
        {"truncated directory", [](auto&, auto& o) { o.truncateTo = 30; }},
        {"no folders", [](auto&, auto& o) { o.folderCount = 0; }},
        {"folder count over the file", [](auto&, auto& o) { o.folderCount = 100000; }},
        {"folder value size", [](auto&, auto& o) { o.folderValueSize = 4; }},
        {"file value size", [](auto&, auto& o) { o.fileValueSize = 0; }},
        {"name without an end", [](auto&, auto& o) { o.truncateTo = 16 + 4 + 2 + 16 + 3; }},
        {"stored entry beyond the end", [](auto& w, auto&) { w.Add(Entry("ART", "C", "x", EDat1Storage::kStored, [](auto& d) { d.offset = 0xFFFFFFF0u; })); }},
        {"packed entry beyond the end", [](auto& w, auto&) { w.Add(Entry("ART", "C", "x", EDat1Storage::kBlocks, [](auto& d) { d.packedSize = 0xFFFFFFF0u; })); }},
        {"unknown attributes", [](auto& w, auto&) { w.Add(Entry("ART", "C", "x", EDat1Storage::kStored, [](auto& d) { d.attributes = 0x80; })); }},
        {"too many backslashes", [&](auto& w, auto&) { w.Add(Entry(deep, std::string(40, '\\') + "f", "x", EDat1Storage::kStored)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDat1Writer w = good;
        SDat1Options opt;
        c.tweak(w, opt);
        w.WriteTo(m_dir / "bad.dat", opt);
        EXPECT_THROW(m_doc.LoadArchive(m_dir / "bad.dat"), CException);
        EXPECT_TRUE(m_doc.m_files.empty() && m_doc.m_folders.empty() && m_doc.m_nDatVersion == 0);
    }
}

TEST_F(Dat1Test, LzssStreamsThatLieAreDamageStreamedUnpaddedAndPaddedInTheBrowser)
{
    const std::string text = Text(3000), packed = LzssCompress(text);
    auto block = [](const std::string& body) { return std::string{char(body.size() >> 8), char(body.size())} + body; };
    const struct { const char* what; SDat1EntryDef def; std::string unpacked; int status; } cases[] = {
        {"real size larger", Entry(".", "a", "", EDat1Storage::kStream, [&](auto& d) { d.realSize = 3001, d.packedBytes = packed; }), text, Z_DATA_ERROR},
        {"real size smaller", Entry(".", "a", "", EDat1Storage::kStream, [&](auto& d) { d.realSize = 2000, d.packedBytes = packed; }), text.substr(0, 2000), Z_BUF_ERROR},
        {"block cut short", Entry(".", "a", "", EDat1Storage::kBlocks, [&](auto& d) { d.realSize = 3000, d.packedBytes = block(packed).substr(0, 200); }), "", Z_DATA_ERROR},
        {"zero block header", Entry(".", "a", "", EDat1Storage::kBlocks, [&](auto& d) { d.realSize = 3000, d.packedBytes = std::string(4, '\0'); }), "", Z_DATA_ERROR},
        {"match before the output", Entry(".", "a", "", EDat1Storage::kBlocks, [&](auto& d) { d.realSize = 4, d.packedBytes = block(std::string("\x01Z\xF5\xF0", 4)); }), "Z", Z_DATA_ERROR},
        {"match with one byte left", Entry(".", "a", "", EDat1Storage::kBlocks, [&](auto& d) { d.realSize = 4, d.packedBytes = block(std::string("\x01Z\x05", 3)); }), "Z", Z_DATA_ERROR},
        {"more than packing can give", Entry(".", "a", "", EDat1Storage::kStream, [&](auto& d) { d.realSize = 100000, d.packedBytes = packed.substr(0, 100); }), "", Z_DATA_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDat1Writer w;
        w.Add(c.def);
        Open(w);
        const CDATInternalFile& entry = m_doc.m_files.at(0);
        const SExtractResult streamed = Extract(m_archive, entry, m_out / "s", kWays[2].second);
        EXPECT_EQ(streamed.m_nStatus, c.status);
        const std::string got = FileExists(m_out / "s") ? ReadWholeFile(m_out / "s") : "";
        EXPECT_EQ(got, c.unpacked.empty() ? text.substr(0, got.size()) : c.unpacked);
        for (const auto& [how, options] : {kWays[0], kWays[1]}) {
            EXPECT_EQ(Extract(m_archive, entry, m_out / "p", options).m_nStatus, c.status) << how;
            if (FileExists(m_out / "p")) {
                EXPECT_EQ(ReadWholeFile(m_out / "p").substr(0, got.size()), got) << how;
            }
        }
        EXPECT_EQ(Extract(m_archive, entry, m_out / "dropped", {}).m_nStatus, c.status);
        EXPECT_FALSE(FileExists(m_out / "dropped"));
        m_archive.Close();
        std::filesystem::remove(m_out / "p");
    }
}
