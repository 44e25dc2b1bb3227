#ifndef MP4ENCODER_H
#define MP4ENCODER_H

#include "PictureEncoder.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

// Writes equally sized pictures as H.264 video in an MP4 file, one picture
// per 1/frameRate second, at bitRate() bit/s.
//
// Pictures come in two forms, freely mixed: a canvas's pixels
// (writePixels), or JPEG files, decoded on the worker. Encoding runs on a
// worker thread behind a small bounded queue (EncoderQueue), so the caller
// can prepare the next picture while the last ones are encoded; the
// pictures reach the file in the order they were written. The worker turns
// each into the video's colour planes (PictureConversion) and encodes it
// into the file (Mp4Writer).
//
// Use: create, then writePixels() or writeJpeg() for each picture; then
// finish(). Not thread-safe: all calls come from one thread.
class Mp4Encoder : public PictureEncoder
{
public:
    // Opens `outputPath` (the container is MP4 whatever its name) and gets
    // the encoder ready for the first picture. Returns null when that
    // fails, with the reason in `*error`; no file is left behind then.
    static std::unique_ptr<Mp4Encoder> create(int width, int height, int frameRate,
                                              const QString &outputPath, QString *error);

    // 800000 bit/s for 640 × 480 at 15 pictures a second, growing with the
    // picture's area and rate.
    static qint64 bitRate(int width, int height, int frameRate);

    // An encoder destroyed without finish() stops its worker and closes the
    // file as it stands, without completing it.
    ~Mp4Encoder() override;

    Mp4Encoder(const Mp4Encoder &) = delete;
    Mp4Encoder &operator=(const Mp4Encoder &) = delete;

    int width() const override;
    int height() const override;

    // Queues a picture as a canvas holds it (the page's ImageData): width ×
    // height × 4 bytes, the top row first, each pixel red, green, blue and
    // an ignored alpha byte, to be written `times` times in a row. The
    // bytes are shared, not copied, and converted on the worker straight
    // into the video's colour planes. One of another length is left out,
    // all `times` of it, and counted in skippedPictures(). Waits while the
    // queue is full. False when the encoder has failed (this picture or an
    // earlier queued one could not be encoded or written); errorString()
    // says why.
    bool writePixels(const QByteArray &rgba, int times = 1) override;

    // Queues a JPEG picture to be written `times` times in a row. It is
    // decoded on the worker; one that does not decode, or not to width ×
    // height, is left out, all `times` of it, and counted in
    // skippedPictures(). Waits while the queue is full. False when the
    // encoder has failed, as for writePixels().
    bool writeJpeg(const QByteArray &jpeg, int times = 1);
    // The same for a JPEG in a data URL (see DataUrl), whose base64 text is
    // decoded on the worker too.
    bool writeJpegDataUrl(const QString &dataUrl, int times = 1) override;

    // Canvas and JPEG pictures left out so far (each counted once, whatever
    // `times`);
    // complete once finish() has returned.
    int skippedPictures() const override;

    // Encodes what is queued, completes the file and closes it. True when
    // the file is complete. On false the incomplete file has been removed
    // and errorString() says why. Later calls do nothing and return the
    // same result.
    bool finish() override;

    QString errorString() const override;

private:
    struct Private;
    explicit Mp4Encoder(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

#endif // MP4ENCODER_H
