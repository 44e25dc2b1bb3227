#ifndef VIDEOOPTIONS_H
#define VIDEOOPTIONS_H

#include <QList>
#include <QSize>
#include <QString>

// The picture size and rate of an exported video. The pitch is 4:3, so the
// sizes offered are too; 640 × 480 at 15 pictures a second is what every
// video had before the coach could choose.
class VideoOptions
{
public:
    static QList<QSize> sizes();
    static QList<int> frameRates();

    // "960x720" (or "960×720") as one of sizes(); false for anything else.
    static bool parseSize(const QString &text, QSize *size);
    // "25" as one of frameRates(); false for anything else.
    static bool parseFrameRate(const QString &text, int *frameRate);
    static QString sizeText(const QSize &size);

    // The coach's last choice, kept between runs; the defaults before any
    // (or when what was kept is no longer offered).
    static VideoOptions remembered();
    void remember() const;

    QSize size = QSize(640, 480);
    int frameRate = 15;
};

#endif // VIDEOOPTIONS_H
