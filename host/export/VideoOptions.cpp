#include "VideoOptions.h"

#include <QRegularExpression>
#include <QSettings>

namespace {
const char kSizeKey[] = "video/size";
const char kFrameRateKey[] = "video/frameRate";
} // namespace

QList<QSize> VideoOptions::sizes()
{
    QList<QSize> all;
    for (const QString &shape : shapes())
        all += sizesOf(shape);
    return all;
}

QStringList VideoOptions::shapes()
{
    return {QStringLiteral("4:3"), QStringLiteral("16:9"), QStringLiteral("9:16"), QStringLiteral("1:1")};
}

QList<QSize> VideoOptions::sizesOf(const QString &shape)
{
    if (shape == QLatin1String("4:3"))
        return {QSize(640, 480), QSize(960, 720), QSize(1440, 1080)};
    if (shape == QLatin1String("16:9"))
        return {QSize(1280, 720), QSize(1920, 1080)};
    if (shape == QLatin1String("9:16"))
        return {QSize(1080, 1920)};
    if (shape == QLatin1String("1:1"))
        return {QSize(1080, 1080)};
    return {};
}

QString VideoOptions::shapeOf(const QSize &size)
{
    for (const QString &shape : shapes()) {
        if (sizesOf(shape).contains(size))
            return shape;
    }
    // A GIF's sizes are the pitch's 4:3 too.
    return size.width() * 3 == size.height() * 4 ? shapes().constFirst() : QString();
}

bool VideoOptions::parseShape(const QString &text, QString *shape)
{
    const QString asked = text.trimmed();
    if (!shapes().contains(asked))
        return false;
    *shape = asked;
    return true;
}

QList<int> VideoOptions::frameRates()
{
    return {15, 25, 30};
}

bool VideoOptions::parseSize(const QString &text, QSize *size)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})[x×](\\d{1,5})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed().toLower());
    if (!match.hasMatch())
        return false;
    const QSize asked(match.captured(1).toInt(), match.captured(2).toInt());
    if (!sizes().contains(asked))
        return false;
    *size = asked;
    return true;
}

bool VideoOptions::parseFrameRate(const QString &text, int *frameRate)
{
    bool ok = false;
    const int asked = text.trimmed().toInt(&ok);
    if (!ok || !frameRates().contains(asked))
        return false;
    *frameRate = asked;
    return true;
}

QList<int> VideoOptions::gifWidths()
{
    return {480, 640, 800};
}

QList<int> VideoOptions::gifFrameRates()
{
    return {10, 15};
}

namespace {
bool parseChoice(const QString &text, const QList<int> &choices, int *value)
{
    bool ok = false;
    const int asked = text.trimmed().toInt(&ok);
    if (!ok || !choices.contains(asked))
        return false;
    *value = asked;
    return true;
}
} // namespace

bool VideoOptions::parseGifWidth(const QString &text, int *width)
{
    return parseChoice(text, gifWidths(), width);
}

bool VideoOptions::parseGifFrameRate(const QString &text, int *frameRate)
{
    return parseChoice(text, gifFrameRates(), frameRate);
}

VideoOptions VideoOptions::gif(int width, int frameRate)
{
    VideoOptions options;
    options.size = QSize(width, width * 3 / 4);
    options.frameRate = frameRate;
    options.format = Format::Gif;
    options.titleCard = false;
    return options;
}

VideoOptions VideoOptions::rememberedGif()
{
    QSettings settings;
    int width = 480;
    int rate = 10;
    parseGifWidth(settings.value(QStringLiteral("gif/width")).toString(), &width);
    parseGifFrameRate(settings.value(QStringLiteral("gif/frameRate")).toString(), &rate);
    VideoOptions options = gif(width, rate);
    options.titleCard = settings.value(QStringLiteral("gif/titleCard"), false).toBool();
    return options;
}

void VideoOptions::rememberGif() const
{
    QSettings settings;
    settings.setValue(QStringLiteral("gif/width"), size.width());
    settings.setValue(QStringLiteral("gif/frameRate"), frameRate);
    settings.setValue(QStringLiteral("gif/titleCard"), titleCard);
}

QString VideoOptions::sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

VideoOptions VideoOptions::remembered()
{
    QSettings settings;
    VideoOptions options;
    parseSize(settings.value(QLatin1String(kSizeKey)).toString(), &options.size);
    parseFrameRate(settings.value(QLatin1String(kFrameRateKey)).toString(), &options.frameRate);
    return options;
}

void VideoOptions::remember() const
{
    QSettings settings;
    settings.setValue(QLatin1String(kSizeKey), sizeText(size));
    settings.setValue(QLatin1String(kFrameRateKey), frameRate);
}
