#ifndef PICTUREEXPORT_H
#define PICTUREEXPORT_H

#include <QObject>
#include <QString>
#include <QVariantMap>

class jsInterface;

// One frame of the drill written as a PNG or JPEG file: the host asks the
// page for the picture ("exportPictureResponse") and writes what comes back
// ("writePictureData").
class PictureExport : public QObject
{
    Q_OBJECT
public:
    explicit PictureExport(jsInterface *bridge, QObject *parent = nullptr);

    // Frame `frame` (from 1; 0 for the drill's selected frame), `width`
    // pixels wide, into `path`; its type follows the path's suffix.
    // `showsErrors`: the coach asked for it and is shown a failure.
    void start(const QString &path, int frame, int width, bool showsErrors);
    // The page's picture (`imageData`) or why there is none (`errorInfo`);
    // ignored when no picture was asked for.
    void writeData(const QVariantMap &message);
    // Gives up the picture asked for, for `reason`; ignored when none was.
    void abort(const QString &reason);

signals:
    // `error` empty when the file is written, else the sentence saying why
    // not; `shown` when the coach is to see that sentence.
    void finished(const QString &error, bool shown);
    // Right after a finished() without error: the picture is at `path`.
    void written(const QString &path);

private:
    // The picture's export is over: written (`error` empty) or not.
    void end(const QString &error);

    jsInterface *m_bridge;
    QString m_outputPath;
    bool m_showsErrors = false;
};

#endif // PICTUREEXPORT_H
