#ifndef EXPORTRUNNER_H
#define EXPORTRUNNER_H

#include "ExportJob.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class StagedFile;
class mainWindow;

// Runs the exports asked for on the command line, one after another, in a
// hidden main window: it opens each drill in the page as the editor would,
// hands the job to the exporter registered for its kind, and only then puts
// the file in place. A failed drill is reported and the others still run.
class ExportRunner : public QObject
{
    Q_OBJECT
public:
    // An exporter's answer: an empty text for success, else what went wrong
    // in one sentence.
    using Done = std::function<void(const QString &error)>;
    // Writes `job` to job.outputPath (a temporary file the runner made, of
    // the same suffix) using the page and host services of `window`, where
    // the drill is already open, then calls `done` exactly once, now or from
    // a later callback. Anything written before a failure is thrown away.
    using Exporter = std::function<void(mainWindow *window, const ExportJob &job, const Done &done)>;

    explicit ExportRunner(QObject *parent = nullptr);
    ~ExportRunner() override;

    void setExporter(ExportJob::Kind kind, const Exporter &exporter);

    // The message for the first job whose kind has no exporter, or an empty
    // string when every job can run.
    QString unavailableExport(const QList<ExportJob> &jobs) const;

    // Starts once `window` has loaded its page; emits finished() at the end.
    void start(mainWindow *window, const QList<ExportJob> &jobs);

    // The name the command line uses for a kind ("video", "PDF report", ...).
    static QString kindName(ExportJob::Kind kind);

signals:
    // One line for standard error: progress and failures.
    void progress(const QString &line);
    // 0 when every export succeeded, else CommandLine::ExitFailed.
    void finished(int exitCode);

private:
    void pageLoaded(bool ok);
    void runNext();
    void openDrill(const ExportJob &job);
    void drillOpened();
    void stopWaitingForOpen();
    void openTimedOut();
    QString prepareOutput(const ExportJob &job);
    QString drillAt(const QString &path) const;
    void exportDone(int jobNumber, const QString &error);
    QString putInPlace(const ExportJob &job);
    void fail(const QString &error);

    QHash<int, Exporter> m_exporters;
    QPointer<mainWindow> m_window;
    QList<ExportJob> m_jobs;
    int m_next = 0;
    int m_failures = 0;
    int m_waitingFor = -1;
    // While a drill is being opened: what the window reported, and the
    // connections that listen for it.
    QString m_openProblem;
    QList<QMetaObject::Connection> m_openConnections;
    std::unique_ptr<StagedFile> m_output;
    QTimer m_openLimit;
};

#endif // EXPORTRUNNER_H
