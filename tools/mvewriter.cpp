#include "mvewriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// The title, 1A 00, the word 001A, then the words 0100 and 1133.
constexpr char kHeader[26] = {'I', 'n', 't', 'e', 'r', 'p', 'l', 'a', 'y', ' ', 'M', 'V', 'E',
                              ' ', 'F', 'i', 'l', 'e', 0x1A, 0, 0x1A, 0, 0, 0x01, 0x33, 0x11};
constexpr std::size_t kMaxChunk = 0xFFFF;
constexpr double kPi = 3.14159265358979323846;

enum EChunk : std::uint16_t { kInitAudio = 0, kAudioOnly = 1, kInitVideo = 2, kVideo = 3, kShutdown = 4, kEnd = 5 };
enum EOpcode : std::uint8_t {
    kEndOfStream = 0x00, kEndOfChunk = 0x01, kCreateTimer = 0x02, kInitAudioBuffers = 0x03, kStartStopAudio = 0x04,
    kInitVideoBuffers = 0x05, kSendBuffer = 0x07, kAudioFrame = 0x08, kSetPalette = 0x0C, kSetDecodingMap = 0x0F,
    kVideoData = 0x11
};
enum EBlock : std::uint8_t { kCopyPrevious = 0x0, kRaw = 0xB, kSolid = 0xE };

void PutU16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void Opcode(std::string& body, EOpcode type, std::uint8_t version, const std::string& payload = {})
{
    if (payload.size() > kMaxChunk)
        throw std::length_error("MVE opcode payload of " + std::to_string(payload.size()) + " bytes");
    PutU16(body, static_cast<std::uint32_t>(payload.size()));
    body += static_cast<char>(type);
    body += static_cast<char>(version);
    body += payload;
}

void Chunk(std::string& out, EChunk type, const std::string& body, const char* what)
{
    if (body.size() > kMaxChunk)
        throw std::length_error(std::string(what) + " needs a chunk of " + std::to_string(body.size()) +
                                " bytes; an MVE chunk holds at most 65535");
    PutU16(out, static_cast<std::uint32_t>(body.size()));
    PutU16(out, type);
    out += body;
}

// The block's 64 indices, top row first.
std::string Block(const std::vector<std::uint8_t>& px, int width, int bx, int by)
{
    std::string b;
    b.reserve(64);
    for (int y = 0; y < 8; ++y) {
        const std::uint8_t* row = px.data() + std::size_t(by * 8 + y) * width + bx * 8;
        b.append(reinterpret_cast<const char*>(row), 8);
    }
    return b;
}

// Decoding map (first block in the low nibble) and video data for one frame.
void EncodeFrame(const SMveMovie& movie, const std::vector<std::uint8_t>& px, const std::vector<std::uint8_t>* prev,
                 std::string& map, std::string& data)
{
    const int bw = movie.width / 8, bh = movie.height / 8;
    map.assign((std::size_t(bw) * bh + 1) / 2, '\0');
    data.clear();
    PutU16(data, 1);  // the 14 header bytes the decoder skips, as game movies carry them
    PutU16(data, 0);
    PutU16(data, 0);
    PutU16(data, 0);
    PutU16(data, static_cast<std::uint32_t>(bw));
    PutU16(data, static_cast<std::uint32_t>(bh));
    PutU16(data, 1);
    std::size_t n = 0;
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx, ++n) {
            const std::string block = Block(px, movie.width, bx, by);
            std::uint8_t code;
            // The first frame has nothing to copy from: the decoder rejects a copy there.
            if (prev && block == Block(*prev, movie.width, bx, by)) {
                code = kCopyPrevious;
            } else if (std::all_of(block.begin(), block.end(), [&](char c) { return c == block[0]; })) {
                code = kSolid;
                data += block[0];
            } else {
                code = kRaw;
                data += block;
            }
            map[n / 2] = static_cast<char>(map[n / 2] | (n % 2 ? code << 4 : code));
        }
}

void CheckMovie(const SMveMovie& movie)
{
    auto bad = [](const std::string& what) { throw std::invalid_argument("MVE movie: " + what); };
    for (int side : {movie.width, movie.height})
        if (side < 8 || side > 4096 || side % 8)
            bad("width and height must be multiples of 8 from 8 to 4096, not " + std::to_string(movie.width) + "x" +
                std::to_string(movie.height));
    if (movie.frames < 1)
        bad("at least one frame is needed");
    if (!(movie.fps >= 0.1 && movie.fps <= 1000))
        bad("frames per second must lie between 0.1 and 1000");
    if (!movie.frame)
        bad("no frame generator");
    if (movie.sound) {
        if (movie.sound->sampleRate < 1 || movie.sound->sampleRate > 0xFFFF)
            bad("the sample rate must lie between 1 and 65535 Hz");
        if (movie.sound->channels != 1 && movie.sound->channels != 2)
            bad("sound must have 1 or 2 channels");
        if (!movie.sound->sample)
            bad("no sample generator");
    }
}

std::uint64_t SamplesBefore(const SMveMovie& movie, std::uint64_t k)
{
    return k * MveFramePeriod(movie) * movie.sound->sampleRate / 1000000;
}

} // namespace

std::uint32_t MveFramePeriod(const SMveMovie& movie)
{
    return static_cast<std::uint32_t>(std::lround(1e6 / movie.fps));
}

std::uint32_t MveSamplesInFrame(const SMveMovie& movie, int k)
{
    if (!movie.sound || k < 0)
        return 0;
    return static_cast<std::uint32_t>(SamplesBefore(movie, std::uint64_t(k) + 1) - SamplesBefore(movie, std::uint64_t(k)));
}

std::uint64_t MveTotalSamples(const SMveMovie& movie)
{
    return movie.sound ? SamplesBefore(movie, std::uint64_t(movie.frames)) : 0;
}

std::string BuildMve(const SMveMovie& movie)
{
    CheckMovie(movie);
    std::string out(kHeader, sizeof kHeader);

    std::string body, payload;
    {
        // The timer as rate x subdivision microseconds; a subdivision of 1 keeps the period exact.
        payload.clear();
        PutU32(payload, MveFramePeriod(movie));
        PutU16(payload, 1);
        Opcode(body, kCreateTimer, 0, payload);
        payload.clear();
        PutU16(payload, static_cast<std::uint32_t>(movie.width / 8));
        PutU16(payload, static_cast<std::uint32_t>(movie.height / 8));
        PutU16(payload, 1);
        PutU16(payload, 0);  // 8-bit picture
        Opcode(body, kInitVideoBuffers, 2, payload);
        payload.clear();
        PutU16(payload, 0);
        PutU16(payload, 256);
        for (const auto& rgb : movie.palette)
            for (std::uint8_t c : rgb)
                payload += static_cast<char>(c & 0x3F);
        Opcode(body, kSetPalette, 0, payload);
        Opcode(body, kEndOfChunk, 0);
        Chunk(out, kInitVideo, body, "the picture set-up");
    }
    const int channels = movie.sound ? movie.sound->channels : 0;
    if (movie.sound) {
        // Needs a chunk of its own: inside the video set-up the sound stream is never made.
        body.clear();
        payload.clear();
        PutU16(payload, 0);
        PutU16(payload, (channels == 2 ? 1u : 0u) | 2u);  // 16-bit, uncompressed
        PutU16(payload, movie.sound->sampleRate);
        PutU16(payload, std::min<std::uint32_t>(0xFFFF, MveSamplesInFrame(movie, 0) * channels * 2 * 2));
        Opcode(body, kInitAudioBuffers, 0, payload);
        Opcode(body, kEndOfChunk, 0);
        Chunk(out, kInitAudio, body, "the sound set-up");
    }

    std::vector<std::uint8_t> prev, px;
    std::string map, data, sendBuffer;
    PutU16(sendBuffer, 0);
    PutU16(sendBuffer, 256);
    PutU16(sendBuffer, 0);
    std::uint64_t sampleIndex = 0;
    const std::size_t pixels = std::size_t(movie.width) * movie.height;
    for (int k = 0; k < movie.frames; ++k) {
        px = movie.frame(k);
        if (px.size() != pixels)
            throw std::invalid_argument("MVE movie: frame " + std::to_string(k) + " has " + std::to_string(px.size()) +
                                        " pixels, not " + std::to_string(pixels));
        EncodeFrame(movie, px, k ? &prev : nullptr, map, data);
        const std::string what = "frame " + std::to_string(k) + " of " + std::to_string(movie.width) + "x" +
                                 std::to_string(movie.height);

        std::string audio;
        if (movie.sound) {
            const std::uint32_t n = MveSamplesInFrame(movie, k);
            PutU16(audio, static_cast<std::uint32_t>(k));
            PutU16(audio, 1);  // stream mask
            PutU16(audio, n * channels * 2);
            for (std::uint32_t i = 0; i < n; ++i, ++sampleIndex)
                for (int c = 0; c < channels; ++c)
                    PutU16(audio, static_cast<std::uint16_t>(movie.sound->sample(sampleIndex, c)));
        }
        body.clear();
        Opcode(body, kSetDecodingMap, 0, map);
        Opcode(body, kVideoData, 0, data);
        Opcode(body, kSendBuffer, 1, sendBuffer);
        Opcode(body, kEndOfChunk, 0);
        // A chunk counts only one sound frame; when sound and blocks do not fit
        // together, the sound goes just before in a chunk of its own.
        const bool ownChunk = movie.sound && body.size() + audio.size() + 4 + (k == 0 ? 4 : 0) > kMaxChunk;
        std::string head;
        if (movie.sound) {
            Opcode(head, kAudioFrame, 0, audio);
            if (ownChunk) {
                Opcode(head, kEndOfChunk, 0);
                Chunk(out, kAudioOnly, head, ("the sound of " + what).c_str());
                head.clear();
            }
            if (k == 0)
                Opcode(head, kStartStopAudio, 0);
        }
        Chunk(out, kVideo, head + body, what.c_str());
        prev.swap(px);
    }

    // Without the shutdown chunk the demuxer ends with an error after the last frame.
    body.clear();
    Opcode(body, kEndOfStream, 0);
    Opcode(body, kEndOfChunk, 0);
    Chunk(out, kShutdown, body, "the shutdown");
    Chunk(out, kEnd, {}, "the end");
    return out;
}

SMveMovie DemoMovie(int width, int height, int frames, double fps, bool withSound, int channels)
{
    SMveMovie movie;
    movie.width = width;
    movie.height = height;
    movie.frames = frames;
    movie.fps = fps;
    movie.palette = DemoPalette();
    const std::vector<std::uint8_t> backdrop = LandscapePicture(width, height);
    movie.frame = [backdrop, width, height, frames](int k) {
        std::vector<std::uint8_t> px = backdrop;
        const int r = std::max(2, std::min(width, height) / 10);
        const double t = frames > 1 ? double(k) / (frames - 1) : 0.0;
        const int cx = r + int(t * (width - 2 * r - 1));
        const int cy = height - r - 1 - int(std::abs(std::sin(t * kPi * 3)) * (height - 2 * r - 1));
        for (int y = std::max(0, cy - r); y <= std::min(height - 1, cy + r); ++y)
            for (int x = std::max(0, cx - r); x <= std::min(width - 1, cx + r); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    px[std::size_t(y) * width + x] = DemoIndex(kRed, 8 + (x + y) % 8);
        return px;
    };
    if (withSound) {
        SMveSound sound;
        sound.channels = channels;
        sound.sample = [rate = double(sound.sampleRate)](std::uint64_t i, int channel) {
            // A 440 Hz tone swelling twice a second; the right channel a fifth higher.
            const double t = double(i) / rate;
            const double level = 3000 + 3000 * std::sin(2 * kPi * 2 * t);
            return static_cast<std::int16_t>(std::lround(level * std::sin(2 * kPi * 440 * (channel ? 1.5 : 1.0) * t)));
        };
        movie.sound = sound;
    }
    return movie;
}

std::string BuildAcm(std::uint32_t samples, int channels, int rate, const std::string& body)
{
    std::string out("\x97\x28\x03\x01", 4);
    auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i) & 0xFF);
    };
    put(samples, 4);
    put(std::uint32_t(channels), 2);
    put(std::uint32_t(rate), 2);
    put(16u << 4 | 7u, 2);
    return out + body;
}
