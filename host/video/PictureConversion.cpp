#include "PictureConversion.h"

#include <cstring>

using FfmpegHandles::errorText;

namespace {

const int kDecoderPadding = 128;

} // namespace

PictureConversion::PictureConversion(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

PictureConversion::~PictureConversion()
{
    sws_freeContext(m_jpegScale);
}

bool PictureConversion::open(QString *why)
{
    m_canvasScale.reset(sws_getContext(m_width, m_height, AV_PIX_FMT_RGB0, m_width, m_height,
                                       AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_canvasScale) {
        *why = QStringLiteral("No colour conversion for %1 × %2 pictures").arg(m_width).arg(m_height);
        return false;
    }
    const AVCodec *mjpeg = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (!mjpeg) {
        *why = QStringLiteral("This build of FFmpeg has no JPEG decoder");
        return false;
    }
    m_jpegDecoder.reset(avcodec_alloc_context3(mjpeg));
    m_decoded.reset(av_frame_alloc());
    m_jpegPacket.reset(av_packet_alloc());
    if (!m_jpegDecoder || !m_decoded || !m_jpegPacket) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    // A picture much larger than the video is refused from its header,
    // before anything of its size is allocated; one thread, so that each
    // picture comes out of the decoder as soon as it goes in. The decoder
    // checks its buffer's size, which it pads to whole blocks (a 1440-pixel
    // row is given 1472), so the limit leaves room for that padding.
    m_jpegDecoder->max_pixels = int64_t(m_width + kDecoderPadding) * (m_height + kDecoderPadding);
    m_jpegDecoder->thread_count = 1;
    const int rc = avcodec_open2(m_jpegDecoder.get(), mjpeg, nullptr);
    if (rc < 0) {
        *why = errorText("JPEG decoder", rc);
        return false;
    }
    return true;
}

PictureConversion::Result PictureConversion::fromCanvas(const QByteArray &rgba, AVFrame *picture, QString *why)
{
    const int stride = m_width * 4;
    if (rgba.size() != stride * m_height)
        return Skipped;
    const int rc = av_frame_make_writable(picture);
    if (rc < 0) {
        *why = errorText("Picture buffer", rc);
        return Failed;
    }
    const uint8_t *source[1] = {reinterpret_cast<const uint8_t *>(rgba.constData())};
    const int sourceStride[1] = {stride};
    sws_scale(m_canvasScale.get(), source, sourceStride, 0, m_height, picture->data, picture->linesize);
    return Converted;
}

PictureConversion::Result PictureConversion::fromJpeg(const QByteArray &jpeg, AVFrame *picture, QString *why)
{
    if (!decodeJpeg(jpeg))
        return Skipped;
    const int rc = av_frame_make_writable(picture);
    if (rc < 0) {
        av_frame_unref(m_decoded.get());
        *why = errorText("Picture buffer", rc);
        return Failed;
    }
    sws_scale(m_jpegScale, m_decoded->data, m_decoded->linesize, 0, m_height, picture->data, picture->linesize);
    av_frame_unref(m_decoded.get());
    return Converted;
}

// True when `jpeg` decoded into m_decoded, at the video's size, in a colour
// layout the conversion takes.
bool PictureConversion::decodeJpeg(const QByteArray &jpeg)
{
    av_packet_unref(m_jpegPacket.get());
    if (jpeg.isEmpty() || av_new_packet(m_jpegPacket.get(), jpeg.size()) < 0)
        return false;
    std::memcpy(m_jpegPacket->data, jpeg.constData(), size_t(jpeg.size()));
    int rc = avcodec_send_packet(m_jpegDecoder.get(), m_jpegPacket.get());
    if (rc >= 0)
        rc = avcodec_receive_frame(m_jpegDecoder.get(), m_decoded.get());
    if (rc < 0) {
        // Nothing of a broken picture may come out with the next one.
        avcodec_flush_buffers(m_jpegDecoder.get());
        return false;
    }
    if (m_decoded->width != m_width || m_decoded->height != m_height) {
        av_frame_unref(m_decoded.get());
        return false;
    }
    m_jpegScale = sws_getCachedContext(m_jpegScale, m_width, m_height, AVPixelFormat(m_decoded->format),
                                       m_width, m_height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                                       nullptr, nullptr, nullptr);
    if (!m_jpegScale) {
        av_frame_unref(m_decoded.get());
        return false;
    }
    return true;
}
