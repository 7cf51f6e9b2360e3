#pragma once
// Sounds and movies of the archives read for the browser and the command
// line: facts, the whole sound as 16-bit samples, a movie's poster frame.
// FFmpeg does the reading over the bytes in memory; no Qt, no sound device.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What is wrong with a sound or movie that cannot be read; the message says it plainly.
class CMediaError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct SSoundFacts
{
    int m_nRate = 0;
    int m_nChannels = 0;
    std::uint64_t m_nSamples = 0; // all channels together
    std::int64_t DurationMs() const
    {
        return m_nRate > 0 && m_nChannels > 0 ? std::int64_t(m_nSamples * 1000 / std::uint64_t(m_nChannels) / std::uint64_t(m_nRate)) : 0;
    }
};

struct SSound
{
    SSoundFacts m_facts;
    std::vector<std::int16_t> m_samples; // interleaved
};

// Sound files state their channel count wrongly in both directions; the game
// plays music as stereo and everything else as mono, all at its own rate,
// and only 44,100 Hz files may be trusted. entryPath: the entry's folders and
// name, '\\' or '/' between them.
int AcmChannels(std::string_view entryPath, int headerChannels, int headerRate);

// The sound decoded up to its header's sample count; a tail cut short is
// decoded as if zero bytes followed, as the game does.
// channels: how to take the samples, 0 for the header's word.
// Raises CMediaError for a sound that is not one or cannot be decoded.
SSound DecodeAcm(const std::uint8_t* data, std::size_t size, int channels);
// The facts from the header alone, for listing; raises like DecodeAcm.
SSoundFacts AcmFacts(const std::uint8_t* data, std::size_t size, int channels);

// A RIFF WAVE file of 16-bit PCM.
std::string WavBytes(const SSound& sound);

struct SMovieFacts
{
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::uint64_t m_nFrames = 0;
    std::int64_t m_nDurationMs = 0;
    int m_nAudioRate = 0; // 0: no sound
    int m_nAudioChannels = 0;
    std::string m_strAudioCodec;
    // The poster frame, 0xFFRRGGBB words, top row first; empty when no picture decodes.
    int m_nPosterWidth = 0;
    int m_nPosterHeight = 0;
    std::vector<std::uint32_t> m_poster;
};

// Demuxes the whole movie for its facts and decodes its pictures for the
// exact count; the poster is the first picture within two seconds that is
// not all one colour, else the first. Raises CMediaError when the header
// cannot be read.
SMovieFacts ReadMovieFacts(const std::uint8_t* data, std::size_t size, bool withPoster);
