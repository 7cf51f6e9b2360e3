// The file layer: CFile failures, free-space queries and atomic files.
#include "helpers.h"
#include "platform/atomicfile.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"

#include <filesystem>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

template <class F>
CFileException::Cause Cause(F&& f)
{
    auto e = CatchException<CFileException>(f);
    return e ? e->m_cause : CFileException::none;
}

std::string g_probedFolder;
std::uint64_t RecordingProbe(const std::string& folder)
{
    g_probedFolder = folder;
    return 1234;
}

TEST(CFileTest, ReadPastEndAndSeekBeforeStartRaiseAndCreateTruncates)
{
    CTempDir dir;
    WriteWholeFile(dir / "f", "0123456789");
    {
        CFile f(dir / "f", CFile::modeRead);
        char buf[16];
        f.Seek(6, CFile::begin);
        EXPECT_EQ(Cause([&] { f.ReadExact(buf, 5); }), CFileException::endOfFile);
        EXPECT_EQ(f.ReadAt(8, buf, 16), 2u);
        EXPECT_EQ(std::string(buf, 2), "89");
        EXPECT_EQ(Cause([&] { f.Seek(-1, CFile::begin); }), CFileException::badSeek);
        EXPECT_EQ(Cause([&] { f.Seek(-11, CFile::end); }), CFileException::badSeek);
    }
    {
        CFile f(dir / "f", CFile::modeCreate | CFile::modeWrite);
        f.Write("new", 3);
    }
    EXPECT_EQ(ReadWholeFile(dir / "f"), "new");
}

TEST(CFileTest, ReadsAfterAPrefetchGiveWhatThePlainReadsGive)
{
    CTempDir dir;
    const std::string text = "0123456789";
    WriteWholeFile(dir / "f", text);
    const struct
    {
        std::uint64_t at;
        std::size_t length;
    } pieces[] = {{0, 10}, {2, 5}, {8, 100}, {10, 4}, {40, 4}, {0, 0}};
    for (const auto& piece : pieces) {
        CFile f(dir / "f", CFile::modeRead);
        f.Prefetch(piece.at, piece.length);
        CFile moved(std::move(f)); // the piece goes with the handle
        for (std::uint64_t at = 0; at <= 12; ++at)
            for (std::size_t count : {0, 1, 3, 10}) {
                char buf[16] = {};
                const std::size_t got = moved.ReadAt(at, buf, count);
                const std::string want = at < text.size() ? text.substr(at, count) : "";
                EXPECT_EQ(std::string(buf, got), want) << piece.at << "+" << piece.length << " read " << at << "+" << count;
            }
    }
    // A write through the handle drops what was held.
    CFile rw(dir / "f", CFile::modeReadWrite);
    rw.Prefetch(0, 10);
    rw.Write("ab", 2);
    char buf[4] = {};
    EXPECT_EQ(rw.ReadAt(0, buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "ab23");
}

TEST(FreeSpaceTest, MissingFoldersAreAnsweredByNearestExistingFolder)
{
    CTempDir dir;
    const std::string deep = dir / "a/b/c/file.bin";
    SetFreeSpaceProbe(RecordingProbe);
    EXPECT_EQ(GetFreeDiskSpaceKB(deep), 1234u);
    EXPECT_EQ(g_probedFolder, dir.Path().substr(0, dir.Path().size() - 1));
    SetFreeSpaceProbe(nullptr);

    EXPECT_NO_THROW(GetFreeDiskSpaceKB(deep));
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(Cause([] { GetFreeDiskSpaceKB(""); }), CFileException::badPath);
}

// Every way a file is written: unnamed and linked in, a sibling renamed (as
// on a file system without unnamed files), created in a folder of our own.
struct SWriteWay
{
    const char* name;
    bool sibling;
    CAtomicFile::EPlace place;
};

class AtomicFileTest : public ::testing::TestWithParam<SWriteWay>
{
protected:
    void SetUp() override
    {
        if (GetParam().sibling)
            ::setenv("DRAVIK_NO_TMPFILE", "1", 1);
    }
    void TearDown() override { ::unsetenv("DRAVIK_NO_TMPFILE"); }
};

TEST_P(AtomicFileTest, OnlyACommitReplacesTheFileOrLinkAndNothingIsLeftBeside)
{
    const CAtomicFile::EPlace place = GetParam().place;
    CTempDir dir, outside;
    {
        CAtomicFile out(dir / "new", place);
        out.File().Write("data", 4);
    }
    EXPECT_EQ(FileNames(dir.Path()).size(), 0u);
    WriteWholeFile(dir / "f", "old content, longer than the new");
    for (bool commit : {false, true}) {
        CAtomicFile out(dir / "f", place);
        out.File().Write("new", 3);
        EXPECT_EQ(ReadWholeFile(dir / "f"), "old content, longer than the new");
        if (commit)
            out.Commit();
    }
    EXPECT_EQ(ReadWholeFile(dir / "f"), "new");
    // A link in the way is replaced, and its target kept.
    WriteWholeFile(outside / "target", "keep");
    std::filesystem::create_symlink(outside / "target", dir / "g");
    CAtomicFile link(dir / "g", place);
    link.File().Write("xyz", 3);
    link.Commit();
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "g"));
    EXPECT_EQ(ReadWholeFile(dir / "g"), "xyz");
    EXPECT_EQ(ReadWholeFile(outside / "target"), "keep");
    // A commit that cannot replace (a folder holds the name) fails and leaves nothing.
    std::filesystem::create_directories(dir / "d/inner");
    CAtomicFile blocked(dir / "d", place);
    EXPECT_THROW(blocked.Commit(), CFileException);
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"d", "f", "g"}));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(dir / "f").permissions(), std::filesystem::perms(0666 & ~mask));
}

INSTANTIATE_TEST_SUITE_P(Ways, AtomicFileTest,
                         ::testing::Values(SWriteWay{"unnamed", false, CAtomicFile::EPlace::kAnyFolder},
                                           SWriteWay{"sibling", true, CAtomicFile::EPlace::kAnyFolder},
                                           SWriteWay{"ownFolder", false, CAtomicFile::EPlace::kFreshFolder},
                                           SWriteWay{"ownFolderSibling", true, CAtomicFile::EPlace::kFreshFolder},
                                           SWriteWay{"occupied", false, CAtomicFile::EPlace::kOccupied}),
                         [](const auto& way) { return std::string(way.param.name); });

} // namespace
