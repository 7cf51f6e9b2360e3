#include "moviereader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxSide = 4096;

std::string AvError(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

// Reads and seeks within the movie's bytes only.
int ReadRegion(void* opaque, std::uint8_t* buf, int size)
{
    auto* s = static_cast<CMovie::SRegion*>(opaque);
    if (s->pos >= s->bytes->Size() || size <= 0)
        return AVERROR_EOF;
    const int want = int(std::min<std::uint64_t>(std::uint64_t(size), s->bytes->Size() - s->pos));
    const int got = s->bytes->ReadAt(s->pos, buf, want);
    if (got <= 0)
        return got < 0 ? got : AVERROR_EOF;
    s->pos += std::uint64_t(got);
    return got;
}

std::int64_t SeekRegion(void* opaque, std::int64_t offset, int whence)
{
    auto* s = static_cast<CMovie::SRegion*>(opaque);
    const std::uint64_t size = s->bytes->Size();
    if (whence & AVSEEK_SIZE)
        return std::int64_t(size);
    const int from = whence & ~AVSEEK_FORCE;
    const std::int64_t base = from == SEEK_SET ? 0 : from == SEEK_CUR ? std::int64_t(s->pos)
                            : from == SEEK_END ? std::int64_t(size) : -1;
    if (base < 0 || offset < -base || offset > (std::int64_t(1) << 62))
        return AVERROR(EINVAL);
    s->pos = std::uint64_t(base + offset);
    return std::int64_t(s->pos);
}

} // namespace

void Fail(int code, std::string message)
{
    throw SPlayerError{code, std::move(message)};
}

int CMemoryMovie::ReadAt(std::uint64_t pos, std::uint8_t* buf, int n)
{
    std::memcpy(buf, m_pData + pos, std::size_t(n));
    return n;
}

struct CMovie::SDecoder
{
    AVCodecContext* codec = nullptr;
    AVRational timeBase{1, 1000000};
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    int inChannels = 0, inFormat = -1, inRate = 0;  // what swr was set up for
    std::vector<std::uint8_t> rgb;
    std::vector<std::int16_t> pcm;
    ~SDecoder()
    {
        avcodec_free_context(&codec);
        sws_freeContext(sws);
        swr_free(&swr);
    }
};

CMovie::CMovie(CMovieBytes& bytes) : m_region{&bytes, 0}
{
    try {
        Open();
    } catch (...) {
        Close();  // the destructor does not run for a half-built movie
        throw;
    }
}

CMovie::~CMovie()
{
    Close();
}

std::string CMovie::Play(IMovieSink& sink)
{
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        Fail(kExitFailure, "out of memory");
    bool stopped = false;
    while (!(stopped = sink.Stopped())) {
        const int rc = av_read_frame(m_format, packet);
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            Note(rc == AVERROR(EIO) ? "it ends before its last chunk" : "a chunk cannot be read (" + AvError(rc) + ")");
            break;
        }
        if (SDecoder* d = DecoderFor(packet->stream_index))
            Decode(*d, packet, sink);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (stopped)
        return {};
    for (auto& [index, d] : m_decoders)
        if (d)
            Decode(*d, nullptr, sink);
    if (m_pictures == 0)
        Note("it holds no pictures");
    return m_damage;
}

void CMovie::Open()
{
    constexpr int kBufferSize = 32768;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    m_io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, &m_region, ReadRegion, nullptr, SeekRegion) : nullptr;
    if (!m_io)
        av_free(buffer);
    m_format = avformat_alloc_context();
    m_frame = av_frame_alloc();
    if (!m_io || !m_format || !m_frame)
        Fail(kExitFailure, "out of memory");
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Forced, never probed: our own bytes hold the signature too.
    const AVInputFormat* mve = av_find_input_format("ipmovie");
    if (!mve)
        Fail(kExitFailure, "this FFmpeg cannot read MVE movies");
    const std::string damaged = "the movie in " + m_region.bytes->m_strName + " is damaged: ";
    const int rc = avformat_open_input(&m_format, nullptr, mve, nullptr);  // frees m_format on failure
    if (rc < 0)
        Fail(kExitDamaged, damaged + "its header cannot be read (" + AvError(rc) + ")");
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (m_format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            m_width = m_format->streams[i]->codecpar->width;
            m_height = m_format->streams[i]->codecpar->height;
        }
    if (m_width <= 0 || m_height <= 0 || m_width > kMaxSide || m_height > kMaxSide)
        Fail(kExitDamaged, damaged + "its picture size " + std::to_string(m_width) + "x" +
                               std::to_string(m_height) + " is impossible");
}

void CMovie::Close()
{
    m_decoders.clear();
    av_frame_free(&m_frame);
    avformat_close_input(&m_format);
    if (m_io)
        av_freep(&m_io->buffer);
    avio_context_free(&m_io);
}

void CMovie::Note(const std::string& damage)
{
    if (m_damage.empty())
        m_damage = damage;
}

// Opened when the stream's first packet comes: the sound stream may appear late.
CMovie::SDecoder* CMovie::DecoderFor(int index)
{
    if (auto it = m_decoders.find(index); it != m_decoders.end())
        return it->second.get();
    auto& slot = m_decoders[index];  // a stream that cannot be decoded keeps an empty slot
    if (index < 0 || unsigned(index) >= m_format->nb_streams)
        return nullptr;
    const AVStream* stream = m_format->streams[index];
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO)
        return nullptr;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    auto d = std::make_unique<SDecoder>();
    d->timeBase = stream->time_base;
    d->codec = codec ? avcodec_alloc_context3(codec) : nullptr;
    int rc = AVERROR_DECODER_NOT_FOUND;
    if (d->codec && (rc = avcodec_parameters_to_context(d->codec, par)) >= 0)
        rc = avcodec_open2(d->codec, codec, nullptr);
    if (rc < 0) {
        Note(std::string(par->codec_type == AVMEDIA_TYPE_VIDEO ? "its pictures" : "its sound") +
             " cannot be decoded (" + AvError(rc) + ")");
        return nullptr;
    }
    slot = std::move(d);
    return slot.get();
}

void CMovie::Decode(SDecoder& d, const AVPacket* packet, IMovieSink& sink)
{
    int rc = avcodec_send_packet(d.codec, packet);
    if (rc < 0 && rc != AVERROR_EOF)
        Note((d.codec->codec_type == AVMEDIA_TYPE_VIDEO ? "picture " + std::to_string(m_pictures + 1)
                                                         : std::string("a sound frame")) +
             " cannot be decoded (" + AvError(rc) + ")");
    while ((rc = avcodec_receive_frame(d.codec, m_frame)) >= 0) {
        if (d.codec->codec_type == AVMEDIA_TYPE_VIDEO)
            DeliverPicture(d, sink);
        else
            DeliverSound(d, sink);
        av_frame_unref(m_frame);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        Note("decoding failed (" + AvError(rc) + ")");
}

void CMovie::DeliverPicture(SDecoder& d, IMovieSink& sink)
{
    const AVFrame* f = m_frame;
    if (f->width <= 0 || f->height <= 0 || f->width > kMaxSide || f->height > kMaxSide)
        return Note("a picture has the impossible size " + std::to_string(f->width) + "x" + std::to_string(f->height));
    d.sws = sws_getCachedContext(d.sws, f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                 AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    if (!d.sws)
        return Note("a picture is in a form that cannot be shown");
    d.rgb.resize(std::size_t(f->width) * f->height * 3);
    std::uint8_t* planes[4] = {d.rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {f->width * 3, 0, 0, 0};
    sws_scale(d.sws, f->data, f->linesize, 0, f->height, planes, strides);
    // Timed from the movie's own timestamps; its frame rate is only a guess.
    const std::int64_t ts = f->best_effort_timestamp;
    const std::int64_t pts = ts == AV_NOPTS_VALUE ? m_lastPtsUs + m_periodUs
                                                  : av_rescale_q(ts, d.timeBase, AVRational{1, 1000000});
    if (m_lastPtsUs >= 0 && pts > m_lastPtsUs)
        m_periodUs = pts - m_lastPtsUs;
    m_lastPtsUs = std::max(pts, m_lastPtsUs);
    ++m_pictures;
    sink.Picture(d.rgb.data(), f->width, f->height, pts);
}

void CMovie::DeliverSound(SDecoder& d, IMovieSink& sink)
{
    const AVFrame* f = m_frame;
    if (f->nb_samples <= 0)
        return;
    const int channels = std::clamp(f->ch_layout.nb_channels, 1, 2);
    const int rate = f->sample_rate > 0 ? f->sample_rate : d.codec->sample_rate;
    if (d.swr && (d.inChannels != f->ch_layout.nb_channels || d.inFormat != f->format || d.inRate != rate))
        swr_free(&d.swr);
    if (!d.swr) {
        d.inChannels = f->ch_layout.nb_channels;
        d.inFormat = f->format;
        d.inRate = rate;
        AVChannelLayout in{}, out{};
        av_channel_layout_default(&in, f->ch_layout.nb_channels);
        av_channel_layout_default(&out, channels);
        if (swr_alloc_set_opts2(&d.swr, &out, AV_SAMPLE_FMT_S16, rate, &in, AVSampleFormat(f->format), rate, 0,
                                nullptr) < 0 ||
            swr_init(d.swr) < 0) {
            swr_free(&d.swr);
            return Note("its sound is in a form that cannot be played");
        }
    }
    d.pcm.resize(std::size_t(f->nb_samples) * channels);
    auto* out = reinterpret_cast<std::uint8_t*>(d.pcm.data());
    const int got = swr_convert(d.swr, &out, f->nb_samples, const_cast<const std::uint8_t**>(f->extended_data),
                                f->nb_samples);
    if (got < 0)
        return Note("its sound cannot be converted (" + AvError(got) + ")");
    m_samples += std::uint64_t(f->nb_samples);
    sink.Sound(d.pcm.data(), got, channels, rate);
}
