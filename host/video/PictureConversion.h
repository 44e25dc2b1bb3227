#ifndef PICTURECONVERSION_H
#define PICTURECONVERSION_H

#include "FfmpegHandles.h"

#include <QByteArray>
#include <QString>

// Turns the pictures the encoder is given into the video's colour planes
// (4:2:0): a canvas's pixels straight, a JPEG through FFmpeg's decoder,
// from its own colour planes, with no RGB picture in between. Used on the
// encoder's worker alone.
class PictureConversion
{
public:
    enum Result {
        Converted,
        // Not the video's size, or not a picture: no failure of the video,
        // the export goes on with the next.
        Skipped,
        Failed,
    };

    PictureConversion(int width, int height);
    ~PictureConversion();

    PictureConversion(const PictureConversion &) = delete;
    PictureConversion &operator=(const PictureConversion &) = delete;

    // Gets the conversions and the JPEG decoder ready; false with the
    // reason in `*why` when FFmpeg cannot.
    bool open(QString *why);

    // Width × height × 4 bytes, the top row first, each pixel red, green,
    // blue and an ignored byte, as a canvas's ImageData holds them.
    Result fromCanvas(const QByteArray &rgba, AVFrame *picture, QString *why);
    Result fromJpeg(const QByteArray &jpeg, AVFrame *picture, QString *why);

private:
    bool decodeJpeg(const QByteArray &jpeg);

    int m_width;
    int m_height;
    FfmpegHandles::Scale m_canvasScale;
    FfmpegHandles::CodecContext m_jpegDecoder;
    FfmpegHandles::Frame m_decoded;
    FfmpegHandles::Packet m_jpegPacket;
    // Cached by sws_getCachedContext across pictures, so not a Scale.
    SwsContext *m_jpegScale = nullptr;
};

#endif // PICTURECONVERSION_H
