// The main window as the user meets it: menus, toolbar, status bar, panes,
// command routing and the view-mode and list-style commands.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "platform/profile.h"
#include "shell/app.h"
#include "views/commandids.h"
#include "shell/mainframe.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

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

TEST_F(MainFrameTest, MenusCarryTheirIdsTextsAndPrompts)
{
    struct SItem
    {
        unsigned id;
        const char* text;
        const char* status;
    };
    const SItem items[] = {
        {ID_FILE_OPEN, "&Открыть...", "Open an existing document"},
        {ID_APP_EXIT, "&Выход", "Quit the application; prompts to save documents"},
        {ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar"},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar"},
        {ID_VIEW_FOLDERS, "&Папки", "Просмотр по папкам"},
        {ID_VIEW_TYPES, "&Типы", "Просмотр по типам"},
        {ID_VIEW_AUTOSHOW, "&Автопоказ", "Автоматически показывать файл когда он выбран в списке"},
        {ID_SETTINGS, "&Свойства ...", "Свойства"},
        {ID_APP_HELPDIALOG, "&Справка ...", ""},
        {ID_APP_ABOUT, "&О ...", "Display program information, version number and copyright"},
    };
    for (const SItem& item : items) {
        QAction* action = Frame().Action(item.id);
        ASSERT_NE(action, nullptr) << item.id;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text)) << item.id;
        EXPECT_EQ(action->statusTip(), QString::fromUtf8(item.status)) << item.id;
    }
    EXPECT_EQ(Frame().Action(ID_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    const char* const titles[] = {"&Файл", "&Вид", "&Настройка", "&Помощь"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Frame().Menu(i)->title(), QString::fromUtf8(titles[i]));
    EXPECT_EQ(Frame().Menu(4), nullptr);
}

TEST_F(MainFrameTest, ToolbarHasTenEntriesWithTooltipsAfterTheLineBreak)
{
    auto* toolbar = Frame().findChild<QToolBar*>(QStringLiteral("toolbar"));
    ASSERT_NE(toolbar, nullptr);
    const QList<QAction*> actions = toolbar->actions();
    ASSERT_EQ(actions.size(), 10);
    const unsigned ids[] = {ID_FILE_OPEN, 0, ID_SHOW_BUTTON, 0, ID_VIEW_LARGEICON, ID_VIEW_SMALLICON,
                            ID_VIEW_LIST, ID_VIEW_DETAILS, 0, ID_APP_ABOUT};
    for (int i = 0; i < 10; ++i) {
        if (ids[i] == 0) {
            EXPECT_TRUE(actions[i]->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(actions[i]->data().toUInt(), ids[i]) << i;
        EXPECT_FALSE(actions[i]->icon().isNull()) << i;
    }
    EXPECT_EQ(Frame().Action(ID_SHOW_BUTTON)->toolTip(), QStringLiteral("Показать"));
    EXPECT_EQ(Frame().Action(ID_VIEW_DETAILS)->toolTip(), QStringLiteral("Details"));
    EXPECT_EQ(Frame().Action(ID_VIEW_DETAILS)->statusTip(),
              QStringLiteral("Displays detailed information about each item in the window."));
}

TEST_F(MainFrameTest, StatusBarShowsTheIdleTextAndThreeLockPanesAndBarsToggle)
{
    bool idle = false;
    for (QLabel* label : Frame().statusBar()->findChildren<QLabel*>())
        idle = idle || label->text() == QStringLiteral("For Help, press F1");
    EXPECT_TRUE(idle);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(Frame().Indicator(i), nullptr);
        // No keyboard state on the offscreen platform: the panes stay blank.
        EXPECT_TRUE(Frame().Indicator(i)->text().isEmpty());
    }

    Frame().show();
    QApplication::processEvents();
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TOOLBAR).m_nCheck, 1);
    Frame().ExecuteCommand(ID_VIEW_TOOLBAR);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TOOLBAR).m_nCheck, 0);
    Frame().ExecuteCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(Frame().statusBar()->isVisible());
}

TEST_F(MainFrameTest, PanesShareTheFontAndAreSplitByThirdsAndHalves)
{
    EXPECT_EQ(Frame().GetFileViewer()->font(), Frame().GetFileList()->font());

    Frame().resize(900, 600);
    Frame().show();
    QApplication::processEvents();
    const QList<int> outer = Frame().OuterSplitter()->sizes();
    const int total = outer[0] + outer[1];
    EXPECT_NEAR(outer[0], total / 3, 2);
    const QList<int> inner = Frame().InnerSplitter()->sizes();
    EXPECT_NEAR(inner[0], (inner[0] + inner[1]) / 2, 2);
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
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("gone.dat"), std::string::npos);
    EXPECT_FALSE(CProfile::GetRecentFiles().contains(QString::fromStdString(m_dir / "gone.dat")));
    // Commands without a handler are disabled.
    EXPECT_FALSE(Frame().QueryCommand(12345).m_bEnabled);
}

TEST_F(MainFrameTest, ViewModeCommandsCheckTheirModeAndNotifyOnlyOnChange)
{
    ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(MakeArchive())));
    CCountingView counter;
    Doc().AddView(&counter);

    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_FOLDERS).m_nCheck, 1);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TYPES).m_nCheck, 0);
    Frame().ExecuteCommand(ID_VIEW_FOLDERS);
    EXPECT_EQ(counter.m_nUpdates, 0);
    Frame().ExecuteCommand(ID_VIEW_TYPES);
    EXPECT_EQ(counter.m_nUpdates, 1);
    EXPECT_EQ(Doc().m_nViewMode, 1);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_TYPES).m_nCheck, 1);
    EXPECT_TRUE(Frame().Action(ID_VIEW_TYPES)->isChecked());
    EXPECT_FALSE(Frame().Action(ID_VIEW_FOLDERS)->isChecked());
    Doc().RemoveView(&counter);
}

TEST_F(MainFrameTest, ListStyleRadioMarksFollowTheListWhateverChangedIt)
{
    const unsigned ids[] = {ID_VIEW_LARGEICON, ID_VIEW_DETAILS, ID_VIEW_SMALLICON, ID_VIEW_LIST};
    const int styles[] = {CDATFileList::LVS_ICON, CDATFileList::LVS_REPORT, CDATFileList::LVS_SMALLICON,
                          CDATFileList::LVS_LIST};
    for (int i = 0; i < 4; ++i) {
        Frame().ExecuteCommand(ids[i]);
        EXPECT_EQ(Frame().GetFileList()->GetStyle(), styles[i]);
        for (int j = 0; j < 4; ++j) {
            const CCmdUI ui = Frame().QueryCommand(ids[j]);
            EXPECT_TRUE(ui.m_bEnabled);
            EXPECT_TRUE(ui.m_bRadio);
            EXPECT_EQ(ui.m_nCheck, i == j ? 1 : 0) << i << " " << j;
        }
    }
    Frame().GetFileList()->SetStyle(CDATFileList::LVS_SMALLICON);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_SMALLICON).m_nCheck, 1);
    EXPECT_EQ(Frame().QueryCommand(ID_VIEW_LIST).m_nCheck, 0);
}

TEST_F(MainFrameTest, CancelledLoadAnsweredNoGoesOnAndYesEmptiesTheDocument)
{
    const std::string path = MakeArchive();
    // Cancel before entry 2, answered No: loading goes on and asks once.
    m_ui.m_progressLog.cancelAtPoll = {2};
    m_ui.m_answers = {IDNO};
    ASSERT_TRUE(m_app.OpenDocumentFile(QString::fromStdString(path)));
    EXPECT_EQ(Doc().m_files.size(), 5u);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Canceled loading?", "Ashmoor 2 DAT file browser", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(m_ui.m_progressLog.caption, "Загрузка...");

    // Answered Yes: the document is empty and the report names the file.
    m_ui.m_progressLog = {};
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_ui.m_answers = {IDYES};
    EXPECT_FALSE(m_app.OpenDocumentFile(QString::fromStdString(path)));
    EXPECT_TRUE(Doc().m_files.empty());
    EXPECT_FALSE(Doc().IsLoaded());
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("Failed to open document."), std::string::npos);
    EXPECT_NE(m_ui.m_reports[0].find(path), std::string::npos);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Ashmoor 2 DAT file browser"));
}

} // namespace
