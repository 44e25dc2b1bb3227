#ifndef VIDEOOPTIONS_H
#define VIDEOOPTIONS_H

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The picture size and rate of an exported video. The pitch is 4:3, and so
// is a video by default: 640 × 480 at 15 pictures a second is what every
// video had before the coach could choose. A video of another shape (16:9,
// 9:16 for a phone held upright, 1:1) shows the pitch unstretched beside a
// band that carries the captions; its size says its shape. An animated GIF is made the same
// way, smaller and slower (480 wide at 10 a second by default), without the
// title card unless asked for.
class VideoOptions
{
public:
    enum class Format { Mp4, Gif };

    // Every video size offered, the 4:3 ones first.
    static QList<QSize> sizes();
    static QList<int> frameRates();

    // "4:3", "16:9", "9:16" and "1:1"; the sizes offered in one of them, the
    // first its default; the shape of one of sizes().
    static QStringList shapes();
    static QList<QSize> sizesOf(const QString &shape);
    static QString shapeOf(const QSize &size);
    static bool parseShape(const QString &text, QString *shape);

    // "960x720" (or "960×720") as one of sizes(); false for anything else.
    static bool parseSize(const QString &text, QSize *size);
    // "25" as one of frameRates(); false for anything else.
    static bool parseFrameRate(const QString &text, int *frameRate);
    static QString sizeText(const QSize &size);

    static QList<int> gifWidths();
    static QList<int> gifFrameRates();
    // "640" as one of gifWidths(), "15" as one of gifFrameRates().
    static bool parseGifWidth(const QString &text, int *width);
    static bool parseGifFrameRate(const QString &text, int *frameRate);
    // A GIF `width` pictures wide at `frameRate` a second.
    static VideoOptions gif(int width = 480, int frameRate = 10);
    // The coach's last GIF choices, kept between runs apart from the video's.
    static VideoOptions rememberedGif();
    void rememberGif() const;

    // The coach's last choice, kept between runs; the defaults before any
    // (or when what was kept is no longer offered).
    static VideoOptions remembered();
    void remember() const;

    // The video shows the pitch as it is, with nothing beside it.
    bool isPitchShaped() const { return shapeOf(size) == shapes().constFirst(); }

    QSize size = QSize(640, 480);
    int frameRate = 15;
    Format format = Format::Mp4;
    bool titleCard = true;
};

#endif // VIDEOOPTIONS_H
