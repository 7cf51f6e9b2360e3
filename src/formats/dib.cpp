#include "formats/dib.h"

#include "platform/cdc.h"
#include "platform/file.h"

#include <cstring>

namespace {

std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint16_t U16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kSpare = 1024;

// The stored rows (bottom-up, any depth) as 8-bit indices or 32-bit words, top row first.
SBitmap MakeBitmap(const std::vector<std::uint8_t>& rows, std::uint32_t width, std::uint32_t height,
                   std::uint16_t bits, std::uint32_t stride, const std::vector<std::uint32_t>& palette)
{
    SBitmap out;
    out.m_nWidth = int(width);
    out.m_nHeight = int(height);
    out.m_bIndexed = bits <= 8;
    out.m_nStride = int(out.m_bIndexed ? (width + 3) & ~3u : width * 4);
    out.m_bits.assign(std::size_t(out.m_nStride) * height, 0);
    if (out.m_bIndexed) {
        out.m_palette = palette;
        out.m_palette.resize(256, 0);
    }
    // A picture without columns has no row buffers to copy from or to.
    for (std::uint32_t y = 0; width != 0 && y < height; ++y) {
        const std::uint8_t* row = rows.data() + std::size_t(height - 1 - y) * stride;
        std::uint8_t* line = out.m_bits.data() + std::size_t(y) * std::size_t(out.m_nStride);
        if (bits == 8) {
            std::memcpy(line, row, width);
        } else if (bits < 8) {
            const std::uint32_t perByte = 8u / bits;
            for (std::uint32_t x = 0; x < width; ++x) {
                const unsigned shift = 8 - bits * (x % perByte + 1);
                line[x] = std::uint8_t((row[x / perByte] >> shift) & ((1u << bits) - 1));
            }
        } else {
            const std::uint32_t step = bits / 8u;
            for (std::uint32_t x = 0; x < width; ++x)
                Put32(line + 4 * x, 0xFF000000u | std::uint32_t(row[x * step + 2]) << 16 |
                                        std::uint32_t(row[x * step + 1]) << 8 | row[x * step]);
        }
    }
    return out;
}

} // namespace

void CDib::Free()
{
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_bmi.clear();
    m_bmi.shrink_to_fit();
    m_palette.clear();
    m_bitmap = SBitmap();
}

std::uint32_t CDib::Width() const
{
    return IsEmpty() ? 0 : U32(&m_bmi[4]);
}

std::uint32_t CDib::Height() const
{
    return IsEmpty() ? 0 : U32(&m_bmi[8]);
}

std::uint16_t CDib::BitCount() const
{
    return IsEmpty() ? 0 : U16(&m_bmi[14]);
}

std::uint16_t CDib::NumColors() const
{
    if (IsEmpty())
        return 0;
    std::uint32_t used = U32(&m_bmi[32]);
    if (used != 0)
        return std::uint16_t(used);
    switch (BitCount()) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

std::uint32_t CDib::Stride() const
{
    return std::uint32_t((std::uint64_t(BitCount()) * Width() + 31) / 32 * 4);
}

bool CDib::MakePalette()
{
    m_palette.clear();
    if (IsEmpty())
        return false;
    const std::size_t n = NumColors();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = U32(&m_bmi[0]) + 4 * i; // the table follows the info header
        if (at + 4 > m_bmi.size())
            break;
        m_palette.push_back((std::uint32_t(m_bmi[at + 2]) << 16) | (std::uint32_t(m_bmi[at + 1]) << 8) |
                            m_bmi[at]);
    }
    return true;
}

std::uint64_t CDib::ReadFromMemory(std::string_view bytes)
{
    Free();
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < kFileHeader || p[0] != 'B' || p[1] != 'M')
        return 0;
    const std::uint32_t offBits = U32(p + 10);
    if (offBits < kFileHeader + kInfoHeader || offBits > bytes.size())
        return 0;
    std::vector<std::uint8_t> bmi(offBits - kFileHeader + kSpare, 0);
    std::memcpy(bmi.data(), p + kFileHeader, offBits - kFileHeader);

    // Only what can be drawn safely: a plain info header, sane sizes, and
    // every row the header promises actually present.
    const std::uint32_t biSize = U32(&bmi[0]);
    const std::uint32_t width = U32(&bmi[4]);
    const std::uint32_t height = U32(&bmi[8]);
    const std::uint16_t bits = U16(&bmi[14]);
    const std::uint32_t compression = U32(&bmi[16]);
    if (biSize < kInfoHeader || biSize > offBits - kFileHeader || width > kMaxPictureSide ||
        height > kMaxPictureSide || compression != 0)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return 0;
    const std::uint32_t colours = U32(&bmi[32]);
    if (bits <= 8 && colours > (1u << bits))
        return 0;
    const std::uint64_t stride = (std::uint64_t(bits) * width + 31) / 32 * 4;
    if (stride * height > bytes.size() - offBits)
        return 0;

    m_bmi = std::move(bmi);
    m_bits.assign(p + offBits, p + bytes.size());
    if (NumColors() > 0 && std::uint64_t(biSize) + 4u * NumColors() > offBits - kFileHeader) {
        Free();
        return 0;
    }
    MakePalette();
    m_bitmap = MakeBitmap(m_bits, width, height, bits, std::uint32_t(stride), m_palette);
    return bytes.size();
}

std::uint64_t CDib::Read(CFile& file)
{
    Free();
    const std::uint64_t start = file.GetPosition();
    const std::uint64_t length = file.GetLength();
    if (length <= start || length - start > (std::uint64_t(1) << 31))
        return 0;
    std::string bytes(std::size_t(length - start), '\0');
    if (file.Read(bytes.data(), bytes.size()) != bytes.size())
        return 0;
    return ReadFromMemory(bytes);
}

std::uint64_t CDib::Write(CFile& file) const
{
    if (IsEmpty())
        return 0;
    std::uint8_t header[kFileHeader] = {'B', 'M'};
    const std::uint32_t headerSize = U32(&m_bmi[0]);
    const std::uint32_t offBits = std::uint32_t(kFileHeader + headerSize + PaletteSize());
    const std::uint32_t sizeImage = Stride() * Height();
    Put32(header + 2, offBits + sizeImage);
    Put32(header + 10, offBits);
    std::vector<std::uint8_t> bmi(m_bmi.begin(), m_bmi.begin() + headerSize + PaletteSize());
    Put32(&bmi[20], sizeImage);
    file.Write(header, sizeof header);
    file.Write(bmi.data(), bmi.size());
    file.Write(m_bits.data(), sizeImage);
    return kFileHeader + headerSize + PaletteSize() + sizeImage;
}

int CDib::Draw(CDC& dc, const RECT& dest, const RECT& src) const
{
    if (IsEmpty())
        return 0;
    dc.DrawBitmap(m_bitmap, dest, src);
    return 1;
}
