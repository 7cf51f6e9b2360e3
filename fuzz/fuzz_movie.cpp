// MVE movies over hostile bytes, through the player's own reading: the input is
// the movie region of a file, read by CMovie (FFmpeg's ipmovie demuxer on a
// custom I/O context) and decoded to the end, every picture and sound block
// touched in full.
#include "movie.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class CTouchingSink : public IMovieSink
{
public:
    void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t) override
    {
        if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
            std::abort();
        const std::size_t bytes = std::size_t(width) * std::size_t(height) * 3;
        m_sum += rgb[0] + rgb[bytes / 2] + rgb[bytes - 1];
        ++m_pictures;
    }
    void Sound(const std::int16_t* samples, int count, int channels, int rate) override
    {
        if (count < 0 || channels < 1 || channels > 2 || rate <= 0)
            std::abort();
        if (count > 0)
            m_sum += std::uint64_t(samples[0] + samples[std::size_t(count) * std::size_t(channels) - 1]);
    }
    // A movie of thousands of pictures says nothing new after the first few hundred.
    bool Stopped() override { return m_pictures >= 300; }

    std::uint64_t m_sum = 0;
    int m_pictures = 0;
};

int MemoryFile()
{
    static const int fd = [] {
        av_log_set_level(AV_LOG_QUIET);
        const int made = ::memfd_create("dravik-fuzz-movie", 0);
        if (made < 0)
            std::abort();
        return made;
    }();
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = MemoryFile();
    if (::ftruncate(fd, 0) != 0 || (size > 0 && ::pwrite(fd, data, size, 0) != ssize_t(size)))
        std::abort();
    SMovieSource source;
    source.fd = ::dup(fd);
    source.size = size;
    source.name = "fuzz.mve";
    try {
        CMovie movie(source);
        CTouchingSink sink;
        movie.Play(sink);
    } catch (const SPlayerError&) {
    }
    return 0;
}
