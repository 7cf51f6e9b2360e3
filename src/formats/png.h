#pragma once
// Palette-indexed pictures as PNG files, in memory, through libpng.
#include <cstdint>
#include <string>
#include <vector>

// width * height palette indices, top row first, and the 768 bytes of 6-bit
// red, green, blue that colour them.
struct SIndexedPicture
{
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
    std::vector<std::uint8_t> m_pixels;
};

// An indexed PNG (colour type 3) with all 256 palette entries, each 6-bit
// component times 4 (modulo 256) as in the BMP files; transparent: a tRNS
// chunk makes index 0, and only it, fully transparent. An empty picture is
// written as one pixel of index 0. Raises std::runtime_error when libpng fails.
std::string EncodeIndexedPng(const SIndexedPicture& picture, const std::uint8_t* palette768, bool transparent);
// The same with colours already in 8 bits, 0x00RRGGBB (at most 256 of them).
std::string EncodeIndexedPng(const SIndexedPicture& picture, const std::vector<std::uint32_t>& rgb, bool transparent);

// The palette's 256 colours as a 16 x 16 picture, index i at row i / 16.
SIndexedPicture PaletteSwatch();
