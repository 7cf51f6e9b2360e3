#pragma once
// A device context: what handlers and panes draw with. The application's one
// paints through QPainter; tests record the calls.
#include "platform/rect.h"

#include <cstdint>
#include <string_view>

class CWnd;
struct SBitmap;

// Colours as 0x00BBGGRR.
constexpr std::uint32_t RGB(unsigned r, unsigned g, unsigned b)
{
    return std::uint32_t(r & 0xFF) | (std::uint32_t(g & 0xFF) << 8) | (std::uint32_t(b & 0xFF) << 16);
}

enum : unsigned {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_EXPANDTABS = 0x0040,
    DT_NOCLIP = 0x0100,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
};

class CDC
{
public:
    virtual ~CDC() = default;

    // The window being painted (the content pane for handlers); may be null.
    virtual CWnd* GetWindow() const = 0;

    // UTF-8 text. Returns the text's height; with DT_CALCRECT nothing is drawn
    // and rect's right and bottom are set to what the text needs.
    virtual int DrawText(std::string_view text, RECT& rect, unsigned format) = 0;
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    virtual void SetBkModeTransparent(bool transparent) = 0;

    virtual void FillSolidRect(const RECT& rect, std::uint32_t color) = 0;
    // A one-pixel frame just inside rect.
    virtual void FrameRect(const RECT& rect, std::uint32_t color) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;

    // An item icon by its index in the image lists, 32 or 16 pixels.
    virtual void DrawItemIcon(int image, int x, int y, bool large) = 0;

    // The src part of a bitmap into dst, unscaled when the sizes are equal,
    // nearest-neighbour otherwise.
    virtual void DrawBitmap(const SBitmap& bitmap, const RECT& dst, const RECT& src) = 0;

    // The part that can be seen, in logical coordinates: long previews draw only that.
    virtual RECT GetClipBox() const { return {-(1 << 30), -(1 << 30), 1 << 30, 1 << 30}; }
    // Later text is set in the system's fixed-pitch font.
    virtual void SelectFixedFont() {}

};
