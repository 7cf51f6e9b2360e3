#pragma once
// Thumbnails of FRM and RIX entries for the list: the first frame fitted into
// a square cell, coloured as the viewer colours it. The request is taken on
// the window's thread; the picture is made on any thread from copies alone.
#include "archive/previewrequest.h"

#include <cstdint>
#include <optional>
#include <vector>

class CDATArchive;
struct SArchiveContext;

struct SThumbnail
{
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<std::uint32_t> m_pixels; // 0xFFRRGGBB, top row first

    bool IsEmpty() const { return m_nWidth <= 0 || m_nHeight <= 0; }
};

struct SThumbnailRequest
{
    // The entry with its palette entry, else the default palette file.
    SPreviewRequest m_source;
    bool m_bRix = false;
};

// The archive's PAL entries in its order: the viewer's palette rule for many
// pictures without a pass over every entry for each.
std::vector<const CDATInternalFile*> PaletteEntries(const CDATArchive& archive);

// What entry's thumbnail reads; none for entries other than pictures and for
// FRMs that have no palette to be coloured by. palettes: PaletteEntries().
std::optional<SThumbnailRequest> ThumbnailRequestFor(const SArchiveContext& archive, const CDATInternalFile& entry,
                                                     const std::vector<const CDATInternalFile*>& palettes);

// Pictures larger than side either way are scaled down, nearest pixel, keeping
// their proportions; smaller ones stay as they are. Raises like the viewer
// for damaged entries and pictures; an empty frame gives an empty thumbnail.
SThumbnail MakeThumbnail(const SThumbnailRequest& request, int side);
