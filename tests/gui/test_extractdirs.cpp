// Extract with folders, entries handed out as files (drag, Ctrl+C), the
// choices a new window comes back with, and the cache in the settings.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "helpers.h"
#include "pngread.h"
#include "platform/exceptions.h"
#include "platform/profile.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "shell/optiondialog.h"
#include "views/commandids.h"
#include "views/extractdirs.h"
#include "views/filelist.h"
#include "views/listingmodel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
const std::string kBadStream = "\x78\x9c\x01\x02\x03 not a stream";

class ExtractDirsTest : public ::testing::Test
{
protected:
    ExtractDirsTest()
    {
        CDatWriter w;
        w.AddStored("top.txt", "top");
        w.AddCompressed("art\\a.frm", std::string(300, 'a'));
        w.AddStored("art\\sub\\b.frm", "B");
        w.AddStored("art\\sub\\deep\\c.frm", "C");
        w.Add(Def("art\\bad.frm", std::string(200, 'z'), [](SDatEntryDef& d) { d.packedBytes = kBadStream; }));
        w.Add(Def("zbad.txt", std::string(200, 'z'), [](SDatEntryDef& d) { d.packedBytes = kBadStream; }));
        w.AddStored("other\\x.txt", "x");
        w.WriteTo(m_dir / "t.dat");
        EXPECT_TRUE(m_doc.OpenDocumentFile(m_dir / "t.dat"));
        m_doc.ListFolder(&m_doc.m_rootFolder, nullptr);
        m_doc.m_CashPath.Set(m_dir / "cache");
        fs::create_directories(m_out + "/art/sub");
        m_ui.m_folderAnswer = m_out;
    }

    std::vector<int> Rows(const std::vector<std::string>& names) const
    {
        std::vector<int> rows;
        for (std::size_t i = 0; i < m_doc.m_listing.size(); ++i)
            for (const std::string& name : names)
                if (m_doc.m_listing[i]->GetName() == name)
                    rows.push_back(int(i));
        return rows;
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    CDATFileDoc m_doc{false};
    std::string m_out = m_dir / "out";
};

TEST_F(ExtractDirsTest, ANestedSelectionKeepsItsFoldersAndTheOverwriteAnswersHold)
{
    struct SCase
    {
        std::deque<int> answers;
        std::size_t questions;
        std::string top, b;
        int written, stopped;
    };
    const SCase cases[] = {
        {{IDYESTOALL}, 1, "top", "B", 4, false},
        {{IDNOTOALL}, 1, "old top", "old b", 2, false},
        {{IDYES, IDNO}, 2, "old top", "B", 3, false},
        {{IDCANCEL}, 1, "old top", "old b", 1, true},
    };
    for (const SCase& c : cases) {
        fs::remove_all(m_out + "/art/sub/deep");
        fs::remove(m_out + "/art/a.frm");
        WriteWholeFile(m_out + "/top.txt", "old top");
        WriteWholeFile(m_out + "/art/sub/b.frm", "old b");
        m_ui.m_messages.clear();
        m_ui.m_answers = c.answers;
        QMainWindow window;
        auto* list = new CDATFileList(&m_doc);
        window.setCentralWidget(list);
        list->SelectRows(Rows({"art", "top.txt"}));
        list->OnCmdMsg(ID_FILE_EXTRACTDIRS, nullptr);

        EXPECT_EQ(ReadWholeFile(m_out + "/top.txt"), c.top);
        EXPECT_EQ(ReadWholeFile(m_out + "/art/sub/b.frm"), c.b);
        EXPECT_EQ(ReadWholeFile(m_out + "/art/sub/deep/c.frm"), "C");
        EXPECT_EQ(fs::exists(m_out + "/art/a.frm"), !c.stopped);
        EXPECT_FALSE(fs::exists(m_out + "/art/bad.frm") || fs::exists(m_out + "/other"));
        ASSERT_EQ(m_ui.m_messages.size(), c.questions + (c.stopped ? 0 : 1));
        ExpectMessage(m_ui, 0, "Файл " + m_out + "/art/sub/b.frm существует. Заменить его?", "Предупреждение",
                      MB_YESNOALLCANCEL | MB_ICONQUESTION);
        EXPECT_EQ(m_ui.m_messages.back().text.find("bad.frm") != std::string::npos, !c.stopped);
        const QString status = window.statusBar()->currentMessage();
        EXPECT_TRUE(status.contains(QStringLiteral("Извлечено файлов: %1 в ").arg(c.written)) &&
                    status.contains(QString::fromStdString(m_out)))
            << status.toStdString();
    }
}

TEST(ExportPngTest, PicturesOfANestedSelectionBecomePngsInTheirFoldersAndTheDamagedOneIsReported)
{
    CTempDir dir;
    Palette63 rgb{};
    rgb[0] = {1, 1, 1};
    rgb[1] = {10, 20, 30};
    rgb[2] = {63, 0, 0};
    CDatWriter w;
    w.AddStored("color.pal", BuildPalette(rgb));
    w.AddStored("top.frm", BuildFrm(2, 1, {1, 0}));
    w.AddStored("art\\a.frm", BuildFrm(2, 1, {0, 1}));
    w.AddStored("art\\text\\x.txt", "not a picture");
    w.AddStored("art\\sub\\b.frm", BuildFrm(2, 1, {1, 2}));
    w.AddStored("art\\sub\\c.rix", BuildRix(2, 1, rgb, {0, 2}));
    w.Add(Def("art\\bad.frm", BuildFrm(2, 1, {1, 1}), [](SDatEntryDef& d) { d.packedBytes = kBadStream; }));
    w.WriteTo(dir / "t.dat");
    CFakeUiServices ui;
    CDATFileDoc doc(false);
    ASSERT_TRUE(doc.OpenDocumentFile(dir / "t.dat"));
    doc.ListFolder(&doc.m_rootFolder, nullptr);
    const std::string out = dir / "out";
    ui.m_folderAnswer = out;
    // FRM pictures keep index 0 transparent, RIX pictures are opaque.
    const std::uint32_t kClear = 0x04040400, kBlack = 0x040404ff, kBlue = 0x285078ff, kRed = 0xfc0000ff;
    const std::pair<std::string, std::vector<std::uint32_t>> pictures[] = {{"/art/sub/b.png", {kBlue, kRed}},
        {"/art/sub/c.png", {kBlack, kRed}}, {"/art/a.png", {kClear, kBlue}}, {"/top.png", {kBlue, kClear}}};
    for (const int answer : {IDYESTOALL, IDNO, IDCANCEL}) {
        fs::remove_all(out);
        fs::create_directories(out + "/art/sub");
        WriteWholeFile(out + "/art/sub/b.png", "old");
        ui.m_messages.clear();
        ui.m_answers = {answer};
        QMainWindow window;
        auto* list = new CDATFileList(&doc);
        window.setCentralWidget(list);
        list->SelectRows({0, 1, 2}); // all: art, color.pal, top.frm
        list->OnCmdMsg(ID_FILE_EXPORTPNG, nullptr);

        for (const auto& [name, pixels] : pictures) {
            const SRgbaPicture png = fs::exists(out + name) ? ReadPngRgba(ReadWholeFile(out + name)) : SRgbaPicture{};
            const bool written = answer == IDYESTOALL || (answer == IDNO && name != "/art/sub/b.png");
            EXPECT_EQ(png.indexed && png.width == 2 && png.pixels == pixels, written) << name << answer;
        }
        EXPECT_EQ(ReadWholeFile(out + "/art/sub/b.png") == "old", answer != IDYESTOALL);
        EXPECT_EQ(FileNames(out).size() + FileNames(out + "/art").size(), answer == IDCANCEL ? 2u : 4u);
        ASSERT_EQ(ui.m_messages.size(), answer == IDCANCEL ? 1u : 2u);
        EXPECT_EQ(ui.m_messages.back().text.find("bad.frm") != std::string::npos, answer != IDCANCEL);
        EXPECT_TRUE(window.statusBar()->currentMessage().contains(QString::fromStdString(out)));
    }
}

TEST_F(ExtractDirsTest, ALinkWhereAFolderBelongsEndsTheRunWithoutWritingThroughIt)
{
    fs::remove_all(m_out + "/art");
    fs::create_directory(m_dir / "elsewhere");
    fs::create_directory_symlink(m_dir / "elsewhere", m_out + "/art");
    std::string folder;
    EXPECT_THROW(ExtractRowsWithFolders(m_doc, Rows({"art"}), nullptr, &folder), CFileException);
    EXPECT_TRUE(FileNames(m_dir / "elsewhere").empty());
}

TEST_F(ExtractDirsTest, ADragAndCtrlCHandOutTheSameCompleteFilesWithTheirFolders)
{
    CDATFileList list(&m_doc);
    list.SelectRows(Rows({"art", "top.txt", "zbad.txt"}));
    QModelIndexList indexes;
    for (int row : list.SelectedRows())
        indexes.push_back(list.Model()->index(row, 0));
    std::unique_ptr<QMimeData> dragged(list.Model()->mimeData(indexes));
    ASSERT_TRUE(dragged && list.Model()->flags(indexes[0]).testFlag(Qt::ItemIsDragEnabled));
    const QList<QUrl> urls = dragged->urls();
    ASSERT_EQ(urls.size(), 2); // the damaged file is left out
    const std::string art = urls[0].toLocalFile().toStdString();
    EXPECT_EQ(art.rfind(m_dir / "cache/", 0), 0u) << art;
    EXPECT_EQ(fs::path(art).filename().string(), "art");
    EXPECT_EQ(ReadWholeFile(art + "/a.frm"), std::string(300, 'a'));
    EXPECT_EQ(ReadWholeFile(art + "/sub/deep/c.frm"), "C");
    EXPECT_FALSE(fs::exists(art + "/bad.frm"));
    EXPECT_EQ(ReadWholeFile(urls[1].toLocalFile().toStdString()), "top");
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(list.CurrentView(), &copy);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->urls(), urls);
}

TEST(SavedChoicesTest, ANewWindowComesBackAsTheLastOneWasLeft)
{
    CFakeUiServices ui;
    {
        CDravikApp app;
        ASSERT_TRUE(app.InitInstance({}, &ui));
        CMainFrame& frame = *app.Frame();
        frame.resize(720, 480);
        QApplication::processEvents();
        frame.OuterSplitter()->setSizes({150, 570});
        frame.GetFileList()->SetStyle(CDATFileList::LVS_REPORT);
        frame.ExecuteCommand(ID_VIEW_AUTOSHOW);
        frame.ExecuteCommand(ID_VIEW_TYPES);
        EXPECT_TRUE(frame.close());
    }
    CDravikApp app;
    ASSERT_TRUE(app.InitInstance({}, &ui));
    QApplication::processEvents();
    CMainFrame& frame = *app.Frame();
    EXPECT_EQ(frame.size(), QSize(720, 480));
    EXPECT_NEAR(frame.OuterSplitter()->sizes().value(0), 150, 2);
    EXPECT_EQ(frame.GetFileList()->GetStyle(), CDATFileList::LVS_REPORT);
    EXPECT_EQ(frame.QueryCommand(ID_VIEW_AUTOSHOW).m_nCheck, 0);
    EXPECT_EQ(app.Document()->m_nViewMode, 1);
    // Later windows of this run start from the defaults again.
    QSettings(QStringLiteral("DravikInc"), QString::fromUtf8(g_szAppTitle)).remove(QStringLiteral("Window"));
}

TEST(CacheSettingsTest, TheDialogShowsAndEmptiesOnlyTheArchivesFolders)
{
    CTempDir dir;
    const std::string cache = dir / "cache";
    fs::create_directories(cache + "/x.dat-0123ABCD/art");
    fs::create_directories(cache + "/y.dat-89ABCDEF.out");
    fs::create_directories(cache + "/mine");
    WriteWholeFile(cache + "/x.dat-0123ABCD/art/a.bmp", std::string(1000, 'a'));
    WriteWholeFile(cache + "/y.dat-89ABCDEF.out/b", "b");
    WriteWholeFile(cache + "/mine/keep", "keep");
    WriteWholeFile(cache + "/note-0123ABCD", "a file, not a folder");
    CFakeUiServices ui;
    ui.m_answers = {IDYES};
    CCashPath path(false);
    path.Set(cache);
    CDATOptionDialog dialog(path);
    EXPECT_TRUE(dialog.CacheLabel()->text().contains(QStringLiteral("файлов: 2"))) << dialog.CacheLabel()->text().toStdString();
    dialog.EmptyCacheButton()->click();
    EXPECT_TRUE(dialog.CacheEmptied() && !dialog.EmptyCacheButton()->isEnabled());
    EXPECT_EQ(FileNames(cache), (std::set<std::string>{"mine", "note-0123ABCD"}));
}

} // namespace
