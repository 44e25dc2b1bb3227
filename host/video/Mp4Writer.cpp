#include "Mp4Writer.h"

#include <QFile>

extern "C" {
#include <libavutil/opt.h>
}

using FfmpegHandles::errorText;

namespace {

// 800 kbit/s for 640 × 480 at 15 pictures a second, and as many bits a
// pixel at any other size and rate, so a bigger picture is as sharp.
const qint64 kBitRate = 800000;
const qint64 kBitRatePixelsPerSecond = 640 * 480 * 15;
// Measured on a 2-core machine, 166 pictures of 640 × 480 at 800 kbit/s:
// veryfast costs about 2 dB less than medium at a third of its time;
// superfast and ultrafast lose 2 and 4 dB more for little speed. Without
// look-ahead and B-frames (zerolatency) x264 holds no pictures back: each
// is encoded as it arrives, so the export does not
// wait for a backlog at its end (a whole export's host side went from
// 1.9 s to 0.75 s) for 0.7 dB.
const char *const kPreset = "veryfast";
// Larger pictures have many more pixels to search; there the faster preset
// keeps an export ahead of real time, and the higher bit rate makes up for
// what it gives away.
const char *const kLargePreset = "superfast";
const int kLargePixels = 640 * 480;
const char *const kTune = "zerolatency";
// One thread: the page draws the next picture on the main thread meanwhile,
// so on two cores the encoder has the other one to itself. Split into
// slices over several threads it took 10 to 15 % more processor time for
// the same pictures (a whole export at 960 x 720 and 1440 x 1080).
const int kEncoderThreads = 1;

} // namespace

Mp4Writer::Mp4Writer(int width, int height, int frameRate, const QString &outputPath)
    : m_width(width)
    , m_height(height)
    , m_frameRate(frameRate)
    , m_outputPath(outputPath)
{
}

qint64 Mp4Writer::bitRate(int width, int height, int frameRate)
{
    return kBitRate * width * height * frameRate / kBitRatePixelsPerSecond;
}

bool Mp4Writer::open(QString *why)
{
    // The name as the file system spells it, which need not be UTF-8.
    const QByteArray path = QFile::encodeName(m_outputPath);
    AVFormatContext *raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", path.constData());
    if (rc < 0) {
        *why = errorText("MP4 container", rc);
        return false;
    }
    m_format.reset(raw);
    if (!openCodec(why))
        return false;

    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    m_stream->time_base = m_codec->time_base;
    m_stream->avg_frame_rate = m_codec->framerate;
    rc = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    if (rc < 0) {
        *why = errorText("Stream parameters", rc);
        return false;
    }
    rc = avio_open(&m_format->pb, path.constData(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        *why = errorText("Cannot create the file", rc);
        return false;
    }
    rc = avformat_write_header(m_format.get(), nullptr);
    if (rc < 0) {
        *why = errorText("Cannot write the file", rc);
        closeAndRemove();
        return false;
    }
    return true;
}

bool Mp4Writer::openCodec(QString *why)
{
    const AVCodec *h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264) {
        *why = QStringLiteral("This build of FFmpeg has no H.264 encoder (libx264)");
        return false;
    }
    m_codec.reset(avcodec_alloc_context3(h264));
    m_picture.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_codec || !m_picture || !m_packet) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    m_codec->width = m_width;
    m_codec->height = m_height;
    m_codec->time_base = AVRational{1, m_frameRate};
    m_codec->framerate = AVRational{m_frameRate, 1};
    m_codec->sample_aspect_ratio = AVRational{1, 1};
    m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
    m_codec->bit_rate = bitRate(m_width, m_height, m_frameRate);
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(m_codec->priv_data, "preset", m_width * m_height > kLargePixels ? kLargePreset : kPreset, 0);
    av_opt_set(m_codec->priv_data, "tune", kTune, 0);
    m_codec->thread_count = kEncoderThreads;

    int rc = avcodec_open2(m_codec.get(), h264, nullptr);
    if (rc < 0) {
        *why = errorText("H.264 encoder", rc);
        return false;
    }
    m_picture->format = m_codec->pix_fmt;
    m_picture->width = m_width;
    m_picture->height = m_height;
    rc = av_frame_get_buffer(m_picture.get(), 0);
    if (rc < 0) {
        *why = errorText("Picture buffer", rc);
        return false;
    }
    return true;
}

AVFrame *Mp4Writer::picture() const
{
    return m_picture.get();
}

bool Mp4Writer::send(int times, QString *why)
{
    for (int i = 0; i < times; ++i) {
        if (!sendPicture(why))
            return false;
    }
    return true;
}

bool Mp4Writer::sendPicture(QString *why)
{
    m_picture->pts = m_nextPts;
    const int rc = avcodec_send_frame(m_codec.get(), m_picture.get());
    if (rc < 0) {
        *why = errorText("H.264 encoder", rc);
        return false;
    }
    ++m_nextPts;
    return drain(why);
}

// Moves every packet the encoder has ready into the file.
bool Mp4Writer::drain(QString *why)
{
    for (;;) {
        int rc = avcodec_receive_packet(m_codec.get(), m_packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            *why = errorText("H.264 encoder", rc);
            return false;
        }
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        rc = av_interleaved_write_frame(m_format.get(), m_packet.get());
        if (rc < 0) {
            *why = errorText("Cannot write the file", rc);
            return false;
        }
    }
}

bool Mp4Writer::finish(QString *why)
{
    // A null frame asks the encoder for the pictures it still holds back.
    int rc = avcodec_send_frame(m_codec.get(), nullptr);
    if (rc < 0) {
        *why = errorText("H.264 encoder", rc);
        return false;
    }
    if (!drain(why))
        return false;
    rc = av_write_trailer(m_format.get());
    // Closing drops the error of its last flush, so flush and look first.
    if (rc >= 0) {
        avio_flush(m_format->pb);
        rc = m_format->pb->error;
    }
    if (rc >= 0)
        rc = avio_closep(&m_format->pb);
    if (rc < 0) {
        *why = errorText("Cannot complete the file", rc);
        return false;
    }
    return true;
}

void Mp4Writer::close()
{
    m_format.reset();
}

void Mp4Writer::closeAndRemove()
{
    m_format.reset();
    QFile::remove(m_outputPath);
}
