#include "formats/picture.h"

#include "formats/frm.h"
#include "formats/limits.h"
#include "formats/pal.h"
#include "platform/exceptions.h"

#include <cstring>
#include <vector>

namespace {

std::uint16_t LE16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + std::size_t(i)] = char(std::uint8_t(v >> (8 * i)));
}

[[noreturn]] void Refuse(const std::string& name, const std::string& what)
{
    throw CArchiveException(CArchiveException::badIndex, name, what);
}

// The picture's pixels, completed with index 0 when a little is missing.
std::string_view PixelsOf(std::string_view available, std::uint32_t width, std::uint32_t height,
                          std::vector<std::uint8_t>& padded, const std::string& name)
{
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        Refuse(name, "the picture is " + std::to_string(width) + " by " + std::to_string(height) +
                         " pixels, larger than " + std::to_string(kMaxPictureSide));
    const std::size_t need = std::size_t(width) * height;
    if (available.size() >= need)
        return available.substr(0, need);
    if (available.size() * 10 < need * 9)
        Refuse(name, "the picture data holds " + std::to_string(available.size()) + " of " + std::to_string(need) +
                         " pixels");
    padded.assign(need, 0);
    std::memcpy(padded.data(), available.data(), available.size());
    return {reinterpret_cast<const char*>(padded.data()), need};
}

} // namespace

std::string BuildIndexedBmp(std::uint32_t width, std::uint32_t height, const std::uint8_t* palette768,
                            const std::uint8_t* pixels)
{
    const std::uint32_t stride = (width + 3) & ~3u;
    const std::size_t imageSize = std::size_t(stride) * height;
    std::string bmp(1078 + imageSize, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, std::uint32_t(1078 + imageSize));
    Put32(bmp, 10, 1078);
    Put32(bmp, 14, 40);
    Put32(bmp, 18, width);
    Put32(bmp, 22, height);
    bmp[26] = 1;
    bmp[28] = 8;
    Put32(bmp, 46, 256);
    Put32(bmp, 50, 256);
    for (std::size_t i = 0; i < 256; ++i) {
        bmp[54 + 4 * i] = char(std::uint8_t(palette768[3 * i + 2] * 4));
        bmp[54 + 4 * i + 1] = char(std::uint8_t(palette768[3 * i + 1] * 4));
        bmp[54 + 4 * i + 2] = char(std::uint8_t(palette768[3 * i] * 4));
    }
    // An empty frame has no pixel buffer at all.
    for (std::uint32_t y = 0; width != 0 && y < height; ++y)
        std::memcpy(&bmp[1078 + std::size_t(height - 1 - y) * stride], pixels + std::size_t(y) * width, width);
    return bmp;
}

std::string FrmToBmp(std::string_view frm, std::string_view palette, const std::string& nameForErrors)
{
    const SFrm parsed = ParseFrm(frm, nameForErrors);
    const SFrmFrame& first = parsed.Frames(0).front();
    const Palette768 colours = ReadPalette(palette);
    return BuildIndexedBmp(first.m_nWidth, first.m_nHeight, colours.data(), first.m_pixels.data());
}

SIndexedPicture ReadRix(std::string_view rix, const std::string& nameForErrors)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(rix.data());
    auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? std::uint8_t(c - 32) : c; };
    if (rix.size() < 4 || upper(p[0]) != 'R' || upper(p[1]) != 'I' || upper(p[2]) != 'X' || p[3] != '3')
        Refuse(nameForErrors, "not a RIX3 picture");
    if (rix.size() < 778)
        Refuse(nameForErrors, "the RIX header and palette are cut short");
    SIndexedPicture picture;
    picture.m_nWidth = LE16(p + 4);
    picture.m_nHeight = LE16(p + 6);
    std::memcpy(picture.m_palette.data(), p + 10, picture.m_palette.size());
    std::vector<std::uint8_t> padded;
    const std::string_view pixels =
        PixelsOf(rix.substr(778), picture.m_nWidth, picture.m_nHeight, padded, nameForErrors);
    picture.m_pixels.assign(pixels.begin(), pixels.end());
    return picture;
}

std::string RixToBmp(std::string_view rix, const std::string& nameForErrors)
{
    const SIndexedPicture picture = ReadRix(rix, nameForErrors);
    return BuildIndexedBmp(picture.m_nWidth, picture.m_nHeight, picture.m_palette.data(), picture.m_pixels.data());
}
