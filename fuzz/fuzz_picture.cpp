// FRM and RIX pictures to BMP over hostile bytes (fuzz_frm and fuzz_rix). For
// FRM the input is a little-endian 16-bit palette length, that many palette
// bytes (fewer when the input ends), then the FRM file; for RIX the file alone.
// A BMP that comes out must read back as the picture it claims.
#include "formats/dib.h"
#include "filetypes/imageconvert.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bmp;
    try {
#ifdef DRAVIK_FUZZ_RIX
        bmp = RixToBmp(input, "fuzz.rix");
#else
        const std::size_t paletteLength = size >= 2 ? std::min<std::size_t>(data[0] | (data[1] << 8), size - 2) : 0;
        input.remove_prefix(size >= 2 ? 2 : size);
        bmp = FrmToBmp(input.substr(paletteLength), input.substr(0, paletteLength), "fuzz.frm");
#endif
    } catch (const CArchiveException&) {
        return 0;
    }
    CDib dib;
    if (dib.ReadFromMemory(bmp) != bmp.size() || dib.BitCount() != 8 || dib.Width() > kMaxPictureSide ||
        dib.Height() > kMaxPictureSide)
        std::abort();
    return 0;
}
