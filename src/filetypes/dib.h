#pragma once
// A device-independent bitmap held as its BMP file's parts: the header block
// (info header and colour table) and the pixel rows exactly as stored.
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

    // A drawing surface prepared once per load by the device context.
    mutable std::shared_ptr<void> m_pPrepared;

private:
    std::vector<std::uint8_t> m_bits;
    std::vector<std::uint8_t> m_bmi;
    std::vector<std::uint32_t> m_palette;
};

// The largest picture the system ever allocates, in either direction.
constexpr std::uint32_t kMaxPictureSide = 16384;
