#include "BoundedImageReader.h"

#include "DataUrl.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage readBounded(QImageReader &reader, const QSize &fitWithin)
{
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > BoundedImageReader::MaxSide
        || size.height() > BoundedImageReader::MaxSide)
        return QImage();
    if (fitWithin.isValid() && (size.width() > fitWithin.width() || size.height() > fitWithin.height()))
        reader.setScaledSize(size.scaled(fitWithin, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

} // namespace

QImage BoundedImageReader::readFile(const QString &path, const QSize &fitWithin)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readBounded(reader, fitWithin);
}

QImage BoundedImageReader::readDataUrl(const QString &dataUrl, const QByteArray &format)
{
    QByteArray bytes = DataUrl::payload(dataUrl);
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&buffer, format);
    return readBounded(reader, QSize());
}
