#include "filetypes/thumbnail.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
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

} // namespace

std::optional<SThumbnailRequest> ThumbnailRequestFor(const SArchiveContext& archive, const CDATInternalFile& entry)
{
    const bool rix = dynamic_cast<const CDAT_RIX_FileType*>(entry.m_pType) != nullptr;
    if (!rix && !dynamic_cast<const CDAT_FRM_FileType*>(entry.m_pType))
        return std::nullopt;
    SThumbnailRequest request{SPreviewRequest(archive.ArchivePath(), entry), rix};
    if (rix)
        return request;
    // The viewer's rule: the palette named after the entry, the archive's own, the default file.
    if (const CDATInternalFile* palette = FindPaletteFor(*archive.m_pArchive, entry))
        request.m_source.m_palette.emplace(*palette);
    else if (!archive.m_strDefaultPalette.empty())
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
    const std::string bytes = ReadEntryData(archive, source.m_entry);
    if (request.m_bRix) {
        Palette768 own;
        const SIndexedPicture rix = ParseRix(bytes, own, name);
        return Fit(rix.m_pixels.data(), rix.m_nWidth, rix.m_nHeight, own, side);
    }
    const Palette768 palette = ReadPalette(source.m_palette ? ReadEntryData(archive, *source.m_palette)
                                                            : ReadPaletteFile(source.m_strDefaultPalette));
    const SFrm frm = ParseFrm(bytes, name);
    const SFrmFrame& first = frm.Frames(0).front();
    return Fit(first.m_pixels.data(), first.m_nWidth, first.m_nHeight, palette, side);
}
