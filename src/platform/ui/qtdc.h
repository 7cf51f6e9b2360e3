#pragma once
// The device context over QPainter, knowing the window it paints.
#include "platform/cdc.h"

class QPainter;

class CQtDC : public CDC
{
public:
    CQtDC(QPainter& painter, CWnd* window) : m_painter(painter), m_pWindow(window) {}

    CWnd* GetWindow() const override { return m_pWindow; }
    int DrawText(std::string_view text, RECT& rect, unsigned format) override;
    void TextOut(int x, int y, std::string_view text) override;
    void SetBkModeTransparent(bool transparent) override;
    void FillSolidRect(const RECT& rect, std::uint32_t color) override;
    void FrameRect(const RECT& rect, std::uint32_t color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void DrawItemIcon(int image, int x, int y, bool large) override;
    void DrawBitmap(const SBitmap& bitmap, const RECT& dst, const RECT& src) override;
    RECT GetClipBox() const override;
    void SelectFixedFont() override;

    QPainter& Painter() { return m_painter; }

private:
    QPainter& m_painter;
    CWnd* m_pWindow;
    int m_nX = 0;
    int m_nY = 0;
};
