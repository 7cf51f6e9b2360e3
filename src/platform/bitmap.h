#pragma once
// Pixels ready to draw: rows top first, each a multiple of 4 bytes long.
#include <cstdint>
#include <memory>
#include <vector>

struct SBitmap
{
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nStride = 0;
    // 8-bit indices into m_palette, or 0xFFRRGGBB words.
    bool m_bIndexed = true;
    std::vector<std::uint8_t> m_bits;
    std::vector<std::uint32_t> m_palette; // 0x00RRGGBB, 256 entries when indexed
    // Index 0 lets the background through (pictures the game blits over others).
    bool m_bKeyZero = false;
    // The device's own copy, made at the first draw.
    mutable std::shared_ptr<void> m_pPrepared;

    bool IsEmpty() const { return m_nWidth <= 0 || m_nHeight <= 0; }
    std::size_t Bytes() const { return m_bits.size() + 4 * m_palette.size(); }
};
