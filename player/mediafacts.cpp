// The parts of sound handling that need no decoder: the header's facts, the
// game's channel rule and the WAV container. The command line links these
// without FFmpeg.
#include "media.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::uint32_t kAcmSignature = 0x01032897;
constexpr std::size_t kAcmHeader = 14;
// About twelve minutes of stereo at 44,100 Hz; a header asking for more is not believed.
constexpr std::uint64_t kMaxSamples = 1u << 26;
constexpr unsigned kMaxBlock = 1u << 16;

std::uint32_t Le32(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

} // namespace

SSoundFacts AcmFacts(const std::uint8_t* data, std::size_t size, int channels)
{
    if (size < kAcmHeader || Le32(data) != kAcmSignature)
        throw CMediaError("it is not an ACM sound (its header is missing)");
    SSoundFacts facts;
    facts.m_nSamples = Le32(data + 4);
    facts.m_nChannels = channels > 0 ? channels : Le16(data + 8);
    facts.m_nRate = Le16(data + 10);
    if (facts.m_nChannels <= 0 || facts.m_nChannels > 2 || facts.m_nRate <= 0)
        throw CMediaError("its header states " + std::to_string(facts.m_nChannels) + " channels at " +
                          std::to_string(facts.m_nRate) + " Hz");
    // The decoder holds a whole block of 32-bit values: game files use 16 rows of 128.
    const unsigned levels = Le16(data + 12) & 15u, rows = Le16(data + 12) >> 4;
    if (rows == 0 || (rows << levels) > kMaxBlock)
        throw CMediaError("its block of " + std::to_string(rows) + " rows of " + std::to_string(1u << levels) +
                          " samples is impossible");
    if (facts.m_nSamples > kMaxSamples)
        throw CMediaError("its header states " + std::to_string(facts.m_nSamples) + " samples, too many to be true");
    return facts;
}

int AcmChannels(std::string_view entryPath, int headerChannels, int headerRate)
{
    if (headerRate > 22050)
        return std::clamp(headerChannels, 1, 2);
    std::string folder;
    for (char c : entryPath)
        folder += c == '/' ? '\\' : char(std::tolower(static_cast<unsigned char>(c)));
    const bool music = folder.starts_with("sound\\music\\") || folder.find("\\sound\\music\\") != std::string::npos;
    return music ? 2 : 1;
}

std::string WavBytes(const SSound& sound)
{
    const std::uint32_t dataBytes = std::uint32_t(sound.m_samples.size() * 2);
    const std::uint32_t channels = std::uint32_t(sound.m_facts.m_nChannels);
    const std::uint32_t rate = std::uint32_t(sound.m_facts.m_nRate);
    std::string out;
    out.reserve(44 + dataBytes);
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += char(v >> (8 * i) & 0xFF);
    };
    auto u16 = [&](std::uint32_t v) {
        out += char(v & 0xFF);
        out += char(v >> 8 & 0xFF);
    };
    out += "RIFF";
    u32(36 + dataBytes);
    out += "WAVEfmt ";
    u32(16);
    u16(1); // PCM
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(channels * 2);
    u16(16);
    out += "data";
    u32(dataBytes);
    for (std::int16_t s : sound.m_samples)
        u16(std::uint16_t(s));
    return out;
}
