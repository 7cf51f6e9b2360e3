#pragma once
// A device-independent bitmap held as its BMP file's parts: the header block
// (info header and colour table) and the pixel rows exactly as stored.
#include "formats/limits.h"
#include "platform/bitmap.h"
#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CDC;
class CFile;

class CDib
{
public:
    CDib() = default;
    ~CDib() { Free(); }
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    void Free();
    // Loads one BMP from the file's current position; the bytes consumed, or 0
    // (and empty) when the file is not a BMP this class can draw.
    std::uint64_t Read(CFile& file);
    // The same from memory.
    std::uint64_t ReadFromMemory(std::string_view bytes);
    std::uint64_t Write(CFile& file) const;
    // The src part into dst; 0 when empty.
    int Draw(CDC& dc, const RECT& dest, const RECT& src) const;

    bool IsEmpty() const { return m_bmi.empty(); }
    std::uint32_t Width() const;
    std::uint32_t Height() const;
    std::uint16_t BitCount() const;
    std::uint16_t NumColors() const;
    // Bytes of the colour table: up to 4 x 65,535, more than 16 bits hold.
    std::uint32_t PaletteSize() const { return 4u * NumColors(); }
    bool MakePalette();

    // Row length in bytes, padded to a multiple of 4.
    std::uint32_t Stride() const;
    const std::vector<std::uint8_t>& Bits() const { return m_bits; }
    const std::vector<std::uint8_t>& HeaderBlock() const { return m_bmi; }
    // The palette as 0x00RRGGBB, one per colour-table entry.
    const std::vector<std::uint32_t>& Palette() const { return m_palette; }

    // The pixels top row first, ready to draw; made once per load.
    const SBitmap& Bitmap() const { return m_bitmap; }

private:
    std::vector<std::uint8_t> m_bits;
    std::vector<std::uint8_t> m_bmi;
    std::vector<std::uint32_t> m_palette;
    SBitmap m_bitmap;
};
