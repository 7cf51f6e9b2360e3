#include "movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The first 20 bytes of every MVE file.
constexpr char kSignature[] = "Interplay MVE File\x1A";
constexpr std::size_t kSignatureSize = sizeof kSignature;  // with the terminating zero
constexpr int kMaxSide = 4096;

std::string AvError(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

bool ReadAt(int fd, void* buf, std::size_t n, std::uint64_t offset)
{
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        const ssize_t got = ::pread(fd, p, n, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= std::size_t(got);
        offset += std::uint64_t(got);
    }
    return true;
}

template <class Ehdr, class Phdr, class Shdr>
std::uint64_t ImageEnd(int fd, std::uint64_t fileSize)
{
    auto damaged = [] { Fail(kExitFailure, "cannot read the player's own program headers"); };
    Ehdr eh;
    if (!ReadAt(fd, &eh, sizeof eh, 0))
        damaged();
    std::uint64_t end = std::max<std::uint64_t>(eh.e_ehsize, sizeof eh);
    // Checked additions: a header pointing past the file is a damaged program, not a movie offset.
    auto extent = [&](std::uint64_t offset, std::uint64_t size) {
        if (offset > fileSize || size > fileSize - offset)
            damaged();
        end = std::max(end, offset + size);
    };
    if (eh.e_phnum) {
        if (eh.e_phentsize < sizeof(Phdr))
            damaged();
        extent(eh.e_phoff, std::uint64_t(eh.e_phnum) * eh.e_phentsize);
        for (unsigned i = 0; i < eh.e_phnum; ++i) {
            Phdr ph;
            if (!ReadAt(fd, &ph, sizeof ph, eh.e_phoff + std::uint64_t(i) * eh.e_phentsize))
                damaged();
            extent(ph.p_offset, ph.p_filesz);
        }
    }
    if (eh.e_shnum) {
        if (eh.e_shentsize < sizeof(Shdr))
            damaged();
        extent(eh.e_shoff, std::uint64_t(eh.e_shnum) * eh.e_shentsize);
        for (unsigned i = 0; i < eh.e_shnum; ++i) {
            Shdr sh;
            if (!ReadAt(fd, &sh, sizeof sh, eh.e_shoff + std::uint64_t(i) * eh.e_shentsize))
                damaged();
            if (sh.sh_type != SHT_NOBITS)
                extent(sh.sh_offset, sh.sh_size);
        }
    }
    return end;
}

// Reads and seeks within the movie's bytes only, so the demuxer sees the movie as a file of its own.
int ReadRegion(void* opaque, std::uint8_t* buf, int size)
{
    auto* s = static_cast<SMovieSource*>(opaque);
    if (s->pos >= s->size || size <= 0)
        return AVERROR_EOF;
    const std::size_t want = std::size_t(std::min<std::uint64_t>(std::uint64_t(size), s->size - s->pos));
    ssize_t got;
    do
        got = ::pread(s->fd, buf, want, off_t(s->begin + s->pos));
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return AVERROR(errno);
    if (got == 0)
        return AVERROR_EOF;
    s->pos += std::uint64_t(got);
    return int(got);
}

std::int64_t SeekRegion(void* opaque, std::int64_t offset, int whence)
{
    auto* s = static_cast<SMovieSource*>(opaque);
    if (whence & AVSEEK_SIZE)
        return std::int64_t(s->size);
    whence &= ~AVSEEK_FORCE;
    std::int64_t base;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = std::int64_t(s->pos); break;
    case SEEK_END: base = std::int64_t(s->size); break;
    default: return AVERROR(EINVAL);
    }
    if (offset < -base || offset > std::int64_t(1) << 62)
        return AVERROR(EINVAL);
    s->pos = std::uint64_t(base + offset);
    return std::int64_t(s->pos);
}

SMovieSource Open(const std::string& path, bool selfImage)
{
    SMovieSource s;
    s.name = path;
    s.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (s.fd < 0 || ::fstat(s.fd, &st) != 0)
        Fail(selfImage ? kExitFailure : kExitNoMovie, "cannot open " + path + ": " + std::strerror(errno));
    s.size = std::uint64_t(st.st_size);
    return s;
}

} // namespace

void Fail(int code, std::string message)
{
    throw SPlayerError{code, std::move(message)};
}

SMovieSource::SMovieSource(SMovieSource&& o) noexcept
    : fd(o.fd), begin(o.begin), size(o.size), pos(o.pos), name(std::move(o.name))
{
    o.fd = -1;
}

SMovieSource::~SMovieSource()
{
    if (fd >= 0)
        ::close(fd);
}

std::uint64_t ElfImageEnd(int fd, std::uint64_t fileSize)
{
    unsigned char ident[EI_NIDENT];
    if (!ReadAt(fd, ident, sizeof ident, 0) || std::memcmp(ident, ELFMAG, SELFMAG) != 0 ||
        ident[EI_DATA] != (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB))
        Fail(kExitFailure, "the player's own program is not an ELF file it can read");
    if (ident[EI_CLASS] == ELFCLASS64)
        return ImageEnd<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(fd, fileSize);
    if (ident[EI_CLASS] == ELFCLASS32)
        return ImageEnd<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(fd, fileSize);
    Fail(kExitFailure, "the player's own program is not an ELF file it can read");
}

SMovieSource FindMovie()
{
    const char* moviePath = std::getenv("DRAVIK_PLAYER_MOVIE");
    const bool appended = !moviePath || !*moviePath;
    SMovieSource s = appended ? Open("/proc/self/exe", true) : Open(moviePath, false);
    if (appended) {
        char real[4096];
        const ssize_t n = ::readlink("/proc/self/exe", real, sizeof real - 1);
        if (n > 0)
            s.name.assign(real, std::size_t(n));
        s.begin = ElfImageEnd(s.fd, s.size);
        s.size -= s.begin;
        if (s.size == 0)
            Fail(kExitNoMovie, "no movie is stored in " + s.name + ": nothing follows the player's " +
                                   std::to_string(s.begin) + "-byte program");
    }
    char head[kSignatureSize] = {};
    if (s.size < kSignatureSize || !ReadAt(s.fd, head, sizeof head, s.begin) ||
        std::memcmp(head, kSignature, kSignatureSize) != 0)
        Fail(kExitDamaged, "the " + std::to_string(s.size) + " bytes " + (s.begin ? "after the player in " : "of ") +
                               s.name + " are not an MVE movie (it does not start with the MVE signature)");
    return s;
}

struct CMovie::SDecoder
{
    AVCodecContext* codec = nullptr;
    AVRational timeBase{1, 1000000};
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    std::vector<std::uint8_t> rgb;
    std::vector<std::int16_t> pcm;
    int inChannels = 0, inFormat = -1, inRate = 0;  // what swr was set up for
    ~SDecoder()
    {
        avcodec_free_context(&codec);
        sws_freeContext(sws);
        swr_free(&swr);
    }
};

CMovie::CMovie(SMovieSource& source) : m_source(source)
{
    try {
        Open();
    } catch (...) {
        Close();  // the destructor does not run for a half-built movie
        throw;
    }
}

void CMovie::Open()
{
    constexpr int kBufferSize = 32768;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    m_io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, &m_source, ReadRegion, nullptr, SeekRegion) : nullptr;
    m_format = avformat_alloc_context();
    m_frame = av_frame_alloc();
    if (!m_io || !m_format || !m_frame) {
        if (!m_io)
            av_free(buffer);
        Fail(kExitFailure, "out of memory");
    }
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Forced, never probed: the player's own bytes may hold the signature too.
    const AVInputFormat* mve = av_find_input_format("ipmovie");
    if (!mve)
        Fail(kExitFailure, "this FFmpeg cannot read MVE movies");
    m_source.pos = 0;
    const int rc = avformat_open_input(&m_format, nullptr, mve, nullptr);
    if (rc < 0)  // m_format is freed and null now
        Fail(kExitDamaged, "the movie in " + m_source.name + " is damaged: its header cannot be read (" + AvError(rc) + ")");
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVCodecParameters* par = m_format->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            m_width = par->width;
            m_height = par->height;
        }
    }
    if (m_width <= 0 || m_height <= 0 || m_width > kMaxSide || m_height > kMaxSide)
        Fail(kExitDamaged, "the movie in " + m_source.name + " is damaged: its picture size " + std::to_string(m_width) +
                               "x" + std::to_string(m_height) + " is impossible");
}

CMovie::~CMovie()
{
    Close();
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

CMovie::SDecoder* CMovie::DecoderFor(int streamIndex)
{
    if (auto it = m_decoders.find(streamIndex); it != m_decoders.end())
        return it->second.get();
    auto& slot = m_decoders[streamIndex];  // a stream that cannot be decoded keeps an empty slot
    if (streamIndex < 0 || unsigned(streamIndex) >= m_format->nb_streams)
        return nullptr;
    const AVStream* stream = m_format->streams[streamIndex];
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
        Note(std::string("its ") + (par->codec_type == AVMEDIA_TYPE_VIDEO ? "pictures" : "sound") +
             " cannot be decoded (" + AvError(rc) + ")");
        return nullptr;
    }
    slot = std::move(d);
    return slot.get();
}

void CMovie::Deliver(SDecoder& d, IMovieSink& sink)
{
    AVFrame* f = m_frame;
    if (d.codec->codec_type == AVMEDIA_TYPE_VIDEO) {
        if (f->width <= 0 || f->height <= 0 || f->width > kMaxSide || f->height > kMaxSide)
            return Note("a picture has the impossible size " + std::to_string(f->width) + "x" + std::to_string(f->height));
        d.sws = sws_getCachedContext(d.sws, f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                     AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
        if (!d.sws)
            return Note("a picture is in a form that cannot be shown");
        d.rgb.resize(std::size_t(f->width) * f->height * 3);
        std::uint8_t* planes[4] = {d.rgb.data(), nullptr, nullptr, nullptr};
        int strides[4] = {f->width * 3, 0, 0, 0};
        sws_scale(d.sws, f->data, f->linesize, 0, f->height, planes, strides);
        const std::int64_t ts = f->best_effort_timestamp;
        std::int64_t pts = ts == AV_NOPTS_VALUE ? m_lastPtsUs + m_periodUs
                                                : av_rescale_q(ts, d.timeBase, AVRational{1, 1000000});
        if (m_lastPtsUs >= 0 && pts > m_lastPtsUs)
            m_periodUs = pts - m_lastPtsUs;
        m_lastPtsUs = std::max(pts, m_lastPtsUs);
        ++m_pictures;
        sink.Picture(d.rgb.data(), f->width, f->height, pts);
        return;
    }
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

void CMovie::Decode(SDecoder& d, const AVPacket* packet, IMovieSink& sink)
{
    int rc = avcodec_send_packet(d.codec, packet);
    if (rc < 0 && rc != AVERROR_EOF)
        Note((d.codec->codec_type == AVMEDIA_TYPE_VIDEO ? "picture " + std::to_string(m_pictures + 1)
                                                         : std::string("a sound frame")) +
             " cannot be decoded (" + AvError(rc) + ")");
    while ((rc = avcodec_receive_frame(d.codec, m_frame)) >= 0) {
        Deliver(d, sink);
        av_frame_unref(m_frame);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        Note("decoding failed (" + AvError(rc) + ")");
}

std::string CMovie::Play(IMovieSink& sink)
{
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        Fail(kExitFailure, "out of memory");
    bool stopped = false;
    for (;;) {
        if ((stopped = sink.Stopped()))
            break;
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
    if (m_damage.empty() && m_pictures == 0)
        Note("it holds no pictures");
    return m_damage;
}
