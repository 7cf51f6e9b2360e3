// Renders the main window into PNG files under build/screenshots/ for a
// reviewer to look at: the empty window, the File menu with recent files and
// a picture shown from a folder in details style.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "mvewriter.h"
#include "helpers.h"
#include "shell/app.h"
#include "views/commandids.h"
#include "shell/mainframe.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The window, and the pop-up menu where it stands over it.
void Save(QWidget& window, const char* name, QMenu* menu = nullptr)
{
    QApplication::processEvents();
    QPixmap shot = window.grab();
    if (menu)
        QPainter(&shot).drawPixmap(menu->pos() - window.mapToGlobal(QPoint(0, 0)), menu->grab());
    QDir().mkpath(QStringLiteral(DRAVIK_SCREENSHOT_DIR));
    const QString file = QStringLiteral(DRAVIK_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
    ASSERT_TRUE(shot.save(file)) << file.toStdString();
}

TEST(ScreenshotTest, RendersTheMainWindowForReview)
{
    CTempDir dir;
    CDatWriter writer;
    writer.AddStored("color.pal", BuildPalette(DemoPalette()));
    writer.AddCompressed("art\\intrface\\landscape.frm", BuildFrm(320, 200, LandscapePicture(320, 200)));
    writer.AddCompressed("art\\intrface\\rings.frm", BuildFrm(64, 64, RingsPicture(64, 64)));
    writer.AddCompressed("readme.txt", "The vault door stands open.");
    writer.AddStored("sound\\sfx\\door.acm", BuildAcm(40000, 1, 22050, std::string(8000, '\0')));
    writer.AddStored("art\\cuts\\intro.mve", BuildMve(DemoMovie(320, 200, 4, 15, true, 1)));
    const std::string archive = dir / "showcase.dat";
    writer.WriteTo(archive);
    CFakeUiServices ui;
    CDravikApp app;
    ASSERT_TRUE(app.InitInstance({}, &ui));
    app.Document()->m_CashPath.Set(dir / "cash");
    CMainFrame& frame = *app.Frame();
    frame.resize(1100, 720);
    Save(frame, "empty-window");

    frame.SetRecentFiles({QString::fromStdString(archive),
                          QStringLiteral("/home/player/Games/Ashmoor 2/mods/unofficial community restoration "
                                         "project/data/archives/R&D patches/patch000.dat")});
    QMenu* file = frame.Menu(0);
    file->popup(frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(file->menuAction()).bottomLeft()));
    Save(frame, "recent-files-menu", file);
    file->close();

    // The tree walked down to art\intrface, the picture shown in details style.
    ASSERT_TRUE(app.OpenDocumentFile(QString::fromStdString(archive)));
    CDATFoldersList* tree = frame.GetFoldersList();
    QModelIndex node = tree->model()->index(0, 0);
    for (const char* name : {"art", "intrface"}) {
        tree->expand(node);
        tree->setCurrentIndex(node);
        tree->SelectChildFolder(&FindFolder(*app.Document(), name));
        node = tree->currentIndex();
    }
    frame.ExecuteCommand(ID_VIEW_DETAILS);
    ASSERT_EQ(app.Document()->m_listing.size(), 2u);
    frame.GetFileList()->SelectRows({0}); // landscape.frm
    EXPECT_NE(frame.GetFileViewer()->GetItem(), nullptr);
    Save(frame, "frm-picture-shown");

    // A sound with no sound device: facts, waveform and a line saying so, no
    // message; with one, Space plays and selecting another entry stops it.
    CDATFileViewer& viewer = *frame.GetFileViewer();
    auto show = [&](const char* entry) {
        viewer.SetItem(&FindFile(*app.Document(), entry));
        QElapsedTimer clock;
        clock.start();
        while (viewer.IsPreviewPending() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    };
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    show("sound\\sfx\\door.acm");
    EXPECT_TRUE(viewer.ToggleSound());
    EXPECT_FALSE(viewer.IsSoundPlaying());
    Save(frame, "sound-no-device");
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    show("art\\cuts\\intro.mve");
    Save(frame, "movie-poster");
    show("sound\\sfx\\door.acm");
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&viewer, &space);
    EXPECT_TRUE(viewer.IsSoundPlaying());
    show("art\\cuts\\intro.mve");
    EXPECT_FALSE(viewer.IsSoundPlaying());
    ::unsetenv("SDL_AUDIODRIVER");
    EXPECT_TRUE(ui.m_messages.empty());

    EXPECT_TRUE(ui.m_reports.empty()) << ui.m_reports.front();
}

} // namespace
