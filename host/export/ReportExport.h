#ifndef REPORTEXPORT_H
#define REPORTEXPORT_H

#include "ReportOptions.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

class ExportProgress;
class jsInterface;

// The host's side of the PDF report: it checks the file can be written,
// asks the page to build the report ("exportPdfResponse"), moves the shared
// progress dialog ("updatePdfProgress") and writes the finished document
// ("writePdfData"). Cancel tells the page at once ("breakPdfExport").
class ReportExport : public QObject
{
    Q_OBJECT
public:
    ReportExport(jsInterface *bridge, ExportProgress *progress, QObject *parent = nullptr);

    // Starts a report into `path` for the drill kept in `drillFile` (empty
    // for one not saved yet), as the page shows it, then the other drills
    // of `options` as their files hold them. A file that cannot be written,
    // or another drill that cannot be read, fails at once, before the page
    // builds anything.
    void start(const QString &path, const QString &drillFile, const ReportOptions &options = ReportOptions());
    // Ignored when no report runs.
    void updateProgress(int percent);
    // Writes the finished report unless the export was cancelled; ignored
    // when no report runs. `leftOut` holds the characters of the drill's
    // name, the date and the captions that the report's font could not
    // print: before writing, the window asks whether to write the report
    // without them (No ends it as a cancel does); the command line says so
    // on standard error in one line.
    void writeData(const QString &pdfData, const QString &errorInfo, const QString &leftOut = QString());
    // Ends a running report without a file and without telling anyone.
    void end();
    // Ends a running report without a file, the page told to stop; it has
    // failed, for `reason`.
    void abort(const QString &reason);
    bool isRunning() const { return !m_outputPath.isEmpty(); }

signals:
    // The report is written (`error` empty) or could not be (`error` says
    // so, naming the file). A cancelled report ends without this signal.
    void finished(const QString &error);
    // Right after a finished() without error: the report is at `path`.
    void written(const QString &path);
    // Why the report could not be written, in the platform's words, for the
    // "error" box that follows finished().
    void failed(const QString &reason);
    // Exports without a window: what the coach is to hear of, one line.
    void notice(const QString &line);

private:
    void cancel();
    void sendBreak();
    bool writeWithout(const QString &leftOut);
    void fail(const QString &path, const QString &error);
    // The other drills' names and texts, flat: "drillCount", then
    // "drillName1", "drillText1" and so on. False, with `error` naming the
    // drill, when one cannot be read.
    static bool addOtherDrills(const QStringList &drills, QVariantMap *request, QString *error);

    jsInterface *m_bridge;
    ExportProgress *m_progress;
    QString m_outputPath;
};

#endif // REPORTEXPORT_H
