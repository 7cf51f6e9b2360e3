// The main window: start-up, status bar, panes, recent files, command routing
// and the view-mode commands.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "helpers.h"
#include "platform/profile.h"
#include "shell/app.h"
#include "views/commandids.h"
#include "shell/mainframe.h"
#include "shell/propdialog.h"
#include "shell/sourcesetdlg.h"
#include "archive/extract.h"
#include "views/filelist.h"
#include "views/comparepreview.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/thumbnails.h"
#include "frmwriter.h"
#include "mvewriter.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// An archive on the command line loads before the window shows.
TEST(StartupTest, NoArgumentsShowsAnEmptyWindowAnArchiveLoadsBeforeTheWindowShows)
{
    CTempDir dir;
    ExampleArchive().WriteTo(dir / "a.dat");
    for (const QStringList& args : {QStringList{}, QStringList{QString::fromStdString(dir / "a.dat")}}) {
        CFakeUiServices ui;
        CDravikApp app;
        ASSERT_TRUE(app.InitInstance(args, &ui));
        EXPECT_TRUE(app.Frame()->isVisible());
        // Loaded, with the progress shown and the root node in the tree.
        EXPECT_TRUE(app.Document()->IsLoaded() == ui.m_progressLog.opened && ui.m_progressLog.opened == !args.isEmpty());
        EXPECT_EQ(app.Frame()->GetFoldersList()->model()->rowCount(), args.size());
    }
}

// One that cannot be opened ends the start with the error and no window.
TEST(StartupTest, MissingOrBrokenArchiveEndsTheStartWithTheErrorAndNoWindow)
{
    CTempDir dir;
    WriteWholeFile(dir / "short.dat", "abc");
    for (const std::string& path : {dir / "missing.dat", dir / "short.dat"}) {
        CFakeUiServices ui;
        CDravikApp app;
        EXPECT_FALSE(app.InitInstance({QString::fromStdString(path)}, &ui));
        EXPECT_EQ(app.Frame(), nullptr);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_NE(ui.m_messages[0].text.find(path.substr(path.rfind('/') + 1)), std::string::npos);
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
    }
}

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_app.InitInstance({}, &m_ui)); }
    CMainFrame& Frame() { return *m_app.Frame(); }
    std::string MakeArchive(const std::string& name = "game.dat")
    {
        ExampleArchive().WriteTo(m_dir / name);
        return m_dir / name;
    }
    CDATFileDoc& Doc() { return *m_app.Document(); }

    CTempDir m_dir;
    CFakeUiServices m_ui;
    CDravikApp m_app;
};

TEST_F(MainFrameTest, LockPanesShowOnlyTheLocksThatAreOnAndStayBlankWhenTheStateIsUnknown)
{
    struct SCase
    {
        SLockState state;
        QStringList texts;
    };
    const SCase cases[] = {
        {{true, true, false, true}, {"CAP", "", "SCRL"}},
        {{true, false, true, false}, {"", "NUM", ""}},
        {{false, true, true, true}, {"", "", ""}},
    };
    for (const SCase& c : cases) {
        Frame().SetLockStateSource([&] { return c.state; });
        Frame().RefreshIndicators();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Frame().Indicator(i)->text(), c.texts[i]) << c.state.m_bKnown << " pane " << i;
    }
}

TEST_F(MainFrameTest, TooltipsAreThePromptAfterTheLineBreakBarsTogglePanesAreSplitByThirdsAndHalves)
{
    EXPECT_EQ(Frame().Action(ID_VIEW_DETAILS)->toolTip(), QStringLiteral("Details"));
    EXPECT_EQ(Frame().Action(ID_VIEW_DETAILS)->statusTip(),
              QStringLiteral("Displays detailed information about each item in the window."));
    EXPECT_EQ(Frame().GetFileViewer()->font(), Frame().GetFileList()->font());
    Frame().resize(900, 600);
    Frame().show();
    QApplication::processEvents();
    const QList<int> outer = Frame().OuterSplitter()->sizes();
    EXPECT_NEAR(outer[0], (outer[0] + outer[1]) / 3, 2);
    const QList<int> inner = Frame().InnerSplitter()->sizes();
    EXPECT_NEAR(inner[0], (inner[0] + inner[1]) / 2, 2);

    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TOOLBAR).m_nCheck, 1);
    Frame().ExecuteCommand(ID_VIEW_TOOLBAR);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TOOLBAR).m_nCheck, 0);
    Frame().ExecuteCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(Frame().statusBar()->isVisible());
}

TEST_F(MainFrameTest, TitleAndRecentFilesFollowTheDocumentAndFailuresAreReported)
{
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Ashmoor 2 DAT file browser"));
    const std::string path = MakeArchive("world.dat");
    ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(path)));
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("world.dat - Ashmoor 2 DAT file browser"));
    EXPECT_EQ(CProfile::GetRecentFiles().value(0), QString::fromStdString(path));

    // Opening a missing recent file reports the failure and drops it from the list.
    CProfile::AddRecentFile(QString::fromStdString(m_dir / "gone.dat"));
    Frame().ExecuteCommand(ID_FILE_MRU_FILE1);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_NE(m_ui.m_messages[0].text.find("gone.dat"), std::string::npos);
    EXPECT_FALSE(CProfile::GetRecentFiles().contains(QString::fromStdString(m_dir / "gone.dat")));
    // Commands without a handler are disabled.
    EXPECT_FALSE(Frame().QueryCommand(12345).m_bEnabled);
}

TEST_F(MainFrameTest, RecentFilesShowAmpersandsAsTheyAreAndLongPathsShortenedInTheMiddle)
{
    const QString deep = QStringLiteral("/home/player/") + QString(300, QLatin1Char('d')) +
                         QStringLiteral("/R&D/saves/world.dat");
    const QStringList files = {QStringLiteral("/tmp/R&D/a&b.dat"), deep};
    Frame().SetRecentFiles(files);
    QAction* shortOne = Frame().Action(ID_FILE_MRU_FILE1);
    QAction* longOne = Frame().Action(ID_FILE_MRU_FILE1 + 1);
    ASSERT_TRUE(shortOne && longOne);
    EXPECT_EQ(shortOne->text(), QStringLiteral("&1 /tmp/R&&D/a&&b.dat"));
    // The prompt names the whole path.
    EXPECT_EQ(shortOne->statusTip(), files[0]);
    EXPECT_EQ(longOne->statusTip(), deep);

    const QString shown = longOne->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("&2 /home/player/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/R&&D/saves/world.dat"))) << shown.toStdString();
    EXPECT_LT(shown.size(), 80);
    // The File menu keeps a desktop program's width.
    EXPECT_LT(Frame().Menu(0)->sizeHint().width(), 700);
}

TEST_F(MainFrameTest, ViewModeCommandsSetAndCheckTheirMode)
{
    ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(MakeArchive())));
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_FOLDERS).m_nCheck, 1);
    Frame().ExecuteCommand(ID_VIEW_TYPES);
    EXPECT_EQ(Doc().m_nViewMode, 1);
    EXPECT_TRUE(Frame().Action(ID_VIEW_TYPES)->isChecked() && !Frame().Action(ID_VIEW_FOLDERS)->isChecked());
}

// The loader's tests cover the question; here: what the window makes of a Yes.
TEST_F(MainFrameTest, ALoadCancelledWithYesEmptiesTheDocumentAndReportsTheFile)
{
    const std::string path = MakeArchive();
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_ui.m_answers = {IDYES};
    EXPECT_FALSE(m_app.OpenDocumentFile(QString::fromStdString(path)));
    EXPECT_TRUE(Doc().m_files.empty());
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("Failed to open document. " + path), std::string::npos);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Ashmoor 2 DAT file browser"));
}

// In plain words why, and the archive that was open stays open.
TEST_F(MainFrameTest, AFileThatDoesNotOpenLeavesTheOpenArchiveAndIsNotRemembered)
{
    const std::string good = MakeArchive();
    ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(good)));
    WriteWholeFile(m_dir / "empty.dat", "");
    WriteWholeFile(m_dir / "stub.dat", "DAT");
    const struct { std::string path, says, reason; } cases[] = {
        {m_dir / "empty.dat", "пуст (0 байт)", ""},
        {m_dir / "stub.dat", "это не архив DAT", "trailer"},
        {m_dir / "missing.dat", "не открыт", "could not be found"},
    };
    for (const auto& c : cases) {
        m_ui.m_messages.clear();
        EXPECT_FALSE(m_app.OpenDocumentFile(QString::fromStdString(c.path)));
        ASSERT_EQ(m_ui.m_messages.size(), 1u) << c.path;
        const std::string& text = m_ui.m_messages[0].text;
        EXPECT_TRUE(text.find(c.says) != std::string::npos && text.find(c.reason) != std::string::npos) << text;
        EXPECT_EQ(Doc().m_files.size(), 5u);
        EXPECT_EQ(Frame().GetFileList()->Model()->rowCount(), 3);
        EXPECT_EQ(Frame().windowTitle(), QStringLiteral("game.dat - Ashmoor 2 DAT file browser"));
        EXPECT_FALSE(CProfile::GetRecentFiles().contains(QString::fromStdString(c.path)));
    }
    // F5 reads the archive again as it is now.
    CDatWriter changed = ExampleArchive();
    changed.AddStored("new.txt", "x");
    changed.WriteTo(good);
    Frame().ExecuteCommand(ID_FILE_REOPEN);
    EXPECT_EQ(Doc().m_files.size(), 6u);
}

// Later sources win across letter case and separators: the list names the
// winning source and what it overrides, reads take the winning bytes,
// Properties list every copy, and the set reopens from the recent files in
// its order.
TEST_F(MainFrameTest, ASetShowsAndReadsItsWinningCopiesAndReopensInItsOrder)
{
    MakeArchive("base.dat");
    CDatWriter patch;
    patch.AddCompressed("ART\\INTRFACE\\B.FRM", "patched b");
    patch.WriteTo(m_dir / "patch.dat");
    std::filesystem::create_directories(m_dir / "mods/art/Intrface");
    WriteWholeFile(m_dir / "mods/art/Intrface/b.frm", "loose b");
    // Loose files only the folder has: previews read them from there.
    WriteWholeFile(m_dir / "mods/art/Intrface/pic.frm", BuildFrm(8, 8, std::vector<std::uint8_t>(64, 40)));
    WriteWholeFile(m_dir / "mods/art/Intrface/pic.pal", BuildPalette(DemoPalette()));
    WriteWholeFile(m_dir / "mods/hit.acm", BuildAcm(4410, 1, 22050, std::string(300, '\0')));
    const struct { QStringList sources; QString shown; std::string bytes; QStringList copies; } cases[] = {
        {{"base.dat", "patch.dat"}, "patch.dat (поверх base.dat)", "patched b", {"patch.dat", "base.dat"}},
        {{"base.dat", "patch.dat", "mods"}, "mods (поверх patch.dat, base.dat)", "loose b", {"mods", "patch.dat", "base.dat"}},
        {{"mods", "base.dat"}, "base.dat (поверх mods)", "frame b", {"base.dat", "mods"}},
    };
    CListingModel* model = Frame().GetFileList()->Model();
    for (const auto& c : cases) {
        QStringList paths;
        for (const QString& s : c.sources)
            paths << QString::fromStdString(m_dir / s.toStdString());
        ASSERT_TRUE(m_app.OpenDocumentFile(SourceSetPath(paths)));
        ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(m_dir / "base.dat")));
        EXPECT_EQ(Doc().Stack(), nullptr);
        EXPECT_TRUE(Frame().GetFileList()->DetailsView()->isColumnHidden(CListingModel::kColSource));
        Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + 1);
        ASSERT_NE(Doc().Stack(), nullptr) << c.shown.toStdString();
        EXPECT_EQ(QString::fromStdString(Doc().GetPathName()).split('\n', Qt::SkipEmptyParts), paths);
        const bool loose = c.sources.contains("mods");
        ASSERT_EQ(Doc().m_files.size(), loose ? 8u : 5u);

        auto b = std::find_if(Doc().m_files.begin(), Doc().m_files.end(),
                              [](const CDATInternalFile& f) { return EqualNames(f.m_strName, "b.frm"); });
        ASSERT_NE(b, Doc().m_files.end());
        Doc().ListFolder(b->m_pParent, Frame().GetFoldersList()); // as the tree does
        EXPECT_FALSE(Frame().GetFileList()->DetailsView()->isColumnHidden(CListingModel::kColSource));
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->ItemAt(row) == &*b)
                shown << model->index(row, CListingModel::kColSource).data().toString();
        EXPECT_EQ(shown, QStringList{c.shown});
        CEntryFiles files(Doc());
        EXPECT_EQ(ReadEntryData(files.For(*b), *b), c.bytes);

        CFilePropDialog properties(nullptr, &*b, &Doc());
        QStringList copies;
        for (const QStringList& copy : properties.m_copies) {
            copies << QFileInfo(copy[0]).fileName();
            EXPECT_EQ(copy[3].isEmpty(), copies.back() == "mods") << copy.join(' ').toStdString();
        }
        EXPECT_EQ(copies, c.copies);
        if (!loose)
            continue;
        CThumbnailCache* thumbnails = model->ThumbnailCache();
        const CDATInternalFile& pic = FindFile(Doc(), "pic.frm");
        thumbnails->ShowFolder({&pic});
        CDATInternalFile& hit = FindFile(Doc(), "hit.acm");
        Frame().GetFileViewer()->SetItem(&hit);
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "hit.wav", 2};
        hit.m_pType->SaveAs(Doc().Context(), &hit, nullptr);
        EXPECT_EQ(ReadWholeFile(m_dir / "hit.wav").size(), 44u + 2 * 4410);
        QElapsedTimer clock;
        clock.start();
        while ((!thumbnails->Settled(pic) || Frame().GetFileViewer()->IsPreviewPending()) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_TRUE(thumbnails->Has(pic)) << c.shown.toStdString();
        EXPECT_TRUE(Frame().GetFileViewer()->ToggleSound()) << "the sound is shown";
    }
}

// Compare shows the changes only: a status per row, unchanged rows on request,
// marked folders, a changed picture old beside new; ending it lists as before.
TEST_F(MainFrameTest, CompareListsChangesMarksFoldersShowsBothPicturesAndEnds)
{
    auto picture = [](std::uint8_t index) { return BuildFrm(100, 100, std::vector<std::uint8_t>(100 * 100, index)); };
    for (const bool later : {false, true}) {
        CDatWriter w;
        w.AddStored("color.pal", BuildPalette(DemoPalette()));
        w.AddCompressed("art\\intrface\\pic.frm", picture(later ? DemoIndex(2, 5) : DemoIndex(0, 5)));
        w.AddStored("maps\\town.map", "town");
        w.AddCompressed(later ? "text\\added.txt" : "text\\gone.txt", "words");
        if (later)
            w.AddStored("text\\packed.txt", "packed or not");
        else
            w.AddCompressed("text\\packed.txt", "packed or not");
        w.WriteTo(m_dir / (later ? "new.dat" : "old.dat"));
    }
    CDATFileViewer& viewer = *Frame().GetFileViewer();
    auto centre = [&](double across) {
        QElapsedTimer clock;
        clock.start();
        while (viewer.IsPreviewPending() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const QImage image = viewer.viewport()->grab().toImage();
        return image.pixelColor(int(image.width() * across), (image.height() + 40 + CSideBySidePreview::kLabelHeight) / 2);
    };
    QColor alone[2];
    for (const bool later : {true, false}) {
        ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(m_dir / (later ? "new.dat" : "old.dat"))));
        viewer.SetItem(&FindFile(Doc(), "art\\intrface\\pic.frm"));
        alone[later] = centre(0.5);
    }
    ASSERT_NE(alone[0], alone[1]);
    m_ui.m_openAnswer = m_dir / "new.dat";
    Frame().ExecuteCommand(ID_FILE_COMPARE);
    ASSERT_NE(Doc().Comparison(), nullptr);
    EXPECT_TRUE(m_ui.m_messages.empty());

    CListingModel* model = Frame().GetFileList()->Model();
    auto shown = [&] {
        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << (model->index(row, 0).data().toString() + ' ' +
                      model->index(row, CListingModel::kColStatus).data().toString()).trimmed();
        return names;
    };
    auto rows = [&](const char* folder) {
        Doc().ListFolder(folder ? &FindFolder(Doc(), folder) : &Doc().m_rootFolder, Frame().GetFoldersList());
        return shown();
    };
    const struct { bool unchanged; const char* folder; QStringList rows; } cases[] = {
        {false, nullptr, {"art", "text"}},
        {false, "text", {"added.txt добавлен", "gone.txt удалён"}},
        {false, "intrface", {"pic.frm изменён"}},
        {true, nullptr, {"art", "maps", "text", "color.pal без изменений"}},
        {true, "text", {"added.txt добавлен", "gone.txt удалён", "packed.txt без изменений"}},
    };
    for (const auto& c : cases) {
        if (Doc().Comparison()->m_bShowUnchanged != c.unchanged)
            Frame().ExecuteCommand(ID_VIEW_SHOWUNCHANGED);
        EXPECT_EQ(rows(c.folder), c.rows) << c.folder;
    }
    // The status column sorts by its words; the third click restores the archive's order.
    for (const QStringList& order : {QStringList{"packed.txt без изменений", "added.txt добавлен", "gone.txt удалён"},
                                     QStringList{"gone.txt удалён", "added.txt добавлен", "packed.txt без изменений"},
                                     QStringList{"added.txt добавлен", "gone.txt удалён", "packed.txt без изменений"}}) {
        Frame().GetFileList()->OnHeaderClicked(CListingModel::kColStatus);
        EXPECT_EQ(shown(), order);
    }
    EXPECT_FALSE(Frame().GetFileList()->DetailsView()->isColumnHidden(CListingModel::kColStatus));
    // The removed entry reads the old side's bytes.
    CDATInternalFile& gone = FindFile(Doc(), "text\\gone.txt");
    CEntryFiles files(Doc());
    EXPECT_EQ(ReadEntryData(files.For(gone), gone), "words");

    QStringList marked;
    const CTreeModel& tree = Frame().GetFoldersList()->Tree();
    for (std::size_t i = 1; i < tree.m_nodes.size(); ++i)
        if (Frame().GetFoldersList()->model()->data(Frame().GetFoldersList()->IndexOfNode(int(i)), Qt::FontRole).value<QFont>().bold())
            marked << QString::fromStdString(tree.m_nodes[i].m_strLabel);
    marked.sort();
    EXPECT_EQ(marked, (QStringList{"art", "intrface", "text"}));

    viewer.SetItem(&FindFile(Doc(), "art\\intrface\\pic.frm"));
    EXPECT_EQ(centre(0.25), alone[0]);
    EXPECT_EQ(centre(0.75), alone[1]);

    Frame().ExecuteCommand(ID_FILE_ENDCOMPARE);
    EXPECT_EQ(Doc().Comparison(), nullptr);
    EXPECT_EQ(rows("text"), (QStringList{"gone.txt", "packed.txt"}));
    EXPECT_TRUE(Frame().GetFileList()->DetailsView()->isColumnHidden(CListingModel::kColStatus));
    // A folder as the new side: its loose file has no offset.
    std::filesystem::create_directories(m_dir / "mod/text");
    WriteWholeFile(m_dir / "mod/text/gone.txt", "other words");
    m_ui.m_folderAnswer = m_dir / "mod";
    Frame().ExecuteCommand(ID_FILE_COMPAREFOLDER);
    EXPECT_EQ(rows("text"), (QStringList{"gone.txt изменён", "packed.txt удалён"}));
    EXPECT_EQ(model->index(0, CListingModel::kColOffset).data().toString(), QString());
}

} // namespace
