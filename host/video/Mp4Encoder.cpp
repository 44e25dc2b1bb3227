#include "Mp4Encoder.h"

#include "DataUrl.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstring>
#include <deque>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

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
const int kDecoderPadding = 128;
const char *const kTune = "zerolatency";
// One thread: the page draws the next picture on the main thread meanwhile,
// so on two cores the encoder has the other one to itself. Split into
// slices over several threads it took 10 to 15 % more processor time for
// the same pictures (a whole export at 960 x 720 and 1440 x 1080).
const int kEncoderThreads = 1;
// Buffers in flight: enough to keep the worker busy while the caller
// prepares the next picture, few enough to keep memory flat.
const int kQueuedBuffers = 3;
// Pictures waiting for the worker, raw or JPEG.
const int kQueuedPictures = 4;

QString ffmpegError(const char *what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(text));
}

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

// One picture waiting for the worker: a raw frame buffer, a canvas's
// pixels, or JPEG bytes.
struct Job {
    int buffer = -1;
    QByteArray rgba;
    QByteArray jpeg;
    QString dataUrl;
    int times = 1;
};

} // namespace

struct Mp4Encoder::Private
{
    int width = 0;
    int height = 0;
    int frameRate = 0;
    QString outputPath;

    std::unique_ptr<AVFormatContext, FormatContextDeleter> format;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec;
    std::unique_ptr<AVFrame, FrameDeleter> picture;
    std::unique_ptr<AVPacket, PacketDeleter> packet;
    std::unique_ptr<SwsContext, ScaleDeleter> scale;
    // The worker's JPEG decoder and the conversion of its pictures.
    std::unique_ptr<AVCodecContext, CodecContextDeleter> jpegDecoder;
    std::unique_ptr<AVFrame, FrameDeleter> decoded;
    std::unique_ptr<AVPacket, PacketDeleter> jpegPacket;
    SwsContext *jpegScale = nullptr;
    // The conversion of canvas pictures.
    std::unique_ptr<SwsContext, ScaleDeleter> rgbaScale;
    std::atomic<int> skipped{0};
    AVStream *stream = nullptr;
    int64_t nextPts = 0;

    // Shared with the worker, under `mutex`.
    QMutex mutex;
    QWaitCondition changed;
    std::vector<std::vector<uchar>> buffers;
    std::deque<int> freeBuffers;
    std::deque<Job> queued;
    bool stopping = false;
    bool failed = false;
    QString error;

    std::unique_ptr<QThread> worker;
    int current = -1;
    bool finished = false;
    bool finishResult = false;

    ~Private() { sws_freeContext(jpegScale); }

    bool open(QString *why);
    bool openCodec(QString *why);
    bool openJpegDecoder(QString *why);
    void startWorker();
    void stopWorker();
    void work();
    void queue(Job job);
    // A picture to be shown `times` times, queued unless the video is done.
    bool queuePicture(Job job, int times);
    bool encode(const uchar *pixels, QString *why);
    bool encodeRgba(const QByteArray &rgba, int times, QString *why);
    bool encodeJpeg(const QByteArray &jpeg, int times, QString *why);
    bool sendTimes(int times, QString *why);
    bool decodeJpeg(const QByteArray &jpeg);
    bool sendPicture(QString *why);
    bool drain(QString *why);
    void fail(const QString &why);
    void closeAndRemove();
};

bool Mp4Encoder::Private::open(QString *why)
{
    // The name as the file system spells it, which need not be UTF-8.
    const QByteArray path = QFile::encodeName(outputPath);
    AVFormatContext *raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", path.constData());
    if (rc < 0) {
        *why = ffmpegError("MP4 container", rc);
        return false;
    }
    format.reset(raw);
    if (!openCodec(why) || !openJpegDecoder(why))
        return false;

    stream = avformat_new_stream(format.get(), nullptr);
    if (!stream) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    rc = avcodec_parameters_from_context(stream->codecpar, codec.get());
    if (rc < 0) {
        *why = ffmpegError("Stream parameters", rc);
        return false;
    }
    rc = avio_open(&format->pb, path.constData(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        *why = ffmpegError("Cannot create the file", rc);
        return false;
    }
    rc = avformat_write_header(format.get(), nullptr);
    if (rc < 0) {
        *why = ffmpegError("Cannot write the file", rc);
        closeAndRemove();
        return false;
    }
    return true;
}

bool Mp4Encoder::Private::openCodec(QString *why)
{
    const AVCodec *h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264) {
        *why = QStringLiteral("This build of FFmpeg has no H.264 encoder (libx264)");
        return false;
    }
    codec.reset(avcodec_alloc_context3(h264));
    picture.reset(av_frame_alloc());
    packet.reset(av_packet_alloc());
    if (!codec || !picture || !packet) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    codec->width = width;
    codec->height = height;
    codec->time_base = AVRational{1, frameRate};
    codec->framerate = AVRational{frameRate, 1};
    codec->sample_aspect_ratio = AVRational{1, 1};
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->bit_rate = Mp4Encoder::bitRate(width, height, frameRate);
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(codec->priv_data, "preset", width * height > kLargePixels ? kLargePreset : kPreset, 0);
    av_opt_set(codec->priv_data, "tune", kTune, 0);
    codec->thread_count = kEncoderThreads;

    int rc = avcodec_open2(codec.get(), h264, nullptr);
    if (rc < 0) {
        *why = ffmpegError("H.264 encoder", rc);
        return false;
    }
    picture->format = codec->pix_fmt;
    picture->width = width;
    picture->height = height;
    rc = av_frame_get_buffer(picture.get(), 0);
    if (rc < 0) {
        *why = ffmpegError("Picture buffer", rc);
        return false;
    }
    scale.reset(sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P,
                               SWS_BILINEAR, nullptr, nullptr, nullptr));
    rgbaScale.reset(sws_getContext(width, height, AV_PIX_FMT_RGB0, width, height, AV_PIX_FMT_YUV420P,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scale || !rgbaScale) {
        *why = QStringLiteral("No colour conversion for %1 × %2 pictures").arg(width).arg(height);
        return false;
    }
    return true;
}

bool Mp4Encoder::Private::openJpegDecoder(QString *why)
{
    const AVCodec *mjpeg = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (!mjpeg) {
        *why = QStringLiteral("This build of FFmpeg has no JPEG decoder");
        return false;
    }
    jpegDecoder.reset(avcodec_alloc_context3(mjpeg));
    decoded.reset(av_frame_alloc());
    jpegPacket.reset(av_packet_alloc());
    if (!jpegDecoder || !decoded || !jpegPacket) {
        *why = QStringLiteral("Out of memory");
        return false;
    }
    // A picture much larger than the video is refused from its header,
    // before anything of its size is allocated; one thread, so that each
    // picture comes out of the decoder as soon as it goes in. The decoder
    // checks its buffer's size, which it pads to whole blocks (a 1440-pixel
    // row is given 1472), so the limit leaves room for that padding.
    jpegDecoder->max_pixels = int64_t(width + kDecoderPadding) * (height + kDecoderPadding);
    jpegDecoder->thread_count = 1;
    const int rc = avcodec_open2(jpegDecoder.get(), mjpeg, nullptr);
    if (rc < 0) {
        *why = ffmpegError("JPEG decoder", rc);
        return false;
    }
    return true;
}

void Mp4Encoder::Private::closeAndRemove()
{
    format.reset();
    QFile::remove(outputPath);
}

void Mp4Encoder::Private::startWorker()
{
    const size_t bytes = size_t(width) * size_t(height) * 4;
    buffers.assign(kQueuedBuffers, std::vector<uchar>(bytes));
    for (int i = 0; i < kQueuedBuffers; ++i)
        freeBuffers.push_back(i);
    worker.reset(QThread::create([this] { work(); }));
    worker->start();
}

void Mp4Encoder::Private::stopWorker()
{
    if (!worker)
        return;
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        changed.wakeAll();
    }
    worker->wait();
    worker.reset();
}

// The worker encodes queued pictures in order. After a failure it keeps
// handing buffers back unencoded, so the caller is never left waiting.
void Mp4Encoder::Private::work()
{
    QMutexLocker lock(&mutex);
    for (;;) {
        while (queued.empty() && !stopping)
            changed.wait(&mutex);
        if (queued.empty())
            return;
        const Job job = queued.front();
        queued.pop_front();
        const bool skip = failed;
        lock.unlock();
        QString why;
        bool ok = skip;
        if (!skip && job.buffer >= 0)
            ok = encode(buffers[size_t(job.buffer)].data(), &why);
        else if (!skip && !job.rgba.isNull())
            ok = encodeRgba(job.rgba, job.times, &why);
        else if (!skip)
            ok = encodeJpeg(job.dataUrl.isNull() ? job.jpeg : DataUrl::payload(job.dataUrl), job.times, &why);
        lock.relock();
        if (!ok) {
            failed = true;
            error = why;
        }
        if (job.buffer >= 0)
            freeBuffers.push_back(job.buffer);
        changed.wakeAll();
    }
}

void Mp4Encoder::Private::queue(Job job)
{
    QMutexLocker lock(&mutex);
    while (int(queued.size()) >= kQueuedPictures && !failed)
        changed.wait(&mutex);
    queued.push_back(std::move(job));
    changed.wakeAll();
}

bool Mp4Encoder::Private::encode(const uchar *pixels, QString *why)
{
    // The picture comes bottom row first: read it from its last row upwards.
    const int stride = width * 4;
    const uint8_t *source[1] = {pixels + size_t(height - 1) * size_t(stride)};
    const int sourceStride[1] = {-stride};
    int rc = av_frame_make_writable(picture.get());
    if (rc < 0) {
        *why = ffmpegError("Picture buffer", rc);
        return false;
    }
    sws_scale(scale.get(), source, sourceStride, 0, height, picture->data, picture->linesize);
    return sendPicture(why);
}

// A picture of the wrong size is no failure of the video: it is left out,
// and the export goes on with the next.
bool Mp4Encoder::Private::encodeRgba(const QByteArray &rgba, int times, QString *why)
{
    const int stride = width * 4;
    if (rgba.size() != stride * height) {
        ++skipped;
        return true;
    }
    int rc = av_frame_make_writable(picture.get());
    if (rc < 0) {
        *why = ffmpegError("Picture buffer", rc);
        return false;
    }
    const uint8_t *source[1] = {reinterpret_cast<const uint8_t *>(rgba.constData())};
    const int sourceStride[1] = {stride};
    sws_scale(rgbaScale.get(), source, sourceStride, 0, height, picture->data, picture->linesize);
    return sendTimes(times, why);
}

bool Mp4Encoder::Private::sendTimes(int times, QString *why)
{
    for (int i = 0; i < times; ++i) {
        if (!sendPicture(why))
            return false;
    }
    return true;
}

// A picture that does not decode is no failure of the video: it is left
// out, and the export goes on with the next.
bool Mp4Encoder::Private::encodeJpeg(const QByteArray &jpeg, int times, QString *why)
{
    if (!decodeJpeg(jpeg)) {
        ++skipped;
        return true;
    }
    int rc = av_frame_make_writable(picture.get());
    if (rc < 0) {
        *why = ffmpegError("Picture buffer", rc);
        return false;
    }
    // Straight from the JPEG's own colour planes into the video's: no RGB
    // picture in between, and no turning upside down.
    sws_scale(jpegScale, decoded->data, decoded->linesize, 0, height, picture->data, picture->linesize);
    av_frame_unref(decoded.get());
    return sendTimes(times, why);
}

// True when `jpeg` decoded into `decoded`, at the video's size, in a colour
// layout the conversion takes.
bool Mp4Encoder::Private::decodeJpeg(const QByteArray &jpeg)
{
    av_packet_unref(jpegPacket.get());
    if (jpeg.isEmpty() || av_new_packet(jpegPacket.get(), jpeg.size()) < 0)
        return false;
    std::memcpy(jpegPacket->data, jpeg.constData(), size_t(jpeg.size()));
    int rc = avcodec_send_packet(jpegDecoder.get(), jpegPacket.get());
    if (rc >= 0)
        rc = avcodec_receive_frame(jpegDecoder.get(), decoded.get());
    if (rc < 0) {
        // Nothing of a broken picture may come out with the next one.
        avcodec_flush_buffers(jpegDecoder.get());
        return false;
    }
    if (decoded->width != width || decoded->height != height) {
        av_frame_unref(decoded.get());
        return false;
    }
    jpegScale = sws_getCachedContext(jpegScale, width, height, AVPixelFormat(decoded->format), width, height,
                                     AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!jpegScale) {
        av_frame_unref(decoded.get());
        return false;
    }
    return true;
}

bool Mp4Encoder::Private::sendPicture(QString *why)
{
    picture->pts = nextPts;
    const int rc = avcodec_send_frame(codec.get(), picture.get());
    if (rc < 0) {
        *why = ffmpegError("H.264 encoder", rc);
        return false;
    }
    ++nextPts;
    return drain(why);
}

// Moves every packet the encoder has ready into the file.
bool Mp4Encoder::Private::drain(QString *why)
{
    for (;;) {
        int rc = avcodec_receive_packet(codec.get(), packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            *why = ffmpegError("H.264 encoder", rc);
            return false;
        }
        av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        rc = av_interleaved_write_frame(format.get(), packet.get());
        if (rc < 0) {
            *why = ffmpegError("Cannot write the file", rc);
            return false;
        }
    }
}

void Mp4Encoder::Private::fail(const QString &why)
{
    if (!failed) {
        failed = true;
        error = why;
    }
}

Mp4Encoder::Mp4Encoder(std::unique_ptr<Private> d)
    : d(std::move(d))
{
}

std::unique_ptr<Mp4Encoder> Mp4Encoder::create(int width, int height, int frameRate,
                                               const QString &outputPath, QString *error)
{
    // The library's progress and statistics lines are of no use to a coach.
    av_log_set_level(AV_LOG_ERROR);
    auto d = std::make_unique<Private>();
    d->width = width;
    d->height = height;
    d->frameRate = frameRate;
    d->outputPath = outputPath;
    QString why;
    // x264 needs even sizes for 4:2:0 pictures.
    if (width <= 0 || height <= 0 || width % 2 || height % 2 || frameRate <= 0)
        why = QStringLiteral("Unsupported picture size %1 × %2 at %3 pictures per second")
                  .arg(width).arg(height).arg(frameRate);
    else if (d->open(&why)) {
        d->startWorker();
        return std::unique_ptr<Mp4Encoder>(new Mp4Encoder(std::move(d)));
    }
    if (error)
        *error = why;
    return nullptr;
}

qint64 Mp4Encoder::bitRate(int width, int height, int frameRate)
{
    return kBitRate * width * height * frameRate / kBitRatePixelsPerSecond;
}

Mp4Encoder::~Mp4Encoder()
{
    d->stopWorker();
}

int Mp4Encoder::width() const
{
    return d->width;
}

int Mp4Encoder::height() const
{
    return d->height;
}

int Mp4Encoder::frameBytes() const
{
    return d->width * d->height * 4;
}

uchar *Mp4Encoder::frameBuffer()
{
    if (d->finished)
        return nullptr;
    QMutexLocker lock(&d->mutex);
    if (d->current < 0) {
        while (d->freeBuffers.empty())
            d->changed.wait(&d->mutex);
        d->current = d->freeBuffers.front();
        d->freeBuffers.pop_front();
    }
    return d->failed ? nullptr : d->buffers[size_t(d->current)].data();
}

bool Mp4Encoder::writeFrame()
{
    if (d->current < 0 || d->finished)
        return false;
    Job job;
    job.buffer = d->current;
    d->current = -1;
    d->queue(std::move(job));
    return !hasFailed();
}

bool Mp4Encoder::Private::queuePicture(Job job, int times)
{
    if (finished || times < 1)
        return false;
    job.times = times;
    queue(std::move(job));
    QMutexLocker lock(&mutex);
    return !failed;
}

bool Mp4Encoder::writePixels(const QByteArray &rgba, int times)
{
    Job job;
    // Never null, so the worker knows what it holds.
    job.rgba = rgba.isNull() ? QByteArray("") : rgba;
    return d->queuePicture(std::move(job), times);
}

bool Mp4Encoder::writeJpeg(const QByteArray &jpeg, int times)
{
    Job job;
    job.jpeg = jpeg;
    return d->queuePicture(std::move(job), times);
}

bool Mp4Encoder::writeJpegDataUrl(const QString &dataUrl, int times)
{
    Job job;
    // Never null, so the worker knows to decode it.
    job.dataUrl = dataUrl.isNull() ? QStringLiteral("") : dataUrl;
    return d->queuePicture(std::move(job), times);
}

bool Mp4Encoder::hasFailed() const
{
    QMutexLocker lock(&d->mutex);
    return d->failed;
}

int Mp4Encoder::skippedPictures() const
{
    return d->skipped;
}

bool Mp4Encoder::finish()
{
    if (d->finished)
        return d->finishResult;
    d->finished = true;
    d->stopWorker();

    QString why;
    bool ok = !d->failed;
    if (ok) {
        // A null frame asks the encoder for the pictures it still holds back.
        int rc = avcodec_send_frame(d->codec.get(), nullptr);
        ok = rc >= 0 ? d->drain(&why) : (why = ffmpegError("H.264 encoder", rc), false);
    }
    if (ok) {
        int rc = av_write_trailer(d->format.get());
        // Closing drops the error of its last flush, so flush and look first.
        if (rc >= 0) {
            avio_flush(d->format->pb);
            rc = d->format->pb->error;
        }
        if (rc >= 0)
            rc = avio_closep(&d->format->pb);
        if (rc < 0) {
            why = ffmpegError("Cannot complete the file", rc);
            ok = false;
        }
    }
    if (!ok) {
        d->fail(why);
        d->closeAndRemove();
    } else {
        d->format.reset();
    }
    d->finishResult = ok;
    return ok;
}

QString Mp4Encoder::errorString() const
{
    QMutexLocker lock(&d->mutex);
    return d->error;
}
