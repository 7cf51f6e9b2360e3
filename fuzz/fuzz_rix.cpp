// RIX pictures to BMP over hostile bytes. A BMP that comes out must read back
// as the picture it claims.
#include "formats/dib.h"
#include "filetypes/imageconvert.h"
#include "platform/exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bmp;
    try {
        bmp = RixToBmp(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.rix");
    } catch (const CArchiveException&) {
        return 0;
    }
    CDib dib;
    if (dib.ReadFromMemory(bmp) != bmp.size() || dib.BitCount() != 8 || dib.Width() > kMaxPictureSide ||
        dib.Height() > kMaxPictureSide)
        std::abort();
    return 0;
}
