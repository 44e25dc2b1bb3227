#ifndef GIFENCODER_H
#define GIFENCODER_H

#include "PictureEncoder.h"

#include <memory>

// Writes equally sized pictures as a looping animated GIF, one picture per
// 1/frameRate second, in colours of a palette made for the clip.
//
// A GIF holds at most 256 colours, and which ones can only be known once
// every picture has been seen: the pictures are kept (packed, a run of
// equal ones once) and counted into a histogram as they come, and finish()
// chooses the palette from it (a median cut that lets small but distinct
// colours, a kit or a ball, keep a colour of their own), then encodes them
// with FFmpeg's GIF encoder, which writes only what changed from one
// picture to the next. A picture shown several times in a row is written
// once and held.
class GifEncoder : public PictureEncoder
{
public:
    // Fails (null, the reason in `*error`) when `outputPath` cannot be
    // written or FFmpeg has no GIF encoder.
    static std::unique_ptr<GifEncoder> create(int width, int height, int frameRate, const QString &outputPath,
                                              QString *error);
    ~GifEncoder() override;

    GifEncoder(const GifEncoder &) = delete;
    GifEncoder &operator=(const GifEncoder &) = delete;

    int width() const override;
    int height() const override;
    bool writePixels(const QByteArray &rgba, int times = 1) override;
    bool writeJpegDataUrl(const QString &dataUrl, int times = 1) override;
    int skippedPictures() const override;
    bool finish() override;
    QString errorString() const override;

    // How many colours the palette of the pictures so far would hold.
    int paletteSize() const;

private:
    struct Private;
    explicit GifEncoder(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

#endif // GIFENCODER_H
