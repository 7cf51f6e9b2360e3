// Copy of the selected files into a chosen folder.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "platform/exceptions.h"
#include "shell/progressdlg.h"
#include "shell/qtuiservices.h"
#include "views/copyto.h"
#include "views/filelist.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const char* const kWarning = "Предупреждение";
const unsigned kYesNo = MB_YESNO | MB_ICONQUESTION;

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
        ASSERT_EQ(m_doc.m_listing.size(), 4u);
    }

    // Opens the archive and lists its root.
    void Open(const CDatWriter& w)
    {
        m_archive = m_dir / "test.dat";
        w.WriteTo(m_archive);
        ASSERT_TRUE(m_doc.OpenDocumentFile(m_archive));
        m_doc.ListFolder(&m_doc.m_rootFolder, nullptr);
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
    m_ui.m_folderAnswer = m_out + "/"; // gets no second slash
    const SCopyResult result = Copy({0, 1, 2, 3});
    EXPECT_TRUE(result.m_nWritten == 3 && !result.m_bStopped && result.m_damaged.empty());
    EXPECT_EQ(FileNames(m_out), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(ReadWholeFile(Out("b.txt")), std::string(500, 'b'));
    EXPECT_EQ(ReadWholeFile(Out("c.txt")), "gamma");

    const auto& log = m_ui.m_progressLog;
    EXPECT_TRUE(log.opened && log.lower == 1 && log.upper == 5 && log.polls == 4);
    EXPECT_EQ(log.advances, 4); // the folder takes its step too
    EXPECT_EQ(log.statusLines, Names({Out("a.txt"), Out("b.txt"), Out("c.txt")}));
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(CopyToTest, ACancelledChooserOrOnlyFoldersWriteNothing)
{
    OpenPlain();
    m_ui.m_folderAnswer.reset();
    EXPECT_EQ(Copy({1, 2}).m_nWritten, 0);
    EXPECT_FALSE(m_ui.m_progressLog.opened);

    m_ui.m_folderAnswer = m_out;
    EXPECT_EQ(Copy({0}).m_nWritten, 0);
    EXPECT_TRUE(m_ui.m_progressLog.opened);
    EXPECT_EQ(m_ui.m_progressLog.advances, 1);
    EXPECT_TRUE(m_ui.m_progressLog.statusLines.empty());
    EXPECT_TRUE(FileNames(m_out).empty());
}

// What No and Yes do to an old file is the reliability tests' part; here: who is asked.
TEST_F(CopyToTest, TheSecondOfTwoEntriesOfOneNameAsksBeforeReplacingTheFirst)
{
    CDatWriter w;
    w.AddStored("one\\same.txt", "first");
    w.AddStored("two\\same.txt", "second");
    Open(w);
    m_doc.ListFileType(m_doc.m_types.begin()->second.get(), nullptr);
    const std::string second = m_doc.m_listing[1] == &m_doc.m_files[1] ? "second" : "first";
    m_ui.m_answers = {IDYES};
    EXPECT_EQ(Copy({0, 1}).m_nWritten, 2);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Файл " + Out("same.txt") + " существует. Заменить его?", kWarning, kYesNo);
    EXPECT_EQ(ReadWholeFile(Out("same.txt")), second);
}

TEST_F(CopyToTest, CancelAnsweredNoGoesOn)
{
    OpenPlain();
    m_ui.m_progressLog.cancelAtPoll = {1};
    const SCopyResult result = Copy({1, 2, 3}); // the fake answers No
    EXPECT_FALSE(result.m_bStopped);
    EXPECT_EQ(result.m_nWritten, 3);
    ExpectMessage(m_ui, 0, "Прекратить?", kWarning, kYesNo);
}

// The application's own services, the folder answered: the real progress
// dialog and real questions.
class CQtUiWithFolder : public CQtUiServices
{
public:
    explicit CQtUiWithFolder(std::string folder) : m_strFolder(std::move(folder)) { SetUiServices(this); }
    std::optional<std::string> BrowseForFolder(CWnd*, const std::string&) override { return m_strFolder; }
    std::string m_strFolder;
};

TEST_F(CopyToTest, WhileTheOverwriteQuestionIsUpTheProgressShowsThatFileAndItsStep)
{
    OpenPlain();
    WriteWholeFile(Out("a.txt"), "old a");
    CQtUiWithFolder qt(m_out);
    QString status, percent;
    int bar = -1, barMax = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (CProgressDlg* progress = CProgressDlg::Current(); progress && progress->isVisible()) {
            status = progress->StatusText();
            percent = progress->PercentText();
            const auto* progressBar = progress->findChild<QProgressBar*>();
            bar = progressBar->value();
            barMax = progressBar->maximum();
        }
        box->button(QMessageBox::No)->click();
    });
    answer.start(5);
    EXPECT_EQ(Copy({1, 2, 3}).m_nWritten, 2);
    EXPECT_EQ(status, QString::fromStdString(Out("a.txt")));
    EXPECT_EQ(percent, QStringLiteral("33%"));
    EXPECT_EQ(bar, barMax / 3);
    EXPECT_EQ(ReadWholeFile(Out("a.txt")), "old a");
}

TEST_F(CopyToTest, DamagedEntriesAreSkippedKeepTheOldFileAndTheListNamesThemInOneMessage)
{
    CDatWriter w;
    w.AddStored("a.txt", "alpha");
    w.Add(Def("\xE1\xE8\xF2\xFB\xE9.txt", std::string(200, 'z'), // "битый.txt"
              [](SDatEntryDef& d) { d.packedBytes = std::string("\x78\x9c\x01\x02\x03 not a stream"); }));
    w.Add(Def("beyond.txt", "far away", [](SDatEntryDef& d) { d.offset = 0x7FFFFF00u; }));
    w.AddStored("z.txt", "last");
    Open(w);
    WriteWholeFile(Out("битый.txt"), "kept");
    m_ui.m_answers = {IDYES};
    CDATFileList list(&m_doc);
    list.SelectRows({0, 1, 2, 3});
    list.OnCmdMsg(32779, nullptr);
    EXPECT_EQ(ReadWholeFile(Out("битый.txt")), "kept");
    EXPECT_EQ(FileNames(m_out), (std::set<std::string>{"a.txt", "битый.txt", "z.txt"}));
    ASSERT_EQ(m_ui.m_messages.size(), 2u); // the overwrite question, then the report
    const std::string& report = m_ui.m_messages[1].text;
    EXPECT_EQ(m_ui.m_messages[1].flags, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(report.find("битый.txt") != std::string::npos && report.find("beyond.txt") != std::string::npos);
    EXPECT_TRUE(report.find("a.txt") == std::string::npos && report.find("z.txt") == std::string::npos);
}

TEST_F(CopyToTest, AnUnwritableFolderEndsTheRunAndAMissingArchiveFailsBeforeTheProgress)
{
    OpenPlain();
    m_ui.m_folderAnswer = "/proc";
    EXPECT_THROW(Copy({1}), CFileException);
    m_ui.m_progressLog = {};
    m_ui.m_folderAnswer = m_out;
    fs::remove(m_archive);
    EXPECT_THROW(Copy({1}), CFileException);
    EXPECT_FALSE(m_ui.m_progressLog.opened);
}

TEST_F(CopyToTest, NamesAreDecodedAndTheCopyRunsWithoutAProgressDialog)
{
    CDatWriter w;
    w.AddStored("\xEF\xF0\xE8\xE2\xE5\xF2.txt", "privet");
    Open(w);
    m_ui.m_bProvideProgress = false;
    EXPECT_EQ(Copy({0}).m_nWritten, 1);
    EXPECT_EQ(ReadWholeFile(Out("привет.txt")), "privet");
}

} // namespace
