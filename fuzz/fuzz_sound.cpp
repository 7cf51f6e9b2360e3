// ACM sounds and MVE movies over hostile bytes, read as the browser reads
// them for its pane and the command line for info and convert.
#include "media.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        if (size >= 4 && data[0] == 0x97) {
            const SSound sound = DecodeAcm(data, size, size % 3);
            if (sound.m_samples.size() != sound.m_facts.m_nSamples)
                std::abort();
            if (WavBytes(sound).size() != 44 + 2 * sound.m_samples.size())
                std::abort();
        } else {
            const SMovieFacts facts = ReadMovieFacts(data, size, true);
            if (facts.m_poster.size() != std::size_t(facts.m_nPosterWidth) * std::size_t(facts.m_nPosterHeight))
                std::abort();
        }
    } catch (const CMediaError&) {
    }
    return 0;
}
