#include "filetypes/hexpreview.h"

#include "archive/entryreader.h"
#include "platform/cdc.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMargin = 4;
// Columns of a row: offset, two spaces, 16 x "xx ", a space, 16 characters.
constexpr int kRowChars = 8 + 2 + 3 * CHexPreview::kRowBytes + 1 + CHexPreview::kRowBytes;

} // namespace

std::string FormatHexRow(std::uint64_t offset, const unsigned char* bytes, std::size_t count)
{
    char text[kRowChars + 16];
    int at = std::snprintf(text, sizeof text, "%08llX  ", static_cast<unsigned long long>(offset));
    for (int i = 0; i < CHexPreview::kRowBytes; ++i) {
        if (std::size_t(i) < count)
            std::snprintf(text + at, 4, "%02X ", bytes[i]);
        else
            std::snprintf(text + at, 4, "   ");
        at += 3;
    }
    text[at++] = ' ';
    for (std::size_t i = 0; i < count; ++i)
        text[at++] = bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '.';
    return std::string(text, std::size_t(at));
}

CHexPreview::CHexPreview(std::shared_ptr<CEntryReader> reader) : m_pReader(std::move(reader))
{
    m_nRows = std::min<std::uint64_t>((m_pReader->Size() + kRowBytes - 1) / kRowBytes, kMaxRows);
}

std::size_t CHexPreview::Bytes() const
{
    return sizeof *this + m_pReader->Bytes();
}

CPreview::SExtent CHexPreview::Layout(CDC& measure, const RECT& content)
{
    measure.SelectFixedFont();
    RECT cell{0, 0, 0, 0};
    measure.DrawText(std::string(kRowChars, '0'), cell, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    m_nLine = std::max(cell.Height(), 1);
    m_rcText = {content.left + kMargin, content.top + kMargin, content.left + kMargin + cell.Width(),
                content.top + kMargin + int(m_nRows) * m_nLine};
    return {m_rcText.right + kMargin, m_rcText.bottom + kMargin};
}

void CHexPreview::Draw(CDC& dc) const
{
    const RECT clip = dc.GetClipBox();
    const std::int64_t first = std::max<std::int64_t>(0, (std::int64_t(clip.top) - m_rcText.top) / m_nLine);
    // A screenful at most, whatever the clip claims.
    const std::int64_t last = std::min<std::int64_t>(
        {std::int64_t(m_nRows), (std::int64_t(clip.bottom) - 1 - m_rcText.top) / m_nLine + 1, first + 512});
    if (first >= last)
        return;
    std::vector<unsigned char> bytes(std::size_t(last - first) * kRowBytes);
    const std::size_t got = m_pReader->Read(std::uint64_t(first) * kRowBytes, bytes.data(), bytes.size());
    dc.SelectFixedFont();
    dc.SetBkModeTransparent(true);
    for (std::int64_t row = first; row < last; ++row) {
        const std::size_t at = std::size_t(row - first) * kRowBytes;
        if (at >= got)
            break;
        const std::string line =
            FormatHexRow(std::uint64_t(row) * kRowBytes, bytes.data() + at, std::min<std::size_t>(kRowBytes, got - at));
        dc.TextOut(m_rcText.left, m_rcText.top + int(row) * m_nLine, line);
    }
}
