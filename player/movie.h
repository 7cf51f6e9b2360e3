#pragma once
// Finding the movie (after the player's own program image, or a named file)
// and decoding it with FFmpeg into RGB pictures and 16-bit sound.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwrContext;
struct SwsContext;

constexpr int kExitFailure = 1, kExitNoMovie = 2, kExitDamaged = 3;

struct SPlayerError
{
    int code;
    std::string message;
};
[[noreturn]] void Fail(int code, std::string message);

// The bytes [begin, begin + size) of fd hold the movie.
struct SMovieSource
{
    int fd = -1;
    std::uint64_t begin = 0, size = 0, pos = 0;
    std::string name;  // for messages and the window title
    SMovieSource() = default;
    SMovieSource(const SMovieSource&) = delete;
    SMovieSource& operator=(const SMovieSource&) = delete;
    SMovieSource(SMovieSource&& o) noexcept;
    ~SMovieSource();
};

// DRAVIK_PLAYER_MOVIE's file, or whatever follows the program image of
// /proc/self/exe. Fails with kExitNoMovie when nothing is there, kExitDamaged
// when what is there is no MVE movie.
SMovieSource FindMovie();

// Where the program image in an ELF file ends: past its header tables and the
// file extent of every segment and section. Fails when the headers are unreadable.
std::uint64_t ElfImageEnd(int fd, std::uint64_t fileSize);

class IMovieSink
{
public:
    virtual ~IMovieSink() = default;
    // width*height*3 bytes, top row first; ptsUs is when the picture is due.
    virtual void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t ptsUs) = 0;
    // count samples per channel, interleaved.
    virtual void Sound(const std::int16_t* samples, int count, int channels, int rate) = 0;
    // True when the viewer wants to stop.
    virtual bool Stopped() = 0;
};

class CMovie
{
public:
    explicit CMovie(SMovieSource& source);
    ~CMovie();
    CMovie(const CMovie&) = delete;
    CMovie& operator=(const CMovie&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Decodes to the end (or until the sink stops) and returns what was wrong
    // with the movie, empty when nothing was. Damaged parts are skipped.
    std::string Play(IMovieSink& sink);

    std::uint64_t Pictures() const { return m_pictures; }
    std::uint64_t Samples() const { return m_samples; }
    // When the last picture's time is over.
    std::int64_t EndUs() const { return m_lastPtsUs + m_periodUs; }

private:
    struct SDecoder;
    void Open();
    void Close();
    SDecoder* DecoderFor(int streamIndex);
    void Decode(SDecoder& d, const AVPacket* packet, IMovieSink& sink);
    void Deliver(SDecoder& d, IMovieSink& sink);
    void Note(const std::string& damage);

    SMovieSource& m_source;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVFrame* m_frame = nullptr;
    std::map<int, std::unique_ptr<SDecoder>> m_decoders;
    int m_width = 0, m_height = 0;
    std::uint64_t m_pictures = 0, m_samples = 0;
    std::int64_t m_lastPtsUs = -1, m_periodUs = 66667;
    std::string m_damage;
};
