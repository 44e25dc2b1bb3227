#ifndef VIDEOEXPORT_H
#define VIDEOEXPORT_H

#include "VideoOptions.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class EditorView;
class ExportProgress;
class PictureEncoder;
class QImage;
class StagedFile;
class jsInterface;

// The host's side of a video export: it asks the page for the pictures
// ("exportVideoResponse"), writes each one the page sends ("writeVideoFrame")
// to the MP4 encoder after a title card and says it has taken it
// ("videoFrameWritten"), so that the page draws the next; it holds the last
// for a second and puts the finished file in place. Cancel stops the page
// at once ("breakVideoExport"). Progress shows in the shared export
// dialog, whose presence marks the export as running.
class VideoExport : public QObject
{
    Q_OBJECT
public:
    // `view`: the page's engine, which may offer a way for the pictures
    // beside the bridge (EditorView::openPictureChannel).
    VideoExport(jsInterface *bridge, ExportProgress *progress, EditorView *view, QObject *parent = nullptr);
    ~VideoExport() override;

    // Asks the page for pictures of `options`' size and rate for `path`, in
    // the form the engine carries best (its picture channel, else
    // EditorView::videoPictureForm);
    // the title card names `drillName`. An export still running is ended first,
    // keeping what it had written.
    void start(const QString &path, const VideoOptions &options, const QString &drillName);
    // The export running, or the last, makes an animated GIF.
    bool isGif() const { return m_gif; }
    // One picture of the running export (the whole "writeVideoFrame"
    // message); ignored when none runs, and when it is not the picture
    // expected next.
    void writeFrame(const QVariantMap &message);
    // Ends a running export as it stands, keeping what it had written.
    void end();
    // Ends a running export without a file, the page told to stop:
    // finished() says why, with `reason`.
    void abort(const QString &reason);
    bool isRunning() const { return !m_outputPath.isEmpty(); }

signals:
    // The export has ended: `error` is empty when its file is complete (a
    // cancelled video keeps its partial file and is complete too), else the
    // sentence the coach is shown.
    void finished(const QString &error);
    // Right after finished(): the whole video is in place at `path` (not
    // after a Cancel).
    void written(const QString &path);

private:
    bool startEncoder(int width, int height, int frameRate);
    bool writePicture(const QImage &picture, int times);
    void cancel();
    void finishVideo();
    bool placeVideo(QString *error);
    void fail(const QString &reason);
    void sendToPage(const QString &msgType);

    jsInterface *m_bridge;
    ExportProgress *m_progress;
    EditorView *m_view;
    QString m_outputPath;
    QString m_drillName;
    // An animated GIF rather than an MP4; whether the title card opens it.
    bool m_gif = false;
    bool m_titleCard = true;
    // The number of the picture the page sends next.
    int m_nextPicture = 0;
    // "breakVideoExport" has been sent for this export.
    bool m_pageStopped = false;
    // The running video's file, staged beside the chosen one, and the
    // encoder writing into it.
    std::unique_ptr<StagedFile> m_file;
    std::unique_ptr<PictureEncoder> m_encoder;
};

#endif // VIDEOEXPORT_H
