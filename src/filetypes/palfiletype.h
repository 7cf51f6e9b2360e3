#pragma once
// Palette entries: their 256 colours as a 16 x 16 grid; the entries the game
// cycles are marked by group when the palette leaves them to the clock.
#include "archive/datfiletype.h"
#include "formats/pal.h"

class CPalettePreview : public CPreview
{
public:
    explicit CPalettePreview(const Palette768& palette);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return sizeof *this; }
    std::string HintAt(int x, int y) const override;
    bool Cycles() const { return m_bCycles; }
    // The cell of an index, as laid out.
    RECT CellRect(int index) const;

private:
    std::uint32_t m_colors[256]; // as COLORREF
    bool m_bCycles;
    RECT m_rcGrid{};
    int m_nCell = 0;
};

class CDAT_PAL_FileType : public CDATFileType
{
public:
    // Listed like a type the registry does not know: the extension as met is its description.
    explicit CDAT_PAL_FileType(const std::string& extension) : CDATFileType(extension, extension, 0) {}
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
};
