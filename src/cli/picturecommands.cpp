#include "cli/picturecommands.h"

#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "archive/namecompare.h"
#include "cli/commands.h"
#include "cli/extractor.h"
#include "cli/glob.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/mvefiletype.h"
#include "formats/apng.h"
#include "formats/dib.h"
#include "formats/frm.h"
#include "formats/pal.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "formats/spritesheet.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unordered_map>

namespace {

// A failure of one entry: its message, without the "dravik-cli: " prefix.
struct SEntryError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

enum class EKind { kOther, kFrm, kDirectionFile, kRix, kPal, kAcm };

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string ExtensionOf(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(name.substr(dot + 1));
}

EKind KindOf(const std::string& name, int& ownDirection)
{
    const std::string ext = ExtensionOf(name);
    ownDirection = -1;
    if (ext == "frm")
        return EKind::kFrm;
    if (ext.size() == 3 && ext[0] == 'f' && ext[1] == 'r' && ext[2] >= '0' && ext[2] <= '5') {
        ownDirection = ext[2] - '0';
        return EKind::kDirectionFile;
    }
    if (ext == "rix")
        return EKind::kRix;
    if (ext == "pal")
        return EKind::kPal;
    if (ext == "acm")
        return EKind::kAcm;
    return EKind::kOther;
}

std::string Plural(std::size_t n, const char* one)
{
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

// The message of a failure of entry display, naming it once.
std::string EntryFailure(const std::exception& e, const std::string& display)
{
    std::string text = DescribeException(e);
    return text.find("'" + display + "'") == std::string::npos ? "entry '" + display + "': " + text : text;
}

// A picture ready to write: an FRM with the directions it holds, or a RIX.
struct SPicture
{
    EKind m_kind = EKind::kOther;
    SFrm m_frm;
    SIndexedPicture m_still; // RIX
    Palette768 m_palette{};
    int m_nOwnDirection = -1;
    std::string m_strQuoted;

    // Directions the file holds: one when all six share their data.
    int HeldDirections() const
    {
        for (int d = 1; d < SFrm::kDirections; ++d)
            if (m_frm.m_directionBlock[d] != m_frm.m_directionBlock[0])
                return SFrm::kDirections;
        return 1;
    }
    std::vector<int> Directions() const
    {
        if (m_nOwnDirection >= 0)
            return {m_nOwnDirection};
        std::vector<int> all;
        for (int d = 0; d < HeldDirections(); ++d)
            all.push_back(d);
        return all;
    }
    int CheckedDirection(int requested) const
    {
        if (m_nOwnDirection >= 0) {
            if (requested >= 0 && requested != m_nOwnDirection)
                throw SEntryError(m_strQuoted + " holds direction " + std::to_string(m_nOwnDirection) +
                                  " only, not " + std::to_string(requested));
            return m_nOwnDirection;
        }
        const int held = HeldDirections();
        if (requested >= held)
            throw SEntryError(m_strQuoted + " has " + Plural(std::size_t(held), "direction") + " (0 to " +
                              std::to_string(held - 1) + "), not " + std::to_string(requested));
        return requested < 0 ? 0 : requested;
    }
    std::size_t CheckedFrame(int direction, int frame) const
    {
        const std::size_t count = m_kind == EKind::kRix ? 1 : m_frm.Frames(direction).size();
        if (std::size_t(frame) >= count)
            throw SEntryError((m_kind == EKind::kRix ? m_strQuoted : "direction " + std::to_string(direction) + " of " +
                                                                         m_strQuoted) +
                              " has " + Plural(count, "frame") + " (0 to " + std::to_string(count - 1) + "), not " +
                              std::to_string(frame));
        return std::size_t(frame);
    }
};

// Everything a conversion reads: the archive, its names and the palette asked for.
struct SSource
{
    CDATFileDoc m_doc{false};
    CStoredNames m_names;
    CFile m_archive;
    std::string m_strPath;
    std::optional<Palette768> m_chosenPalette;
};

std::string ReadFileBytes(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), std::streamsize(limit));
    bytes.resize(std::size_t(in.gcount()));
    return bytes;
}

// --palette: an entry of the archive first, then a file on disk.
bool LoadChosenPalette(SSource& src, const std::string& choice)
{
    if (choice.empty())
        return true;
    if (const CDATInternalFile* entry = FindStoredEntry(src.m_doc, src.m_names, choice)) {
        try {
            src.m_chosenPalette = ReadPalette(ReadEntryData(src.m_archive, *entry));
            return true;
        } catch (const std::exception& e) {
            ReportError("palette '" + choice + "': " + DescribeException(e));
            return false;
        }
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(choice, ec)) {
        ReportError("palette '" + choice + "' is neither an entry of " + src.m_strPath + " nor a file");
        return false;
    }
    src.m_chosenPalette = ReadPalette(ReadFileBytes(choice, 768));
    return true;
}

std::string NoPaletteText(const SSource& src, const CDATInternalFile& entry, const std::string& quoted)
{
    return src.m_strPath + ": entry " + quoted + " has no palette (neither " +
           DecodeToUtf8(ReplaceExtension(entry.m_strName, ".pal")) +
           " nor color.pal is in the archive; --palette names one)";
}

// known: the FRM's palette when the caller has read it already.
SPicture LoadPicture(const SSource& src, CFile& archive, const CDATInternalFile& entry, const std::string& display,
                     const Palette768* known = nullptr)
{
    SPicture pic;
    pic.m_strQuoted = "'" + display + "'";
    pic.m_kind = KindOf(entry.m_strName, pic.m_nOwnDirection);
    const std::string name = src.m_strPath + ": entry " + pic.m_strQuoted;
    if (pic.m_kind == EKind::kRix) {
        pic.m_still = ParseRix(ReadEntryData(archive, entry), pic.m_palette, name);
    } else if (pic.m_kind == EKind::kFrm || pic.m_kind == EKind::kDirectionFile) {
        if (known) {
            pic.m_palette = *known;
        } else if (!src.m_chosenPalette) {
            const CDATInternalFile* palette = FindPaletteFor(src.m_doc, entry);
            if (!palette)
                throw SEntryError(NoPaletteText(src, entry, pic.m_strQuoted));
            pic.m_palette = ReadPalette(ReadEntryData(archive, *palette));
        }
        pic.m_frm = ParseFrm(ReadEntryData(archive, entry), name);
    } else if (pic.m_kind == EKind::kPal) {
        pic.m_palette = ReadPalette(ReadEntryData(archive, entry));
    } else {
        throw SEntryError(src.m_strPath + ": entry " + pic.m_strQuoted + " is not an FRM or RIX picture or a palette");
    }
    if (src.m_chosenPalette && pic.m_kind != EKind::kPal)
        pic.m_palette = *src.m_chosenPalette;
    return pic;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == tail;
}

std::string StillBytes(const SPicture& pic, const SIndexedPicture& still, bool png, int transparent)
{
    if (!png)
        return BuildIndexedBmp(still.m_nWidth, still.m_nHeight, pic.m_palette.data(), still.m_pixels.data());
    const bool clear = transparent < 0 ? pic.m_kind == EKind::kFrm || pic.m_kind == EKind::kDirectionFile
                                       : transparent != 0;
    return EncodeIndexedPng(still, pic.m_palette.data(), clear);
}

// The picture a plain conversion writes: a frame of a direction, a RIX, or a palette's swatch.
SIndexedPicture StillOf(const SPicture& pic, int frame, int direction)
{
    if (pic.m_kind == EKind::kPal)
        return PaletteSwatch();
    if (pic.m_kind == EKind::kRix) {
        pic.CheckedFrame(0, frame);
        return pic.m_still;
    }
    const int d = pic.CheckedDirection(direction);
    return FramePicture(pic.m_frm, d, pic.CheckedFrame(d, frame));
}

void AppendInt(std::string& out, long long v)
{
    out += std::to_string(v);
}

void AppendPair(std::string& out, long long a, long long b)
{
    out += '[';
    AppendInt(out, a);
    out += ',';
    AppendInt(out, b);
    out += ']';
}

void AppendRect(std::string& out, long long x, long long y, long long w, long long h)
{
    out += '[';
    for (long long v : {x, y, w}) {
        AppendInt(out, v);
        out += ',';
    }
    AppendInt(out, h);
    out += ']';
}

std::string SheetJson(const SPicture& pic, const SSpriteSheet& sheet, const std::string& imageName)
{
    std::string out = "{\"image\":";
    AppendJsonString(out, imageName);
    out += ",\"size\":";
    AppendPair(out, sheet.m_picture.m_nWidth, sheet.m_picture.m_nHeight);
    out += ",\"cell\":";
    AppendPair(out, sheet.m_nCellWidth, sheet.m_nCellHeight);
    out += ",\"anchor\":";
    AppendPair(out, sheet.m_nAnchorX, sheet.m_nAnchorY);
    out += ",\"frame_ms\":";
    AppendInt(out, pic.m_frm.FrameDurationMs());
    out += ",\"directions\":[";
    for (std::size_t row = 0; row < sheet.m_directions.size(); ++row) {
        const int d = sheet.m_directions[row];
        out += row ? ",\n{\"direction\":" : "\n{\"direction\":";
        AppendInt(out, d);
        out += ",\"shift\":";
        AppendPair(out, pic.m_frm.m_shiftX[d], pic.m_frm.m_shiftY[d]);
        out += ",\"frames\":[";
        const std::vector<SFrmFrame>& frames = pic.m_frm.Frames(d);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const SFrmBox& b = sheet.m_boxes[row][i];
            out += i ? ",{\"cell\":" : "{\"cell\":";
            AppendRect(out, (long long)i * sheet.m_nCellWidth, (long long)row * sheet.m_nCellHeight,
                       sheet.m_nCellWidth, sheet.m_nCellHeight);
            out += ",\"rect\":";
            AppendRect(out, b.m_nLeft, b.m_nTop, b.Width(), b.Height());
            out += ",\"offset\":";
            AppendPair(out, frames[i].m_nOffsetX, frames[i].m_nOffsetY);
            out += '}';
        }
        out += "]}";
    }
    out += "\n]}\n";
    return out;
}

std::string InfoText(const SPicture& pic, bool json)
{
    const SFrm& frm = pic.m_frm;
    std::string out;
    const std::vector<int> directions =
        pic.HeldDirections() == 1 ? std::vector<int>{0} : std::vector<int>{0, 1, 2, 3, 4, 5};
    if (json) {
        out = "{\"fps\":" + std::to_string(frm.m_nFps) + ",\"action_frame\":" + std::to_string(frm.m_nActionFrame) +
              ",\"frames_per_direction\":" + std::to_string(frm.m_nFramesPerDirection) + ",\"directions\":[";
        for (int d : directions) {
            out += d ? ",{\"shift\":" : "{\"shift\":";
            AppendPair(out, frm.m_shiftX[d], frm.m_shiftY[d]);
            out += ",\"frames\":[";
            bool first = true;
            for (const SFrmFrame& f : frm.Frames(d)) {
                out += first ? "{\"width\":" : ",{\"width\":";
                first = false;
                AppendInt(out, f.m_nWidth);
                out += ",\"height\":";
                AppendInt(out, f.m_nHeight);
                out += ",\"offset\":";
                AppendPair(out, f.m_nOffsetX, f.m_nOffsetY);
                out += '}';
            }
            out += "]}";
        }
        return out + "]}\n";
    }
    out = "frames per second: " + std::to_string(frm.m_nFps) + "\naction frame: " +
          std::to_string(frm.m_nActionFrame) + "\nframes per direction: " +
          std::to_string(frm.m_nFramesPerDirection) + "\n";
    for (int d : directions) {
        const std::vector<SFrmFrame>& frames = frm.Frames(d);
        out += "direction " + std::to_string(pic.m_nOwnDirection >= 0 ? pic.m_nOwnDirection : d) + ": shift " +
               std::to_string(frm.m_shiftX[d]) + "," + std::to_string(frm.m_shiftY[d]) + ", " +
               Plural(frames.size(), "frame") + "\n";
        for (std::size_t i = 0; i < frames.size(); ++i)
            out += "  frame " + std::to_string(i) + ": " + std::to_string(frames[i].m_nWidth) + "x" +
                   std::to_string(frames[i].m_nHeight) + " offset " + std::to_string(frames[i].m_nOffsetX) + "," +
                   std::to_string(frames[i].m_nOffsetY) + "\n";
    }
    if (frm.m_bTruncated)
        out += "damaged: frames that could not be read are left out\n";
    return out;
}

bool OpenSource(SSource& src, const std::string& path, const std::string& palette)
{
    src.m_strPath = path;
    if (!LoadArchiveOrReport(src.m_doc, src.m_names, path))
        return false;
    try {
        src.m_archive.Open(path, CFile::modeRead);
    } catch (const std::exception& e) {
        ReportError(DescribeException(e));
        return false;
    }
    return LoadChosenPalette(src, palette);
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int ConvertOne(const SPictureArgs& a)
{
    SSource src;
    if (!OpenSource(src, a.m_operands[0], a.m_strPalette))
        return kExitFailure;
    const std::string& entryPath = a.m_operands[1];
    const CDATInternalFile* entry = FindStoredEntry(src.m_doc, src.m_names, entryPath);
    if (!entry) {
        ReportError(src.m_strPath + ": no entry '" + entryPath + "'");
        return kExitFailure;
    }
    try {
        const SPicture pic = LoadPicture(src, src.m_archive, *entry, entryPath);
        if (a.m_strCommand == "info") {
            if (pic.m_kind != EKind::kFrm && pic.m_kind != EKind::kDirectionFile)
                throw SEntryError(src.m_strPath + ": entry " + pic.m_strQuoted + " is not an FRM picture");
            const std::string text = InfoText(pic, a.m_bJson);
            std::fwrite(text.data(), 1, text.size(), stdout);
            return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
        }
        const std::string& out = a.m_operands[2];
        const std::string sidecar = ReplaceExtension(out, ".json");
        if (IsSameFile(src.m_strPath, out) || (a.m_bSheet && IsSameFile(src.m_strPath, sidecar))) {
            ReportError(out + " is the archive being read; it is not replaced");
            return kExitFailure;
        }
        const bool png = EndsWithNoCase(out, ".png");
        const bool transparent = a.m_nTransparent != 0;
        if ((a.m_bAnimation || a.m_bSheet) && pic.m_kind != EKind::kFrm && pic.m_kind != EKind::kDirectionFile)
            throw SEntryError(src.m_strPath + ": entry " + pic.m_strQuoted + " is not an FRM picture");
        if ((a.m_bAnimation || a.m_bSheet) && !png)
            throw SEntryError("animations and sprite sheets are written as PNG: " + out + " does not end in .png");
        std::string bytes;
        if (a.m_bAnimation) {
            const int d = pic.CheckedDirection(a.m_nDirection);
            const SFrmBox box = pic.m_frm.DirectionBox(d);
            std::vector<SIndexedPicture> frames;
            for (std::size_t i = 0; i < pic.m_frm.Frames(d).size(); ++i) {
                std::vector<std::uint8_t> pixels = pic.m_frm.ComposeFrame(d, i, box);
                if (pixels.empty())
                    throw SEntryError(src.m_strPath + ": entry " + pic.m_strQuoted +
                                      ": its frames spread over more than " + std::to_string(kMaxPictureSide) +
                                      " pixels");
                frames.push_back({std::uint32_t(box.Width()), std::uint32_t(box.Height()), std::move(pixels)});
            }
            bytes = EncodeApng(frames, pic.m_palette.data(), transparent, pic.m_frm.FrameDurationMs());
        } else if (a.m_bSheet) {
            const std::vector<int> directions =
                a.m_nDirection >= 0 ? std::vector<int>{pic.CheckedDirection(a.m_nDirection)} : pic.Directions();
            const SSpriteSheet sheet = BuildSpriteSheet(pic.m_frm, directions, src.m_strPath + ": entry " + pic.m_strQuoted);
            bytes = EncodeIndexedPng(sheet.m_picture, pic.m_palette.data(), transparent);
            const std::string json = SheetJson(pic, sheet, std::filesystem::path(out).filename().string());
            WriteFileAtomically(sidecar, json.data(), json.size());
        } else {
            bytes = StillBytes(pic, StillOf(pic, a.m_nFrame, a.m_nDirection), png, a.m_nTransparent);
        }
        WriteFileAtomically(out, bytes.data(), bytes.size());
    } catch (const SEntryError& e) {
        ReportError(e.what());
        return kExitFailure;
    } catch (const std::exception& e) {
        ReportError(EntryFailure(e, entryPath));
        return kExitFailure;
    }
    return kExitOk;
}

// One entry of a batch: checked and its folders made in directory order,
// converted and written by any worker.
struct SBatchJob
{
    SExtractJob m_job;
    std::string m_strOutName;
    const Palette768* m_pPalette = nullptr; // an FRM's, read once for all that share it
};

// The palette entries of FRM entries, looked up as the browser looks them up
// but through an index, and read once each: a batch has tens of thousands.
class CPaletteCache
{
public:
    explicit CPaletteCache(SSource& src) : m_src(src)
    {
        for (const CDATInternalFile& f : src.m_doc.m_files)
            if (ExtensionOf(f.m_strName) == "pal")
                m_byName.emplace(Fold(f.m_strName), &f); // the first of a name wins
    }
    // The palette, or null with why set.
    const Palette768* For(const CDATInternalFile& entry, const std::string& quoted, std::string& why)
    {
        if (m_src.m_chosenPalette)
            return &*m_src.m_chosenPalette;
        auto named = m_byName.find(Fold(ReplaceExtension(entry.m_strName, ".pal")));
        const CDATInternalFile* palette = named != m_byName.end() ? named->second : m_src.m_doc.m_pPaletteEntry;
        if (!palette) {
            why = NoPaletteText(m_src, entry, quoted);
            return nullptr;
        }
        auto [it, fresh] = m_read.try_emplace(palette);
        if (fresh) {
            try {
                it->second = ReadPalette(ReadEntryData(m_src.m_archive, *palette));
            } catch (const std::exception& e) {
                m_failed[palette] = "its palette: " + DescribeException(e);
            }
        }
        if (auto failed = m_failed.find(palette); failed != m_failed.end()) {
            why = m_src.m_strPath + ": entry " + quoted + ": " + failed->second;
            return nullptr;
        }
        return &it->second;
    }

private:
    static std::string Fold(std::string s)
    {
        for (char& c : s)
            c = char(FoldAscii(static_cast<unsigned char>(c)));
        return s;
    }
    SSource& m_src;
    std::unordered_map<std::string, const CDATInternalFile*> m_byName;
    std::unordered_map<const CDATInternalFile*, Palette768> m_read;
    std::unordered_map<const CDATInternalFile*, std::string> m_failed;
};

int ConvertBatch(const SPictureArgs& a)
{
    SSource src;
    if (!OpenSource(src, a.m_operands[0], a.m_strPalette))
        return kExitFailure;
    std::error_code ec;
    std::filesystem::create_directories(a.m_strOutDir, ec);
    if (ec || !std::filesystem::is_directory(a.m_strOutDir, ec)) {
        ReportError(a.m_strOutDir + ": the output folder could not be created" + (ec ? " (" + ec.message() + ")" : ""));
        return kExitFailure;
    }
    const bool png = a.m_strTo == "png";
    // --to wav: the sounds instead of the pictures, by the same rules.
    const bool wav = a.m_strTo == "wav";
    const char* const what = wav ? "sound" : "picture";
    CGlobSet globs(std::vector<std::string>(a.m_operands.begin() + 1, a.m_operands.end()));
    CExtractor checker(src.m_archive, a.m_strOutDir, false);
    CPaletteCache palettes(src);
    std::vector<std::unique_ptr<SBatchJob>> jobs;
    std::unordered_set<std::string> targets;
    for (std::size_t n = 0; n < src.m_doc.m_files.size(); ++n) {
        const CDATInternalFile& entry = src.m_doc.m_files[n];
        int own;
        const EKind kind = KindOf(entry.m_strName, own);
        if (wav ? kind != EKind::kAcm : kind != EKind::kFrm && kind != EKind::kDirectionFile && kind != EKind::kRix)
            continue;
        std::string path = DecodeToUtf8(src.m_names[n]);
        if (!globs.Admits(path))
            continue;
        auto b = std::make_unique<SBatchJob>();
        SExtractJob& job = b->m_job;
        job.m_pEntry = &entry;
        job.m_strDisplayPath = std::move(path);
        const SStoredPath split = SplitStoredPath(job.m_strDisplayPath);
        job.m_folders = split.m_folders;
        // Direction files keep their extension: the six of one base stay apart.
        const std::string name(split.m_name);
        b->m_strOutName = (kind == EKind::kDirectionFile ? name : ReplaceExtension(name, "")) +
                          (wav ? ".wav" : png ? ".png" : ".bmp");
        job.m_name = b->m_strOutName;
        checker.Prepare(job);
        std::string why;
        if (job.m_bReady && kind != EKind::kRix && kind != EKind::kAcm &&
            !(b->m_pPalette = palettes.For(entry, "'" + job.m_strDisplayPath + "'", why))) {
            job.m_bReady = false;
            job.m_outcome = EOutcome::kEntryFailed;
            job.m_strReport += "dravik-cli: " + why + "\n";
        }
        if (job.m_bReady && !targets.insert(job.m_strTarget).second) {
            job.m_bReady = false;
            job.m_outcome = EOutcome::kEntryFailed;
            job.m_strReport += "dravik-cli: " + src.m_strPath + ": entry '" + job.m_strDisplayPath +
                               "' refused: another entry is converted to " + job.m_strTarget + "\n";
        }
        jobs.push_back(std::move(b));
    }

    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](CFile& archive) {
        for (std::size_t i; !stop && (i = next++) < jobs.size();) {
            SExtractJob& job = jobs[i]->m_job;
            if (!job.m_bReady)
                continue;
            job.m_bReady = false;
            try {
                std::string bytes;
                if (wav) {
                    bytes = AcmEntryToWav(ReadEntryData(archive, *job.m_pEntry),
                                          std::string(src.m_names[std::size_t(job.m_pEntry - src.m_doc.m_files.data())]));
                } else {
                    const SPicture pic =
                        LoadPicture(src, archive, *job.m_pEntry, job.m_strDisplayPath, jobs[i]->m_pPalette);
                    bytes = StillBytes(pic, StillOf(pic, 0, -1), png, a.m_nTransparent);
                }
                try {
                    WriteFileAtomically(job.m_strTarget, bytes.data(), bytes.size());
                } catch (const std::exception& e) {
                    job.m_strReport += "dravik-cli: " + DescribeException(e) + " (while converting '" +
                                       job.m_strDisplayPath + "'; conversion stopped)\n";
                    job.m_outcome = EOutcome::kStop;
                    stop = true;
                }
            } catch (const SEntryError& e) {
                job.m_strReport += std::string("dravik-cli: ") + e.what() + "\n";
                job.m_outcome = EOutcome::kEntryFailed;
            } catch (const std::exception& e) {
                job.m_strReport += "dravik-cli: " + EntryFailure(e, job.m_strDisplayPath) + "\n";
                job.m_outcome = EOutcome::kEntryFailed;
            }
        }
    };
    const unsigned threads = std::max(1u, std::min<unsigned>(DefaultExtractJobs(), unsigned(jobs.size())));
    std::vector<std::unique_ptr<CFile>> handles;
    std::vector<std::thread> workers;
    try {
        for (unsigned t = 1; t < threads; ++t) {
            handles.push_back(std::make_unique<CFile>());
            handles.back()->Open(src.m_strPath, CFile::modeRead);
        }
    } catch (const std::exception&) {
        handles.clear(); // one thread it is, then
    }
    for (auto& h : handles)
        workers.emplace_back(work, std::ref(*h));
    work(src.m_archive);
    for (std::thread& t : workers)
        t.join();

    std::size_t failed = 0;
    for (const auto& b : jobs) {
        const SExtractJob& job = b->m_job;
        std::fwrite(job.m_strReport.data(), 1, job.m_strReport.size(), stderr);
        if (job.m_outcome == EOutcome::kStop)
            return kExitFailure;
        failed += job.m_outcome == EOutcome::kEntryFailed;
    }
    globs.WarnUnmatched(what);
    if (failed != 0) {
        ReportError(src.m_strPath + ": " + Plural(failed, what) + " could not be converted");
        return kExitFailure;
    }
    return kExitOk;
}

bool ParseCount(const std::string& text, int limit, int& out)
{
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > limit)
        return false;
    out = v;
    return true;
}

} // namespace

bool ParsePictureArgs(const std::vector<std::string>& args, SPictureArgs& a, std::string& problem)
{
    a.m_strCommand = args.at(0);
    const bool convert = a.m_strCommand == "convert";
    bool optionsEnded = false;
    bool haveOutDir = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& to) {
            if (i + 1 >= args.size()) {
                problem = "option " + arg + " needs a value";
                return false;
            }
            to = args[++i];
            return true;
        };
        std::string text;
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            a.m_operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json" && !convert) {
            a.m_bJson = true;
        } else if (!convert) {
            problem = "unknown option '" + arg + "' for info";
            return false;
        } else if (arg == "--frame" || arg == "--direction") {
            if (!value(text))
                return false;
            const bool frame = arg == "--frame";
            if (!ParseCount(text, frame ? 32767 : 5, frame ? a.m_nFrame : a.m_nDirection)) {
                problem = "option " + arg + (frame ? " needs a frame number from 0" : " needs a direction from 0 to 5") +
                          ", not '" + text + "'";
                return false;
            }
        } else if (arg == "--opaque" || arg == "--transparent") {
            a.m_nTransparent = arg == "--transparent";
        } else if (arg == "--animation") {
            a.m_bAnimation = true;
        } else if (arg == "--sheet") {
            a.m_bSheet = true;
        } else if (arg == "--palette") {
            if (!value(a.m_strPalette))
                return false;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(a.m_strOutDir))
                return false;
            haveOutDir = true;
        } else if (arg == "--to") {
            if (!value(a.m_strTo))
                return false;
            if (a.m_strTo != "png" && a.m_strTo != "bmp" && a.m_strTo != "wav") {
                problem = "option --to takes png, bmp or wav, not '" + a.m_strTo + "'";
                return false;
            }
        } else {
            problem = "unknown option '" + arg + "' for convert";
            return false;
        }
    }
    if (a.m_operands.empty()) {
        problem = a.m_strCommand + ": no archive given";
        return false;
    }
    if (haveOutDir && a.m_strOutDir.empty()) {
        problem = "the output folder name is empty";
        return false;
    }
    if (!convert) {
        if (a.m_operands.size() > 2)
            problem = "info: unexpected argument '" + a.m_operands[2] + "'";
        else if (a.m_bJson && a.m_operands.size() < 2)
            problem = "info: --json describes an entry: ARCHIVE ENTRY are needed";
        return problem.empty();
    }
    if (haveOutDir) {
        if (a.m_bAnimation || a.m_bSheet || a.m_nFrame != 0 || a.m_nDirection >= 0)
            problem = "convert -o converts first frames only: --animation, --sheet, --frame and --direction "
                      "need ARCHIVE ENTRY OUT";
        else if (a.m_strTo == "wav" && (!a.m_strPalette.empty() || a.m_nTransparent >= 0))
            problem = "convert --to wav converts sounds: --palette, --opaque and --transparent are for pictures";
        return problem.empty();
    }
    if (a.m_operands.size() < 3)
        problem = "convert: ARCHIVE, ENTRY and OUT are needed (or ARCHIVE -o DIR)";
    else if (a.m_operands.size() > 3)
        problem = "convert: unexpected argument '" + a.m_operands[3] + "'";
    else if (a.m_bAnimation && a.m_bSheet)
        problem = "convert: --animation and --sheet are separate files";
    return problem.empty();
}

int RunPictureCommand(const SPictureArgs& a)
{
    if (a.m_strCommand == "info" && a.m_operands.size() == 1)
        return ShowArchiveInfo(a.m_operands[0]);
    if (!a.m_strOutDir.empty())
        return ConvertBatch(a);
    // Sounds and movies have their own facts and their own conversion.
    if (a.m_operands.size() >= 2) {
        auto endsWith = [](const std::string& s, std::string_view tail) {
            return s.size() >= tail.size() &&
                   std::equal(tail.begin(), tail.end(), s.end() - std::ptrdiff_t(tail.size()),
                              [](char want, char c) { return (c | 0x20) == want; });
        };
        const std::string& entry = a.m_operands[1];
        const bool media = endsWith(entry, ".acm") || endsWith(entry, ".mve");
        if (a.m_strCommand == "info" && media)
            return ShowEntryInfo(a.m_operands[0], entry);
        if (a.m_strCommand == "convert" && a.m_operands.size() == 3 && (media || endsWith(a.m_operands[2], ".wav")))
            return ConvertArchiveEntry(a.m_operands[0], entry, a.m_operands[2]);
    }
    return ConvertOne(a);
}
