// Extraction of archive entries to files: contents, damaged streams, space
// checks, and that a destination is written completely or not at all.
#include "archive/datfiledoc.h"
#include "archive/datitem.h"
#include "archive/extract.h"
#include "archive/playerresource.h"
#include "helpers.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"
#include "../reliability/reliability.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <zlib.h>

namespace {

std::string Text(std::size_t n)
{
    static const std::string line = "The quick brown fox jumps over the lazy dog 0123456789\n";
    std::string s;
    while (s.size() < n)
        s += line;
    s.resize(n);
    return s;
}

std::uint64_t g_freeKB = 0; // what the file system reports free

// Every way Extract writes an entry to a file, damaged ones kept.
const std::pair<const char*, SExtractOptions> kExtractors[] = {
    {"in memory", {.m_bKeepDamaged = true, .m_whole = EWholeEntry::kInMemory}},
    {"mapped", {.m_bKeepDamaged = true, .m_whole = EWholeEntry::kMapped}},
    {"streamed", {.m_bKeepDamaged = true, .m_bPad = false}},
};

class ExtractTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetFreeSpaceProbe(nullptr);
        SetPlayerResourceProvider({});
    }

    // Writes the archive to its own folder (outputs go to m_out) and opens it.
    void Open(const CDatWriter& writer)
    {
        m_archivePath = m_src / "test.dat";
        writer.WriteTo(m_archivePath);
        m_doc.LoadArchive(m_archivePath);
        m_archive.Open(m_archivePath, CFile::modeRead);
    }

    const CDATInternalFile& Entry(const std::string& name) { return FindFile(m_doc, name); }

    CTempDir m_src, m_out;
    std::string m_archivePath;
    CDATFileDoc m_doc{false};
    CFile m_archive;
};

// A zlib stream that yields "HELLO" in a stored block, then an invalid block type.
const std::string kHelloThenGarbage = std::string("\x78\x01\x00\x05\x00\xFA\xFF", 7) + "HELLO" + "\x07";

} // namespace

TEST_F(ExtractTest, EveryPathWritesStoredAndInflatedContentsExactly)
{
    const std::string text = Text(3000000), random = Noise(5000, 1), big = Noise(1500000, 3), none;
    CDatWriter w;
    w.AddStored("stored.bin", random);
    w.AddStored("empty.bin", "");
    w.AddStored("big.bin", big);           // more than one chunk when streamed
    w.AddCompressed("packed.txt", text);    // a stream of a few KiB that unpacks to MiBs
    w.AddCompressed("random.bin", random); // a stream larger than its data
    w.AddCompressed("bigrandom.bin", big);
    w.AddCompressed("empty.z", "");        // a stream yielding nothing
    Open(w);
    const std::pair<const char*, const std::string*> cases[] = {
        {"stored.bin", &random}, {"empty.bin", &none},      {"big.bin", &big},  {"packed.txt", &text},
        {"random.bin", &random}, {"bigrandom.bin", &big}, {"empty.z", &none}};
    for (const auto& [how, options] : kExtractors)
        for (auto [name, data] : cases) {
            SCOPED_TRACE(std::string(how) + " " + name);
            EXPECT_EQ(Extract(m_archive, Entry(name), m_out / "out", options).m_nStatus, 0);
            EXPECT_EQ(ReadWholeFile(m_out / "out"), *data);
        }
    EXPECT_EQ(FileNames(m_out.Path()), std::set<std::string>{"out"});
}

TEST_F(ExtractTest, DamagedStreamsReportZlibStatusPaddedInTheBrowserAndNeverWhenStreamed)
{
    CDatWriter streams;
    streams.AddCompressed("abc", "abc");
    streams.AddCompressed("long", Text(100));
    CDatWriter w;
    w.Add(Def("corrupt", "", [](SDatEntryDef& d) { d.realSize = 16, d.packedBytes = kHelloThenGarbage; }));
    w.Add(Def("short", "", [&](SDatEntryDef& d) { d.realSize = 10, d.packedBytes = streams.PackedBytes(0); }));
    w.Add(Def("long", "", [&](SDatEntryDef& d) { d.realSize = 50, d.packedBytes = streams.PackedBytes(1); }));
    w.Add(Def("cut", "", [&](SDatEntryDef& d) { d.realSize = 100, d.packedBytes = streams.PackedBytes(1).substr(0, 20); }));
    Open(w);
    const struct { const char* name; std::string unpacked; int status; } cases[] = { // unpacked: what came out
        {"corrupt", "HELLO", Z_DATA_ERROR},
        {"short", "abc", Z_DATA_ERROR}, // zlib calls a stream that ends short a success
        {"long", Text(50), Z_BUF_ERROR},
        {"cut", "", Z_DATA_ERROR}, // packed bytes end inside the stream
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CDATInternalFile& entry = Entry(c.name);
        const SExtractResult result = Extract(m_archive, entry, m_out / "streamed", kExtractors[2].second);
        const std::string streamed = ReadWholeFile(m_out / "streamed");
        EXPECT_EQ(result.m_nStatus, c.status);
        EXPECT_EQ(result.m_nStreamed, streamed.size());
        if (c.unpacked.empty())
            EXPECT_EQ(streamed, Text(100).substr(0, streamed.size()));
        else
            EXPECT_EQ(streamed, c.unpacked);
        // The browser's paths keep the real size, zeros after the damage, unless told not to keep it.
        const std::string padded = streamed + std::string(entry.m_nRealSize - streamed.size(), '\0');
        for (const auto& [how, options] : {kExtractors[0], kExtractors[1]}) {
            EXPECT_EQ(Extract(m_archive, entry, m_out / "padded", options).m_nStatus, c.status) << how;
            EXPECT_EQ(ReadWholeFile(m_out / "padded"), padded) << how;
        }
        EXPECT_EQ(Extract(m_archive, entry, m_out / "dropped", {}).m_nStatus, c.status);
        EXPECT_FALSE(FileExists(m_out / "dropped"));
    }
    EXPECT_EQ(FileNames(m_out.Path()), (std::set<std::string>{"padded", "streamed"}));
}

TEST_F(ExtractTest, FailedWriteKeepsOldDestinationAndLeavesNoTempFile)
{
    CDatWriter w;
    w.AddStored("stored", Noise(64 * 1024, 2));
    w.AddCompressed("packed", std::string(64 * 1024, 'A')); // tiny stream, large result
    Open(w);
    ASSERT_LT(Entry("packed").m_nPackedSize, 4096u);
    WriteWholeFile(m_out / "dest", "old");
    SetPlayerResourceProvider([] { return std::optional<std::string_view>("PLAYER"); });
    WriteWholeFile(m_src / "raw", w.PackedBytes(1));
    const std::string dest = m_out / "dest";
    const std::pair<const char*, std::function<void()>> writes[] = {
        {"ExtractEntry stored", [&] { ExtractEntry(m_archive, Entry("stored"), dest); }},
        {"ExtractEntry packed", [&] { ExtractEntry(m_archive, Entry("packed"), dest); }},
        {"ExtractEntryMapped stored", [&] { ExtractEntryMapped(m_archive, Entry("stored"), dest); }},
        {"ExtractEntryMapped packed", [&] { ExtractEntryMapped(m_archive, Entry("packed"), dest); }},
        {"CopyEntryBytes", [&] { CopyEntryBytes(m_archive, Entry("stored"), dest); }},
        {"streamed", [&] { Extract(m_archive, Entry("packed"), dest, {.m_bPad = false}); }},
        {"movie", [&] { ExtractMovieWithPlayer(m_src / "raw", dest, Entry("packed")); }},
    };
    for (const auto& [what, write] : writes) {
        SCOPED_TRACE(what);
        auto e = CatchException<CFileException>([&, &run = write] { // clang 14 cannot capture a binding
            CFileSizeLimit limit(4096);
            run();
        });
        EXPECT_TRUE(e && e->m_cause == CFileException::diskFull);
        EXPECT_TRUE(e && e->m_strFileName == dest); // not the vanished sibling
        EXPECT_TRUE(e && e->m_side == CFileException::destinationSide);
        EXPECT_EQ(ReadWholeFile(dest), "old");
        EXPECT_EQ(FileNames(m_out.Path()), std::set<std::string>{"dest"});
    }
}

TEST_F(ExtractTest, FreeSpaceIsCheckedInWholeKiBPackedForCopiesRealPlusPackedForMappedInflation)
{
    const std::string text = Noise(100000, 6) + Text(200000);
    CDatWriter w;
    for (std::size_t n : {1023, 1024, 70000})
        w.AddStored(std::to_string(n), Noise(n, unsigned(n)));
    w.AddCompressed("packed", text);
    Open(w);
    const CDATInternalFile& packed = Entry("packed");
    const std::uint64_t needKB = (std::uint64_t(packed.m_nRealSize) + packed.m_nPackedSize) / 1024;
    SetFreeSpaceProbe([](const std::string&) { return g_freeKB; });
    const struct { std::uint64_t freeKB; const char* entry; bool mapped, fits; } cases[] = {
        {0, "1023", false, true}, {0, "1024", false, false}, {68, "70000", false, true},
        {68, "70000", true, true}, // a stored entry goes straight to its file
        {needKB - 1, "packed", true, false}, {needKB, "packed", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + (c.mapped ? " mapped" : " copied") + " with " + std::to_string(c.freeKB));
        g_freeKB = c.freeKB;
        bool refused = false;
        try {
            if (c.mapped)
                ExtractEntryMapped(m_archive, Entry(c.entry), m_out / "out");
            else
                CopyEntryBytes(m_archive, Entry(c.entry), m_out / "out");
        } catch (const CFileException& e) {
            refused = true;
            EXPECT_TRUE(e.m_cause == CFileException::diskFull && e.m_lOsError == -1);
        }
        EXPECT_EQ(refused, !c.fits);
        EXPECT_EQ(FileExists(m_out / "out"), c.fits);
        std::filesystem::remove(m_out / "out");
    }
    auto bad = CatchException<CFileException>([&] { CopyEntryBytes(m_archive, Entry("1023"), ""); });
    EXPECT_TRUE(bad && bad->m_cause == CFileException::badPath);
    EXPECT_TRUE(FileNames(m_out.Path()).empty()); // not even a sibling or a packed copy
}
