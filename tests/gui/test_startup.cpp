// Start-up: an archive on the command line loads before the window shows;
// one that cannot be opened ends the start with no window.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "tempdir.h"
#include "views/folderslist.h"

#include <QApplication>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(StartupTest, NoArgumentsShowsAnEmptyWindowAnArchiveLoadsBeforeTheWindowShows)
{
    CTempDir dir;
    CDatWriter writer;
    writer.AddStored("art\\a.frm", "x");
    writer.WriteTo(dir / "a.dat");
    for (const QStringList& args : {QStringList{}, QStringList{QString::fromStdString(dir / "a.dat")}}) {
        CFakeUiServices ui;
        CDravikApp app;
        ASSERT_TRUE(app.InitInstance(args, &ui));
        ASSERT_NE(app.Frame(), nullptr);
        EXPECT_TRUE(app.Frame()->isVisible());
        EXPECT_EQ(app.Document()->IsLoaded(), !args.isEmpty());
        EXPECT_EQ(ui.m_progressLog.opened, !args.isEmpty());
        EXPECT_EQ(app.Frame()->GetFoldersList()->model()->rowCount(), args.size()); // the root node
    }
}

TEST(StartupTest, MissingOrBrokenArchiveEndsTheStartWithTheErrorAndNoWindow)
{
    CTempDir dir;
    WriteWholeFile(dir / "short.dat", "abc");
    for (const std::string& path : {dir / "missing.dat", dir / "short.dat"}) {
        CFakeUiServices ui;
        CDravikApp app;
        EXPECT_FALSE(app.InitInstance({QString::fromStdString(path)}, &ui));
        EXPECT_EQ(app.Frame(), nullptr);
        ASSERT_EQ(ui.m_reports.size(), 1u);
        EXPECT_NE(ui.m_reports[0].find(path), std::string::npos) << ui.m_reports[0];
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                    std::none_of(QApplication::topLevelWidgets().begin(), QApplication::topLevelWidgets().end(),
                                 [](QWidget* w) { return w->isVisible(); }));
    }
}

} // namespace
