#ifndef FFMPEGHANDLES_H
#define FFMPEGHANDLES_H

#include <QString>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

// FFmpeg's objects held by unique_ptr, each freed by its own function, and
// its error codes as text, shared by the encoder's parts.
namespace FfmpegHandles {

struct FormatContextDeleter {
    void operator()(AVFormatContext *c) const
    {
        if (c && c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct ScaleDeleter {
    void operator()(SwsContext *s) const { sws_freeContext(s); }
};

using FormatContext = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Scale = std::unique_ptr<SwsContext, ScaleDeleter>;

// "what: the library's reason".
inline QString errorText(const char *what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(text));
}

} // namespace FfmpegHandles

#endif // FFMPEGHANDLES_H
