// FRM pictures to BMP over hostile bytes. The input is a little-endian 16-bit
// palette length, that many palette bytes (fewer when the input ends), then
// the FRM file. A BMP that comes out must read back as the picture it claims.
#include "formats/dib.h"
#include "filetypes/imageconvert.h"
#include "platform/exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t paletteLength = size >= 2 ? std::size_t(data[0] | (data[1] << 8)) : 0;
    input.remove_prefix(size >= 2 ? 2 : size);
    if (paletteLength > input.size())
        paletteLength = input.size();
    const std::string_view palette = input.substr(0, paletteLength);
    const std::string_view frm = input.substr(paletteLength);
    std::string bmp;
    try {
        bmp = FrmToBmp(frm, palette, "fuzz.frm");
    } catch (const CArchiveException&) {
        return 0;
    }
    CDib dib;
    if (dib.ReadFromMemory(bmp) != bmp.size() || dib.BitCount() != 8 || dib.Width() > kMaxPictureSide ||
        dib.Height() > kMaxPictureSide)
        std::abort();
    return 0;
}
