#ifndef VIDEOPROBE_H
#define VIDEOPROBE_H

#include <QImage>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QStringList>

// What ffprobe and ffmpeg find in a video file, for tests that check the
// files the program writes with the tools a coach's player would trust.
struct VideoProbe
{
    static QByteArray run(const QString &program, const QStringList &arguments, QString *error)
    {
        QProcess p;
        p.start(program, arguments);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            *error = program + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError());
            return QByteArray();
        }
        return p.readAllStandardOutput();
    }

    // Empty when the file is H.264 of width × height at `rate` pictures a
    // second with `pictures` pictures evenly spaced in time, lasting as long
    // as they do, else what it is.
    static QString problem(const QString &path, int width, int height, int pictures, int rate = 15)
    {
        QString error;
        const QByteArray out = run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                               "stream=codec_name,width,height,r_frame_rate:frame=best_effort_timestamp_time:format=duration",
                                               "-of", "default=noprint_wrappers=1", path}, &error);
        QMap<QByteArray, QString> stream;
        QList<double> times; // of each decoded picture, in seconds
        for (const QByteArray &line : out.split('\n')) {
            const QByteArray key = line.left(line.indexOf('=')), value = line.mid(key.size() + 1).trimmed();
            if (key == "best_effort_timestamp_time")
                times << value.toDouble();
            else
                stream[key] = QString::fromUtf8(value);
        }
        const QString got = QStringLiteral("%1 %2x%3 %4, %5 pictures")
                                .arg(stream["codec_name"], stream["width"], stream["height"], stream["r_frame_rate"]).arg(times.size());
        if (!error.isEmpty() || got != QStringLiteral("h264 %1x%2 %3/1, %4 pictures").arg(width).arg(height).arg(rate).arg(pictures))
            return error.isEmpty() ? got : error;
        if (qAbs(stream["duration"].toDouble() - double(pictures) / rate) > 0.5 / rate)
            return QStringLiteral("%1 s long").arg(stream["duration"]);
        for (int i = 0; i < times.size(); ++i) {
            if (qAbs(times.at(i) - double(i) / rate) > 0.01)
                return QStringLiteral("picture %1 at %2 s").arg(i).arg(times.at(i));
        }
        return QString();
    }

    // `picture` scaled as pictures() scales the video's.
    static QByteArray rgb(const QImage &picture, int width, int height)
    {
        const QImage small = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_RGB888);
        QByteArray out;
        for (int y = 0; y < height; ++y)
            out.append(reinterpret_cast<const char *>(small.constScanLine(y)), width * 3);
        return out;
    }

    // The mean difference of two equally sized RGB pictures, 0 to 255.
    static double difference(const QByteArray &a, const QByteArray &b)
    {
        if (a.size() != b.size() || a.isEmpty())
            return 255;
        qint64 sum = 0;
        for (int i = 0; i < a.size(); ++i)
            sum += qAbs(int(uchar(a[i])) - int(uchar(b[i])));
        return double(sum) / a.size();
    }

    // Every decoded picture of the video as `width` × `height` RGB bytes,
    // scaled down so that tests can compare colours cheaply.
    static QList<QByteArray> pictures(const QString &path, int width, int height, QString *error)
    {
        const QByteArray raw = run("ffmpeg", {"-v", "error", "-i", path, "-vf", QStringLiteral("scale=%1:%2").arg(width).arg(height),
                                              "-f", "rawvideo", "-pix_fmt", "rgb24", "-"}, error);
        QList<QByteArray> out;
        const int size = width * height * 3;
        for (int at = 0; at + size <= raw.size(); at += size)
            out << raw.mid(at, size);
        return out;
    }
};

#endif // VIDEOPROBE_H
