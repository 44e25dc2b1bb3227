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
    // A white picture of the given size with the title card logo drawn
    // unscaled in its middle.
    static QImage titleCard(int width, int height);

    // Copies `picture` upside down into `buffer`, which holds exactly
    // width × height × 4 bytes. Copies nothing and returns false when the
    // picture is null or of another size.
    static bool copyBottomUp(const QImage &picture, uchar *buffer, int width, int height);
};

#endif // VIDEOPICTURE_H
