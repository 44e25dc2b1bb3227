#ifndef PICTUREENCODER_H
#define PICTUREENCODER_H

#include <QByteArray>
#include <QString>

// What a video export hands its pictures to, whatever the file it writes:
// pictures in a canvas's bytes or as JPEG data URLs, each shown `times`
// times in a row, then finish(). Each false says the encoder has failed,
// and errorString() why.
class PictureEncoder
{
public:
    virtual ~PictureEncoder() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // width × height × 4 bytes, the top row first, red, green, blue and an
    // ignored alpha byte a pixel.
    virtual bool writePixels(const QByteArray &rgba, int times = 1) = 0;
    virtual bool writeJpegDataUrl(const QString &dataUrl, int times = 1) = 0;
    // Pictures left out (of another size, or not decoding), each once.
    virtual int skippedPictures() const = 0;
    // Completes the file; on false an incomplete one has been removed.
    virtual bool finish() = 0;
    virtual QString errorString() const = 0;
};

#endif // PICTUREENCODER_H
