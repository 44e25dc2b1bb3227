#ifndef BOUNDEDIMAGEREADER_H
#define BOUNDEDIMAGEREADER_H

#include <QByteArray>
#include <QImage>
#include <QString>

// Reads pictures that come from outside the program (a logo file the coach
// picks, a picture the page sends) within a bounded budget: the size is
// read from the header first, and a picture larger than MaxSide on either
// side, or one that does not decode, gives a null image. A huge or hostile
// file therefore never exhausts memory. The header is read by the image
// plugin's decoding library itself (libjpeg, libpng), never by a parser of
// our own, so the size checked is the size the decoder allocates.
class BoundedImageReader
{
public:
    static constexpr int MaxSide = 8192;

    // The picture in the file at `path`, its format recognised from its
    // content (a JPEG named .png still loads). A picture larger than
    // `fitWithin` on a side is read scaled down to fit it, so that only a
    // picture of about that size is ever held; a null size reads it whole.
    static QImage readFile(const QString &path, const QSize &fitWithin = QSize());

    // The picture of format `format` ("JPEG") held in the base64 payload of
    // `dataUrl`: the text between its first comma and any second one.
    static QImage readDataUrl(const QString &dataUrl, const QByteArray &format);
};

#endif // BOUNDEDIMAGEREADER_H
