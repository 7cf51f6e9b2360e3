// BMP files over hostile bytes. A bitmap that loads is drawn through a device
// context that reads every pixel the way the window's does, checking each read
// against the bytes held, and is written out and read back unchanged.
#include "formats/dib.h"
#include "platform/bitmap.h"
#include "platform/cdc.h"
#include "platform/file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>

namespace {

[[noreturn]] void Overrun()
{
    std::abort();
}

// Reads what CQtDC's preparation reads, each byte through a checked index.
class CCheckingDC : public CDC
{
public:
    CWnd* GetWindow() const override { return nullptr; }
    int DrawText(std::string_view, RECT&, unsigned) override { return 0; }
    void TextOut(int, int, std::string_view) override {}
    void SetBkModeTransparent(bool) override {}
    void FillSolidRect(const RECT&, std::uint32_t) override {}
    void FrameRect(const RECT&, std::uint32_t) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void DrawItemIcon(int, int, int, bool) override {}

    // The pixels the device would read: every row the bitmap claims must be there.
    void DrawBitmap(const SBitmap& bitmap, const RECT&, const RECT&) override
    {
        if (bitmap.IsEmpty())
            return;
        const std::uint64_t rowBytes = std::uint64_t(bitmap.m_nWidth) * (bitmap.m_bIndexed ? 1 : 4);
        if (std::uint64_t(bitmap.m_nWidth) > kMaxPictureSide || std::uint64_t(bitmap.m_nHeight) > kMaxPictureSide ||
            std::uint64_t(bitmap.m_nStride) < rowBytes ||
            std::uint64_t(bitmap.m_nStride) * std::uint64_t(bitmap.m_nHeight) > bitmap.m_bits.size() ||
            (bitmap.m_bIndexed && bitmap.m_palette.size() < 256))
            Overrun();
        for (std::uint8_t b : bitmap.m_bits)
            m_sum += b;
    }

    std::uint64_t m_sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDib dib;
    if (dib.ReadFromMemory(std::string_view(reinterpret_cast<const char*>(data), size)) == 0) {
        if (!dib.IsEmpty())
            std::abort();
        return 0;
    }
    CCheckingDC dc;
    const RECT whole{0, 0, int(dib.Width()), int(dib.Height())};
    dib.Draw(dc, whole, whole);

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
