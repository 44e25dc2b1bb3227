#include "ReportExport.h"

#include "ExportProgress.h"
#include "ReportFile.h"
#include "ReportHeading.h"
#include "jsInterface.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QVariantMap>

ReportExport::ReportExport(jsInterface *bridge, ExportProgress *progress, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
    , m_progress(progress)
{
    connect(m_progress, &ExportProgress::canceled, this, &ReportExport::cancel);
}

// The progress dialog comes first: it marks the running export, and a page
// that cannot build the report may answer as soon as it hears of it. A file
// that cannot be written is known before the page spends time on a report.
void ReportExport::start(const QString &path, const QString &drillFile)
{
    QString error;
    if (!ReportFile::canWrite(path, &error)) {
        fail(path, error);
        return;
    }
    m_outputPath = path;
    m_progress->start(tr("Generating PDF report..."));
    QVariantMap request;
    request.insert(QStringLiteral("msgType"), QStringLiteral("exportPdfResponse"));
    request.insert(QStringLiteral("drillName"), ReportHeading::drillName(drillFile));
    request.insert(QStringLiteral("date"), ReportHeading::date(QDateTime::currentDateTime(), QLocale()));
    m_bridge->send(request);
}

// The page stops drawing the report as soon as it hears of it. Called from
// the dialog's own signal, so the dialog goes once that has returned.
void ReportExport::cancel()
{
    if (!isRunning())
        return;
    m_outputPath.clear();
    sendBreak();
    m_progress->endLater();
}

void ReportExport::abort(const QString &reason)
{
    if (!isRunning())
        return;
    const QString path = m_outputPath;
    sendBreak();
    end();
    fail(path, reason);
}

void ReportExport::updateProgress(int percent)
{
    // The progress dialog marks a running export; a video's is not ours.
    if (!m_progress->isShown() || !isRunning())
        return;
    if (m_progress->wasCanceled()) {
        end();
        sendBreak();
    } else {
        m_progress->setPercent(percent);
    }
}

void ReportExport::writeData(const QString &pdfData, const QString &errorInfo)
{
    if (!m_progress->isShown() || !isRunning())
        return;
    const QString path = m_outputPath;
    const bool cancelled = m_progress->wasCanceled();
    if (!cancelled)
        m_progress->setFull();
    // Gone before any error box, which would otherwise open under it.
    end();
    if (cancelled)
        return;
    QString error = errorInfo;
    if (error.isEmpty() && ReportFile::write(path, pdfData, &error)) {
        emit finished(QString());
        return;
    }
    fail(path, error);
}

void ReportExport::fail(const QString &path, const QString &error)
{
    emit finished(tr("The report could not be written to %1: %2").arg(QDir::toNativeSeparators(path), error));
    emit failed(error);
}

void ReportExport::sendBreak()
{
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("breakPdfExport"));
    m_bridge->send(message);
}

void ReportExport::end()
{
    if (!isRunning())
        return;
    m_outputPath.clear();
    m_progress->end();
}
