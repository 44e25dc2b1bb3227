#include "VideoPicture.h"

#include "BoundedImageReader.h"
#include "Mp4Encoder.h"

#include <QPainter>

namespace {
// The card as it is at 640 pixels wide; a wider one is the same, larger.
const double kBaseWidth = 640;
const int kNameGap = 16;
const int kNamePixels = 28;
const int kMargin = 24;
// Between what the product's logo and a club's beside it show.
const int kLogoGap = 48;

// `picture` without the fully transparent rows and columns around what it
// shows; null when it shows nothing.
QImage trimmed(const QImage &picture)
{
    if (!picture.hasAlphaChannel())
        return picture;
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    int left = argb.width(), right = -1, top = argb.height(), bottom = -1;
    for (int y = 0; y < argb.height(); ++y) {
        const auto row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(row[x])) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = y;
            }
        }
    }
    return right < 0 ? QImage() : argb.copy(QRect(QPoint(left, top), QPoint(right, bottom)));
}
} // namespace

QString VideoPicture::titleText(const QString &drillName)
{
    return drillName.isEmpty() ? QStringLiteral("Untitled drill") : drillName;
}

QImage VideoPicture::titleCard(int width, int height, const QString &drillName, const QImage &clubLogo)
{
    QImage card(width, height, QImage::Format_RGB32);
    card.fill(Qt::white);
    const double scale = width / kBaseWidth;
    // Beside a club's logo the product's is measured by what it shows, so
    // that the gap between them and the margins around them look even.
    const QImage original(QStringLiteral(":/Resources/logos/playvaneUrl256.png"));
    const QImage shown = clubLogo.isNull() ? original : trimmed(original);
    const QImage logo = scale == 1 ? shown
                                   : shown.scaled(shown.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // The club's logo fills a square as tall as the product logo, larger or
    // smaller as it must, never stretched.
    const QImage club = clubLogo.isNull()
                            ? clubLogo
                            : clubLogo.scaled(QSize(logo.height(), logo.height()), Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation);
    const int gap = club.isNull() ? 0 : qRound(kLogoGap * scale);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qRound(kNamePixels * scale));
    const QFontMetrics metrics(font);
    const int nameGap = qRound(kNameGap * scale);
    // Logos and name together stand in the middle of the card, the logos
    // side by side.
    const int top = (height - logo.height() - nameGap - metrics.height()) / 2;
    const int left = (width - logo.width() - gap - club.width()) / 2;
    QPainter painter(&card);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(left, top, logo);
    if (!club.isNull())
        painter.drawImage(left + logo.width() + gap, top + (logo.height() - club.height()) / 2, club);
    painter.setFont(font);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    const int margin = qRound(kMargin * scale);
    const QString name = metrics.elidedText(titleText(drillName), Qt::ElideRight, width - 2 * margin);
    painter.drawText(QRect(margin, top + logo.height() + nameGap, width - 2 * margin, metrics.height()),
                     Qt::AlignCenter, name);
    return card;
}

QImage VideoPicture::clubLogo(const QString &dataUrl)
{
    if (dataUrl.isEmpty())
        return QImage();
    // A logo with nothing to see is none.
    return trimmed(BoundedImageReader::readDataUrl(dataUrl, QByteArray()));
}

bool VideoPicture::queue(PictureEncoder &encoder, const QVariantMap &message, int times)
{
    const QVariant pixels = message.value(QStringLiteral("pixels"));
    if (pixels.userType() == QMetaType::QByteArray)
        return encoder.writePixels(pixels.toByteArray(), times);
    return encoder.writeJpegDataUrl(message.value(QStringLiteral("imageData")).toString(), times);
}

QByteArray VideoPicture::canvasPixels(const QImage &picture)
{
    // Four bytes a pixel: rows come without gaps.
    const QImage rgbx = picture.convertToFormat(QImage::Format_RGBX8888);
    return QByteArray(reinterpret_cast<const char *>(rgbx.constBits()), int(rgbx.sizeInBytes()));
}
