// Previews: made once per entry outside paint (large ones on a worker
// thread), shown by paint alone, and several archives open side by side.
#include "archive/datfiledoc.h"
#include "dat1writer.h"
#include "fakes.h"
#include "frmwriter.h"
#include "helpers.h"
#include "platform/profile.h"
#include "views/copyto.h"
#include "views/commandids.h"
#include "views/fileviewer.h"
#include "views/picturestrip.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QThreadPool>
#include <malloc.h>
#include <unistd.h>
#include <functional>
#include <tuple>
#include <gtest/gtest.h>

namespace {

std::string Picture(std::uint16_t side, std::uint8_t index)
{
    return BuildFrm(side, side, std::vector<std::uint8_t>(std::size_t(side) * side, index));
}

std::string Palette()
{
    Palette63 rgb{};
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i].fill(std::uint8_t(i % 64));
    return BuildPalette(rgb);
}

class PreviewTest : public ::testing::Test
{
protected:
    std::string Archive(const std::string& name, std::uint8_t colour)
    {
        CDatWriter w;
        w.AddStored("color.pal", Palette());
        w.AddCompressed("art\\pic.frm", Picture(32, colour));
        w.AddCompressed("text\\readme.txt", "line one\r\nline two\r\n");
        // Large enough to be made on a worker thread.
        w.AddCompressed("art\\big.frm", Picture(1100, colour));
        w.WriteTo(m_dir / name);
        return m_dir / name;
    }

    struct SPane
    {
        SPane(const std::string& path, const std::string& cache) : viewer(&doc)
        {
            EXPECT_TRUE(doc.OpenDocumentFile(path));
            doc.m_CashPath.Set(cache);
            viewer.resize(400, 300);
            viewer.show();
            viewer.OnInitialUpdate();
        }
        CDATFileDoc doc{false};
        CDATFileViewer viewer;
    };

    static void WaitForPreview(CDATFileViewer& viewer)
    {
        QElapsedTimer clock;
        clock.start();
        while (viewer.IsPreviewPending() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }

    static QColor Centre(CDATFileViewer& viewer)
    {
        const QImage image = viewer.viewport()->grab().toImage();
        return image.pixelColor(image.width() / 2, 40 + (image.height() - 40) / 2);
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
};

// What the program holds: cancelled work finished and the allocator's free
// pages given back, since glibc keeps them per thread at its own discretion.
long ResidentBytes()
{
    QThreadPool::globalInstance()->waitForDone();
    malloc_trim(0);
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

TEST_F(PreviewTest, TwoArchivesShowSaveAndCopyEachFromItsOwnFile)
{
    SPane a(Archive("a.dat", 10), m_dir / "cache-a"), b(Archive("b.dat", 50), m_dir / "cache-b");
    // Each document numbers its own folders from its own root.
    EXPECT_EQ(a.doc.m_rootFolder.m_nID, 0u);
    EXPECT_EQ(b.doc.m_rootFolder.m_nID, 0u);
    EXPECT_EQ(FindFile(a.doc, "art\\pic.frm").m_pParent->m_nID, FindFile(b.doc, "art\\pic.frm").m_pParent->m_nID);

    a.viewer.SetItem(&FindFile(a.doc, "art\\pic.frm"));
    b.viewer.SetItem(&FindFile(b.doc, "art\\pic.frm"));
    EXPECT_EQ(Centre(a.viewer), QColor(40, 40, 40));
    EXPECT_EQ(Centre(b.viewer), QColor(200, 200, 200));

    for (SPane* pane : {&a, &b}) {
        CDATInternalFile& pic = FindFile(pane->doc, "art\\pic.frm");
        const std::string saved = m_dir / ("saved-" + std::to_string(pane == &a) + ".bmp");
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{saved, 2};
        pic.m_pType->SaveAs(pane->doc.Context(), &pic, nullptr);
        EXPECT_EQ(ReadWholeFile(saved), ReadWholeFile(pic.m_strCachePath));

        const std::string folder = m_dir / ("copied-" + std::to_string(pane == &a));
        std::filesystem::create_directories(folder);
        m_ui.m_folderAnswer = folder;
        pane->doc.ListFolder(FindFile(pane->doc, "text\\readme.txt").m_pParent, nullptr);
        EXPECT_EQ(CopySelectedFiles(pane->doc, {0}, nullptr).m_nWritten, 1);
        EXPECT_EQ(ReadWholeFile(folder + "/readme.txt"), "line one\r\nline two\r\n");
    }
    EXPECT_NE(ReadWholeFile(m_dir / "saved-1.bmp"), ReadWholeFile(m_dir / "saved-0.bmp"));
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
}

TEST_F(PreviewTest, FirstGameArchiveShowsItsPictureInItsPaletteAndItsText)
{
    CDat1Writer w;
    w.AddStored(".", "COLOR.PAL", Palette());
    w.Add({"ART\\INTRFACE", "PIC.FRM", Picture(32, 10), EDat1Storage::kStream});
    w.Add({"TEXT", "README.TXT", "line one\r\nline two\r\n"}); // LZSS blocks
    w.WriteTo(m_dir / "first.dat");
    SPane pane(m_dir / "first.dat", m_dir / "cache");
    pane.viewer.SetItem(&FindFile(pane.doc, "ART\\INTRFACE\\PIC.FRM"));
    EXPECT_EQ(Centre(pane.viewer), QColor(40, 40, 40));
    CDATInternalFile& text = FindFile(pane.doc, "TEXT\\README.TXT");
    pane.viewer.SetItem(&text);
    EXPECT_EQ(pane.viewer.GetItem(), &text);
    EXPECT_EQ(ReadWholeFile(text.m_strCachePath), "line one\r\nline two\r\n");
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
}

TEST_F(PreviewTest, PaintOnlyDrawsAndLargeEntriesAreMadeOnAWorker)
{
    SPane pane(Archive("a.dat", 10), m_dir / "cache");
    for (const char* entry : {"art\\pic.frm", "text\\readme.txt"}) {
        SCOPED_TRACE(entry);
        const int before = pane.viewer.PreviewsMade();
        pane.viewer.SetItem(&FindFile(pane.doc, entry));
        for (int i = 0; i < 100; ++i)
            pane.viewer.viewport()->repaint();
        pane.viewer.SetItem(&FindFile(pane.doc, entry)); // reported again by autoshow
        EXPECT_EQ(pane.viewer.PreviewsMade(), before + 1);
    }
    // Back to an entry shown a moment ago: it comes from the viewer's cache.
    pane.viewer.SetItem(&FindFile(pane.doc, "art\\pic.frm"));
    EXPECT_EQ(pane.viewer.PreviewsMade(), 2);

    // The big picture shows the empty frame until the worker is done.
    pane.viewer.SetItem(&FindFile(pane.doc, "art\\big.frm"));
    EXPECT_TRUE(pane.viewer.IsPreviewPending());
    EXPECT_EQ(Centre(pane.viewer), QColor(Qt::white)); // inside the empty 4 x 4 frame
    WaitForPreview(pane.viewer);
    EXPECT_FALSE(pane.viewer.IsPreviewPending());
    EXPECT_EQ(Centre(pane.viewer), QColor(40, 40, 40));
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});

    // A document change while a worker runs: its late result is dropped.
    std::filesystem::remove_all(m_dir / "cache");
    pane.viewer.SetItem(&FindFile(pane.doc, "art\\pic.frm"));
    pane.viewer.OnUpdate(nullptr, 0, nullptr);
    pane.viewer.SetItem(&FindFile(pane.doc, "art\\big.frm"));
    pane.doc.OnNewDocument();
    WaitForPreview(pane.viewer);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.viewer.GetItem(), nullptr);
}

} // namespace

// Keys and menu items drive the shown picture; direction, pause and zoom stay
// while the selection moves on; the timer runs only while something moves.
TEST_F(PreviewTest, PicturesPlayAndTheViewersStateOutlivesTheSelection)
{
    std::array<std::vector<SFrmFrameSpec>, 6> critter;
    for (int d = 0; d < 6; ++d)
        critter[std::size_t(d)] = CritterFrames(d, 4, 20, 30);
    CDatWriter w;
    w.AddStored("color.pal", BuildPalette(CyclingPalette()));
    w.AddCompressed("a.frm", BuildFrmDirections(20, 2, critter));
    w.AddCompressed("b.frm", BuildFrmDirections(20, 0, critter));
    w.AddCompressed("still.frm", Picture(8, 5));
    w.AddCompressed("water.frm", BuildFrm(16, 16, CyclingPicture(16, 16)));
    w.WriteTo(m_dir / "x.dat");
    SPane pane(m_dir / "x.dat", m_dir / "cache");
    CDATFileViewer& viewer = pane.viewer;
    auto key = [&](int k, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(&viewer, &press);
    };
    struct SStep
    {
        const char* entry;
        std::function<void()> act;
        bool strip, timer;
        const char* frame; // the strip's text, or "" when hidden
    };
    const SStep steps[] = {
        {"a.frm", [] {}, true, true, "1 / 4"},
        {"a.frm", [&] { key(Qt::Key_3); }, true, true, "1 / 4"},
        {"a.frm", [&] { key(Qt::Key_Space); }, true, false, "1 / 4"},
        {"a.frm", [&] { key(Qt::Key_Period); key(Qt::Key_Right); }, true, false, "3 / 4 ✱"},
        {"b.frm", [] {}, true, false, "1 / 4"},
        {"b.frm", [&] { key(Qt::Key_Comma); key(Qt::Key_0, Qt::ControlModifier); }, true, false, "4 / 4"},
        {"still.frm", [] {}, false, false, ""},
        {"water.frm", [] {}, false, true, ""},
        {"water.frm", [&] { viewer.OnPictureCommand(ID_VIEW_PALETTE_ANIMATION, nullptr); }, false, false, ""},
        {"a.frm", [&] { key(Qt::Key_Space); }, true, true, "1 / 4"},
    };
    viewer.SetZoom(2);
    for (const SStep& step : steps) {
        viewer.SetItem(&FindFile(pane.doc, step.entry));
        step.act();
        const std::string where = std::string(step.entry) + " at " + std::to_string(&step - steps);
        EXPECT_EQ(viewer.Strip()->isVisibleTo(&viewer), step.strip) << where;
        EXPECT_EQ(viewer.AnimationTimer().isActive(), step.timer) << where;
        EXPECT_EQ(step.strip ? viewer.Strip()->FrameText().toStdString() : "", step.frame) << where;
    }
    EXPECT_EQ(viewer.PictureState().m_nDirection, 2);
    EXPECT_EQ(viewer.PictureState().m_nZoom, 0);
    // Playing at 20 fps, the frame moves on within a few of its 50 ms.
    QElapsedTimer clock;
    clock.start();
    while (viewer.Animation()->Frame() == 0 && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_LT(clock.elapsed(), 500);
}

TEST_F(PreviewTest, AChosenPaletteRecoloursThePictureAndStaysForTheNextOne)
{
    // Entries 1 and 2 (both frames) in one colour.
    auto palette = [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        Palette63 rgb{};
        rgb[1] = rgb[2] = {r, g, b};
        return BuildPalette(rgb);
    };
    CDatWriter w;
    w.AddStored("color.pal", palette(10, 10, 10));
    w.AddStored("other.pal", palette(63, 0, 0));
    for (const char* name : {"a.frm", "b.frm"})
        w.AddCompressed(name, BuildFrm(300, 200, std::vector<std::uint8_t>(60000, 1), 2));
    w.WriteTo(m_dir / "x.dat");
    WriteWholeFile(m_dir / "disk.pal", palette(0, 63, 0));
    SPane pane(m_dir / "x.dat", m_dir / "cache");
    CDATFileViewer& viewer = pane.viewer;
    const std::tuple<const char*, std::function<void()>, QColor, const char*> steps[] = {
        {"a.frm", [] {}, QColor(40, 40, 40), "color.pal"},
        {"a.frm", [&] { emit viewer.Strip()->PaletteChosen(2); }, QColor(252, 0, 0), "other.pal"},
        {"b.frm", [] {}, QColor(252, 0, 0), "other.pal"},
        {"b.frm", [&] { viewer.SetPalette({}, m_dir / "disk.pal"); }, QColor(0, 252, 0), "disk.pal"},
        {"a.frm", [&] { emit viewer.Strip()->PaletteChosen(0); }, QColor(40, 40, 40), "color.pal"},
    };
    for (const auto& [entry, act, colour, name] : steps) {
        viewer.SetItem(&FindFile(pane.doc, entry));
        act();
        WaitForPreview(viewer);
        ASSERT_TRUE(viewer.Animation()) << entry;
        EXPECT_EQ(Centre(viewer), colour) << entry << name;
        EXPECT_TRUE(viewer.Animation()->Facts().ends_with(std::string("палитра ") + name)) << viewer.Animation()->Facts();
    }
}
TEST_F(PreviewTest, HundredMegabyteEntriesNeverHoldTheWindowAndScrollInHexWithFlatMemory)
{
    {
        std::string big(100u << 20, '\0');
        for (std::size_t i = 0; i < big.size(); i += 4096)
            big[i] = char(i >> 12);
        CDatWriter w;
        w.AddStored("color.pal", Palette());
        w.AddStored("stored.bin", big);
        w.AddCompressed("packed.bin", big);
        w.AddCompressed("big.frm", Picture(1100, 10));
        w.WriteTo(m_dir / "big.dat");
    }
    SPane pane(m_dir / "big.dat", m_dir / "cache");
    CDATFileViewer& viewer = pane.viewer;
    QScrollBar* bar = viewer.verticalScrollBar();
    const long before = ResidentBytes();
    for (const char* name : {"stored.bin", "packed.bin"}) {
        SCOPED_TRACE(name);
        // Selected, left and selected again: the window waits for none of it,
        // and the picture left behind is not kept.
        QElapsedTimer clock;
        clock.start();
        for (const char* entry : {name, "big.frm", name})
            viewer.SetItem(&FindFile(pane.doc, entry));
        EXPECT_LT(clock.elapsed(), 100);
        EXPECT_TRUE(viewer.IsPreviewPending());
        WaitForPreview(viewer);
        EXPECT_GT(bar->maximum(), (100 << 20) / 16 * 8); // a row of at least 8 pixels for every 16 bytes
        for (int at : {bar->maximum(), bar->maximum() / 3, 0}) {
            bar->setValue(at);
            viewer.viewport()->grab();
        }
        EXPECT_LT(ResidentBytes() - before, 24L << 20);
        viewer.SetItem(&FindFile(pane.doc, "big.frm"));
        EXPECT_TRUE(viewer.IsPreviewPending());
    }
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
}

TEST_F(PreviewTest, TextsAreSelectedCopiedBrokenAtTheEdgeAndSetInAFixedFontOnRequest)
{
    CDatWriter w;
    w.AddCompressed("readme.txt", "line one\r\nline two\r\n");
    w.AddCompressed("long.ini", std::string(400, 'x') + "\r\n");
    w.AddStored("data.bin", std::string("\0\1\2", 3));
    w.WriteTo(m_dir / "t.dat");
    SPane pane(m_dir / "t.dat", m_dir / "cache");
    QPlainTextEdit* text = pane.viewer.TextView();
    const struct
    {
        const char* entry;
        bool shown;
        std::function<bool()> check;
    } cases[] = {
        {"readme.txt", true, [&] {
             // As typed: the keys pass the shortcut check before the widget sees them.
             QGuiApplication::clipboard()->clear();
             for (Qt::Key key : {Qt::Key_A, Qt::Key_C}) {
                 QKeyEvent override(QEvent::ShortcutOverride, key, Qt::ControlModifier);
                 QCoreApplication::sendEvent(text, &override);
                 QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
                 QCoreApplication::sendEvent(text, &press);
             }
             return QGuiApplication::clipboard()->text().startsWith(QStringLiteral("line one\nline two"));
         }},
        {"long.ini", true, [&] { return text->document()->firstBlock().layout()->lineCount() > 2; }},
        {"data.bin", false, [] { return true; }},
    };
    for (const auto& c : cases) {
        pane.viewer.SetItem(&FindFile(pane.doc, c.entry));
        text->grab();
        EXPECT_EQ(text->isVisibleTo(&pane.viewer), c.shown) << c.entry;
        EXPECT_TRUE(c.check()) << c.entry;
    }
    for (bool fixed : {true, false}) {
        pane.viewer.OnPictureCommand(ID_VIEW_FIXED_FONT, nullptr);
        EXPECT_EQ(QFontInfo(text->font()).fixedPitch(), fixed);
        EXPECT_EQ(CProfile::GetProfileString("Settings", "FixedFont"), fixed ? "1" : "0");
    }
}

