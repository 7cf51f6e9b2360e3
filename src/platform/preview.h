#pragma once
// What the content pane shows of one entry: made once, outside paint (on a
// worker thread when large), laid out when the pane's size changes, drawn
// by paint without any decoding.
#include "platform/rect.h"

#include <cstddef>
#include <string>

class CDC;

class CPreview
{
public:
    virtual ~CPreview() = default;

    struct SExtent
    {
        int m_nWidth = 0;
        int m_nHeight = 0;
    };
    // Lays the preview out in content (the pane below its band); measure
    // measures text only. Returns the scroll extent, 0 x 0 when it fits.
    virtual SExtent Layout(CDC& measure, const RECT& content) = 0;
    virtual void Draw(CDC& dc) const = 0;
    // Memory held, for the viewer's cache of recent previews.
    virtual std::size_t Bytes() const = 0;
    // What the band says of the entry beside its name (size, frames, palette).
    virtual std::string Facts() const { return {}; }
    // What a tooltip says of the point x, y (laid-out coordinates); empty for nothing.
    virtual std::string HintAt(int, int) const { return {}; }
};
