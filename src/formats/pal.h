#pragma once
// Palette files: 256 entries of red, green, blue, each a 6-bit value.
#include <array>
#include <cstdint>
#include <string_view>

using Palette768 = std::array<std::uint8_t, 768>;

// The first 768 bytes; anything after them is ignored, and entries a shorter
// file leaves out stay black.
Palette768 ReadPalette(std::string_view bytes);
