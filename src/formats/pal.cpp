#include "formats/pal.h"

#include <algorithm>

Palette768 ReadPalette(std::string_view bytes)
{
    Palette768 palette{};
    const std::size_t n = std::min(bytes.size(), palette.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), n, palette.begin());
    return palette;
}
