#include "formats/lzss.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::uint32_t kRingMask = 0xFFF;
constexpr std::uint32_t kRingStart = 0xFEE;
constexpr std::uint32_t kMaxMatch = 18;
constexpr std::uint64_t kEndless = ~std::uint64_t(0);

} // namespace

CLzssInflater::CLzssInflater(ELzssFraming framing, std::uint64_t realSize)
    : m_framing(framing), m_state(framing == ELzssFraming::kBlocks ? EState::kHeader : EState::kFlags),
      m_nReal(realSize), m_nBlockLeft(framing == ELzssFraming::kBlocks ? 0 : kEndless)
{
    ResetRing();
}

void CLzssInflater::ResetRing()
{
    std::memset(m_ring, ' ', sizeof m_ring);
    m_nW = kRingStart;
    m_nFresh = 0;
    m_nFlags = 1;
}

ELzssStatus CLzssInflater::AtInputEnd() const
{
    bool between = false;
    switch (m_state) {
    case EState::kHeader: between = m_nHeaderHave == 0; break;
    case EState::kStored: between = m_nBlockLeft == 0; break;
    case EState::kFlags:
    case EState::kToken: between = m_framing == ELzssFraming::kStream || m_nBlockLeft == 0; break;
    case EState::kMatchSecond: break;
    case EState::kCopy: return ELzssStatus::kMore; // a match waits for output room
    }
    if (!between)
        return ELzssStatus::kDamaged; // the data ends inside a block, header or match
    return m_nProduced == m_nReal ? ELzssStatus::kDone : ELzssStatus::kDamaged;
}

ELzssStatus CLzssInflater::Run(bool finalInput)
{
    const unsigned char* in = m_pIn;
    const unsigned char* const inEnd = in + m_nAvailIn;
    unsigned char* out = m_pOut;
    const std::uint64_t realLeft = m_nReal - m_nProduced;
    // Output stops at the real size; hitting that limit with more to write is too long.
    const bool realBounds = realLeft <= m_nAvailOut;
    unsigned char* const outEnd = out + (realBounds ? std::size_t(realLeft) : m_nAvailOut);
    unsigned char* const ring = m_ring;
    std::uint32_t w = m_nW;
    std::uint32_t flags = m_nFlags;
    ELzssStatus status = ELzssStatus::kMore;

    auto put = [&](unsigned char c) {
        *out++ = c;
        ring[w] = c;
        w = (w + 1) & kRingMask;
    };

    for (;;) {
        switch (m_state) {
        case EState::kHeader:
            // The engine reads blocks until it has the real size: what follows
            // (a zero header in a real archive) is never read.
            if (m_nHeaderHave == 0 && m_nProduced + std::uint64_t(out - m_pOut) == m_nReal) {
                status = ELzssStatus::kDone;
                goto leave;
            }
            if (in == inEnd)
                goto inputEnd;
            m_nHeader = (m_nHeader << 8) | *in++;
            if (++m_nHeaderHave < 2)
                break;
            m_nHeaderHave = 0;
            if (m_nHeader == 0) {
                status = ELzssStatus::kDamaged; // the engine would loop for ever
                goto leave;
            }
            if (m_nHeader & 0x8000) {
                m_nBlockLeft = m_nHeader & 0x7FFF;
                m_state = EState::kStored;
            } else {
                m_nBlockLeft = m_nHeader;
                ResetRing();
                w = m_nW;
                flags = 1;
                m_state = EState::kFlags;
            }
            m_nHeader = 0;
            break;

        case EState::kStored: {
            if (m_nBlockLeft == 0) {
                m_state = EState::kHeader;
                break;
            }
            if (in == inEnd)
                goto inputEnd;
            if (out == outEnd)
                goto outputFull;
            const std::size_t n = std::size_t(std::min<std::uint64_t>(
                {m_nBlockLeft, std::uint64_t(inEnd - in), std::uint64_t(outEnd - out)}));
            std::memcpy(out, in, n);
            out += n;
            in += n;
            m_nBlockLeft -= n;
            break;
        }

        case EState::kFlags:
            if (m_nBlockLeft == 0) {
                m_state = EState::kHeader;
                break;
            }
            if (in == inEnd)
                goto inputEnd;
            flags = *in++ | 0x100u;
            --m_nBlockLeft;
            m_state = EState::kToken;
            break;

        case EState::kToken: {
            // Unchecked while a whole token fits the input, the block and the
            // output. Matches copy from the output itself where their source
            // was written in this loop; the ring is brought up to date after.
            if (m_nFresh >= kMaxMatch) {
                const unsigned char* blockEnd =
                    m_nBlockLeft < std::uint64_t(inEnd - in) ? in + m_nBlockLeft : inEnd;
                const unsigned char* const start = in;
                unsigned char* const fastStart = out;
                const std::uint32_t w0 = w;
                while (blockEnd - in >= 3 && outEnd - out >= std::ptrdiff_t(kMaxMatch)) {
                    if (flags == 1) {
                        flags = *in++ | 0x100u;
                        continue;
                    }
                    if (flags & 1) {
                        *out++ = *in++;
                    } else {
                        const std::uint32_t b1 = in[1];
                        const std::uint32_t p = in[0] | ((b1 & 0xF0) << 4);
                        const std::size_t n = (b1 & 0x0F) + 3;
                        in += 2;
                        const std::size_t made = std::size_t(out - fastStart);
                        std::size_t distance = (w0 + made - p) & kRingMask;
                        if (distance == 0)
                            distance = kRingSize;
                        std::size_t k = 0;
                        if (distance <= made && distance >= kMaxMatch) {
                            // Apart from the bytes it writes: one fixed-size copy (room for
                            // 18 bytes is there; what lies past the match is written again).
                            std::memcpy(out, out - distance, kMaxMatch);
                            out += n;
                            flags >>= 1;
                            continue;
                        }
                        if (distance > made) // the source begins before this loop's output
                            for (const std::size_t fromRing = std::min(n, distance - made); k < fromRing; ++k)
                                out[k] = ring[(p + k) & kRingMask];
                        if (k < n) // the rest (all of it, mostly) from this loop's output
                            for (const unsigned char* src = fastStart + (made + k - distance); k < n; ++k)
                                out[k] = *src++;
                        out += n;
                    }
                    flags >>= 1;
                }
                const std::size_t made = std::size_t(out - fastStart);
                const std::size_t keep = std::min<std::size_t>(made, kRingSize);
                for (std::size_t i = made - keep; i < made; ++i)
                    ring[(w0 + i) & kRingMask] = fastStart[i];
                w = std::uint32_t((w0 + made) & kRingMask);
                m_nBlockLeft -= std::uint64_t(in - start);
            }
            if (flags == 1) {
                m_state = EState::kFlags;
                break;
            }
            if (m_nBlockLeft == 0) {
                m_state = m_framing == ELzssFraming::kBlocks ? EState::kHeader : EState::kFlags;
                break;
            }
            if (in == inEnd)
                goto inputEnd;
            if (flags & 1) {
                if (out == outEnd)
                    goto outputFull;
                put(*in++);
                --m_nBlockLeft;
                if (m_nFresh < kMaxMatch)
                    ++m_nFresh;
                flags >>= 1;
                break;
            }
            if (m_nBlockLeft == 1) {
                status = ELzssStatus::kDamaged; // a match needs two bytes
                goto leave;
            }
            m_nMatchFirst = *in++;
            --m_nBlockLeft;
            flags >>= 1;
            m_state = EState::kMatchSecond;
            break;
        }

        case EState::kMatchSecond: {
            if (in == inEnd)
                goto inputEnd;
            const std::uint32_t b1 = *in++;
            --m_nBlockLeft;
            m_nMatchPos = m_nMatchFirst | ((b1 & 0xF0) << 4);
            m_nMatchLeft = (b1 & 0x0F) + 3;
            m_state = EState::kCopy;
            break;
        }

        case EState::kCopy:
            while (m_nMatchLeft != 0) {
                if (out == outEnd)
                    goto outputFull;
                const std::uint32_t p = m_nMatchPos;
                // The engine fills the ring only below the write start: the
                // bytes above it hold nothing until this block writes them.
                if (m_nFresh < kMaxMatch) {
                    if (p >= kRingStart && p - kRingStart >= m_nFresh) {
                        status = ELzssStatus::kDamaged;
                        goto leave;
                    }
                    ++m_nFresh;
                }
                put(ring[p]);
                m_nMatchPos = (p + 1) & kRingMask;
                --m_nMatchLeft;
            }
            m_state = EState::kToken;
            break;
        }
    }

outputFull:
    if (realBounds && out == outEnd)
        status = ELzssStatus::kTooLong;
    goto leave;

inputEnd:
leave:
    const std::size_t made = std::size_t(out - m_pOut);
    m_nProduced += made;
    m_nAvailOut -= made;
    m_pOut = out;
    m_nAvailIn -= std::size_t(in - m_pIn);
    m_pIn = in;
    m_nW = w;
    m_nFlags = flags;
    if (status == ELzssStatus::kMore && finalInput && m_nAvailIn == 0)
        status = AtInputEnd();
    return status;
}

ELzssStatus LzssInflate(ELzssFraming framing, const unsigned char* src, std::size_t packedSize, unsigned char* dest,
                        std::size_t realSize, std::size_t* produced)
{
    CLzssInflater inflater(framing, realSize);
    inflater.m_pIn = src;
    inflater.m_nAvailIn = packedSize;
    inflater.m_pOut = dest;
    inflater.m_nAvailOut = realSize;
    ELzssStatus status = inflater.Run(true);
    if (status == ELzssStatus::kMore)
        status = ELzssStatus::kDamaged;
    if (produced)
        *produced = std::size_t(inflater.Produced());
    return status;
}
