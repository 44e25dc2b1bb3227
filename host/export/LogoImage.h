#ifndef LOGOIMAGE_H
#define LOGOIMAGE_H

#include <QImage>
#include <QString>

// The club logo as the page shows it on the pitch: a Side x Side PNG with
// the coach's picture centred on full transparency.
class LogoImage
{
public:
    static constexpr int Side = 256;

    // The picture in the file at `path`, read within BoundedImageReader's
    // budget and normalised; a null image when the file is not a picture
    // that may be read.
    static QImage fromFile(const QString &path);

    // `picture` scaled (up or down, smoothly, keeping its aspect ratio)
    // until one side is Side, drawn centred on a transparent Side x Side
    // picture with 8-bit non-premultiplied channels. The half pixel of an
    // odd margin goes to the right and bottom.
    static QImage normalise(const QImage &picture);

    // "data:image/png;base64," and the PNG bytes of `logo` in base64.
    static QString toDataUrl(const QImage &logo);
};

#endif // LOGOIMAGE_H
