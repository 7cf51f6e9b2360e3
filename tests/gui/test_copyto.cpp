// Copy of the selected files into a chosen folder.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "platform/exceptions.h"
#include "tempdir.h"
#include "views/copyto.h"
#include "views/filelist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CopyToTest : public ::testing::Test
{
protected:
    CopyToTest()
    {
        m_out = m_dir / "out";
        fs::create_directory(m_out);
        m_ui.m_folderAnswer = m_out;
    }

    // Root listing of: folder "sub", then a.txt, b.txt, c.txt (folders sort first).
    void OpenPlain()
    {
        CDatWriter w;
        w.AddStored("a.txt", "alpha");
        w.AddCompressed("b.txt", std::string(500, 'b'));
        w.AddStored("c.txt", "gamma");
        w.AddStored("sub\\d.txt", "delta");
        Open(w);
        m_doc.ListFolder(&g_rootFolder, nullptr);
        ASSERT_EQ(m_doc.m_listing.size(), 4u);
    }

    void Open(const CDatWriter& w)
    {
        m_archive = m_dir / "test.dat";
        w.WriteTo(m_archive);
        ASSERT_TRUE(m_doc.OpenDocumentFile(m_archive));
    }

    std::string Out(const std::string& name) const { return m_out + "/" + name; }
    SCopyResult Copy(const std::vector<int>& rows) { return CopySelectedFiles(m_doc, rows, nullptr); }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_out, m_archive;
    CDATFileDoc m_doc{false};
};

TEST_F(CopyToTest, WritesEveryFileWithProgressAndSkipsFolders)
{
    OpenPlain();
    const SCopyResult result = Copy({0, 1, 2, 3});
    EXPECT_EQ(result.m_nWritten, 3);
    EXPECT_FALSE(result.m_bStopped);
    EXPECT_TRUE(result.m_damaged.empty());
    EXPECT_EQ(FilesIn(m_out), std::vector<std::string>({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(ReadWholeFile(Out("b.txt")), std::string(500, 'b'));
    EXPECT_EQ(ReadWholeFile(Out("c.txt")), "gamma");

    ASSERT_EQ(m_ui.m_folderTitles.size(), 1u);
    EXPECT_EQ(m_ui.m_folderTitles[0], "Сохранение выбранных элементов");
    const auto& log = m_ui.m_progressLog;
    EXPECT_TRUE(log.opened);
    EXPECT_EQ(log.caption, "Копирование...");
    EXPECT_EQ(log.lower, 1);
    EXPECT_EQ(log.upper, 5);
    EXPECT_EQ(log.polls, 4);
    EXPECT_EQ(log.advances, 4); // the folder takes its step too
    EXPECT_EQ(log.statusLines, std::vector<std::string>({Out("a.txt"), Out("b.txt"), Out("c.txt")}));
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(CopyToTest, CancelledChooserDoesNothing)
{
    OpenPlain();
    m_ui.m_folderAnswer.reset();
    const SCopyResult result = Copy({1, 2});
    EXPECT_EQ(result.m_nWritten, 0);
    EXPECT_FALSE(m_ui.m_progressLog.opened);
    EXPECT_TRUE(FilesIn(m_out).empty());
}

TEST_F(CopyToTest, ChosenFolderWithTrailingSlashGetsNoSecondOne)
{
    OpenPlain();
    m_ui.m_folderAnswer = m_out + "/";
    Copy({1});
    ASSERT_EQ(m_ui.m_progressLog.statusLines.size(), 1u);
    EXPECT_EQ(m_ui.m_progressLog.statusLines[0], Out("a.txt"));
}

TEST_F(CopyToTest, OnlyFoldersSelectedWritesNothing)
{
    CDatWriter w;
    w.AddStored("x\\1.txt", "1");
    w.AddStored("y\\2.txt", "2");
    Open(w);
    m_doc.ListFolder(&g_rootFolder, nullptr);
    const SCopyResult result = Copy({0, 1});
    EXPECT_EQ(result.m_nWritten, 0);
    EXPECT_TRUE(m_ui.m_progressLog.opened);
    EXPECT_EQ(m_ui.m_progressLog.advances, 2);
    EXPECT_TRUE(m_ui.m_progressLog.statusLines.empty());
    EXPECT_TRUE(FilesIn(m_out).empty());
}

TEST_F(CopyToTest, OverwriteNoKeepsTheOldFileYesReplacesIt)
{
    OpenPlain();
    WriteWholeFile(Out("a.txt"), "old a");
    WriteWholeFile(Out("c.txt"), "old c");
    m_ui.m_answers = {IDNO, IDYES};
    const SCopyResult result = Copy({1, 3});
    EXPECT_EQ(ReadWholeFile(Out("a.txt")), "old a");
    EXPECT_EQ(ReadWholeFile(Out("c.txt")), "gamma");
    EXPECT_EQ(result.m_nWritten, 1);
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Файл " + Out("a.txt") + " существует. Заменить его?");
    EXPECT_EQ(m_ui.m_messages[0].caption, "Предупреждение");
    EXPECT_EQ(m_ui.m_messages[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(m_ui.m_progressLog.advances, 2);
}

TEST_F(CopyToTest, DanglingSymlinkCountsAsExisting)
{
    OpenPlain();
    ASSERT_EQ(::symlink((m_dir / "nowhere").c_str(), Out("a.txt").c_str()), 0);
    m_ui.m_answers = {IDNO};
    Copy({1});
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_TRUE(fs::is_symlink(Out("a.txt")));
    EXPECT_FALSE(fs::exists(m_dir / "nowhere"));
}

TEST_F(CopyToTest, CancelAnsweredNoGoesOnYesStops)
{
    OpenPlain();
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_ui.m_answers = {IDNO};
    SCopyResult result = Copy({1, 2, 3});
    EXPECT_FALSE(result.m_bStopped);
    EXPECT_EQ(result.m_nWritten, 3);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Прекратить?");
    EXPECT_EQ(m_ui.m_messages[0].caption, "Предупреждение");
    EXPECT_EQ(m_ui.m_messages[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));

    fs::remove_all(m_out);
    fs::create_directory(m_out);
    m_ui.m_progressLog = {};
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_ui.m_answers = {IDYES};
    result = Copy({1, 2, 3});
    EXPECT_TRUE(result.m_bStopped);
    EXPECT_EQ(result.m_nWritten, 1);
    EXPECT_EQ(FilesIn(m_out), std::vector<std::string>({"a.txt"}));
    EXPECT_EQ(m_ui.m_progressLog.advances, 1);
}

TEST_F(CopyToTest, DamagedEntriesAreSkippedAndReported)
{
    CDatWriter w;
    w.AddStored("a.txt", "alpha");
    SDatEntryDef broken;
    broken.name = "broken.txt";
    broken.data = std::string(200, 'z');
    broken.packedBytes = std::string("\x78\x9c\x01\x02\x03 not a stream");
    w.Add(broken);
    SDatEntryDef beyond;
    beyond.name = "beyond.txt";
    beyond.data = "far away";
    beyond.offset = 0x7FFFFF00u;
    w.Add(beyond);
    w.AddStored("z.txt", "last");
    Open(w);
    m_doc.ListFolder(&g_rootFolder, nullptr);
    ASSERT_EQ(m_doc.m_listing.size(), 4u); // a, beyond, broken, z
    WriteWholeFile(Out("broken.txt"), "kept");
    m_ui.m_answers = {IDYES};

    const SCopyResult result = Copy({0, 1, 2, 3});
    EXPECT_EQ(result.m_nWritten, 2);
    EXPECT_EQ(result.m_damaged, std::vector<std::string>({"beyond.txt", "broken.txt"}));
    EXPECT_EQ(ReadWholeFile(Out("broken.txt")), "kept");
    EXPECT_EQ(FilesIn(m_out), std::vector<std::string>({"a.txt", "broken.txt", "z.txt"}));
}

TEST_F(CopyToTest, DestinationErrorEndsTheRunAndEarlierFilesStay)
{
    OpenPlain();
    fs::create_directories(Out("b.txt") + "/inside");
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(Copy({1, 2, 3}), CFileException);
    EXPECT_EQ(ReadWholeFile(Out("a.txt")), "alpha");
    EXPECT_FALSE(fs::exists(Out("c.txt")));
    EXPECT_EQ(m_ui.m_progressLog.advances, 2);

    m_ui.m_folderAnswer = "/proc";
    EXPECT_THROW(Copy({1}), CFileException);
}

TEST_F(CopyToTest, AMissingArchiveFailsBeforeTheProgress)
{
    OpenPlain();
    fs::remove(m_archive);
    EXPECT_THROW(Copy({1}), CFileException);
    EXPECT_FALSE(m_ui.m_progressLog.opened);
}

TEST_F(CopyToTest, TwoFilesOfOneNameAskAboutTheSecond)
{
    CDatWriter w;
    w.AddStored("one\\same.txt", "first");
    w.AddStored("two\\same.txt", "second");
    Open(w);
    m_doc.ListFileType(m_doc.m_types.begin()->second.get(), nullptr);
    ASSERT_EQ(m_doc.m_listing.size(), 2u);
    const std::string expected = m_doc.m_listing[1] == &m_doc.m_files[1] ? "second" : "first";
    m_ui.m_answers = {IDYES};
    const SCopyResult result = Copy({0, 1});
    EXPECT_EQ(result.m_nWritten, 2);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Файл " + Out("same.txt") + " существует. Заменить его?");
    EXPECT_EQ(ReadWholeFile(Out("same.txt")), expected);
}

TEST_F(CopyToTest, NamesAreDecodedAndKeptInsideTheFolder)
{
    CDatWriter w;
    w.AddStored("\xEF\xF0\xE8\xE2\xE5\xF2.txt", "privet");
    w.AddStored("..", "dots");
    Open(w);
    m_doc.ListFolder(&g_rootFolder, nullptr);
    m_ui.m_bProvideProgress = false; // no progress dialog: the copy still runs
    const SCopyResult result = Copy({0, 1});
    EXPECT_EQ(result.m_nWritten, 2);
    EXPECT_EQ(ReadWholeFile(Out("привет.txt")), "privet");
    EXPECT_EQ(ReadWholeFile(Out("_")), "dots");
}

TEST_F(CopyToTest, TheListReportsDamagedFilesInOneMessage)
{
    CDatWriter w;
    w.AddStored("good.txt", "fine");
    SDatEntryDef broken;
    broken.name = "\xE1\xE8\xF2\xFB\xE9.txt"; // "битый.txt"
    broken.data = std::string(100, 'q');
    broken.packedBytes = std::string("\x78\x9c garbage");
    w.Add(broken);
    Open(w);
    CDATFileList list(&m_doc);
    m_doc.ListFolder(&g_rootFolder, nullptr);
    list.SelectRows({0, 1});
    list.OnCmdMsg(32779, nullptr);
    EXPECT_EQ(ReadWholeFile(Out("good.txt")), "fine");
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].caption, "Предупреждение");
    EXPECT_EQ(m_ui.m_messages[0].flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_NE(m_ui.m_messages[0].text.find("битый.txt"), std::string::npos);
    EXPECT_EQ(m_ui.m_messages[0].text.find("good.txt"), std::string::npos);
}

} // namespace
