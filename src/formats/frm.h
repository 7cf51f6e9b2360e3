#pragma once
// FRM pictures whole: every frame of every direction, with the offsets that
// place successive frames, and the geometry of a direction played as a loop.
#include "formats/limits.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SFrmFrame
{
    std::uint16_t m_nWidth = 0;
    std::uint16_t m_nHeight = 0;
    std::int16_t m_nOffsetX = 0; // from the previous frame
    std::int16_t m_nOffsetY = 0;
    std::vector<std::uint8_t> m_pixels; // width * height indices, top row first
};

// A frame's place relative to the anchor the figure stands on.
struct SFrmBox
{
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0; // exclusive
    int m_nBottom = 0;
    // Wide: offsets that wander far apart span more than an int.
    std::int64_t Width() const { return std::int64_t(m_nRight) - m_nLeft; }
    std::int64_t Height() const { return std::int64_t(m_nBottom) - m_nTop; }
};

struct SFrm
{
    static constexpr int kDirections = 6;

    std::uint16_t m_nFps = 0;
    std::uint16_t m_nActionFrame = 0;
    std::uint16_t m_nFramesPerDirection = 0;
    std::array<std::int16_t, kDirections> m_shiftX{};
    std::array<std::int16_t, kDirections> m_shiftY{};
    // Directions whose data offsets are equal share one block of frames.
    std::vector<std::vector<SFrmFrame>> m_blocks;
    std::array<std::uint8_t, kDirections> m_directionBlock{};
    // Frames that could not be read (the file ends inside them, or they are
    // larger than any picture) are left out.
    bool m_bTruncated = false;

    const std::vector<SFrmFrame>& Frames(int direction) const { return m_blocks[m_directionBlock[direction]]; }
    // Distinct directions: 1 when all six share their frames and shifts.
    int DirectionCount() const;
    // Milliseconds each frame shows; an fps of 0 plays at 10.
    int FrameDurationMs() const { return 1000 / (m_nFps ? m_nFps : 10); }
    // Frame i of a direction placed by the shift and the offsets accumulated
    // from frame 0 (restarted on every loop).
    std::vector<SFrmBox> FrameBoxes(int direction) const;
    // The union of a direction's frame boxes.
    SFrmBox DirectionBox(int direction) const;
    // Frame i of a direction drawn on a canvas of box (index 0 elsewhere);
    // empty when the box is larger than kMaxPictureSide either way.
    std::vector<std::uint8_t> ComposeFrame(int direction, std::size_t frame, const SFrmBox& box) const;
};

// Raises CArchiveException(badIndex) naming nameForErrors for a wrong version,
// a damaged header, or a first frame that is larger than kMaxPictureSide or
// holds less than nine tenths of its pixels; a first frame with at least that
// is completed with index 0, as single pictures always were.
SFrm ParseFrm(std::string_view bytes, const std::string& nameForErrors);

// The header and the first frame come first in the file: a reader that wants
// that frame alone stops at FrmFirstFrameEnd(head), known once it holds
// kFrmFirstRecordEnd bytes; ParseFrm of those bytes gives the first frame.
constexpr std::size_t kFrmFirstRecordEnd = 62 + 12;
std::size_t FrmFirstFrameEnd(std::string_view head);
