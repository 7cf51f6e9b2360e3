// An idle browser sleeps: once an archive is open and shown, nothing wakes
// the process until the user does something.
#include "fakes.h"
#include "helpers.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "views/filelist.h"
#include "views/folderslist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class CTimerCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++m_nTimers;
        return false;
    }
    int m_nTimers = 0;
};

void RunEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

TEST(IdleTest, AnOpenArchiveCausesNoTimerWakeUps)
{
    CTempDir dir;
    ExampleArchive().WriteTo(dir / "game.dat");
    CFakeUiServices ui;
    CDravikApp app;
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(dir / "game.dat")}, &ui));
    app.Frame()->show();
    // Select an entry so every pane has something to show, then let it settle.
    QTreeView* list = app.Frame()->GetFileList()->DetailsView();
    app.Frame()->GetFoldersList()->setFocus();
    RunEventsFor(300);
    if (list->model()->rowCount() > 0)
        list->setCurrentIndex(list->model()->index(0, 0));
    RunEventsFor(500);

    CTimerCounter counter;
    qApp->installEventFilter(&counter);
    RunEventsFor(1500);
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.m_nTimers, 0);
}

} // namespace
