#include "filetypes/imageconvert.h"

#include <cstdint>

void FitRect(RECT& out, const RECT& src, const RECT& dst, int margin)
{
    const std::uint32_t sw = std::uint32_t(src.right - src.left);
    const std::uint32_t sh = std::uint32_t(src.bottom - src.top);
    const std::uint32_t dw = std::uint32_t(dst.right - dst.left);
    const std::uint32_t dh = std::uint32_t(dst.bottom - dst.top);
    if ((sw < dw && sh < dh) || sw == 0 || sh == 0) {
        out = src; // nothing to scale, and no margin
        return;
    }
    if (double(dh) / double(sh) >= double(dw) / double(sw)) {
        const int newHeight = int(std::uint64_t(sh) * dw / sw);
        out.left = dst.left;
        out.right = dst.left + int(dw);
        out.top = dst.top + (int(dh) - newHeight) / 2;
        out.bottom = out.top + newHeight;
    } else {
        const int newWidth = int(std::uint64_t(sw) * dh / sh);
        out.top = dst.top;
        out.bottom = dst.top + int(dh);
        out.left = dst.left + (int(dw) - newWidth) / 2;
        out.right = out.left + newWidth;
    }
    if (margin != 0) {
        out.left += margin;
        out.top += margin;
        out.right -= margin;
        out.bottom -= margin;
    }
}
