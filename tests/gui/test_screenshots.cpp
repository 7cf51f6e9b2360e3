// Renders the main window into PNG files under build/screenshots/ for a
// reviewer to look at: the empty window, the File menu with recent files and
// a picture shown from a folder in details style, a critter facing three
// ways, and a picture whose palette moves, at two moments.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
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

    EXPECT_TRUE(ui.m_reports.empty()) << ui.m_reports.front();
}

} // namespace

TEST(ScreenshotTest, RendersPicturesThatMove)
{
    CTempDir dir;
    std::array<std::vector<SFrmFrameSpec>, 6> critter;
    for (int d = 0; d < 6; ++d)
        critter[std::size_t(d)] = CritterFrames(d, 8, 60, 90);
    CDatWriter writer;
    writer.AddStored("color.pal", BuildPalette(CyclingPalette()));
    writer.AddCompressed("critters\\walker.frm", BuildFrmDirections(10, 3, critter));
    writer.AddCompressed("tiles\\shore.frm", BuildFrm(160, 100, CyclingPicture(160, 100)));
    writer.WriteTo(dir / "moving.dat");
    CDATFileDoc doc(false);
    ASSERT_TRUE(doc.OpenDocumentFile(dir / "moving.dat"));
    doc.m_CashPath.Set(dir / "cash");
    CDATFileViewer viewer(&doc);
    viewer.resize(520, 400);
    viewer.show();
    viewer.OnInitialUpdate();
    viewer.SetItem(&FindFile(doc, "critters\\walker.frm"));
    viewer.TogglePlay();
    viewer.SetZoom(2);
    for (int d : {0, 2, 4}) {
        viewer.SetDirection(d);
        viewer.StepFrame(d);
        Save(viewer, ("critter-direction-" + std::to_string(d + 1)).c_str());
    }
    viewer.SetItem(&FindFile(doc, "tiles\\shore.frm"));
    Save(viewer, "palette-cycling-at-start");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 450)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    Save(viewer, "palette-cycling-later");
}
