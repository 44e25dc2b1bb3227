#include "LogoImage.h"

#include "BoundedImageReader.h"

#include <QBuffer>
#include <QPainter>

namespace {

// Large pictures are decoded at a few times the logo's size, not whole:
// enough for smooth scaling, little memory.
constexpr int ReadSide = 4 * LogoImage::Side;

} // namespace

QImage LogoImage::fromFile(const QString &path)
{
    const QImage picture = BoundedImageReader::readFile(path, QSize(ReadSide, ReadSide));
    if (picture.isNull())
        return QImage();
    return normalise(picture);
}

QImage LogoImage::normalise(const QImage &picture)
{
    // A very long, thin picture still keeps one row or column.
    const QSize size = picture.size().scaled(Side, Side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage logo(Side, Side, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.drawImage((Side - scaled.width()) / 2, (Side - scaled.height()) / 2, scaled);
    return logo;
}

QString LogoImage::toDataUrl(const QImage &logo)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}
