// FRM and RIX pictures: conversion, layout in the pane, the cache, palettes,
// saving, opening, and what the pane shows when a picture cannot be shown.
#include "archive/filenames.h"
#include "filetypes/filetypes.h"
#include "filetypes/frmanimation.h"
#include "filetypes/previews.h"
#include "filetypes/imageconvert.h"
#include "formats/frm.h"
#include "formats/dib.h"
#include "formats/palcycle.h"
#include "formats/picture.h"
#include "frmwriter.h"
#include "handlertest.h"
#include "platform/exceptions.h"
#include "platform/freespace.h"
#include "pngread.h"

#include <functional>
#include <regex>
#include <sys/resource.h>

namespace {

const RECT kSmallFrameAtCentre{318, 238, 322, 242};

// A palette whose entry 1 is the given colour; the rest black.
std::string PaletteWithEntry1(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    Palette63 p{};
    p[1] = {r, g, b};
    return BuildPalette(p);
}

std::string Frm(std::uint16_t w, std::uint16_t h)
{
    return BuildFrm(w, h, std::vector<std::uint8_t>(std::size_t(w) * h, 1));
}

std::string Rix(std::uint16_t w, std::uint16_t h, const char* signature = "RIX3")
{
    return BuildRix(w, h, Palette63{}, std::vector<std::uint8_t>(std::size_t(w) * h, 1)).replace(0, 4, signature);
}

TEST(FitRectTest, SmallPicturesStayWhileOthersScaleKeepingTheirProportions)
{
    const RECT pane{0, 0, 640, 480};
    const std::tuple<RECT, RECT, RECT> cases[] = {
        {{0, 0, 100, 50}, pane, {0, 0, 100, 50}},      // smaller both ways: no margin either
        {{0, 0, 1000, 500}, pane, {5, 85, 635, 395}},  // width limits
        {{0, 0, 640, 480}, pane, {5, 5, 635, 475}},    // not smaller than the pane
        {{0, 0, 200, 1000}, pane, {277, 5, 363, 475}}, // height limits
        {{0, 0, 1000, 500}, {100, 100, 740, 580}, {105, 185, 735, 495}},
        {{0, 0, 0, 50}, pane, {0, 0, 0, 50}},                 // nothing to scale
        {{0, 0, 100, 50}, {0, 0, 640, 0}, {325, 5, 315, -5}}, // a pane without height divides nothing
    };
    for (const auto& [src, dst, expected] : cases) {
        RECT out;
        FitRect(out, src, dst, 5);
        EXPECT_EQ(out, expected) << src.right << "x" << src.bottom << " in " << dst.right << "x" << dst.bottom;
    }
}

TEST(ConversionTest, RixGivesItsSizeItsPaletteAndTheLastRowFirst)
{
    Palette63 palette{};
    palette[7] = {1, 2, 3};
    std::vector<std::uint8_t> pixels(640 * 480, 0);
    std::fill(pixels.end() - 640, pixels.end(), 7);
    const std::string bmp = RixToBmp(BuildRix(640, 480, palette, pixels), "x.rix");
    ASSERT_EQ(bmp.size(), 1078u + 307200u);
    EXPECT_EQ(bmp.substr(54 + 28, 4), std::string("\x0C\x08\x04\x00", 4));
    EXPECT_EQ(bmp.substr(1078, 640), std::string(640, '\x07'));
    EXPECT_EQ(bmp.substr(1078 + 640, 640), std::string(640, '\0'));

    const std::string narrow = RixToBmp(BuildRix(2, 2, palette, {1, 2, 3, 4}), "x.rix");
    EXPECT_EQ(narrow.substr(1078), std::string("\x03\x04\x00\x00\x01\x02\x00\x00", 8));
    EXPECT_EQ(RixToBmp(Rix(2, 2, "rix3"), "x.rix").size(), 1078u + 8);
}

TEST(ConversionTest, ShortOrOversizedPicturesAreCompletedFromNinetyPercentOrRefused)
{
    const std::string pal = PaletteWithEntry1(1, 1, 1);
    const std::string frm = Frm(10, 10), rix = Rix(10, 10);
    // The missing last row is index 0; it is the first row stored.
    const std::string frm90 = FrmToBmp(frm.substr(0, 74 + 90), pal, "x.frm");
    EXPECT_EQ(frm90.substr(1078), std::string(12, '\0') + FrmToBmp(frm, pal, "x.frm").substr(1078 + 12));
    EXPECT_EQ(RixToBmp(rix.substr(0, 778 + 90), "x.rix").substr(1078, 12), std::string(12, '\0'));
    EXPECT_EQ(FrmToBmp(Frm(16384, 1), pal, "x.frm").size(), 1078u + 16384);
    // Damage past the first frame (a frame count past 32767, a later frame too large) or a first
    // offset other than 0 still shows the frame at byte 62.
    const std::string twoFrames = BuildFrm(10, 10, std::vector<std::uint8_t>(100, 1), 2);
    for (const auto& [at, bytes] : {std::pair(8, "\xFF\xFF"), std::pair(74 + 100, "\xFF\xFF"), std::pair(36, "\1\1")})
        EXPECT_EQ(FrmToBmp(std::string(twoFrames).replace(at, 2, bytes), pal, "x.frm"), FrmToBmp(frm, pal, "x.frm")) << at;

    std::string blockField80 = frm; // a block-size field below the file's bytes limits the read
    blockField80[69] = 80;
    const std::vector<std::function<std::string()>> refused = {
        [&] { return FrmToBmp(frm.substr(0, 74 + 89), pal, "x.frm"); },
        [&] { return FrmToBmp(blockField80, pal, "x.frm"); },
        [&] { return FrmToBmp(frm.substr(0, 70), pal, "x.frm"); },
        [&] { return FrmToBmp(std::string("\0\0\0\3", 4) + frm.substr(4), pal, "x.frm"); },
        [&] { return FrmToBmp(Frm(16385, 1), pal, "x.frm"); },
        [&] { return FrmToBmp(Frm(1, 1).replace(62, 4, "\xFF\xFF\xFF\xFF"), pal, "x.frm"); },
        [&] { return RixToBmp(rix.substr(0, 778 + 89), "x.rix"); },
        [&] { return RixToBmp(rix.substr(0, 777), "x.rix"); },
        [&] { return RixToBmp("RIX", "x.rix"); },
        [&] { return RixToBmp(Rix(1, 16385), "x.rix"); },
        [&] { return RixToBmp(Rix(2, 2, "RIFF"), "x.rix"); },
    };
    for (std::size_t i = 0; i < refused.size(); ++i)
        if (const auto e = CatchException<CArchiveException>(refused[i])) {
            EXPECT_EQ(e->m_cause, CArchiveException::badIndex) << "case " << i;
        }
}

// The walk of the notes' worked example: each frame's bottom centre sits on the
// anchor moved by the direction's shift and the offsets of the frames so far.
TEST(FrmTest, FramesArePlacedByTheShiftAndTheAccumulatedOffsets)
{
    // width, height, x and y offset; the left and top the frame gets
    const int frames[][6] = {{36, 63, -1, 3, -19, -59}, {33, 62, -2, 2, -19, -56}, {30, 58, -10, 4, -28, -48}};
    std::string frm(62, '\0');
    frm[3] = 4, frm[9] = 3, frm[24] = '\xFF', frm[25] = '\xDE'; // direction 1 is shifted 34 up
    for (const auto& f : frames) {
        for (int v : {f[0], f[1], 0, f[0] * f[1], f[2], f[3]})
            frm += char(v >> 8), frm += char(v);
        frm.append(std::size_t(f[0] * f[1]), char(&f - frames + 1));
    }
    const SFrm parsed = ParseFrm(frm, "x.frm");
    const std::vector<SFrmBox> boxes = parsed.FrameBoxes(0), shifted = parsed.FrameBoxes(1);
    ASSERT_EQ(boxes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(boxes[i].m_nLeft == frames[i][4] && boxes[i].m_nTop == frames[i][5] &&
                    shifted[i].m_nTop == frames[i][5] - 34) << i;
    // The canvas is the union; frame 2 fills its left columns from row 11 down.
    const SFrmBox box = parsed.DirectionBox(0);
    EXPECT_TRUE(box.m_nLeft == -28 && box.m_nTop == -59 && box.m_nRight == 17 && box.m_nBottom == 10);
    const std::vector<std::uint8_t> canvas = parsed.ComposeFrame(0, 2, box);
    ASSERT_EQ(canvas.size(), 45u * 69u);
    EXPECT_EQ(std::count(canvas.begin(), canvas.end(), 3), 30 * 58);
    EXPECT_TRUE(canvas[11 * 45] == 3 && canvas[10 * 45] == 0 && canvas[68 * 45 + 29] == 3);
}

class ImageHandlerTest : public HandlerTest
{
protected:
    // The picture drawn by the last Show, as width x height, or "none".
    std::string Drawn() const
    {
        if (m_dc.m_dibs.empty())
            return "none";
        return std::to_string(m_dc.m_dibs.back().width) + "x" + std::to_string(m_dc.m_dibs.back().height);
    }
};

TEST_F(ImageHandlerTest, PicturesAreCentredScaledAndFramedInThePane)
{
    Open(Archive("p.dat", {{"color.pal", PaletteWithEntry1(1, 2, 3)}, {"a.frm", Frm(100, 50)}, {"b.frm", Frm(1000, 500)}}));
    Show("b.frm");
    ASSERT_EQ(m_dc.m_dibs.size(), 1u);
    EXPECT_EQ(m_dc.m_dibs[0].src, (RECT{0, 0, 1000, 500}));
    EXPECT_EQ(m_dc.m_dibs[0].dst, (RECT{5, 85, 635, 395}));
    EXPECT_EQ(m_dc.m_frames, (std::vector<RECT>{{3, 83, 637, 397}}));
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes, (std::vector<std::pair<int, int>>{{0, 0}}));
    Show("a.frm");
    EXPECT_EQ(m_dc.m_dibs[0].dst, (RECT{270, 215, 370, 265}));
    // A damaged cache BMP leaves the picture empty, also in a pane without height.
    WriteWholeFile(Entry("a.frm")->m_strCachePath, "BM broken");
    Show("b.frm");
    Show("a.frm");
    EXPECT_EQ(Drawn(), "none");
    EXPECT_EQ(m_dc.m_frames, std::vector<RECT>{kSmallFrameAtCentre});
    Show("a.frm", {0, 0, 640, 0});
    EXPECT_EQ(m_dc.m_frames, (std::vector<RECT>{{318, -2, 322, 2}}));
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_TRUE(m_ui.m_reports.empty());
}

TEST_F(ImageHandlerTest, EveryEntryOfEveryFolderAndArchiveKeepsItsOwnCacheFileInThisAndLaterRuns)
{
    const std::string pal = PaletteWithEntry1(1, 2, 3);
    // Same names in two folders and two archives, an FRM and a RIX of one base
    // name, and names the mapping to file names folds together.
    const std::vector<std::pair<std::string, std::string>> pictures = {
        {"a\\p.frm", Frm(2, 2)}, {"b\\P.FRM", Frm(3, 3)}, {"a\\p.rix", Rix(4, 4)},   {"a/b.frm", Frm(5, 5)},
        {"a_b.frm", Frm(6, 6)},  {".\\x.frm", Frm(7, 7)}, {"..\\x.frm", Frm(8, 8)}, {"\\x.frm", Frm(9, 9)}};
    Entries entries = {{"color.pal", pal}};
    entries.insert(entries.end(), pictures.begin(), pictures.end());
    const std::string first = Archive("x.dat", entries);
    const std::string second = Archive("patch/x.dat", {{"color.pal", pal}, {"a\\p.frm", Frm(10, 10)}});
    for (int run = 0; run < 2; ++run) {
        Open(first);
        for (const auto& [entry, frm] : pictures) {
            Show(entry);
            const int side = entry == "a_b.frm" && run ? 11 : std::uint8_t(frm[entry.ends_with("rix") ? 4 : 63]);
            EXPECT_EQ(Drawn(), std::to_string(side) + "x" + std::to_string(side)) << entry << " run " << run;
        }
        // A cache file is used as it stands, never converted again.
        const std::string cached = Entry("a_b.frm")->m_strCachePath;
        EXPECT_TRUE(std::regex_match(cached, std::regex(m_cache + "/x\\.dat-[0-9A-F]{8}/a_b\\.frm\\.bmp"))) << cached;
        WriteWholeFile(cached, FrmToBmp(Frm(11, 11), pal, "x"));
        Open(second);
        Show("a\\p.frm");
        EXPECT_EQ(Drawn(), "10x10");
    }
    EXPECT_EQ(CountFiles(m_cache), pictures.size() + 1);
}

TEST_F(ImageHandlerTest, SaveAsOfAnEntryOverOneGiBTakesTheMappedPath)
{
    // Nothing of that size is written: the mapped path's free-space check refuses it.
    const auto huge = [](const char* name) {
        return Def(name, "x", [](SDatEntryDef& d) { d.realSize = d.packedSize = (1u << 30) + 1; d.flag = 0; });
    };
    Open(Archive("big.dat", {}, {huge("big.frm"), huge("big.bin")}));
    SetFreeSpaceProbe([](const std::string&) -> std::uint64_t { return 1; });
    std::shared_ptr<void> restore(nullptr, [](void*) { SetFreeSpaceProbe(nullptr); });
    for (const char* entry : {"big.frm", "big.bin"}) {
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "out", 1};
        const auto save = [&] { Entry(entry)->m_pType->SaveAs(m_doc->Context(), Entry(entry), nullptr); };
        if (const auto e = CatchException<CFileException>(save)) {
            EXPECT_EQ(e->m_cause, CFileException::diskFull) << e->what();
        }
        EXPECT_FALSE(FileExists(m_dir / "out"));
    }
}

TEST_F(ImageHandlerTest, PaletteIsTheEntrysOwnWhereverItLiesThenColorPal)
{
    Open(Archive("p.dat", {{"COLOR.PAL", PaletteWithEntry1(0, 63, 0)},
                           {"art\\Ghost.FRM", Frm(2, 2)},
                           {"art\\plain.frm", Frm(2, 2)},
                           {"misc\\ghost.pal", PaletteWithEntry1(63, 0, 0)}}));
    for (const auto& [entry, colour] : {std::pair{"art\\Ghost.FRM", "\0\0\xFC\0"}, {"art\\plain.frm", "\0\xFC\0\0"}}) {
        Show(entry);
        EXPECT_EQ(ReadWholeFile(Entry(entry)->m_strCachePath).substr(54 + 4, 4), std::string(colour, 4)) << entry;
    }
}

TEST_F(ImageHandlerTest, MissingPaletteIsToldInThePaneWhenShownAndInAMessageBoxWhenSavedOrOpened)
{
    Open(Archive("p.dat", {{"art\\a.frm", Frm(2, 2)}, {"art\\b.frm", Frm(2, 2)}}));
    for (const char* entry : {"art\\a.frm", "art\\b.frm", "art\\a.frm"}) {
        Show(entry);
        EXPECT_EQ(Drawn(), "none");
        EXPECT_EQ(m_dc.m_texts.at(0).text, "Невозможно показать файл. Нет палитры.");
    }
    EXPECT_TRUE(m_ui.m_messages.empty() && m_ui.m_reports.empty());
    EXPECT_EQ(CountFiles(m_cache), 0u);

    CDATInternalFile* item = Entry("art\\a.frm");
    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "out.bmp", 2};
    item->m_pType->SaveAs(m_doc->Context(), item, nullptr);
    ExpectMessage(m_ui, 0, "Невозможно сохранить файл. Нет палитры.\nФайл: " + m_dir / "out.frm", "Ошибка",
                  MB_OK | MB_ICONINFORMATION);
    EXPECT_FALSE(FileExists(m_dir / "out.bmp"));
    EXPECT_EQ(OpenOutside("art\\a.frm"), "");
    EXPECT_TRUE(m_ui.m_messages.at(1).text.ends_with("Файл: " + m_opened.Folder() + "a.frm"));
}

TEST_F(ImageHandlerTest, SaveAsWritesTheEntryTheBitmapOrNothingAndOpenHandsOverTheBitmap)
{
    const std::string pal = PaletteWithEntry1(9, 8, 7);
    Open(Archive("p.dat", {{"color.pal", pal}, {"A.FRM", Frm(3, 2)}, {"B.RIX", Rix(5, 1)}}));
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"A.FRM", Frm(3, 2), FrmToBmp(Frm(3, 2), pal, "x")}, {"B.RIX", Rix(5, 1), RixToBmp(Rix(5, 1), "x")}};
    for (const auto& [entry, raw, bmp] : cases) {
        SCOPED_TRACE(entry);
        CDATInternalFile* item = Entry(entry);
        for (int filter = 1; filter <= 5; ++filter) {
            const std::string dest = m_dir / (std::string(entry) + std::to_string(filter));
            m_ui.m_saveAnswer = CUiServices::SSaveFileResult{dest, filter};
            item->m_pType->SaveAs(m_doc->Context(), item, nullptr);
            const std::string saved = FileExists(dest) ? ReadWholeFile(dest) : "none";
            if (filter == 3 || filter == 4) {
                // The PNG holds the BMP's colours; only the first filter makes index 0 see-through.
                CDib dib;
                dib.ReadFromMemory(bmp);
                const SRgbaPicture png = ReadPngRgba(saved);
                ASSERT_TRUE(png.indexed);
                EXPECT_EQ(saved.find("tRNS") != std::string::npos, filter == 3);
                ASSERT_EQ(png.pixels.size(), std::size_t(dib.Width()) * dib.Height());
                for (std::size_t i = 0; i < png.pixels.size(); ++i) {
                    const std::size_t row = dib.Height() - 1 - i / dib.Width(), col = i % dib.Width();
                    const std::uint8_t index = dib.Bits()[row * dib.Stride() + col];
                    const std::uint32_t alpha = index == 0 && filter == 3 ? 0 : 0xFF;
                    EXPECT_EQ(png.pixels[i], dib.Palette()[index] << 8 | alpha) << i;
                }
                continue;
            }
            EXPECT_EQ(saved, filter == 1 ? raw : filter == 2 ? bmp : "none");
        }
        EXPECT_EQ(m_ui.m_saveDialogs.back().second, entry);
        const std::string opened = OpenOutside(entry);
        EXPECT_EQ(opened, m_opened.Folder() + ReplaceExtension(entry, ".bmp"));
        EXPECT_EQ(ReadWholeFile(opened), bmp);
    }
    EXPECT_EQ(m_ui.m_saveDialogs.back().first, "RIX files|*.rix|Bitmap files (*.bmp)|*.bmp|PNG files (*.png)|*.png|PNG files, opaque "
                                                     "(*.png)|*.png|All files (*.*)|*.*||");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(ImageHandlerTest, UnshowablePicturesEmptyThePaneAndOnlyABadRixSignatureIsSilent)
{
    std::string badVersion = Frm(8, 8);
    badVersion[3] = 3;
    // A stream that does not inflate is damage, not a refusal; so is a size no stream of its length can reach.
    const SDatEntryDef damaged = Def("damaged.rix", Rix(8, 8), [](SDatEntryDef& d) { d.packedBytes = "not zlib"; });
    const SDatEntryDef huge = Def("huge.frm", Frm(8, 8), [](SDatEntryDef& d) {
        d.compress = true;
        d.realSize = (1u << 30) - 1;
    });
    Open(Archive("p.dat",
                 {{"color.pal", PaletteWithEntry1(1, 2, 3)}, {"good.frm", Frm(8, 8)}, {"bad.frm", badVersion},
                  {"fine.rix", Rix(8, 8)}, {"bad.rix", Rix(8, 8, "RIFF")}, {"short.rix", "RIX3\x02"}},
                 {damaged, huge}));
    // Reported, naming the entry: the wrong version and the damaged entries.
    // Silent, and tried again next time: a RIX that is not one, or too short to be one.
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    for (const char* entry : {"bad.frm", "damaged.rix", "huge.frm", "bad.rix", "short.rix"}) {
        SCOPED_TRACE(entry);
        const bool reported = std::string(entry).find(".frm") != std::string::npos || entry[0] == 'd';
        Show(std::string(entry).ends_with("rix") ? "fine.rix" : "good.frm");
        ASSERT_EQ(Drawn(), "8x8");
        const std::size_t reports = m_ui.m_reports.size();
        Show(entry);
        EXPECT_EQ(Drawn(), "none");
        EXPECT_EQ(m_dc.m_frames, std::vector<RECT>{kSmallFrameAtCentre});
        ASSERT_EQ(m_ui.m_reports.size(), reports + reported);
        if (reported)
            EXPECT_NE(m_ui.m_reports.back().find(entry), std::string::npos) << m_ui.m_reports.back();
        else
            EXPECT_EQ(Entry(entry)->m_strCachePath, "");
    }
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 200 * 1024) << "KiB";
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(CountFiles(m_cache), 2u); // the two good pictures, nothing half-written

    // Saving or opening a RIX that is not one is an error for the caller to report.
    CDATInternalFile* bad = Entry("bad.rix");
    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "bad.bmp", 2};
    EXPECT_THROW(bad->m_pType->SaveAs(m_doc->Context(), bad, nullptr), CArchiveException);
    EXPECT_FALSE(FileExists(m_dir / "bad.bmp"));
    EXPECT_THROW(OpenOutside("bad.rix"), CArchiveException);
    EXPECT_TRUE(m_ui.m_opened.empty());
}

} // namespace

// Colours of the cycled entries at moments of the game's clock: each colour
// moves up one entry a step, the alarm ramps its red up and down.
TEST(PaletteCycleTest, CycledEntriesFollowTheGameClock)
{
    const unsigned all = CycleGroupsUsed(std::vector<std::uint8_t>{229, 233, 238, 243, 248, 254}.data(), 6);
    const std::tuple<std::int64_t, int, std::uint32_t> cases[] = {
        {0, 229, 0x006C00},   {199, 229, 0x006C00}, {200, 229, 0x288018}, {200, 230, 0x006C00},
        {100, 233, 0x68B8FC}, {142, 243, 0x440000}, {150, 248, 0x503C28}, {0, 254, 0x100000},
        {33 * 15, 254, 0xE00000}, {33 * 29, 254, 0},
    };
    for (const auto& [ms, index, color] : cases) {
        std::uint32_t colors[256] = {};
        CycleColorsAt(ms, all, colors);
        EXPECT_EQ(colors[index], color) << ms << " ms, entry " << index;
    }
    EXPECT_EQ(NextCycleChange(40, all), 66);
    EXPECT_EQ(NextCycleChange(40, CycleGroupsUsed(std::vector<std::uint8_t>{1, 228, 255}.data(), 3)), -1);
}

// The figure stands still: every frame is drawn on the direction's union box,
// fitted once, each at its place from the accumulated offsets.
TEST_F(ImageHandlerTest, AnimationFramesShareOneBoxAndKeepTheirPlaces)
{
    // width, height, x and y offset; then where the frame's top left lands in the 9 x 6 union
    const int frames[][6] = {{4, 2, 0, 0, 3, 3}, {2, 4, 3, -1, 7, 0}, {6, 1, -5, 2, 0, 5}};
    std::array<std::vector<SFrmFrameSpec>, 6> directions;
    for (const auto& f : frames)
        directions[0].push_back({std::uint16_t(f[0]), std::uint16_t(f[1]), std::int16_t(f[2]), std::int16_t(f[3]),
                                 std::vector<std::uint8_t>(std::size_t(f[0] * f[1]), std::uint8_t(10 + (&f - frames)))});
    Open(Archive("a.dat", {{"color.pal", PaletteWithEntry1(1, 2, 3)}, {"walk.frm", BuildFrmDirections(5, 1, directions)}}));
    const std::unique_ptr<CPreview> preview = MakePreviewNow(m_doc->Context(), *Entry("walk.frm"));
    auto* animation = dynamic_cast<CFrmAnimationPreview*>(preview.get());
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->FrameDurationMs(), 200);
    animation->Layout(m_dc, {0, 0, 640, 480});
    for (int i = 0; i < 3; ++i) {
        animation->Show(SPictureState{}, i, 0);
        animation->Draw(m_dc);
        const SBitmap& bitmap = animation->ShownBitmap();
        ASSERT_EQ(bitmap.m_nWidth * 100 + bitmap.m_nHeight, 906);
        const auto at = std::find(bitmap.m_bits.begin(), bitmap.m_bits.end(), 10 + i) - bitmap.m_bits.begin();
        EXPECT_EQ(at % bitmap.m_nStride * 10 + at / bitmap.m_nStride, frames[i][4] * 10 + frames[i][5]) << i;
        EXPECT_EQ(std::count(bitmap.m_bits.begin(), bitmap.m_bits.end(), 10 + i), frames[i][0] * frames[i][1]);
        EXPECT_EQ(m_dc.m_dibs[std::size_t(i)].dst, m_dc.m_dibs[0].dst);
    }
    EXPECT_EQ(animation->Facts(), "9×6, 3 кадра, палитра color.pal");
}

// Direction files of one base name in one folder make one picture; a damaged
// sibling, or one in another folder, is left out; a lone still one stays still.
TEST_F(ImageHandlerTest, DirectionFilesOfAFolderAreShownAsOnePicture)
{
    const auto frm = [](int frames) {
        return BuildFrmDirections(10, 0, {std::vector<SFrmFrameSpec>(std::size_t(frames), {2, 2, 0, 0, {1, 1, 1, 1}})});
    };
    Open(Archive("a.dat", {{"color.pal", PaletteWithEntry1(1, 2, 3)}, {"c\\man.fr0", frm(2)}, {"c\\MAN.FR3", frm(1)},
                           {"c\\man.fr5", "junk"}, {"c\\manx.fr1", frm(1)}, {"d\\man.fr1", frm(1)}}));
    const std::pair<const char*, const char*> cases[] = {
        {"c\\man.fr0", "100100"}, {"c\\MAN.FR3", "100100"}, {"d\\man.fr1", "still"}, {"c\\manx.fr1", "still"}};
    for (const auto& [entry, present] : cases) {
        const std::unique_ptr<CPreview> preview = MakePreviewNow(m_doc->Context(), *Entry(entry));
        std::string shown = dynamic_cast<CPicturePreview*>(preview.get()) ? "still" : "";
        if (auto* animation = dynamic_cast<CFrmAnimationPreview*>(preview.get()))
            for (int d = 0; d < 6; ++d)
                shown += animation->HasDirection(d) ? '1' : '0';
        EXPECT_EQ(shown, present) << entry;
    }
}

// Without a palette in the archive the default palette file colours the
// picture, and the band says so; without one the pane says there is none.
TEST_F(ImageHandlerTest, PicturesWithoutAPaletteTakeTheDefaultOne)
{
    Open(Archive("a.dat", {{"a.frm", Frm(3, 2)}}));
    WriteWholeFile(m_dir / "game.pal", PaletteWithEntry1(60, 0, 0));
    for (const std::string& palette : {std::string(), m_dir / "game.pal"}) {
        m_doc->m_strDefaultPalette = palette;
        const std::unique_ptr<CPreview> preview = MakePreviewNow(m_doc->Context(), *Entry("a.frm"));
        auto* still = dynamic_cast<CPicturePreview*>(preview.get());
        EXPECT_EQ(still ? still->Facts() : "line", palette.empty() ? "line" : "3×2, палитра game.pal (по умолчанию)");
        EXPECT_EQ(still ? still->Bitmap().m_palette[1] : 0xF00000u, 0xF00000u);
    }
}
