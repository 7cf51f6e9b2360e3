// MVE movies over hostile bytes, read by the player's own reader: every
// picture and every sound block it delivers is touched in full.
#include "moviereader.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdint>
#include <cstdlib>

namespace {

class CTouchingSink : public IMovieSink
{
public:
    void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t) override
    {
        const std::size_t n = std::size_t(width) * height * 3;
        m_sum += rgb[0] + rgb[n / 2] + rgb[n - 1];
        ++m_pictures;
    }
    void Sound(const std::int16_t* samples, int count, int channels, int) override
    {
        if (count > 0)
            m_sum += std::uint64_t(samples[0] + samples[std::size_t(count) * channels - 1]);
    }
    // A long movie says nothing new after a few hundred pictures.
    bool Stopped() override { return m_pictures >= 300; }

    std::uint64_t m_sum = 0;
    int m_pictures = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CMemoryMovie bytes(data, size);
    bytes.m_strName = "input";
    try {
        CMovie movie(bytes);
        CTouchingSink sink;
        movie.Play(sink);
    } catch (const SPlayerError& e) {
        if (e.code == kExitFailure) // out of memory or no MVE demuxer: the set-up, not the input
            std::abort();
    }
    return 0;
}
