// MVE movies over hostile bytes, read the way the player reads them: FFmpeg's
// ipmovie demuxer, forced and never probed, on a custom I/O context over the
// movie's bytes; decoders opened as each stream's first packet comes; every
// picture converted to RGB and every sound block to 16-bit samples, both
// touched in full. The player keeps its reading private, so the same calls
// are made here.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSide = 4096;
constexpr int kMaxPictures = 300; // a long movie says nothing new after a few hundred

struct SRegion
{
    const std::uint8_t* data;
    std::uint64_t size, pos;
};

int ReadRegion(void* opaque, std::uint8_t* buf, int size)
{
    auto* s = static_cast<SRegion*>(opaque);
    if (s->pos >= s->size || size <= 0)
        return AVERROR_EOF;
    const std::size_t n = std::size_t(std::min<std::uint64_t>(std::uint64_t(size), s->size - s->pos));
    std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    return int(n);
}

std::int64_t SeekRegion(void* opaque, std::int64_t offset, int whence)
{
    auto* s = static_cast<SRegion*>(opaque);
    if (whence & AVSEEK_SIZE)
        return std::int64_t(s->size);
    const int from = whence & ~AVSEEK_FORCE;
    const std::int64_t base = from == SEEK_SET ? 0 : from == SEEK_CUR ? std::int64_t(s->pos)
                            : from == SEEK_END ? std::int64_t(s->size) : -1;
    if (base < 0 || offset < -base || offset > (std::int64_t(1) << 62))
        return AVERROR(EINVAL);
    s->pos = std::uint64_t(base + offset);
    return std::int64_t(s->pos);
}

struct SDecoder
{
    AVCodecContext* codec = nullptr;
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    int inChannels = 0, inFormat = -1, inRate = 0;
    std::vector<std::uint8_t> rgb;
    std::vector<std::int16_t> pcm;
    ~SDecoder()
    {
        avcodec_free_context(&codec);
        sws_freeContext(sws);
        swr_free(&swr);
    }
};

class CReader
{
public:
    explicit CReader(SRegion& region) : m_region(region) {}
    ~CReader()
    {
        m_decoders.clear();
        av_packet_free(&m_packet);
        av_frame_free(&m_frame);
        avformat_close_input(&m_format);
        if (m_io)
            av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }

    void Run()
    {
        constexpr int kBufferSize = 32768;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
        m_io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, &m_region, ReadRegion, nullptr, SeekRegion) : nullptr;
        if (!m_io)
            av_free(buffer);
        m_format = avformat_alloc_context();
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_io || !m_format || !m_frame || !m_packet)
            std::abort();
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        const AVInputFormat* mve = av_find_input_format("ipmovie");
        if (!mve)
            std::abort();
        if (avformat_open_input(&m_format, nullptr, mve, nullptr) < 0)
            return; // m_format is freed and null
        int width = 0, height = 0;
        for (unsigned i = 0; i < m_format->nb_streams; ++i)
            if (m_format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
                width = m_format->streams[i]->codecpar->width;
                height = m_format->streams[i]->codecpar->height;
            }
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
            return;
        while (m_pictures < kMaxPictures && av_read_frame(m_format, m_packet) >= 0) {
            if (SDecoder* d = DecoderFor(m_packet->stream_index))
                Decode(*d, m_packet);
            av_packet_unref(m_packet);
        }
        for (auto& [index, d] : m_decoders)
            if (d)
                Decode(*d, nullptr);
    }

private:
    SDecoder* DecoderFor(int index)
    {
        if (auto it = m_decoders.find(index); it != m_decoders.end())
            return it->second.get();
        auto& slot = m_decoders[index];
        if (index < 0 || unsigned(index) >= m_format->nb_streams)
            return nullptr;
        const AVCodecParameters* par = m_format->streams[index]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO)
            return nullptr;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        auto d = std::make_unique<SDecoder>();
        d->codec = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!d->codec || avcodec_parameters_to_context(d->codec, par) < 0 || avcodec_open2(d->codec, codec, nullptr) < 0)
            return nullptr;
        slot = std::move(d);
        return slot.get();
    }

    void Decode(SDecoder& d, const AVPacket* packet)
    {
        avcodec_send_packet(d.codec, packet);
        while (avcodec_receive_frame(d.codec, m_frame) >= 0) {
            if (d.codec->codec_type == AVMEDIA_TYPE_VIDEO)
                Picture(d);
            else
                Sound(d);
            av_frame_unref(m_frame);
        }
    }

    void Picture(SDecoder& d)
    {
        const AVFrame* f = m_frame;
        if (f->width <= 0 || f->height <= 0 || f->width > kMaxSide || f->height > kMaxSide)
            return;
        d.sws = sws_getCachedContext(d.sws, f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                     AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
        if (!d.sws)
            return;
        d.rgb.resize(std::size_t(f->width) * f->height * 3);
        std::uint8_t* planes[4] = {d.rgb.data(), nullptr, nullptr, nullptr};
        const int strides[4] = {f->width * 3, 0, 0, 0};
        sws_scale(d.sws, f->data, f->linesize, 0, f->height, planes, strides);
        m_sum += d.rgb.front() + d.rgb[d.rgb.size() / 2] + d.rgb.back();
        ++m_pictures;
    }

    void Sound(SDecoder& d)
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
                return;
            }
        }
        d.pcm.resize(std::size_t(f->nb_samples) * channels);
        auto* out = reinterpret_cast<std::uint8_t*>(d.pcm.data());
        const int got = swr_convert(d.swr, &out, f->nb_samples, const_cast<const std::uint8_t**>(f->extended_data),
                                    f->nb_samples);
        if (got > 0)
            m_sum += std::uint64_t(d.pcm.front() + d.pcm[std::size_t(got) * channels - 1]);
    }

    SRegion& m_region;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    std::map<int, std::unique_ptr<SDecoder>> m_decoders;
    int m_pictures = 0;
    std::uint64_t m_sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SRegion region{data, size, 0};
    CReader reader(region);
    reader.Run();
    return 0;
}
