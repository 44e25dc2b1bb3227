#include "VideoOptions.h"

#include <QRegularExpression>
#include <QSettings>

namespace {
const char kSizeKey[] = "video/size";
const char kFrameRateKey[] = "video/frameRate";
} // namespace

QList<QSize> VideoOptions::sizes()
{
    return {QSize(640, 480), QSize(960, 720), QSize(1440, 1080)};
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
