// The exports as the window starts them and hears of their end: the
// video, the report, the picture, the web page and the snapshot on the
// clipboard.

#include "mainWindow.h"

#include "BoundedImageReader.h"
#include "EditorView.h"
#include "ExportProgress.h"
#include "MessageMap.h"
#include "PageExport.h"
#include "PageWatch.h"
#include "PictureChoice.h"
#include "PictureExport.h"
#include "ReportExport.h"
#include "GifOptionsDialog.h"
#include "ReportOptionsDialog.h"
#include "VideoExport.h"
#include "VideoOptionsDialog.h"
#include "jsInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

// Each export's host work is a class of its own; they share the one
// progress dialog, so that one export runs at a time.
void mainWindow::createExports()
{
    m_exportProgress = new ExportProgress(m_webView, m_presentation == Presentation::Hidden);
    m_videoExport = new VideoExport(m_bridge, m_exportProgress, m_editorView, this);
    m_reportExport = new ReportExport(m_bridge, m_exportProgress, this);
    m_pictureExport = new PictureExport(m_bridge, this);
    m_pageExport = new PageExport(m_bridge, this);
    connect(m_videoExport, &VideoExport::finished, this, &mainWindow::videoExportFinished);
    connect(m_reportExport, &ReportExport::finished, this, &mainWindow::exportFinished);
    connect(m_reportExport, &ReportExport::notice, this, &mainWindow::exportNotice);
    connect(m_reportExport, &ReportExport::failed, this, [this](const QString &reason) {
        showInformation(m_webView, tr("error"), reason);
    });
    connect(m_pictureExport, &PictureExport::finished, this, &mainWindow::pictureExportFinished);
    connect(m_pageExport, &PageExport::finished, this, [this](const QString &error, bool shown) {
        emit exportFinished(error);
        if (shown && !error.isEmpty() && !reportedInstead(error))
            QMessageBox::warning(this, tr("Error Saving Web Page"), error);
    });
    connect(m_pageExport, &PageExport::written, this, [this](const QString &path) {
        confirmExport(ExportConfirmation::Kind::Page, path);
    });
    connect(m_videoExport, &VideoExport::written, this, [this](const QString &path) {
        confirmExport(m_videoExport->isGif() ? ExportConfirmation::Kind::Gif : ExportConfirmation::Kind::Video, path);
    });
    connect(m_reportExport, &ReportExport::written, this, [this](const QString &path) {
        confirmExport(ExportConfirmation::Kind::Report, path);
    });
    connect(m_pictureExport, &PictureExport::written, this, [this](const QString &path) {
        confirmExport(ExportConfirmation::Kind::Picture, path);
    });
    m_pageWatch = new PageWatch(this);
    connect(m_pageWatch, &PageWatch::exportStalled, this, &mainWindow::abortExport);
    connect(this, &mainWindow::exportFinished, m_pageWatch, &PageWatch::exportEnded);
}

// The coach hears that an export from the window is done; the command
// line's exports say so on their own lines.
void mainWindow::confirmExport(ExportConfirmation::Kind kind, const QString &path)
{
    if (m_presentation == Presentation::Shown)
        ExportConfirmation::show(this, kind, path);
}

// Only one export runs at a time; the others ignore this.
void mainWindow::abortExport(const QString &reason)
{
    m_videoExport->abort(reason);
    m_reportExport->abort(reason);
    m_pictureExport->abort(reason);
    m_pageExport->abort(reason);
}

void mainWindow::snapshotImage(const QVariantMap &message)
{
    const QString problem = MessageMap::text(message, "errorInfo");
    if (!problem.isEmpty()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."), problem);
        return;
    }
    const QImage picture = BoundedImageReader::readDataUrl(MessageMap::text(message, "imageData"), "JPEG");
    if (picture.isNull()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."),
                    tr("The picture of the frame could not be read."));
        return;
    }
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->setImage(picture, QClipboard::Clipboard);
    const QMimeData *held = clipboard->mimeData(QClipboard::Clipboard);
    if (!held || !held->hasImage()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."),
                    tr("The clipboard did not take the picture."));
        return;
    }
    if (reportedInstead(tr("Snapshot copied to the clipboard.")))
        return;
    // Saved once the page's snapshot has ended: the file is drawn by the
    // same picture maker, which is still delivering this one.
    const int frame = MessageMap::text(message, "frameNumber").toInt();
    if (PictureChoice::savingAfterCopy(this))
        QMetaObject::invokeMethod(this, [this, frame] { savePicture(frame); }, Qt::QueuedConnection);
}

// Named after the frame too, so that a second frame's picture does not
// replace the first's.
void mainWindow::savePicture(int frame)
{
    const QString name = drillName();
    QString proposed = name.isEmpty() ? QStringLiteral("picture") : name;
    if (frame > 0)
        proposed = name.isEmpty() ? tr("frame %1").arg(frame) : tr("%1 frame %2").arg(name).arg(frame);
    QString path;
    int width = 0;
    if (!PictureChoice::ask(m_webView, m_lastUsedFolder.withName(proposed + QStringLiteral(".png")), &path, &width))
        return;
    m_lastUsedFolder.rememberFolderOf(path);
    startPictureExport(path, frame, width, true);
}

void mainWindow::exportVideo()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Video"),
                                            name.isEmpty() ? QStringLiteral("animation.mp4") : name + QStringLiteral(".mp4"),
                                            tr("MP4 Video Files (*.mp4)"), QStringLiteral("mp4"));
    if (fileName.isEmpty())
        return;
    VideoOptions options = VideoOptions::remembered();
    if (!VideoOptionsDialog::ask(m_webView, &options))
        return;
    options.remember();
    exportVideoTo(fileName, options);
}

void mainWindow::exportGif()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save GIF"),
                                            name.isEmpty() ? QStringLiteral("animation.gif") : name + QStringLiteral(".gif"),
                                            tr("GIF Pictures (*.gif)"), QStringLiteral("gif"));
    if (fileName.isEmpty())
        return;
    VideoOptions options = VideoOptions::rememberedGif();
    if (!GifOptionsDialog::ask(m_webView, &options))
        return;
    options.rememberGif();
    exportVideoTo(fileName, options);
}

void mainWindow::exportPage()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Web Page"),
                                            (name.isEmpty() ? QStringLiteral("drill") : name) + QStringLiteral(".html"),
                                            tr("Web Pages (*.html)"), QStringLiteral("html"));
    if (!fileName.isEmpty())
        startPageExport(fileName, true);
}

void mainWindow::exportPageTo(const QString &path)
{
    startPageExport(path, false);
}

void mainWindow::startPageExport(const QString &path, bool shown)
{
    m_pageWatch->exportStarted();
    m_pageExport->start(path, drillName(), shown);
}

void mainWindow::writePageData(const QVariantMap &message)
{
    m_pageWatch->pageAnswered();
    m_pageExport->writeData(message);
}

void mainWindow::exportVideoTo(const QString &path, const VideoOptions &options)
{
    m_reportExport->end();
    m_pageWatch->exportStarted();
    m_videoExport->start(path, options, drillName());
}

void mainWindow::writeVideoFrame(const QVariantMap &message)
{
    m_pageWatch->pageAnswered();
    m_videoExport->writeFrame(message);
}

void mainWindow::videoExportFinished(const QString &error)
{
    emit exportFinished(error);
    if (!error.isEmpty() && !reportedInstead(error))
        QMessageBox::warning(this, tr("Error Exporting Video"), error);
}

void mainWindow::exportPdf()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Report"),
                                            name.isEmpty() ? QStringLiteral("Report.pdf") : tr("%1 report.pdf").arg(name),
                                            tr("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (fileName.isEmpty())
        return;
    ReportOptions options = ReportOptions::remembered();
    if (!ReportOptionsDialog::ask(m_webView, name.isEmpty() ? tr("Untitled drill") : name, m_lastUsedFolder.path(),
                                  &options))
        return;
    options.remember();
    exportPdfTo(fileName, options);
}

void mainWindow::exportPdfTo(const QString &path, const ReportOptions &options)
{
    m_videoExport->end();
    m_pageWatch->exportStarted();
    m_reportExport->start(path, m_currentFile, options);
}

void mainWindow::updatePdfProgress(int percent)
{
    m_pageWatch->pageAnswered();
    m_reportExport->updateProgress(percent);
}

void mainWindow::writePdfData(const QString &pdfData, const QString &errorInfo, const QString &leftOut)
{
    m_pageWatch->pageAnswered();
    m_reportExport->writeData(pdfData, errorInfo, leftOut);
}

void mainWindow::exportPictureTo(const QString &path, int frame, int width)
{
    startPictureExport(path, frame, width, false);
}

void mainWindow::startPictureExport(const QString &path, int frame, int width, bool shown)
{
    m_pageWatch->exportStarted();
    m_pictureExport->start(path, frame, width, shown);
}

void mainWindow::writePictureData(const QVariantMap &message)
{
    m_pageWatch->pageAnswered();
    m_pictureExport->writeData(message);
}

void mainWindow::pictureExportFinished(const QString &error, bool shown)
{
    emit exportFinished(error);
    if (shown && !error.isEmpty() && !reportedInstead(error))
        QMessageBox::warning(this, tr("Error Saving Picture"), error);
}
