#include "filetypes/thumbnail.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "archive/namecompare.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/rixfiletype.h"
#include "formats/frm.h"
#include "formats/picture.h"
#include "platform/codepage.h"
#include "platform/file.h"

#include <algorithm>

namespace {

SThumbnail Fit(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, const Palette768& palette,
               int side)
{
    SThumbnail out;
    if (width == 0 || height == 0 || side <= 0)
        return out;
    const std::uint64_t s = std::uint64_t(side);
    std::uint64_t w = width, h = height;
    if (w > s || h > s) {
        if (w >= h) {
            h = std::max<std::uint64_t>(1, h * s / w);
            w = s;
        } else {
            w = std::max<std::uint64_t>(1, w * s / h);
            h = s;
        }
    }
    std::uint32_t colours[256];
    for (std::size_t i = 0; i < 256; ++i)
        colours[i] = 0xFF000000u | std::uint32_t((palette[3 * i] * 4) & 0xFF) << 16 |
                     std::uint32_t((palette[3 * i + 1] * 4) & 0xFF) << 8 | ((palette[3 * i + 2] * 4) & 0xFF);
    out.m_nWidth = int(w);
    out.m_nHeight = int(h);
    out.m_pixels.resize(std::size_t(w * h));
    std::uint32_t* dst = out.m_pixels.data();
    for (std::uint64_t y = 0; y < h; ++y) {
        const std::uint8_t* row = pixels + std::size_t(y * height / h) * width;
        for (std::uint64_t x = 0; x < w; ++x)
            *dst++ = colours[row[x * width / w]];
    }
    return out;
}

// A figure's thumbnail is its first frame, at the start of the file: the
// inflation stops there instead of unpacking every direction.
std::string FirstFrameBytes(CFile& archive, const CDATInternalFile& entry)
{
    const std::string head = ReadEntryHead(archive, entry, kFrmFirstRecordEnd);
    const std::size_t end = FrmFirstFrameEnd(head);
    return end <= head.size() ? head : ReadEntryHead(archive, entry, end);
}

} // namespace

std::vector<const CDATInternalFile*> PaletteEntries(const CDATArchive& archive)
{
    std::vector<const CDATInternalFile*> palettes;
    for (const CDATInternalFile& f : archive.m_files) {
        const std::string& name = f.m_strName;
        if (name.size() >= 4 && EqualNames(std::string_view(name).substr(name.size() - 4), ".pal"))
            palettes.push_back(&f);
    }
    return palettes;
}

std::optional<SThumbnailRequest> ThumbnailRequestFor(const SArchiveContext& archive, const CDATInternalFile& entry,
                                                     const std::vector<const CDATInternalFile*>& palettes)
{
    const bool rix = dynamic_cast<const CDAT_RIX_FileType*>(entry.m_pType) != nullptr;
    if (!rix && !dynamic_cast<const CDAT_FRM_FileType*>(entry.m_pType))
        return std::nullopt;
    // In a set each entry, and its palette, may come from a source of its own.
    SThumbnailRequest request{SPreviewRequest(archive.EntryFile(entry), entry), rix};
    if (rix)
        return request;
    // The viewer's rule (FindPaletteFor's, through the short list): the
    // palette named after the entry, the archive's own, the default file.
    const std::string paletteName = ReplaceExtension(entry.m_strName, ".pal");
    const auto named = std::find_if(palettes.begin(), palettes.end(),
                                    [&](const CDATInternalFile* f) { return EqualNames(f->m_strName, paletteName); });
    if (const CDATInternalFile* palette = named != palettes.end() ? *named : archive.m_pArchive->m_pPaletteEntry) {
        request.m_source.m_palette.emplace(*palette);
        request.m_source.m_strPaletteFile = archive.EntryFile(*palette);
    } else if (!archive.m_strDefaultPalette.empty())
        request.m_source.m_strDefaultPalette = archive.m_strDefaultPalette;
    else
        return std::nullopt;
    return request;
}

SThumbnail MakeThumbnail(const SThumbnailRequest& request, int side)
{
    const SPreviewRequest& source = request.m_source;
    const std::string name = source.m_strArchivePath + ": " + DecodeToUtf8(source.m_entry.m_strName);
    CFile archive(source.m_strArchivePath, CFile::modeRead);
    if (request.m_bRix) {
        Palette768 own;
        const SIndexedPicture rix = ParseRix(ReadEntryData(archive, source.m_entry), own, name);
        return Fit(rix.m_pixels.data(), rix.m_nWidth, rix.m_nHeight, own, side);
    }
    std::string paletteBytes;
    if (!source.m_palette)
        paletteBytes = ReadPaletteFile(source.m_strDefaultPalette);
    else if (source.m_strPaletteFile.empty() || source.m_strPaletteFile == source.m_strArchivePath)
        paletteBytes = ReadEntryData(archive, *source.m_palette);
    else {
        CFile other(source.m_strPaletteFile, CFile::modeRead);
        paletteBytes = ReadEntryData(other, *source.m_palette);
    }
    const Palette768 palette = ReadPalette(paletteBytes);
    const SFrm frm = ParseFrm(FirstFrameBytes(archive, source.m_entry), name);
    const SFrmFrame& first = frm.Frames(0).front();
    return Fit(first.m_pixels.data(), first.m_nWidth, first.m_nHeight, palette, side);
}
