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

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

std::string RandomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(gen() & 0xFF);
    return s;
}

std::string Text(std::size_t n)
{
    static const std::string line = "The quick brown fox jumps over the lazy dog 0123456789\n";
    std::string s;
    while (s.size() < n)
        s += line;
    s.resize(n);
    return s;
}

// Makes the file system report a fixed number of free KiB.
std::uint64_t g_freeKB = 0;
std::uint64_t FixedFreeSpace(const std::string&)
{
    return g_freeKB;
}

// Writes beyond `bytes` fail with EFBIG while this lives.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

using Extractor = std::function<void(CFile&, const CDATInternalFile&, const std::string&)>;
struct SExtractor
{
    const char* name;
    Extractor run;
};
const SExtractor kExtractors[] = {
    {"ExtractEntry", [](CFile& a, const CDATInternalFile& e, const std::string& p) { ExtractEntry(a, e, p); }},
    {"ExtractEntryMapped",
     [](CFile& a, const CDATInternalFile& e, const std::string& p) { ExtractEntryMapped(a, e, p); }},
    {"CopyEntryBytes", [](CFile& a, const CDATInternalFile& e, const std::string& p) { CopyEntryBytes(a, e, p); }},
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

TEST_F(ExtractTest, ExtractEntryWritesStoredAndInflatedContentsExactly)
{
    const std::string text = Text(100000), random = RandomBytes(5000, 1), none;
    CDatWriter w;
    w.AddStored("stored.bin", random);
    w.AddStored("empty.bin", "");
    w.AddCompressed("packed.txt", text);
    w.AddCompressed("random.bin", random); // a stream larger than its data
    w.AddCompressed("empty.z", "");        // a stream yielding nothing
    Open(w);
    ASSERT_TRUE(Entry("random.bin").IsCompressed() && Entry("empty.z").IsCompressed());

    const std::pair<const char*, const std::string*> cases[] = {{"stored.bin", &random}, {"empty.bin", &none},
                                                                {"packed.txt", &text},   {"random.bin", &random},
                                                                {"empty.z", &none}};
    for (auto [name, data] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ExtractEntry(m_archive, Entry(name), m_out / name), 0);
        EXPECT_EQ(ReadWholeFile(m_out / name), *data);
        EXPECT_EQ(ExtractEntryMapped(m_archive, Entry(name), m_out / "mapped"), 1);
        EXPECT_EQ(ReadWholeFile(m_out / "mapped"), *data);
    }
    EXPECT_EQ(FileNames(m_out.Path()), (std::set<std::string>{"stored.bin", "empty.bin", "packed.txt", "random.bin",
                                                          "empty.z", "mapped"}));
}

TEST_F(ExtractTest, DamagedStreamsReportZlibStatusAndPadWithZerosToRealSize)
{
    CDatWriter streams;
    streams.AddCompressed("abc", "abc");
    streams.AddCompressed("long", Text(100));
    const std::string shortStream = streams.PackedBytes(0), longStream = streams.PackedBytes(1);

    CDatWriter w;
    w.Add(Def("corrupt", "", [](SDatEntryDef& d) { d.realSize = 16, d.packedBytes = kHelloThenGarbage; }));
    w.Add(Def("short", "", [&](SDatEntryDef& d) { d.realSize = 10, d.packedBytes = shortStream; }));
    w.Add(Def("long", "", [&](SDatEntryDef& d) { d.realSize = 50, d.packedBytes = longStream; }));
    Open(w);

    struct SCase
    {
        const char* name;
        std::string expected;
        int status; // 0: any negative status
    };
    const SCase cases[] = {
        {"corrupt", "HELLO" + std::string(11, '\0'), Z_DATA_ERROR},
        {"short", "abc" + std::string(7, '\0'), 0},
        {"long", Text(50), Z_BUF_ERROR},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int plain = ExtractEntry(m_archive, Entry(c.name), m_out / "plain");
        EXPECT_EQ(ReadWholeFile(m_out / "plain"), c.expected);
        const int mapped = ExtractEntryMapped(m_archive, Entry(c.name), m_out / "mapped");
        EXPECT_EQ(ReadWholeFile(m_out / "mapped"), c.expected);
        EXPECT_LT(plain, 0);
        EXPECT_EQ(mapped, plain);
        if (c.status != 0) {
            EXPECT_EQ(plain, c.status);
        }
    }
    EXPECT_EQ(FileNames(m_out.Path()), (std::set<std::string>{"plain", "mapped"}));
}

TEST_F(ExtractTest, EntryBeyondArchiveEndRaisesEndOfFileAndWritesNothing)
{
    CDatWriter w;
    w.Add(Def("big", Text(100), [](SDatEntryDef& d) { d.packedSize = 1000000; }));
    w.Add(Def("far", Text(100), [](SDatEntryDef& d) { d.offset = 0xFFFFFF00u; }));
    Open(w);
    WriteWholeFile(m_out / "dest", "old");
    for (const SExtractor& x : kExtractors)
        for (const char* name : {"big", "far"}) {
            SCOPED_TRACE(std::string(x.name) + " " + name);
            auto e = CatchException<CFileException>([&] { x.run(m_archive, Entry(name), m_out / "dest"); });
            EXPECT_TRUE(e && e->m_cause == CFileException::endOfFile && e->m_strFileName == m_archivePath);
            EXPECT_EQ(ReadWholeFile(m_out / "dest"), "old");
            EXPECT_EQ(FileNames(m_out.Path()), std::set<std::string>{"dest"});
        }
}

TEST_F(ExtractTest, ExtractEntryRefusesRealSizeOverOneGiB)
{
    CDatWriter w;
    w.Add(Def("huge", "abc", [](SDatEntryDef& d) { d.realSize = kMaxInMemoryEntry + 1; })); // inside the archive
    Open(w);
    EXPECT_THROW(ExtractEntry(m_archive, Entry("huge"), m_out / "huge"), CFileException);
    EXPECT_TRUE(FileNames(m_out.Path()).empty());
}

TEST_F(ExtractTest, FailedWriteKeepsOldDestinationAndLeavesNoTempFile)
{
    CDatWriter w;
    w.AddStored("stored", RandomBytes(64 * 1024, 2));
    w.AddCompressed("packed", std::string(64 * 1024, 'A')); // tiny stream, large result
    Open(w);
    ASSERT_LT(Entry("packed").m_nPackedSize, 4096u);
    WriteWholeFile(m_out / "dest", "old");

    SetPlayerResourceProvider([] { return std::optional<std::string_view>("PLAYER"); });
    WriteWholeFile(m_src / "raw", w.PackedBytes(1));
    std::vector<std::pair<std::string, std::function<void()>>> writes;
    for (const SExtractor& x : kExtractors)
        for (const char* entry : {"stored", "packed"})
            if (x.name != std::string("CopyEntryBytes") || entry != std::string("packed")) // that stream fits
                writes.emplace_back(std::string(x.name) + " " + entry,
                                    [&, entry] { x.run(m_archive, Entry(entry), m_out / "dest"); });
    writes.emplace_back("movie", [&] { ExtractMovieWithPlayer(m_src / "raw", m_out / "dest", Entry("packed")); });
    for (const auto& [what, write] : writes) {
        SCOPED_TRACE(what);
        auto e = CatchException<CFileException>([&, &run = write] { // clang 14 cannot capture a binding
            CFileSizeLimit limit(4096);
            run();
        });
        EXPECT_TRUE(e && e->m_cause == CFileException::diskFull);
        EXPECT_TRUE(e && e->m_strFileName == m_out / "dest"); // not the vanished sibling
        EXPECT_EQ(ReadWholeFile(m_out / "dest"), "old");
        EXPECT_EQ(FileNames(m_out.Path()), std::set<std::string>{"dest"});
    }
}

TEST_F(ExtractTest, SymbolicLinkDestinationIsReplacedAndItsTargetKept)
{
    const std::string data = Text(3000);
    CDatWriter w;
    w.AddStored("a", data);
    Open(w);
    CTempDir outside;
    WriteWholeFile(outside / "target", "keep");
    for (const SExtractor& x : kExtractors) {
        SCOPED_TRACE(x.name);
        const std::string link = m_out / x.name;
        ASSERT_EQ(::symlink((outside / "target").c_str(), link.c_str()), 0);
        x.run(m_archive, Entry("a"), link);
        struct stat st;
        ASSERT_EQ(::lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(ReadWholeFile(link), data);
        EXPECT_EQ(ReadWholeFile(outside / "target"), "keep");
    }
}

TEST_F(ExtractTest, CopyEntryBytesWritesExactlyThePackedBytesAfterAFreeSpaceCheckInWholeKiB)
{
    const std::size_t sizes[] = {0, 1023, 1024, 4095, 4096, 4097, 70000};
    CDatWriter w;
    for (std::size_t n : sizes)
        w.AddStored(std::to_string(n), RandomBytes(n, unsigned(n)));
    w.AddCompressed("packed", Text(20000));
    Open(w);
    for (std::size_t i = 0; i < w.Count(); ++i) {
        const std::string name = i < std::size(sizes) ? std::to_string(sizes[i]) : "packed";
        SCOPED_TRACE(name);
        CopyEntryBytes(m_archive, Entry(name), m_out / name);
        EXPECT_EQ(ReadWholeFile(m_out / name), w.PackedBytes(i));
    }

    g_freeKB = 0;
    SetFreeSpaceProbe(FixedFreeSpace);
    CopyEntryBytes(m_archive, Entry("1023"), m_out / "again");
    EXPECT_EQ(ReadWholeFile(m_out / "again").size(), 1023u);
    auto full = CatchException<CFileException>([&] { CopyEntryBytes(m_archive, Entry("1024"), m_out / "1024b"); });
    EXPECT_TRUE(full && full->m_cause == CFileException::diskFull && full->m_lOsError == -1);
    auto bad = CatchException<CFileException>([&] { CopyEntryBytes(m_archive, Entry("1023"), ""); });
    EXPECT_TRUE(bad && bad->m_cause == CFileException::badPath);
    EXPECT_EQ(FileNames(m_out.Path()).size(), std::size(sizes) + 2); // nothing for the failures, not even a sibling
}

TEST_F(ExtractTest, ExtractEntryMappedNeedsRealPlusPackedKiBForCompressedEntries)
{
    const std::string text = RandomBytes(100000, 6) + Text(200000), random = RandomBytes(300000, 5);
    CDatWriter w;
    w.AddCompressed("packed", text);
    w.AddStored("stored", random);
    Open(w);
    const CDATInternalFile& packed = Entry("packed");
    const std::uint64_t needKB = (std::uint64_t(packed.m_nRealSize) + packed.m_nPackedSize) / 1024;
    const std::string dest = m_out / "packed";
    SetFreeSpaceProbe(FixedFreeSpace);

    g_freeKB = needKB - 1;
    auto e = CatchException<CFileException>([&] { ExtractEntryMapped(m_archive, packed, dest); });
    EXPECT_TRUE(e && e->m_cause == CFileException::diskFull);
    EXPECT_TRUE(FileNames(m_out.Path()).empty());

    g_freeKB = needKB;
    EXPECT_EQ(ExtractEntryMapped(m_archive, packed, dest), 1);
    EXPECT_EQ(ReadWholeFile(dest), text);
    EXPECT_FALSE(FileExists(dest + ".tmp"));

    // A stored entry goes straight to its file: its packed size is all it needs.
    g_freeKB = random.size() / 1024;
    EXPECT_EQ(ExtractEntryMapped(m_archive, Entry("stored"), m_out / "stored"), 1);
    EXPECT_EQ(ReadWholeFile(m_out / "stored"), random);
    EXPECT_EQ(FileNames(m_out.Path()), (std::set<std::string>{"packed", "stored"}));
}

TEST_F(ExtractTest, MovieWithPlayerIsExecutablePlayerFollowedByMovieAndNeedsThePlayer)
{
    const std::string player("MZ\x90\0fake player\xFF", 17), movie = Text(50000);
    CDatWriter w;
    w.AddCompressed("packed.smk", movie);
    w.AddStored("stored.smk", movie);
    Open(w);
    const std::string raw = m_src / "raw", dest = m_out / "movie.exe";
    const PlayerResourceProvider without[] = {{}, [] { return std::optional<std::string_view>(); }};
    for (std::size_t i = 0; i < w.Count(); ++i) {
        const CDATInternalFile& entry = Entry(i == 0 ? "packed.smk" : "stored.smk");
        SCOPED_TRACE(entry.m_strName);
        WriteWholeFile(raw, w.PackedBytes(i));
        SetPlayerResourceProvider([&] { return std::optional<std::string_view>(player); });
        EXPECT_EQ(ExtractMovieWithPlayer(raw, dest, entry), 0);
        EXPECT_EQ(ReadWholeFile(dest), player + movie);
        struct stat st;
        ASSERT_EQ(::stat(dest.c_str(), &st), 0);
        EXPECT_TRUE(st.st_mode & S_IXUSR);
        std::filesystem::remove(dest);
        // Without a player (no provider, or one with nothing): a resource error and no file.
        for (const PlayerResourceProvider& p : without) {
            SetPlayerResourceProvider(p);
            EXPECT_THROW(ExtractMovieWithPlayer(raw, dest, entry), CResourceException);
            EXPECT_TRUE(FileNames(m_out.Path()).empty());
        }
    }
}
