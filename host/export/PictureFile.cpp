#include "PictureFile.h"

#include "AtomicFileWriter.h"
#include "BoundedImageReader.h"
#include "DataUrl.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureFile", text);
}

} // namespace

QString PictureFile::write(const QString &path, const QString &jpegDataUrl)
{
    // Read in full even for a JPEG that is copied as it stands: a picture
    // that does not decode must not reach the file.
    const QImage picture = BoundedImageReader::readDataUrl(jpegDataUrl, "JPEG");
    if (picture.isNull())
        return tr("the picture of the frame could not be read.");
    // Encoded in memory first, so the file is written in checked writes of
    // our own rather than by the image writer, which misses a short last one.
    QByteArray bytes;
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
            return tr("the picture could not be encoded as PNG.");
    } else {
        bytes = DataUrl::payload(jpegDataUrl);
    }
    QString error;
    return AtomicFileWriter::write(path, bytes, &error) ? QString() : error;
}
