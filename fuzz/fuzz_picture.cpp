// FRM and RIX pictures to BMP over hostile bytes (fuzz_frm and fuzz_rix). For
// FRM the input is a little-endian 16-bit palette length, that many palette
// bytes (fewer when the input ends), then the FRM file; for RIX the file alone.
// A BMP that comes out must read back as the picture it claims; an FRM's
// frames are also composed as an animation.
#include "formats/dib.h"
#include "formats/frm.h"
#include "formats/picture.h"
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
        // A thumbnail reads only as far as the first frame's end; that prefix parses alone or fails cleanly.
        const std::string_view file = input.substr(paletteLength);
        if (file.size() >= kFrmFirstRecordEnd) {
            const std::size_t end = FrmFirstFrameEnd(file.substr(0, kFrmFirstRecordEnd));
            if (end <= file.size()) {
                try {
                    ParseFrm(file.substr(0, end), "fuzz.frm");
                } catch (const CArchiveException&) {
                }
            }
        }
        bmp = FrmToBmp(input.substr(paletteLength), input.substr(0, paletteLength), "fuzz.frm");
        // FrmToBmp took it, so it parses: every frame of every direction on its canvas, within a bound per input.
        const SFrm frm = ParseFrm(input.substr(paletteLength), "fuzz.frm");
        std::int64_t budget = std::int64_t(1) << 22;
        for (int d = 0; d < SFrm::kDirections; ++d) {
            const SFrmBox box = frm.DirectionBox(d);
            const bool drawn = box.Width() > 0 && box.Height() > 0 && box.Width() <= kMaxPictureSide &&
                               box.Height() <= kMaxPictureSide;
            const std::int64_t area = drawn ? box.Width() * box.Height() : 0;
            for (std::size_t i = 0; i < frm.Frames(d).size() && (budget -= area + 1) >= 0; ++i)
                if (frm.ComposeFrame(d, i, box).size() != std::size_t(area))
                    std::abort();
        }
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
