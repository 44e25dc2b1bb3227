#include "ReportExport.h"

#include "AnimationFile.h"
#include "ExportProgress.h"
#include "ReportFile.h"
#include "ReportHeading.h"
#include "jsInterface.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QVariantMap>

namespace {

// A long caption in a script the font lacks would otherwise list itself.
constexpr int ListedCharacters = 20;

// "U+05D0, U+65E5 and 3 more", or with each character shown first
// ("א U+05D0") where the text goes to a window; a terminal gets codes only,
// as a character such as U+202E would turn the rest of its line around.
QString characterList(const QString &characters, bool shown)
{
    const QVector<uint> codes = characters.toUcs4();
    QStringList listed;
    for (int i = 0; i < codes.size() && i < ListedCharacters; ++i) {
        const QString code = QStringLiteral("U+%1").arg(codes.at(i), 4, 16, QLatin1Char('0')).toUpper();
        const uint one[] = {codes.at(i)};
        listed << (shown ? QString::fromUcs4(one, 1) + QLatin1Char(' ') + code : code);
    }
    QString list = listed.join(QStringLiteral(", "));
    if (codes.size() > ListedCharacters)
        list = QCoreApplication::translate("ReportExport", "%1 and %2 more").arg(list).arg(codes.size() - ListedCharacters);
    return list;
}

} // namespace

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
void ReportExport::start(const QString &path, const QString &drillFile, const ReportOptions &options)
{
    QString error;
    QVariantMap request;
    if (!ReportFile::canWrite(path, &error) || !addOtherDrills(options.otherDrills, &request, &error)) {
        fail(path, error);
        return;
    }
    m_outputPath = path;
    m_progress->start(tr("Generating PDF report..."));
    request.insert(QStringLiteral("msgType"), QStringLiteral("exportPdfResponse"));
    request.insert(QStringLiteral("drillName"), ReportHeading::drillName(drillFile));
    request.insert(QStringLiteral("date"), ReportHeading::date(QDateTime::currentDateTime(), QLocale()));
    request.insert(QStringLiteral("picturesPerPage"), options.picturesPerPage);
    m_bridge->send(request);
}

bool ReportExport::addOtherDrills(const QStringList &drills, QVariantMap *request, QString *error)
{
    if (drills.isEmpty())
        return true;
    request->insert(QStringLiteral("drillCount"), drills.size());
    for (int i = 0; i < drills.size(); ++i) {
        QString text;
        QString reason;
        if (!AnimationFile::readFirstLine(drills.at(i), &text, &reason)) {
            *error = tr("the drill %1 could not be read: %2").arg(QDir::toNativeSeparators(drills.at(i)), reason);
            return false;
        }
        const QString number = QString::number(i + 1);
        request->insert(QStringLiteral("drillName") + number, ReportHeading::drillName(drills.at(i)));
        request->insert(QStringLiteral("drillText") + number, text);
    }
    return true;
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

void ReportExport::writeData(const QString &pdfData, const QString &errorInfo, const QString &leftOut)
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
    if (error.isEmpty() && !leftOut.isEmpty() && !writeWithout(leftOut))
        return;
    if (error.isEmpty() && ReportFile::write(path, pdfData, &error)) {
        emit finished(QString());
        emit written(path);
        return;
    }
    fail(path, error);
}

// Never a silent loss: the coach hears of what the report leaves out before
// it is written.
bool ReportExport::writeWithout(const QString &leftOut)
{
    const QString text = tr("The report's font cannot print these characters, which are left out of the report: %1");
    if (m_progress->isOffScreen()) {
        emit notice(text.arg(characterList(leftOut, false)));
        return true;
    }
    QMessageBox box(QMessageBox::Question, tr("Characters Left Out"), text.arg(characterList(leftOut, true)),
                    QMessageBox::Yes | QMessageBox::No, qobject_cast<QWidget *>(parent()));
    box.setInformativeText(tr("Write the report without them?"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
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
