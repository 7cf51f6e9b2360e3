#pragma once
// The player's reading of an MVE movie: FFmpeg's ipmovie demuxer, forced and
// never probed, over the movie's bytes alone; decoders opened as each
// stream's first packet comes; pictures to RGB, sound to 16-bit samples.
// No window and no sound device: the player and the movie fuzz target share it.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

struct AVIOContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

constexpr int kExitFailure = 1, kExitNoMovie = 2, kExitDamaged = 3;

// What ends the player, with its exit status.
struct SPlayerError
{
    int code;
    std::string message;
};
[[noreturn]] void Fail(int code, std::string message);

// The movie's bytes, seen by the demuxer as a file of their own.
class CMovieBytes
{
public:
    virtual ~CMovieBytes() = default;
    virtual std::uint64_t Size() const = 0;
    // Up to n bytes at pos, which is below Size(); 0 or a negative AVERROR when none can be read.
    virtual int ReadAt(std::uint64_t pos, std::uint8_t* buf, int n) = 0;
    std::string m_strName; // for messages and the window title
};

class CMemoryMovie : public CMovieBytes
{
public:
    CMemoryMovie(const std::uint8_t* data, std::uint64_t size) : m_pData(data), m_nSize(size) {}
    std::uint64_t Size() const override { return m_nSize; }
    int ReadAt(std::uint64_t pos, std::uint8_t* buf, int n) override;

private:
    const std::uint8_t* m_pData;
    std::uint64_t m_nSize;
};

class IMovieSink
{
public:
    virtual ~IMovieSink() = default;
    // width*height*3 bytes, top row first; ptsUs is when the picture is due.
    virtual void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t ptsUs) = 0;
    // count samples per channel, interleaved.
    virtual void Sound(const std::int16_t* samples, int count, int channels, int rate) = 0;
    virtual bool Stopped() = 0;
};

// The movie decoded with FFmpeg. The constructor raises SPlayerError for a
// movie whose header cannot be read or whose picture size is impossible.
class CMovie
{
public:
    explicit CMovie(CMovieBytes& bytes);
    ~CMovie();
    CMovie(const CMovie&) = delete;
    CMovie& operator=(const CMovie&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint64_t Pictures() const { return m_pictures; }
    std::uint64_t Samples() const { return m_samples; }
    // When the last picture's time is over.
    std::int64_t EndUs() const { return m_lastPtsUs + m_periodUs; }

    // Decodes to the end (or until the sink stops) and returns what was wrong
    // with the movie, empty when nothing was. Damaged parts are skipped.
    std::string Play(IMovieSink& sink);

    // The demuxer's view of the bytes.
    struct SRegion
    {
        CMovieBytes* bytes;
        std::uint64_t pos;
    };

private:
    struct SDecoder;

    void Open();
    void Close();
    void Note(const std::string& damage);
    SDecoder* DecoderFor(int index);
    void Decode(SDecoder& d, const AVPacket* packet, IMovieSink& sink);
    void DeliverPicture(SDecoder& d, IMovieSink& sink);
    void DeliverSound(SDecoder& d, IMovieSink& sink);

    SRegion m_region;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVFrame* m_frame = nullptr;
    std::map<int, std::unique_ptr<SDecoder>> m_decoders;
    int m_width = 0, m_height = 0;
    std::uint64_t m_pictures = 0, m_samples = 0;
    std::int64_t m_lastPtsUs = -1, m_periodUs = 66667;
    std::string m_damage;
};
