#ifndef MP4WRITER_H
#define MP4WRITER_H

#include "FfmpegHandles.h"

#include <QString>
#include <QtGlobal>

// The H.264 encoder and the MP4 file it writes into: one picture per
// 1/frameRate second, each packet written to the file as soon as x264
// gives it. Used from one thread at a time.
class Mp4Writer
{
public:
    Mp4Writer(int width, int height, int frameRate, const QString &outputPath);

    Mp4Writer(const Mp4Writer &) = delete;
    Mp4Writer &operator=(const Mp4Writer &) = delete;

    static qint64 bitRate(int width, int height, int frameRate);

    // Creates the file and writes its header; false with the reason in
    // `*why`, leaving no file behind.
    bool open(QString *why);
    // The picture the next send() encodes, in the video's colour planes.
    AVFrame *picture() const;
    // Encodes picture() `times` times in a row.
    bool send(int times, QString *why);
    // Encodes what x264 still holds, completes the file and closes it.
    bool finish(QString *why);
    // Closes the file as it stands.
    void close();
    void closeAndRemove();

private:
    bool openCodec(QString *why);
    bool sendPicture(QString *why);
    bool drain(QString *why);

    int m_width;
    int m_height;
    int m_frameRate;
    QString m_outputPath;
    FfmpegHandles::FormatContext m_format;
    FfmpegHandles::CodecContext m_codec;
    FfmpegHandles::Frame m_picture;
    FfmpegHandles::Packet m_packet;
    AVStream *m_stream = nullptr;
    int64_t m_nextPts = 0;
};

#endif // MP4WRITER_H
