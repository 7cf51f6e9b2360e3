// The file layer: CFile failures, free-space queries and atomic files.
#include "platform/atomicfile.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"
#include "tempdir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

template <class F>
CFileException CatchFileException(F&& f)
{
    try {
        f();
    } catch (const CFileException& e) {
        return e;
    }
    ADD_FAILURE() << "no CFileException";
    return CFileException(CFileException::none, 0, {});
}

std::size_t CountEntries(const std::string& dir)
{
    return std::size_t(std::distance(std::filesystem::directory_iterator(dir), {}));
}

std::string g_probedFolder;
std::uint64_t RecordingProbe(const std::string& folder)
{
    g_probedFolder = folder;
    return 1234;
}

} // namespace

TEST(CFileTest, OpeningMissingFileRaisesFileNotFoundNamingThePath)
{
    CTempDir dir;
    const std::string path = dir / "missing.dat";
    CFileException e = CatchFileException([&] { CFile f(path, CFile::modeRead); });
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_strFileName, path);
    EXPECT_NE(e.GetErrorMessage().find(path), std::string::npos);
}

TEST(CFileTest, OpeningFolderFails)
{
    CTempDir dir;
    EXPECT_THROW(CFile(dir.Path(), CFile::modeRead), CFileException);
    EXPECT_THROW(CFile(dir.Path(), CFile::modeReadWrite), CFileException);
}

TEST(CFileTest, ReadPastEndAndSeekBeforeStartRaise)
{
    CTempDir dir;
    WriteWholeFile(dir / "f", "0123456789");
    CFile f(dir / "f", CFile::modeRead);
    char buf[16];
    f.Seek(6, CFile::begin);
    EXPECT_EQ(CatchFileException([&] { f.ReadExact(buf, 5); }).m_cause, CFileException::endOfFile);

    EXPECT_EQ(f.ReadAt(8, buf, 16), 2u);
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(CatchFileException([&] { f.Seek(-1, CFile::begin); }).m_cause, CFileException::badSeek);
    EXPECT_EQ(CatchFileException([&] { f.Seek(-11, CFile::end); }).m_cause, CFileException::badSeek);
}

TEST(CFileTest, ModeCreateTruncatesExistingFile)
{
    CTempDir dir;
    WriteWholeFile(dir / "f", "a long old content");
    {
        CFile f(dir / "f", CFile::modeCreate | CFile::modeWrite);
        f.Write("new", 3);
    }
    EXPECT_EQ(ReadWholeFile(dir / "f"), "new");
}

TEST(FreeSpaceTest, MissingFoldersAreAnsweredByNearestExistingFolder)
{
    CTempDir dir;
    const std::string existing = dir.Path().substr(0, dir.Path().size() - 1);
    const std::string deep = dir / "a/b/c/file.bin";

    SetFreeSpaceProbe(RecordingProbe);
    g_probedFolder.clear();
    EXPECT_EQ(GetFreeDiskSpaceKB(deep), 1234u);
    EXPECT_EQ(g_probedFolder, existing);
    SetFreeSpaceProbe(nullptr);

    EXPECT_NO_THROW(GetFreeDiskSpaceKB(deep));
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(CatchFileException([] { GetFreeDiskSpaceKB(""); }).m_cause, CFileException::badPath);
}

TEST(AtomicFileTest, UncommittedFileLeavesNothingAndKeepsOldContent)
{
    CTempDir dir;
    {
        CAtomicFile out(dir / "new");
        out.File().Write("data", 4);
    }
    EXPECT_EQ(CountEntries(dir.Path()), 0u);

    WriteWholeFile(dir / "old", "old");
    {
        CAtomicFile out(dir / "old");
        out.File().Write("replacement", 11);
    }
    EXPECT_EQ(ReadWholeFile(dir / "old"), "old");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

TEST(AtomicFileTest, CommitReplacesOldFileWithoutLeavingSibling)
{
    CTempDir dir;
    WriteWholeFile(dir / "f", "old content, longer than the new");
    {
        CAtomicFile out(dir / "f");
        out.File().Write("new", 3);
        EXPECT_EQ(ReadWholeFile(dir / "f"), "old content, longer than the new");
        out.Commit();
    }
    EXPECT_EQ(ReadWholeFile(dir / "f"), "new");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);

    WriteFileAtomically(dir / "g", "xyz", 3);
    EXPECT_EQ(ReadWholeFile(dir / "g"), "xyz");
    EXPECT_EQ(CountEntries(dir.Path()), 2u);
}
