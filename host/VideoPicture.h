#ifndef VIDEOPICTURE_H
#define VIDEOPICTURE_H

#include <QImage>
#include <QString>

// The pictures of an exported video on their way into the encoder: the
// title card, and the copy into the encoder's layout (32-bit
// blue-green-red-ignored, bottom row first).
class VideoPicture
{
public:
    // A white picture of the given size with the title card logo and,
    // under it, the drill's name (titleText()), both growing with the
    // picture's width from their size at 640 pixels.
    static QImage titleCard(int width, int height, const QString &drillName);

    // What the card says for a drill of that name: its name, or
    // "Untitled drill" for a drill without one.
    static QString titleText(const QString &drillName);

    // Copies `picture` upside down into `buffer`, which holds exactly
    // width × height × 4 bytes. Copies nothing and returns false when the
    // picture is null or of another size.
    static bool copyBottomUp(const QImage &picture, uchar *buffer, int width, int height);
};

#endif // VIDEOPICTURE_H
