#pragma once
// An FRM's frames laid out on one picture: a row per direction, a column per
// frame, every cell the same size and every frame placed by its offsets, so
// that one anchor point serves all cells.
#include "formats/frm.h"
#include "formats/png.h"

#include <string>
#include <vector>

struct SSpriteSheet
{
    SIndexedPicture m_picture;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
    int m_nAnchorX = 0; // the anchor's place inside every cell
    int m_nAnchorY = 0;
    std::vector<int> m_directions;         // the direction of each row
    std::vector<std::vector<SFrmBox>> m_boxes; // per row, each frame's pixels on the sheet
};

// directions: those to lay out, in row order. Raises CArchiveException naming
// nameForErrors when the sheet would be larger than kMaxPictureSide either way.
SSpriteSheet BuildSpriteSheet(const SFrm& frm, const std::vector<int>& directions, const std::string& nameForErrors);

// One frame of a direction with its own width and height.
SIndexedPicture FramePicture(const SFrm& frm, int direction, std::size_t frame);
