// Renders the main window into PNG files under build/screenshots/ for a
// reviewer to look at: the empty window, the File menu with recent files, a
// folder in details style, and a picture, a RIX picture and a text shown.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "frmwriter.h"
#include "shell/app.h"
#include "shell/commandids.h"
#include "shell/mainframe.h"
#include "tempdir.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

std::string BuildShowcase(const CTempDir& dir)
{
    CDatWriter writer;
    writer.AddStored("color.pal", BuildPalette(DemoPalette()));
    writer.AddCompressed("art\\intrface\\landscape.frm", BuildFrm(320, 200, LandscapePicture(320, 200)));
    writer.AddCompressed("art\\intrface\\rings.frm", BuildFrm(64, 64, RingsPicture(64, 64)));
    writer.AddCompressed("art\\splash\\splash0.rix", BuildRix(320, 200, DemoPalette(), RingsPicture(320, 200)));
    writer.AddCompressed("art\\critters\\checker.frm", BuildFrm(48, 48, CheckerPicture(48, 48, 'A')));
    writer.AddCompressed("text\\english\\game\\intro.msg",
                         "{100}{}{Welcome to the wastes, traveller.}\r\n{101}{}{The vault door stands open; "
                         "beyond it the road runs east towards the river and the old city.}\r\n");
    writer.AddStored("readme.txt", "A showcase archive.");
    const std::string path = dir / "showcase.dat";
    writer.WriteTo(path);
    return path;
}

// The window, and the pop-up menu where it stands over it.
void Save(QWidget& window, const char* name, QMenu* menu = nullptr)
{
    QApplication::processEvents();
    QPixmap shot = window.grab();
    if (menu) {
        QPainter painter(&shot);
        painter.drawPixmap(menu->pos() - window.mapToGlobal(QPoint(0, 0)), menu->grab());
    }
    QDir().mkpath(QStringLiteral(DRAVIK_SCREENSHOT_DIR));
    const QString file = QStringLiteral(DRAVIK_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
    ASSERT_TRUE(shot.save(file)) << file.toStdString();
}

QModelIndex FindChild(QAbstractItemModel* model, const QModelIndex& parent, const QString& label)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == label)
            return index;
    }
    return {};
}

int FindRow(CDATFileDoc& doc, const char* name)
{
    for (std::size_t i = 0; i < doc.m_listing.size(); ++i)
        if (doc.m_listing[i]->GetName() == name)
            return int(i);
    return -1;
}

TEST(ScreenshotTest, RendersTheMainWindowForReview)
{
    CTempDir dir;
    const std::string archive = BuildShowcase(dir);
    CFakeUiServices ui;
    CDravikApp app;
    ASSERT_TRUE(app.InitInstance({}, &ui));
    app.Document()->m_CashPath.Set(dir / "cash");
    CMainFrame& frame = *app.Frame();
    frame.resize(1100, 720);
    frame.show();
    Save(frame, "empty-window");

    frame.SetRecentFiles({QString::fromStdString(archive),
                          QStringLiteral("/home/player/Games/Ashmoor 2/mods/R&D patches/unofficial community "
                                         "restoration project/data/archives/patch000.dat")});
    QMenu* file = frame.Menu(0);
    file->popup(frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(file->menuAction()).bottomLeft()));
    Save(frame, "recent-files-menu", file);
    file->close();

    ASSERT_TRUE(app.OpenDocumentFile(QString::fromStdString(archive)));
    CDATFoldersList* tree = frame.GetFoldersList();
    QAbstractItemModel* model = tree->model();
    const QModelIndex root = model->index(0, 0);
    tree->expand(root);
    const QModelIndex art = FindChild(model, root, QStringLiteral("art"));
    ASSERT_TRUE(art.isValid());
    tree->expand(art);
    const QModelIndex intrface = FindChild(model, art, QStringLiteral("intrface"));
    ASSERT_TRUE(intrface.isValid());
    tree->setCurrentIndex(intrface);
    frame.ExecuteCommand(ID_VIEW_DETAILS);
    ASSERT_EQ(app.Document()->m_listing.size(), 2u);
    Save(frame, "folder-in-details");

    CDATFileList* list = frame.GetFileList();
    list->SelectRows({FindRow(*app.Document(), "landscape.frm")});
    EXPECT_NE(frame.GetFileViewer()->GetItem(), nullptr);
    Save(frame, "frm-picture-shown");

    tree->setCurrentIndex(FindChild(model, art, QStringLiteral("splash")));
    list->SelectRows({FindRow(*app.Document(), "splash0.rix")});
    Save(frame, "rix-picture-shown");

    frame.ExecuteCommand(ID_VIEW_TYPES);
    const QModelIndex msg = FindChild(model, QModelIndex(), QStringLiteral("Msg files"));
    ASSERT_TRUE(msg.isValid());
    tree->setCurrentIndex(msg);
    frame.ExecuteCommand(ID_VIEW_LARGEICON);
    list->SelectRows({0});
    Save(frame, "text-shown");
    EXPECT_TRUE(ui.m_reports.empty()) << ui.m_reports.front();
}

} // namespace
