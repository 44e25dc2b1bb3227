#include "VideoPicture.h"

#include <QPainter>

#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the encoder's pixel layout is Format_RGB32 only on little-endian machines");

QImage VideoPicture::titleCard(int width, int height)
{
    QImage card(width, height, QImage::Format_RGB32);
    card.fill(Qt::white);
    const QImage logo(QStringLiteral(":/Resources/logos/playvaneUrl256.png"));
    QPainter painter(&card);
    painter.drawImage((width - logo.width()) / 2, (height - logo.height()) / 2, logo);
    return card;
}

bool VideoPicture::copyBottomUp(const QImage &picture, uchar *buffer, int width, int height)
{
    if (picture.isNull() || picture.size() != QSize(width, height) || !buffer)
        return false;
    // Format_RGB32 is 0xffRRGGBB: in memory on a little-endian machine that
    // is blue, green, red, then the byte the encoder ignores.
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    const size_t rowBytes = size_t(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(buffer + size_t(height - 1 - y) * rowBytes, rgb.constScanLine(y), rowBytes);
    return true;
}
