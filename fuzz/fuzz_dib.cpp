// BMP files over hostile bytes. A bitmap that loads holds every pixel it
// claims, and is written out and read back unchanged.
#include "formats/dib.h"
#include "platform/file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>

namespace {

// What the window's preparation relies on before it reads the rows: they
// hold every pixel, and the palette fits the depth.
void CheckPicture(const CDib& dib)
{
    const std::uint64_t width = dib.Width(), height = dib.Height(), stride = dib.Stride();
    if (width == 0 || height == 0)
        return;
    if (width > kMaxPictureSide || height > kMaxPictureSide || stride * height > dib.Bits().size() ||
        stride * 8 < width * dib.BitCount() || (dib.BitCount() <= 8 && dib.Palette().size() > (1u << dib.BitCount())))
        std::abort();
    // The rows made for drawing, top row first.
    const SBitmap& bitmap = dib.Bitmap();
    const std::uint64_t rowBytes = width * (bitmap.m_bIndexed ? 1 : 4);
    if (std::uint64_t(bitmap.m_nWidth) != width || std::uint64_t(bitmap.m_nHeight) != height ||
        std::uint64_t(bitmap.m_nStride) < rowBytes || std::uint64_t(bitmap.m_nStride) % 4 != 0 ||
        std::uint64_t(bitmap.m_nStride) * height != bitmap.m_bits.size() ||
        (bitmap.m_bIndexed && bitmap.m_palette.size() != 256))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDib dib;
    if (dib.ReadFromMemory(std::string_view(reinterpret_cast<const char*>(data), size)) == 0) {
        if (!dib.IsEmpty())
            std::abort();
        return 0;
    }
    CheckPicture(dib);

    static const std::string path = [] {
        const int fd = ::memfd_create("dravik-fuzz-bmp", 0);
        if (fd < 0)
            std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    std::string copy;
    {
        CFile file(path, CFile::modeReadWrite);
        file.SetLength(0);
        const std::uint64_t written = dib.Write(file);
        if (written != file.GetLength())
            std::abort();
        copy.resize(std::size_t(written));
        file.Seek(0, CFile::begin);
        file.ReadExact(copy.data(), copy.size());
    }
    CDib again;
    if (again.ReadFromMemory(copy) != copy.size() || again.Width() != dib.Width() || again.Height() != dib.Height() ||
        again.BitCount() != dib.BitCount() || again.Palette() != dib.Palette())
        std::abort();
    return 0;
}
