// Renders the main window into PNG files under build/screenshots/ for a
// reviewer to look at: the empty window, the File menu with recent files, a
// picture shown from a folder in details style, Find's results, a list sorted
// by size, the window in English and in Russian, a critter facing three ways,
// and a picture whose palette moves, at two moments.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "helpers.h"
#include "shell/aboutdlg.h"
#include "shell/app.h"
#include "shell/helpdialog.h"
#include "shell/language.h"
#include "views/commandids.h"
#include "shell/mainframe.h"
#include "shell/optiondialog.h"
#include "shell/progressdlg.h"
#include "shell/propdialog.h"
#include "shell/qtuiservices.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QTranslator>
#include <algorithm>
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

bool HasCyrillic(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

// What a window and its children show: titles, labels, buttons, tips, fields,
// choices, tabs and column headers.
void AddWidgetTexts(QWidget& window, QStringList& texts)
{
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* w : widgets) {
        texts << w->windowTitle() << w->toolTip() << w->statusTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            texts << plain->toPlainText();
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        else if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        else if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                texts << header->model()->headerData(i, header->orientation()).toString();
    }
}

// The marked texts of the window (menus with their prompts, panes, the idle
// status text), of its dialogs, of a message of the core and Qt's own Yes and
// No, in the language installed now.
QStringList WindowTexts(CDravikApp& app)
{
    CMainFrame& frame = *app.Frame();
    QStringList texts{frame.IdleStatusText()};
    for (int i = 0; QMenu* menu = frame.Menu(i); ++i) {
        texts << menu->title();
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text() << action->statusTip() << action->toolTip();
    }
    AddWidgetTexts(frame, texts);
    CDATFileDoc& doc = *app.Document();
    CDATOptionDialog settings(doc.m_CashPath);
    CFilePropDialog properties(nullptr, &doc.m_rootFolder);
    CProgressDlg progress;
    CAboutDlg about;
    CDATHelpDialog help;
    for (QWidget* dialog : std::initializer_list<QWidget*>{&settings, &properties, &progress, &about, &help})
        AddWidgetTexts(*dialog, texts);
    CQtUiServices services;
    texts << QString::fromStdString(services.Text(DRAVIK_TR_NOOP("Core", "Файл %1 существует. Заменить его?"), {"a"}));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return texts << box.button(QMessageBox::Yes)->text() << box.button(QMessageBox::No)->text();
}

// Names, and the original's English, which Russian keeps.
const QStringList kKeptInRussian = {QStringLiteral("Ashmoor 2 DAT file browser"),
                                    QStringLiteral("Ashmoor 2 DAT file Browser"), QStringLiteral("Dravik, 2026"),
                                    QStringLiteral("English"), QStringLiteral("Cancel")};

void RemoveTranslations()
{
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

TEST(ScreenshotTest, TheWindowSpeaksEnglishOrTheOriginalRussian)
{
    CFakeUiServices ui;
    QStringList original;
    {
        CDravikApp app;
        ASSERT_TRUE(app.InitInstance({}, &ui));
        original = WindowTexts(app);
    }
    for (const auto& [language, shot] : {std::pair{"en", "window-english"}, std::pair{"ru", "window-russian"}}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(InstallTranslations(*qApp, QLatin1String(language)));
        {
            CDravikApp app;
            ASSERT_TRUE(app.InitInstance({}, &ui));
            CMainFrame& frame = *app.Frame();
            const QStringList texts = WindowTexts(app);
            ASSERT_EQ(texts.size(), original.size());
            for (qsizetype i = 0; i < texts.size(); ++i) {
                // English throughout; in Russian the original's texts unchanged, the rest translated.
                if (language == std::string_view("en"))
                    EXPECT_FALSE(HasCyrillic(texts[i])) << texts[i].toStdString();
                else if (HasCyrillic(original[i]))
                    EXPECT_EQ(texts[i], original[i]);
                else if (!HasCyrillic(texts[i]))
                    EXPECT_TRUE(texts[i] == original[i] && (kKeptInRussian.contains(texts[i]) ||
                                                            !texts[i].contains(QRegularExpression("[a-z]{3}"))))
                        << texts[i].toStdString();
            }
            frame.resize(800, 500);
            QMenu* view = frame.Menu(1);
            view->popup(frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(view->menuAction()).bottomLeft()));
            Save(frame, shot, view);
            view->close();
        }
        RemoveTranslations();
    }
    EXPECT_TRUE(ui.m_reports.empty());
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

    CDATFileList* list = frame.GetFileList();
    frame.ExecuteCommand(ID_EDIT_FIND);
    list->FindField()->setText(QStringLiteral("r"));
    EXPECT_EQ(app.Document()->m_listing.size(), 4u);
    Save(frame, "find-results");
    list->EndFind();
    list->OnHeaderClicked(CListingModel::kColSize);
    list->OnHeaderClicked(CListingModel::kColSize);
    Save(frame, "sorted-by-size");

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
