// Renders the main window into PNG files under build/screenshots/ for a
// reviewer to look at: the empty window, the File menu with recent files, a
// picture shown from a folder in details style, Find's results, a list sorted
// by size, the window in English and in Russian, a critter facing three ways,
// a picture whose palette moves, at two moments, a set of sources, a palette's
// grid, a hex view, a text and critters as thumbnails.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "mvewriter.h"
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
#include "shell/sourcesetdlg.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/thumbnails.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QTranslator>
#include <algorithm>
#include <filesystem>
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
                if (language == std::string_view("en")) {
                    EXPECT_FALSE(HasCyrillic(texts[i])) << texts[i].toStdString();
                } else if (HasCyrillic(original[i])) {
                    EXPECT_EQ(texts[i], original[i]);
                } else if (!HasCyrillic(texts[i])) {
                    EXPECT_TRUE(texts[i] == original[i] && (kKeptInRussian.contains(texts[i]) ||
                                                            !texts[i].contains(QRegularExpression("[a-z]{3}"))))
                        << texts[i].toStdString();
                }
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

    CDATFileList* list = frame.GetFileList();
    frame.ExecuteCommand(ID_EDIT_FIND);
    list->FindField()->setText(QStringLiteral("r"));
    EXPECT_EQ(app.Document()->m_listing.size(), 6u); // door.acm and intro.mve as well
    Save(frame, "find-results");
    list->EndFind();
    list->OnHeaderClicked(CListingModel::kColSize);
    list->OnHeaderClicked(CListingModel::kColSize);
    Save(frame, "sorted-by-size");

    // A set: a patch overrides the landscape, a loose folder the readme.
    CDatWriter patch;
    patch.AddCompressed("art\\intrface\\landscape.frm", BuildFrm(200, 120, RingsPicture(200, 120)));
    patch.WriteTo(dir / "patch.dat");
    std::filesystem::create_directories(dir / "data/art/intrface");
    WriteWholeFile(dir / "data/readme.txt", "The door is shut now.");
    WriteWholeFile(dir / "data/art/intrface/new.frm", BuildFrm(32, 32, RingsPicture(32, 32)));
    ASSERT_TRUE(app.OpenDocumentFile(SourceSetPath(
        {QString::fromStdString(archive), QString::fromStdString(dir / "patch.dat"), QString::fromStdString(dir / "data")})));
    node = tree->model()->index(0, 0);
    for (const char* name : {"art", "intrface"}) {
        tree->expand(node);
        tree->setCurrentIndex(node);
        tree->SelectChildFolder(&FindFolder(*app.Document(), name));
        node = tree->currentIndex();
    }
    list->SelectRows({1});
    Save(frame, "merged-set");

    // The showcase compared with a later version whose landscape was redrawn.
    CDatWriter later;
    later.AddStored("color.pal", BuildPalette(DemoPalette()));
    later.AddCompressed("art\\intrface\\landscape.frm", BuildFrm(320, 200, RingsPicture(320, 200)));
    later.AddCompressed("art\\intrface\\rings.frm", BuildFrm(64, 64, RingsPicture(64, 64)));
    later.WriteTo(dir / "showcase-2.dat");
    ASSERT_TRUE(app.OpenDocumentFile(QString::fromStdString(archive)));
    ui.m_openAnswer = dir / "showcase-2.dat";
    frame.ExecuteCommand(ID_FILE_COMPARE);
    tree->SelectChildFolder(&FindFolder(*app.Document(), "art"));
    tree->SelectChildFolder(&FindFolder(*app.Document(), "intrface"));
    list->SelectRows({0});
    show("art\\intrface\\landscape.frm");
    Save(frame, "compare-side-by-side");

    EXPECT_TRUE(ui.m_reports.empty()) << ui.m_reports.front();
}

TEST(ScreenshotTest, RendersAFolderOfCrittersAsThumbnails)
{
    CTempDir dir;
    CDatWriter writer;
    writer.AddStored("color.pal", BuildPalette(DemoPalette()));
    for (int i = 0; i < 12; ++i) {
        std::array<std::vector<SFrmFrameSpec>, 6> critter;
        for (int d = 0; d < 6; ++d)
            critter[std::size_t(d)] = CritterFrames((d + i) % 6, 4, 40 + 6 * i, 60 + 8 * i);
        writer.AddCompressed("critters\\hm" + std::to_string(100 + i) + ".frm", BuildFrmDirections(10, 1, critter));
    }
    writer.AddCompressed("critters\\critters.lst", "hm100.frm");
    writer.WriteTo(dir / "critters.dat");
    CFakeUiServices ui;
    CDravikApp app;
    ASSERT_TRUE(app.InitInstance({}, &ui));
    app.Document()->m_CashPath.Set(dir / "cash");
    CMainFrame& frame = *app.Frame();
    frame.resize(1100, 720);
    ASSERT_TRUE(app.OpenDocumentFile(QString::fromStdString(dir / "critters.dat")));
    frame.GetFoldersList()->SelectChildFolder(&FindFolder(*app.Document(), "critters"));
    frame.ExecuteCommand(ID_VIEW_THUMBNAILS);
    const CThumbnailCache* cache = frame.GetFileList()->Model()->ThumbnailCache();
    QElapsedTimer clock;
    clock.start();
    while (cache->Finished() < 12 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(cache->Finished(), 12);
    Save(frame, "critters-as-thumbnails");
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

TEST(ScreenshotTest, RendersAPaletteAHexViewAndAText)
{
    CTempDir dir;
    std::string bytes(5000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 37 / 5);
    CDatWriter writer;
    writer.AddStored("color.pal", BuildPalette(CyclingPalette()));
    writer.AddCompressed("maps\\village.sav", bytes);
    writer.AddCompressed("data\\video.ini", "[Screen]\r\nWidth=640\r\nHeight=480\r\n; a line without spaces: "
                                            + std::string(150, '=') + "\r\n");
    writer.WriteTo(dir / "misc.dat");
    CDATFileDoc doc(false);
    ASSERT_TRUE(doc.OpenDocumentFile(dir / "misc.dat"));
    doc.m_CashPath.Set(dir / "cash");
    CDATFileViewer viewer(&doc);
    viewer.resize(620, 440);
    viewer.show();
    viewer.OnInitialUpdate();
    for (const char* entry : {"color.pal", "maps\\village.sav", "data\\video.ini"}) {
        viewer.SetItem(&FindFile(doc, entry));
        std::string name = entry;
        name = name.substr(name.find_last_of('\\') + 1);
        std::replace(name.begin(), name.end(), '.', '-');
        Save(viewer, ("viewer-" + name).c_str());
    }
}

