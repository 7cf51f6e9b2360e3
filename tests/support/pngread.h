#pragma once
// PNG files read back through libpng's own reader, as RGBA, for tests.
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct SRgbaPicture
{
    std::uint32_t width = 0, height = 0;
    bool indexed = false;
    std::vector<std::uint32_t> pixels; // 0xRRGGBBAA, top row first
};

inline SRgbaPicture ReadPngRgba(const std::string& bytes)
{
    SRgbaPicture out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return out;
    out.indexed = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return out;
    out.width = image.width;
    out.height = image.height;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        out.pixels.push_back(std::uint32_t(rgba[i]) << 24 | rgba[i + 1] << 16 | rgba[i + 2] << 8 | rgba[i + 3]);
    return out;
}
