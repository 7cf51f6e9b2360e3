#include "formats/apng.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <cstring>
#include <stdexcept>

namespace {

// The file in memory; the muxer goes back to fill in the frame count.
struct SMemoryFile
{
    std::string m_bytes;
    std::size_t m_nPos = 0;
};

int WriteBytes(void* opaque, std::uint8_t* data, int size)
{
    auto* f = static_cast<SMemoryFile*>(opaque);
    if (f->m_nPos + std::size_t(size) > f->m_bytes.size())
        f->m_bytes.resize(f->m_nPos + std::size_t(size));
    std::memcpy(&f->m_bytes[f->m_nPos], data, std::size_t(size));
    f->m_nPos += std::size_t(size);
    return size;
}

std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence)
{
    auto* f = static_cast<SMemoryFile*>(opaque);
    if (whence == AVSEEK_SIZE)
        return std::int64_t(f->m_bytes.size());
    const std::int64_t base = (whence & 3) == SEEK_CUR ? std::int64_t(f->m_nPos)
                              : (whence & 3) == SEEK_END ? std::int64_t(f->m_bytes.size())
                                                         : 0;
    if (base + offset < 0)
        return AVERROR(EINVAL);
    f->m_nPos = std::size_t(base + offset);
    return base + offset;
}

// Owners of FFmpeg's objects, freed however the encoding ends.
struct SApngWriter
{
    AVIOContext* m_pIo = nullptr;
    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    AVFrame* m_pFrame = nullptr;
    AVPacket* m_pPacket = nullptr;
    ~SApngWriter()
    {
        av_packet_free(&m_pPacket);
        av_frame_free(&m_pFrame);
        avcodec_free_context(&m_pCodec);
        avformat_free_context(m_pFormat);
        if (m_pIo)
            av_freep(&m_pIo->buffer);
        avio_context_free(&m_pIo);
    }
};

void Check(int status, const char* what)
{
    if (status < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        throw std::runtime_error(std::string("the animated PNG could not be written: ") + what + " (" + text + ")");
    }
}

// Sends frame (null: the end) and muxes whatever packets are ready.
void Encode(SApngWriter& w, AVStream* stream, AVFrame* frame)
{
    Check(avcodec_send_frame(w.m_pCodec, frame), "encoding a frame");
    for (;;) {
        const int status = avcodec_receive_packet(w.m_pCodec, w.m_pPacket);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return;
        Check(status, "encoding a frame");
        av_packet_rescale_ts(w.m_pPacket, w.m_pCodec->time_base, stream->time_base);
        w.m_pPacket->stream_index = stream->index;
        Check(av_interleaved_write_frame(w.m_pFormat, w.m_pPacket), "writing a frame");
    }
}

} // namespace

std::string EncodeApng(const std::vector<SIndexedPicture>& frames, const std::uint8_t* palette768, bool transparent,
                       int frameMs)
{
    if (frames.empty() || frames[0].m_nWidth == 0 || frames[0].m_nHeight == 0)
        throw std::runtime_error("the animated PNG could not be written: there is no picture");
    // FFmpeg's own notes would be output of ours; the failures are raised.
    av_log_set_level(AV_LOG_QUIET);
    SApngWriter w;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_APNG);
    if (!codec)
        throw std::runtime_error("the animated PNG could not be written: FFmpeg has no APNG encoder");
    Check(avformat_alloc_output_context2(&w.m_pFormat, nullptr, "apng", nullptr), "no APNG muxer");
    AVStream* stream = avformat_new_stream(w.m_pFormat, nullptr);
    w.m_pCodec = avcodec_alloc_context3(codec);
    w.m_pFrame = av_frame_alloc();
    w.m_pPacket = av_packet_alloc();
    if (!stream || !w.m_pCodec || !w.m_pFrame || !w.m_pPacket)
        throw std::runtime_error("the animated PNG could not be written: out of memory");
    w.m_pCodec->width = int(frames[0].m_nWidth);
    w.m_pCodec->height = int(frames[0].m_nHeight);
    w.m_pCodec->pix_fmt = AV_PIX_FMT_PAL8;
    w.m_pCodec->time_base = {1, 1000};
    if (w.m_pFormat->oformat->flags & AVFMT_GLOBALHEADER)
        w.m_pCodec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(w.m_pCodec, codec, nullptr), "opening the encoder");
    Check(avcodec_parameters_from_context(stream->codecpar, w.m_pCodec), "setting up the stream");
    stream->time_base = w.m_pCodec->time_base;
    SMemoryFile file;
    constexpr int kChunk = 64 << 10;
    auto* chunk = static_cast<unsigned char*>(av_malloc(kChunk));
    if (!chunk || !(w.m_pIo = avio_alloc_context(chunk, kChunk, 1, &file, nullptr, WriteBytes, SeekBytes))) {
        av_free(chunk);
        throw std::runtime_error("the animated PNG could not be written: out of memory");
    }
    w.m_pFormat->pb = w.m_pIo;
    // Loop for ever, and hold the last frame as long as the others.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "plays", "0", 0);
    av_dict_set(&options, "final_delay", (std::to_string(frameMs) + "/1000").c_str(), 0);
    const int header = avformat_write_header(w.m_pFormat, &options);
    av_dict_free(&options);
    Check(header, "writing the header");

    w.m_pFrame->format = AV_PIX_FMT_PAL8;
    w.m_pFrame->width = w.m_pCodec->width;
    w.m_pFrame->height = w.m_pCodec->height;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const SIndexedPicture& picture = frames[i];
        if (picture.m_nWidth != frames[0].m_nWidth || picture.m_nHeight != frames[0].m_nHeight)
            throw std::runtime_error("the animated PNG could not be written: its frames differ in size");
        // A fresh buffer each time: the encoder may still hold the last one.
        av_frame_unref(w.m_pFrame);
        w.m_pFrame->format = AV_PIX_FMT_PAL8;
        w.m_pFrame->width = w.m_pCodec->width;
        w.m_pFrame->height = w.m_pCodec->height;
        Check(av_frame_get_buffer(w.m_pFrame, 0), "making a frame");
        for (std::uint32_t y = 0; y < picture.m_nHeight; ++y)
            std::memcpy(w.m_pFrame->data[0] + std::ptrdiff_t(y) * w.m_pFrame->linesize[0],
                        &picture.m_pixels[std::size_t(y) * picture.m_nWidth], picture.m_nWidth);
        auto* argb = reinterpret_cast<std::uint32_t*>(w.m_pFrame->data[1]);
        for (int c = 0; c < 256; ++c)
            argb[c] = std::uint32_t(transparent && c == 0 ? 0 : 0xFF) << 24 |
                      std::uint32_t(std::uint8_t(palette768[3 * c] * 4)) << 16 |
                      std::uint32_t(std::uint8_t(palette768[3 * c + 1] * 4)) << 8 |
                      std::uint8_t(palette768[3 * c + 2] * 4);
        w.m_pFrame->pts = std::int64_t(i) * frameMs;
        Encode(w, stream, w.m_pFrame);
    }
    Encode(w, stream, nullptr);
    Check(av_write_trailer(w.m_pFormat), "finishing the file");
    avio_flush(w.m_pIo);
    return std::move(file.m_bytes);
}
