#include "filetypes/frmanimation.h"

#include "filetypes/imageconvert.h"
#include "formats/palcycle.h"
#include "platform/cdc.h"
#include "platform/uiservices.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

SBitmap Indexed(const std::vector<std::uint8_t>& pixels, int width, int height)
{
    SBitmap bitmap;
    if (pixels.empty())
        return bitmap;
    bitmap.m_nWidth = width;
    bitmap.m_nHeight = height;
    bitmap.m_nStride = (width + 3) & ~3;
    bitmap.m_bits.assign(std::size_t(bitmap.m_nStride) * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        std::memcpy(&bitmap.m_bits[std::size_t(y) * std::size_t(bitmap.m_nStride)],
                    &pixels[std::size_t(y) * std::size_t(width)], std::size_t(width));
    return bitmap;
}

// n and its noun. forms is "%1 one|%1 few|%1 many" (Russian) or, as a
// translation may give it, "%1 one|%1 other" (English).
std::string Count(int n, const char* forms)
{
    const std::string translated = UiServices().Translate(forms);
    std::vector<std::string_view> words;
    for (std::size_t start = 0;;) {
        const std::size_t bar = translated.find('|', start);
        words.emplace_back(std::string_view(translated).substr(start, bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    const int tens = n % 100, units = n % 10;
    std::size_t form = 0;
    if (words.size() >= 3)
        form = tens >= 11 && tens <= 14 ? 2 : units == 1 ? 0 : units >= 2 && units <= 4 ? 1 : 2;
    else if (words.size() == 2)
        form = n == 1 ? 0 : 1;
    return FillText(words[form], {std::to_string(n)});
}

} // namespace

CFrmAnimationPreview::CFrmAnimationPreview(const SFrmSet& set, const Palette768& palette, std::string paletteName)
    : m_frm(set), m_strPaletteName(std::move(paletteName))
{
    // The colours still pictures get from their BMP, so that a folder reads alike.
    m_basePalette.resize(256);
    for (std::size_t i = 0; i < 256; ++i)
        m_basePalette[i] = std::uint32_t((palette[3 * i] * 4) & 0xFF) << 16 |
                           std::uint32_t((palette[3 * i + 1] * 4) & 0xFF) << 8 | ((palette[3 * i + 2] * 4) & 0xFF);
    const SFrm& frm = m_frm.m_frm;
    if (PaletteCycles(palette))
        for (const auto& block : frm.m_blocks)
            for (const SFrmFrame& f : block)
                m_nCycleGroups |= CycleGroupsUsed(f.m_pixels.data(), f.m_pixels.size());
    // Directions that share a block share their composed frames: only the shift differs.
    for (int d = 0; d < SFrm::kDirections; ++d) {
        const int same = int(std::find(frm.m_directionBlock.begin(), frm.m_directionBlock.begin() + d,
                                       frm.m_directionBlock[std::size_t(d)]) -
                             frm.m_directionBlock.begin());
        if (same < d) {
            m_directions[std::size_t(d)] = m_directions[std::size_t(same)];
            continue;
        }
        auto direction = std::make_shared<SDirection>();
        direction->m_box = frm.DirectionBox(d);
        const int w = int(std::min<std::int64_t>(direction->m_box.Width(), INT32_MAX));
        const int h = int(std::min<std::int64_t>(direction->m_box.Height(), INT32_MAX));
        for (std::size_t i = 0; i < frm.Frames(d).size(); ++i) {
            direction->m_frames.push_back(Indexed(frm.ComposeFrame(d, i, direction->m_box), w, h));
            m_nBytes += direction->m_frames.back().Bytes() + 1024;
        }
        m_directions[std::size_t(d)] = std::move(direction);
    }
    m_nBytes += sizeof *this;
    for (int d = 0; d < SFrm::kDirections; ++d)
        if (HasDirection(d)) {
            m_nDirection = d;
            break;
        }
    SPictureState state;
    state.m_nDirection = m_nDirection;
    Show(state, 0, 0);
}

std::uint64_t CFrmAnimationPreview::ComposedBytes(const SFrm& frm)
{
    std::uint64_t total = 0;
    for (int d = 0; d < SFrm::kDirections; ++d) {
        if (std::find(frm.m_directionBlock.begin(), frm.m_directionBlock.begin() + d,
                      frm.m_directionBlock[std::size_t(d)]) != frm.m_directionBlock.begin() + d)
            continue;
        const SFrmBox box = frm.DirectionBox(d);
        // Boxes beyond the largest picture are not composed (ComposeFrame gives nothing).
        if (box.Width() <= kMaxPictureSide && box.Height() <= kMaxPictureSide)
            total += std::uint64_t(box.Width() + 3) * std::uint64_t(box.Height()) * frm.Frames(d).size();
    }
    return total;
}

int CFrmAnimationPreview::DirectionCount() const
{
    return int(std::count(m_frm.m_present.begin(), m_frm.m_present.end(), true));
}

int CFrmAnimationPreview::FrameCount(int direction) const
{
    return int(m_directions[std::size_t(direction)]->m_frames.size());
}

bool CFrmAnimationPreview::IsAnimation() const
{
    if (DirectionCount() > 1)
        return true;
    for (int d = 0; d < SFrm::kDirections; ++d)
        if (HasDirection(d) && FrameCount(d) > 1)
            return true;
    return false;
}

const SBitmap& CFrmAnimationPreview::ShownBitmap() const
{
    return m_directions[std::size_t(m_nDirection)]->m_frames[std::size_t(m_nFrame)];
}

void CFrmAnimationPreview::Show(const SPictureState& state, int frame, std::int64_t paletteMs)
{
    const int direction = std::clamp(state.m_nDirection, 0, SFrm::kDirections - 1);
    if (HasDirection(direction))
        m_nDirection = direction;
    const int count = FrameCount(m_nDirection);
    m_nFrame = count ? ((frame % count) + count) % count : 0;
    m_nZoom = state.m_nZoom;
    SBitmap& bitmap = m_directions[std::size_t(m_nDirection)]->m_frames[std::size_t(m_nFrame)];
    std::vector<std::uint32_t> table = m_basePalette;
    if (state.m_bPaletteAnimation && m_nCycleGroups)
        CycleColorsAt(paletteMs, m_nCycleGroups, table.data());
    if (bitmap.m_palette != table || bitmap.m_bKeyZero != state.m_bTransparent) {
        bitmap.m_palette = std::move(table);
        bitmap.m_bKeyZero = state.m_bTransparent;
        bitmap.m_pPrepared.reset();
    }
}

CPreview::SExtent CFrmAnimationPreview::Layout(CDC&, const RECT& content)
{
    const SBitmap& shown = ShownBitmap();
    const RECT source{0, 0, shown.m_nWidth, shown.m_nHeight};
    if (m_nZoom <= 0) {
        // Fitted once for the whole direction: every frame has the union's size.
        FitRect(m_rcDest, source, content, 5);
    } else {
        m_rcDest = {0, 0, shown.m_nWidth * m_nZoom, shown.m_nHeight * m_nZoom};
    }
    SExtent extent;
    int dx = (content.left + content.right) / 2 - (m_rcDest.left + m_rcDest.right) / 2;
    int dy = (content.top + content.bottom) / 2 - (m_rcDest.top + m_rcDest.bottom) / 2;
    if (m_nZoom > 0 && m_rcDest.Width() + 10 > content.Width()) {
        dx = content.left + 5 - m_rcDest.left;
        extent.m_nWidth = content.left + m_rcDest.Width() + 10;
    }
    if (m_nZoom > 0 && m_rcDest.Height() + 10 > content.Height()) {
        dy = content.top + 5 - m_rcDest.top;
        extent.m_nHeight = content.top + m_rcDest.Height() + 10;
    }
    if (extent.m_nWidth || extent.m_nHeight) {
        extent.m_nWidth = std::max(extent.m_nWidth, content.right);
        extent.m_nHeight = std::max(extent.m_nHeight, content.bottom);
    }
    m_rcDest = {m_rcDest.left + dx, m_rcDest.top + dy, m_rcDest.right + dx, m_rcDest.bottom + dy};
    return extent;
}

void CFrmAnimationPreview::Draw(CDC& dc) const
{
    const SBitmap& shown = ShownBitmap();
    if (!shown.IsEmpty())
        dc.DrawBitmap(shown, m_rcDest, {0, 0, shown.m_nWidth, shown.m_nHeight});
    const RECT frame{m_rcDest.left - 2, m_rcDest.top - 2, m_rcDest.right + 2, m_rcDest.bottom + 2};
    dc.FrameRect(frame, RGB(0, 0, 0));
}

std::string CFrmAnimationPreview::Facts() const
{
    const SBitmap& shown = ShownBitmap();
    std::string facts = std::to_string(shown.m_nWidth) + "×" + std::to_string(shown.m_nHeight);
    if (FrameCount(m_nDirection) > 1)
        facts += ", " + Count(FrameCount(m_nDirection), DRAVIK_TR_NOOP("Core", "%1 кадр|%1 кадра|%1 кадров"));
    if (DirectionCount() > 1)
        facts += ", " + Count(DirectionCount(), DRAVIK_TR_NOOP("Core", "%1 направление|%1 направления|%1 направлений"));
    return facts + UiServices().Text(DRAVIK_TR_NOOP("Core", ", палитра %1"), {m_strPaletteName});
}
