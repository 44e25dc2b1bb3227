#include "VideoExport.h"

#include "EditorView.h"
#include "ExportProgress.h"
#include "MessageMap.h"
#include "GifEncoder.h"
#include "Mp4Encoder.h"
#include "StagedFile.h"
#include "VideoPicture.h"
#include "jsInterface.h"

#include <QDir>
#include <QImage>

VideoExport::VideoExport(jsInterface *bridge, ExportProgress *progress, EditorView *view, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
    , m_progress(progress)
    , m_view(view)
{
    connect(m_progress, &ExportProgress::canceled, this, &VideoExport::cancel);
    // Pictures through the engine's channel are the same messages as
    // through the bridge; a channel the page broke ends the export.
    connect(m_view, &EditorView::pictureReceived, this, &VideoExport::writeFrame);
    connect(m_view, &EditorView::pictureChannelFailed, this, [this](const QString &reason) {
        if (isRunning())
            fail(reason);
    });
}

// A video still being written is dropped, and the file it was to replace
// stays as it was.
VideoExport::~VideoExport() = default;

// The page draws at the size and rate asked for and says them again in each
// picture's message, which the encoder then follows.
void VideoExport::start(const QString &path, const VideoOptions &options, const QString &drillName)
{
    // An export the page abandoned keeps what it had written, as on Cancel;
    // a page still drawing it lets it go.
    if (isRunning()) {
        sendToPage(QStringLiteral("breakVideoExport"));
        end();
    }
    m_outputPath = path;
    m_nextPicture = 0;
    m_pageStopped = false;
    m_drillName = drillName;
    m_gif = options.format == VideoOptions::Format::Gif;
    m_titleCard = options.titleCard;
    QVariantMap request;
    request.insert(QStringLiteral("msgType"), QStringLiteral("exportVideoResponse"));
    request.insert(QStringLiteral("frameWidth"), QString::number(options.size.width()));
    request.insert(QStringLiteral("frameRate"), QString::number(options.frameRate));
    request.insert(QStringLiteral("pictureForm"), EditorView::videoPictureForm());
    // Another shape than the pitch's: the page lays the pitch and a band
    // with the drill's name and the captions out in it.
    if (!options.isPitchShaped()) {
        request.insert(QStringLiteral("videoShape"), VideoOptions::shapeOf(options.size));
        request.insert(QStringLiteral("frameHeight"), QString::number(options.size.height()));
        request.insert(QStringLiteral("drillName"), VideoPicture::titleText(drillName));
    }
    const QVariantMap channel = m_view->openPictureChannel(options.size);
    for (auto member = channel.begin(); member != channel.end(); ++member)
        request.insert(member.key(), member.value());
    // The dialog first: it marks the export as running, and the page may
    // answer inside the request.
    m_progress->start(m_gif ? tr("Making the GIF...") : tr("Encoding video..."));
    m_bridge->send(request);
}

void VideoExport::writeFrame(const QVariantMap &message)
{
    // The progress dialog marks a running export; a report's is not ours.
    if (!m_progress->isShown() || !isRunning())
        return;
    const int width = MessageMap::number(message, "frameWidth");
    const int height = MessageMap::number(message, "frameHeight");
    const int frameNumber = MessageMap::number(message, "frameNumber");
    const int nFrames = MessageMap::number(message, "nFrames");
    const int frameRate = MessageMap::number(message, "frameRate");
    // One the page sent before it heard of an earlier export's end.
    if (frameNumber != m_nextPicture)
        return;

    if (m_progress->wasCanceled()) {
        cancel();
        return;
    }
    const QString problem = MessageMap::text(message, "errorInfo");
    if (!problem.isEmpty()) {
        // Not one picture of the drill was drawn: the page has stopped.
        fail(problem);
        return;
    }
    // One picture in all stays at 0 until the end.
    m_progress->setPercent(nFrames > 0 ? int(double(frameNumber) / nFrames * 100) : 0);

    if (!m_encoder && !startEncoder(width, height, frameRate))
        return;
    if (frameNumber == 0 && m_titleCard) {
        // The club's logo comes with the first picture, when the drill shows one.
        const QImage club = VideoPicture::clubLogo(MessageMap::text(message, "clubLogo"));
        if (!writePicture(VideoPicture::titleCard(width, height, m_drillName, club), frameRate))
            return;
    }

    // Converted on the encoder's worker, while the page draws the next one.
    // A picture not of the video's size (or a JPEG that does not decode) is
    // left out rather than ending the coach's export; the last is held for
    // a second.
    const int times = frameNumber == nFrames ? 1 + frameRate : 1;
    if (!VideoPicture::queue(*m_encoder, message, times)) {
        m_encoder->finish();
        fail(m_encoder->errorString());
        return;
    }
    if (frameNumber == nFrames) {
        m_progress->setFull();
        finishVideo();
        return;
    }
    // The page draws the next picture only now: one picture at most is on
    // its way, and a cancel stops the export before another is drawn.
    ++m_nextPicture;
    QVariantMap taken;
    taken.insert(QStringLiteral("msgType"), QStringLiteral("videoFrameWritten"));
    taken.insert(QStringLiteral("frameNumber"), QString::number(frameNumber));
    m_bridge->send(taken);
}

// At once, not at the page's next picture: the page stops drawing, and the
// file keeps what was written (the title card and the pictures so far).
// From the dialog's own signal, so the dialog goes once that has returned.
void VideoExport::cancel()
{
    if (!isRunning())
        return;
    sendToPage(QStringLiteral("breakVideoExport"));
    m_pageStopped = true;
    m_progress->endLater();
    finishVideo();
}

// The video is written beside the chosen file and takes its place only when
// complete: a failed or killed export leaves the file it would replace as it
// was, and nothing half-written under its name.
bool VideoExport::startEncoder(int width, int height, int frameRate)
{
    QString error;
    m_file.reset(new StagedFile(m_outputPath));
    if (m_file->open(&error))
        m_encoder = m_gif ? std::unique_ptr<PictureEncoder>(GifEncoder::create(width, height, frameRate, m_file->fileName(), &error))
                          : std::unique_ptr<PictureEncoder>(Mp4Encoder::create(width, height, frameRate, m_file->fileName(), &error));
    if (!m_encoder)
        fail(error);
    return bool(m_encoder);
}

// Converted into the video's colours once, however many times it is shown.
bool VideoExport::writePicture(const QImage &picture, int times)
{
    if (!m_encoder->writePixels(VideoPicture::canvasPixels(picture), times)) {
        m_encoder->finish();
        fail(m_encoder->errorString());
        return false;
    }
    return true;
}

// Completes the file with what it has (all of it, or up to a Cancel).
void VideoExport::finishVideo()
{
    QString error;
    if (!placeVideo(&error)) {
        fail(error);
        return;
    }
    const QString path = m_outputPath;
    const bool whole = !m_pageStopped;
    end();
    emit finished(QString());
    if (whole)
        emit written(path);
}

bool VideoExport::placeVideo(QString *error)
{
    if (m_encoder && !m_encoder->finish()) {
        *error = m_encoder->errorString();
        return false;
    }
    if (m_file && !m_file->putInPlace(error))
        return false;
    m_file.reset();
    return true;
}

// An export still running (one the page abandoned) keeps what it had
// written, as on Cancel; a failed one has dropped its file before.
void VideoExport::end()
{
    if (!isRunning())
        return;
    m_view->closePictureChannel();
    QString ignored;
    placeVideo(&ignored);
    m_encoder.reset();
    m_file.reset();
    m_outputPath.clear();
    m_progress->end();
}

void VideoExport::abort(const QString &reason)
{
    if (isRunning())
        fail(reason);
}

// The export ends without a file (the encoder removes what it had begun),
// and the page stops before the coach reads why.
void VideoExport::fail(const QString &reason)
{
    const QString path = m_outputPath;
    m_file.reset();
    end();
    if (!m_pageStopped)
        sendToPage(QStringLiteral("breakVideoExport"));
    emit finished((m_gif ? tr("The GIF could not be written to %1.\n\n%2") : tr("The video could not be written to %1.\n\n%2"))
                      .arg(QDir::toNativeSeparators(path), reason));
}

void VideoExport::sendToPage(const QString &msgType)
{
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), msgType);
    m_bridge->send(message);
}
