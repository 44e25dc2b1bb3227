#include "Mp4Encoder.h"

#include "DataUrl.h"
#include "EncoderQueue.h"
#include "Mp4Writer.h"
#include "PictureConversion.h"

#include <atomic>

struct Mp4Encoder::Private
{
    Private(int width, int height, int frameRate, const QString &outputPath)
        : width(width)
        , height(height)
        , writer(width, height, frameRate, outputPath)
        , conversion(width, height)
        , queue([this](const EncoderQueue::Picture &picture, QString *why) { return encode(picture, why); })
    {
    }

    // On the worker: the picture converted into the writer's and encoded.
    bool encode(const EncoderQueue::Picture &picture, QString *why);
    bool queuePicture(EncoderQueue::Picture picture, int times);

    const int width;
    const int height;
    Mp4Writer writer;
    PictureConversion conversion;
    // Last, so that the worker ends before what it works with goes.
    EncoderQueue queue;
    std::atomic<int> skipped{0};
    bool finished = false;
    bool finishResult = false;
};

bool Mp4Encoder::Private::encode(const EncoderQueue::Picture &picture, QString *why)
{
    AVFrame *planes = writer.picture();
    const PictureConversion::Result result = !picture.rgba.isNull()
        ? conversion.fromCanvas(picture.rgba, planes, why)
        : conversion.fromJpeg(picture.dataUrl.isNull() ? picture.jpeg : DataUrl::payload(picture.dataUrl),
                              planes, why);
    if (result == PictureConversion::Skipped) {
        ++skipped;
        return true;
    }
    return result == PictureConversion::Converted && writer.send(picture.times, why);
}

bool Mp4Encoder::Private::queuePicture(EncoderQueue::Picture picture, int times)
{
    if (finished || times < 1)
        return false;
    picture.times = times;
    return queue.push(std::move(picture));
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
    QString why;
    // x264 needs even sizes for 4:2:0 pictures.
    if (width <= 0 || height <= 0 || width % 2 || height % 2 || frameRate <= 0) {
        why = QStringLiteral("Unsupported picture size %1 × %2 at %3 pictures per second")
                  .arg(width).arg(height).arg(frameRate);
    } else {
        auto d = std::make_unique<Private>(width, height, frameRate, outputPath);
        // The conversion first: it creates no file, so a failure leaves none.
        if (d->conversion.open(&why) && d->writer.open(&why)) {
            d->queue.start();
            return std::unique_ptr<Mp4Encoder>(new Mp4Encoder(std::move(d)));
        }
    }
    if (error)
        *error = why;
    return nullptr;
}

qint64 Mp4Encoder::bitRate(int width, int height, int frameRate)
{
    return Mp4Writer::bitRate(width, height, frameRate);
}

Mp4Encoder::~Mp4Encoder()
{
    d->queue.stop();
}

int Mp4Encoder::width() const
{
    return d->width;
}

int Mp4Encoder::height() const
{
    return d->height;
}

bool Mp4Encoder::writePixels(const QByteArray &rgba, int times)
{
    EncoderQueue::Picture picture;
    // Never null, so the worker knows what it holds.
    picture.rgba = rgba.isNull() ? QByteArray("") : rgba;
    return d->queuePicture(std::move(picture), times);
}

bool Mp4Encoder::writeJpeg(const QByteArray &jpeg, int times)
{
    EncoderQueue::Picture picture;
    picture.jpeg = jpeg;
    return d->queuePicture(std::move(picture), times);
}

bool Mp4Encoder::writeJpegDataUrl(const QString &dataUrl, int times)
{
    EncoderQueue::Picture picture;
    // Never null, so the worker knows to decode it.
    picture.dataUrl = dataUrl.isNull() ? QStringLiteral("") : dataUrl;
    return d->queuePicture(std::move(picture), times);
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
    d->queue.stop();

    QString why;
    const bool ok = !d->queue.hasFailed() && d->writer.finish(&why);
    if (ok) {
        d->writer.close();
    } else {
        d->queue.fail(why);
        d->writer.closeAndRemove();
    }
    d->finishResult = ok;
    return ok;
}

QString Mp4Encoder::errorString() const
{
    return d->queue.errorString();
}
