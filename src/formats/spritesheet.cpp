#include "formats/spritesheet.h"

#include "platform/exceptions.h"

#include <algorithm>
#include <cstring>

SIndexedPicture FramePicture(const SFrm& frm, int direction, std::size_t frame)
{
    const SFrmFrame& f = frm.Frames(direction).at(frame);
    return {f.m_nWidth, f.m_nHeight, f.m_pixels};
}

SSpriteSheet BuildSpriteSheet(const SFrm& frm, const std::vector<int>& directions, const std::string& name)
{
    SSpriteSheet sheet;
    sheet.m_directions = directions;
    // One cell size and anchor for all: the union of every laid-out frame.
    std::vector<std::vector<SFrmBox>> placed;
    SFrmBox all{};
    std::size_t columns = 0;
    for (int d : directions) {
        placed.push_back(frm.FrameBoxes(d));
        const SFrmBox u = frm.DirectionBox(d);
        if (placed.size() == 1)
            all = u;
        all.m_nLeft = std::min(all.m_nLeft, u.m_nLeft);
        all.m_nTop = std::min(all.m_nTop, u.m_nTop);
        all.m_nRight = std::max(all.m_nRight, u.m_nRight);
        all.m_nBottom = std::max(all.m_nBottom, u.m_nBottom);
        columns = std::max(columns, placed.back().size());
    }
    const std::int64_t cellW = std::max<std::int64_t>(all.Width(), 1);
    const std::int64_t cellH = std::max<std::int64_t>(all.Height(), 1);
    const std::int64_t width = cellW * std::int64_t(columns);
    const std::int64_t height = cellH * std::int64_t(directions.size());
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        throw CArchiveException(CArchiveException::badIndex, name,
                                "a sprite sheet of " + std::to_string(width) + " by " + std::to_string(height) +
                                    " pixels would be larger than " + std::to_string(kMaxPictureSide));
    sheet.m_nCellWidth = int(cellW);
    sheet.m_nCellHeight = int(cellH);
    sheet.m_nAnchorX = -all.m_nLeft;
    sheet.m_nAnchorY = -all.m_nTop;
    sheet.m_picture = {std::uint32_t(width), std::uint32_t(height), std::vector<std::uint8_t>(std::size_t(width * height))};
    for (std::size_t row = 0; row < directions.size(); ++row) {
        const std::vector<SFrmFrame>& frames = frm.Frames(directions[row]);
        std::vector<SFrmBox>& boxes = sheet.m_boxes.emplace_back();
        for (std::size_t col = 0; col < frames.size(); ++col) {
            const SFrmFrame& f = frames[col];
            SFrmBox b = placed[row][col];
            const int dx = int(col * std::size_t(cellW)) - all.m_nLeft;
            const int dy = int(row * std::size_t(cellH)) - all.m_nTop;
            b = {b.m_nLeft + dx, b.m_nTop + dy, b.m_nRight + dx, b.m_nBottom + dy};
            boxes.push_back(b);
            for (int y = 0; y < f.m_nHeight; ++y)
                std::memcpy(&sheet.m_picture.m_pixels[std::size_t(b.m_nTop + y) * std::size_t(width) + std::size_t(b.m_nLeft)],
                            &f.m_pixels[std::size_t(y) * f.m_nWidth], f.m_nWidth);
        }
    }
    return sheet;
}
