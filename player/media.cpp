#include "media.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kAcmHeader = 14;
// Enough zero bits for the longest block a header allows: a tail cut short
// plays out as silence, as in the game.
constexpr std::size_t kAcmZeroTail = 4179 + 64;
constexpr int kMaxSide = 4096;
constexpr std::int64_t kPosterWindowUs = 2000000;

std::string AvError(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

struct SCodecFree
{
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SFrameFree
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct SPacketFree
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, SCodecFree>;
using FramePtr = std::unique_ptr<AVFrame, SFrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, SPacketFree>;

// FFmpeg's own notes go to stderr; what matters reaches the caller as errors.
void Quiet()
{
    static const bool once = (av_log_set_level(AV_LOG_QUIET), true);
    (void)once;
}

template <class T> T Checked(T p)
{
    if (!p)
        throw std::bad_alloc();
    return p;
}

// The movie's bytes as a file of their own.
struct SMemoryRead
{
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

int ReadMemory(void* opaque, std::uint8_t* buf, int n)
{
    auto* m = static_cast<SMemoryRead*>(opaque);
    const std::size_t left = m->size - m->pos;
    if (left == 0 || n <= 0)
        return AVERROR_EOF;
    const std::size_t got = std::min(left, std::size_t(n));
    std::memcpy(buf, m->data + m->pos, got);
    m->pos += got;
    return int(got);
}

std::int64_t SeekMemory(void* opaque, std::int64_t offset, int whence)
{
    auto* m = static_cast<SMemoryRead*>(opaque);
    if (whence & AVSEEK_SIZE)
        return std::int64_t(m->size);
    const int from = whence & ~AVSEEK_FORCE;
    const std::int64_t base = from == SEEK_SET ? 0 : from == SEEK_CUR ? std::int64_t(m->pos)
                            : from == SEEK_END ? std::int64_t(m->size) : -1;
    if (base < 0 || offset < -base || base + offset > std::int64_t(m->size))
        return AVERROR(EINVAL);
    m->pos = std::size_t(base + offset);
    return std::int64_t(m->pos);
}

class CMovieInput
{
public:
    CMovieInput(const std::uint8_t* data, std::size_t size) : m_read{data, size}
    {
        try {
            Open();
        } catch (...) {
            Close(); // the destructor does not run for a half-made input
            throw;
        }
    }
    ~CMovieInput() { Close(); }
    CMovieInput(const CMovieInput&) = delete;
    CMovieInput& operator=(const CMovieInput&) = delete;
    AVFormatContext* Format() const { return m_format; }

private:
    void Open()
    {
        constexpr int kBufferSize = 32768;
        auto* buffer = static_cast<unsigned char*>(Checked(av_malloc(kBufferSize)));
        m_io = avio_alloc_context(buffer, kBufferSize, 0, &m_read, ReadMemory, nullptr, SeekMemory);
        if (!m_io) {
            av_free(buffer);
            throw std::bad_alloc();
        }
        m_format = Checked(avformat_alloc_context());
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        const AVInputFormat* mve = av_find_input_format("ipmovie");
        if (!mve)
            throw CMediaError("this FFmpeg cannot read MVE movies");
        const int rc = avformat_open_input(&m_format, nullptr, mve, nullptr); // frees m_format on failure
        if (rc < 0)
            throw CMediaError("its header cannot be read (" + AvError(rc) + ")");
    }
    void Close()
    {
        avformat_close_input(&m_format);
        if (m_io)
            av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }

    SMemoryRead m_read;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
};

bool AllOneColour(const std::vector<std::uint32_t>& pixels)
{
    return std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p == pixels.front(); });
}

} // namespace

SSound DecodeAcm(const std::uint8_t* data, std::size_t size, int channels)
{
    Quiet();
    SSound sound;
    sound.m_facts = AcmFacts(data, size, channels);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_INTERPLAY_ACM);
    if (!codec)
        throw CMediaError("this FFmpeg cannot decode ACM sound");
    CodecPtr ctx(Checked(avcodec_alloc_context3(codec)));
    // The decoder takes its settings from the header; the channel word is the one we chose.
    ctx->extradata = static_cast<std::uint8_t*>(Checked(av_mallocz(kAcmHeader + AV_INPUT_BUFFER_PADDING_SIZE)));
    ctx->extradata_size = int(kAcmHeader);
    std::memcpy(ctx->extradata, data, kAcmHeader);
    ctx->extradata[8] = std::uint8_t(sound.m_facts.m_nChannels);
    ctx->extradata[9] = 0;
    av_channel_layout_default(&ctx->ch_layout, sound.m_facts.m_nChannels);
    ctx->sample_rate = sound.m_facts.m_nRate;
    int rc = avcodec_open2(ctx.get(), codec, nullptr);
    if (rc < 0)
        throw CMediaError("its header cannot be decoded (" + AvError(rc) + ")");

    const std::size_t body = size - kAcmHeader;
    PacketPtr packet(Checked(av_packet_alloc()));
    if ((rc = av_new_packet(packet.get(), int(std::min<std::size_t>(body + kAcmZeroTail, INT32_MAX / 2)))) < 0)
        throw std::bad_alloc();
    std::memset(packet->data, 0, std::size_t(packet->size));
    std::memcpy(packet->data, data + kAcmHeader, std::min(body, std::size_t(packet->size)));
    FramePtr frame(Checked(av_frame_alloc()));
    const std::uint64_t want = sound.m_facts.m_nSamples;
    sound.m_samples.reserve(std::size_t(std::min<std::uint64_t>(want, body * 8 + 4096)));
    std::string problem;
    auto receive = [&] {
        while (sound.m_samples.size() < want && (rc = avcodec_receive_frame(ctx.get(), frame.get())) >= 0) {
            if (frame->format != AV_SAMPLE_FMT_S16)
                throw CMediaError("the decoder gives samples of an unexpected form");
            const std::size_t n = std::min<std::uint64_t>(
                std::uint64_t(frame->nb_samples) * std::uint64_t(frame->ch_layout.nb_channels),
                want - sound.m_samples.size());
            const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
            sound.m_samples.insert(sound.m_samples.end(), s, s + n);
            av_frame_unref(frame.get());
        }
    };
    // Errors once the header's count is reached are the decoder draining; they do not matter.
    if ((rc = avcodec_send_packet(ctx.get(), packet.get())) < 0)
        problem = AvError(rc);
    receive();
    if (sound.m_samples.size() < want && avcodec_send_packet(ctx.get(), nullptr) >= 0)
        receive();
    if (sound.m_samples.empty() && want > 0)
        throw CMediaError("its samples cannot be decoded" + (problem.empty() ? "" : " (" + problem + ")"));
    // A sound cut shorter than the zero tail covers ends where its samples do.
    sound.m_facts.m_nSamples = sound.m_samples.size();
    return sound;
}

SMovieFacts ReadMovieFacts(const std::uint8_t* data, std::size_t size, bool withPoster)
{
    Quiet();
    CMovieInput input(data, size);
    AVFormatContext* format = input.Format();
    SMovieFacts facts;
    int video = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && video < 0) {
            video = int(i);
            facts.m_nWidth = format->streams[i]->codecpar->width;
            facts.m_nHeight = format->streams[i]->codecpar->height;
        }
    if (video < 0 || facts.m_nWidth <= 0 || facts.m_nHeight <= 0 || facts.m_nWidth > kMaxSide ||
        facts.m_nHeight > kMaxSide)
        throw CMediaError("its picture size " + std::to_string(facts.m_nWidth) + "x" +
                          std::to_string(facts.m_nHeight) + " is impossible");
    const AVStream* stream = format->streams[video];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    CodecPtr ctx(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (ctx && (avcodec_parameters_to_context(ctx.get(), stream->codecpar) < 0 || avcodec_open2(ctx.get(), codec, nullptr) < 0))
        ctx.reset();
    FramePtr frame(Checked(av_frame_alloc()));
    PacketPtr packet(Checked(av_packet_alloc()));
    SwsContext* sws = nullptr;
    bool posterFinal = !withPoster;
    std::int64_t endUs = 0, lastUs = -1, periodUs = 0;
    std::vector<std::uint32_t> rgb;
    auto receive = [&] {
        while (ctx && avcodec_receive_frame(ctx.get(), frame.get()) >= 0) {
            ++facts.m_nFrames;
            const std::int64_t ts = frame->best_effort_timestamp;
            const std::int64_t us = ts == AV_NOPTS_VALUE ? 0 : av_rescale_q(ts, stream->time_base, AVRational{1, 1000000});
            if (!posterFinal && frame->width == facts.m_nWidth && frame->height == facts.m_nHeight &&
                (facts.m_poster.empty() || us <= kPosterWindowUs)) {
                sws = sws_getCachedContext(sws, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                           frame->height, AV_PIX_FMT_RGB32, SWS_POINT, nullptr, nullptr, nullptr);
                if (sws) {
                    rgb.assign(std::size_t(frame->width) * std::size_t(frame->height), 0);
                    std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(rgb.data()), nullptr, nullptr, nullptr};
                    const int strides[4] = {frame->width * 4, 0, 0, 0};
                    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
                    const bool plain = AllOneColour(rgb);
                    if (facts.m_poster.empty() || !plain) {
                        facts.m_poster.swap(rgb);
                        facts.m_nPosterWidth = frame->width;
                        facts.m_nPosterHeight = frame->height;
                    }
                    posterFinal = !plain;
                }
            } else if (!facts.m_poster.empty()) {
                posterFinal = true;
            }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == video) {
            // Packets carry no duration: the last picture lasts as long as the one before it.
            if (packet->pts != AV_NOPTS_VALUE) {
                const std::int64_t us = av_rescale_q(packet->pts, stream->time_base, AVRational{1, 1000000});
                if (lastUs >= 0 && us > lastUs)
                    periodUs = us - lastUs;
                lastUs = std::max(us, lastUs);
                const std::int64_t own = av_rescale_q(std::max<std::int64_t>(packet->duration, 0), stream->time_base,
                                                      AVRational{1, 1000000});
                endUs = std::max(endUs, lastUs + (own > 0 ? own : periodUs));
            }
            if (ctx && avcodec_send_packet(ctx.get(), packet.get()) >= 0)
                receive();
        }
        av_packet_unref(packet.get());
    }
    if (ctx && avcodec_send_packet(ctx.get(), nullptr) >= 0)
        receive();
    sws_freeContext(sws);
    facts.m_nDurationMs = endUs / 1000;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* par = format->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO && facts.m_nAudioRate == 0) {
            facts.m_nAudioRate = par->sample_rate;
            facts.m_nAudioChannels = par->ch_layout.nb_channels;
            facts.m_strAudioCodec = avcodec_get_name(par->codec_id);
        }
    }
    for (std::uint32_t& p : facts.m_poster)
        p |= 0xFF000000u;
    return facts;
}
