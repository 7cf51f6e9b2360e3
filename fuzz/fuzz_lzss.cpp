// LZSS over hostile bytes: the first byte picks the framing, the next three
// the real size (up to 1 MiB), the rest is the packed data. Inflated whole
// and again in pieces of sizes the input chooses; both must agree, and
// neither may write past the real size.
#include "formats/lzss.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const ELzssFraming framing = data[0] & 1 ? ELzssFraming::kStream : ELzssFraming::kBlocks;
    const std::size_t real = std::size_t(data[1] & 0x0F) << 16 | std::size_t(data[2]) << 8 | data[3];
    const std::uint8_t pieceSeed = data[0] >> 1;
    data += 4;
    size -= 4;

    std::vector<unsigned char> whole(real);
    std::size_t produced = 0;
    const ELzssStatus status = LzssInflate(framing, data, size, whole.data(), real, &produced);
    if (produced > real || (status == ELzssStatus::kDone && produced != real))
        std::abort();

    CLzssInflater inflater(framing, real);
    std::vector<unsigned char> pieces;
    std::size_t at = 0;
    unsigned char out[257];
    ELzssStatus piecewise;
    for (std::size_t round = 0;; ++round) {
        if (inflater.m_nAvailIn == 0 && at < size) {
            const std::size_t n = std::min<std::size_t>(size - at, 1 + (pieceSeed + round * 7) % 61);
            inflater.m_pIn = data + at;
            inflater.m_nAvailIn = n;
            at += n;
        }
        const std::size_t room = 1 + (pieceSeed * 3 + round) % sizeof out;
        inflater.m_pOut = out;
        inflater.m_nAvailOut = room;
        piecewise = inflater.Run(at == size);
        pieces.insert(pieces.end(), out, out + (room - inflater.m_nAvailOut));
        if (pieces.size() > real)
            std::abort();
        if (piecewise != ELzssStatus::kMore)
            break;
    }
    if (piecewise != status || pieces.size() != produced ||
        (produced && std::memcmp(pieces.data(), whole.data(), produced) != 0))
        std::abort();
    return 0;
}
