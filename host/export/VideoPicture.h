#ifndef VIDEOPICTURE_H
#define VIDEOPICTURE_H

#include <QImage>
#include <QString>
#include <QVariantMap>

class PictureEncoder;

// The pictures of an exported video on their way into the encoder: the
// title card, and the copy of a picture into a canvas's layout, which the
// encoder takes (red, green, blue and an ignored byte, the top row first).
class VideoPicture
{
public:
    // A white picture of the given size with the title card logo and,
    // under it, the drill's name (titleText()), both growing with the
    // picture's width from their size at 640 pixels. A club logo (see
    // clubLogo()) stands beside the product logo, fitted into a square as
    // tall as it with its shape kept; without one the card is as it was.
    static QImage titleCard(int width, int height, const QString &drillName,
                            const QImage &clubLogo = QImage());

    // The club logo the page sends as a PNG or JPEG data URL, cut to what
    // it shows: the transparent margin around it (the page keeps a logo on
    // a transparent square) is left out, so that it fills its place on the
    // card. A null image when there is none, it does not decode or it is
    // wholly transparent.
    static QImage clubLogo(const QString &dataUrl);

    // What the card says for a drill of that name: its name, or
    // "Untitled drill" for a drill without one.
    static QString titleText(const QString &drillName);

    // Queues the picture of a "writeVideoFrame" message `times` times: its
    // `pixels` (the page's canvas bytes) or, from a page that sends a JPEG
    // data URL instead, its `imageData`. False when the encoder has failed.
    static bool queue(PictureEncoder &encoder, const QVariantMap &message, int times);

    // The picture's bytes as a canvas holds them (Mp4Encoder::writePixels):
    // red, green, blue and an ignored byte for each pixel, the top row first.
    static QByteArray canvasPixels(const QImage &picture);
};

#endif // VIDEOPICTURE_H
