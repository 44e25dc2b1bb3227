#include "VideoPicture.h"

#include <QPainter>

#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the encoder's pixel layout is Format_RGB32 only on little-endian machines");

namespace {
// The card as it is at 640 pixels wide; a wider one is the same, larger.
const double kBaseWidth = 640;
const int kNameGap = 16;
const int kNamePixels = 28;
const int kMargin = 24;
} // namespace

QString VideoPicture::titleText(const QString &drillName)
{
    return drillName.isEmpty() ? QStringLiteral("Untitled drill") : drillName;
}

QImage VideoPicture::titleCard(int width, int height, const QString &drillName)
{
    QImage card(width, height, QImage::Format_RGB32);
    card.fill(Qt::white);
    const double scale = width / kBaseWidth;
    const QImage original(QStringLiteral(":/Resources/logos/playvaneUrl256.png"));
    const QImage logo = scale == 1 ? original
                                   : original.scaled(original.size() * scale, Qt::KeepAspectRatio,
                                                     Qt::SmoothTransformation);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qRound(kNamePixels * scale));
    const QFontMetrics metrics(font);
    const int gap = qRound(kNameGap * scale);
    // Logo and name together stand in the middle of the card.
    const int top = (height - logo.height() - gap - metrics.height()) / 2;
    QPainter painter(&card);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage((width - logo.width()) / 2, top, logo);
    painter.setFont(font);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    const int margin = qRound(kMargin * scale);
    const QString name = metrics.elidedText(titleText(drillName), Qt::ElideRight, width - 2 * margin);
    painter.drawText(QRect(margin, top + logo.height() + gap, width - 2 * margin, metrics.height()),
                     Qt::AlignCenter, name);
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
