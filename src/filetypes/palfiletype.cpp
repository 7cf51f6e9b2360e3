#include "filetypes/palfiletype.h"

#include "archive/entryreader.h"
#include "formats/palcycle.h"
#include "platform/cdc.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMargin = 8;
// The frame of a cycled group's cells, alternating so neighbouring groups part.
constexpr std::uint32_t kGroupFrames[2] = {RGB(255, 255, 255), RGB(255, 0, 255)};

} // namespace

CPalettePreview::CPalettePreview(const Palette768& palette) : m_bCycles(PaletteCycles(palette))
{
    // The game's own conversion, unmapped entries black; cycled ones in their first colour.
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* c = &palette[std::size_t(i) * 3];
        const bool unmapped = c[0] > 63 || c[1] > 63 || c[2] > 63;
        m_colors[i] = unmapped ? 0 : RGB(c[0] << 2, c[1] << 2, c[2] << 2);
    }
    if (m_bCycles) {
        std::uint32_t rgb[256] = {};
        CycleColorsAt(0, ~0u, rgb);
        for (int i = kCycleFirstIndex; i <= kCycleLastIndex; ++i)
            m_colors[i] = RGB(rgb[i] >> 16, rgb[i] >> 8, rgb[i]);
    }
}

CPreview::SExtent CPalettePreview::Layout(CDC&, const RECT& content)
{
    const int side = std::min(content.Width(), content.Height()) - 2 * kMargin;
    m_nCell = std::clamp(side / 16, 8, 40);
    const int grid = m_nCell * 16;
    const int left = content.left + std::max(kMargin, (content.Width() - grid) / 2);
    const int top = content.top + std::max(kMargin, (content.Height() - grid) / 2);
    m_rcGrid = {left, top, left + grid, top + grid};
    if (m_rcGrid.right + kMargin <= content.right && m_rcGrid.bottom + kMargin <= content.bottom)
        return {};
    return {m_rcGrid.right + kMargin, m_rcGrid.bottom + kMargin};
}

RECT CPalettePreview::CellRect(int index) const
{
    const int x = m_rcGrid.left + (index % 16) * m_nCell, y = m_rcGrid.top + (index / 16) * m_nCell;
    return {x, y, x + m_nCell, y + m_nCell};
}

void CPalettePreview::Draw(CDC& dc) const
{
    for (int i = 0; i < 256; ++i) {
        const RECT cell = CellRect(i);
        dc.FillSolidRect(cell, m_colors[i]);
        const int group = m_bCycles ? CycleGroupOf(i) : -1;
        if (group >= 0) {
            const RECT inner{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1};
            dc.FrameRect(inner, kGroupFrames[group % 2]);
        }
    }
    const RECT frame{m_rcGrid.left - 1, m_rcGrid.top - 1, m_rcGrid.right + 1, m_rcGrid.bottom + 1};
    dc.FrameRect(frame, RGB(0, 0, 0));
}

std::string CPalettePreview::HintAt(int x, int y) const
{
    if (m_nCell <= 0 || x < m_rcGrid.left || y < m_rcGrid.top || x >= m_rcGrid.right || y >= m_rcGrid.bottom)
        return {};
    const int index = (y - m_rcGrid.top) / m_nCell * 16 + (x - m_rcGrid.left) / m_nCell;
    const std::uint32_t c = m_colors[index];
    char text[64];
    std::snprintf(text, sizeof text, "%d: %u, %u, %u", index, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    std::string hint = text;
    if (const int group = m_bCycles ? CycleGroupOf(index) : -1; group >= 0) {
        int first = index, last = index;
        while (CycleGroupOf(first - 1) == group)
            --first;
        while (CycleGroupOf(last + 1) == group)
            ++last;
        std::snprintf(text, sizeof text, "  \u21BB %d\u2013%d", first, last);
        hint += text;
    }
    return hint;
}

std::unique_ptr<CPreview> CDAT_PAL_FileType::MakePreview(const SPreviewRequest& request) const
{
    CEntryReader reader(request.m_strArchivePath, request.m_entry);
    std::string bytes(768, '\0');
    bytes.resize(reader.Read(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()));
    return std::make_unique<CPalettePreview>(ReadPalette(bytes));
}
