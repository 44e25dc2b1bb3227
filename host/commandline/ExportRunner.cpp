#include "ExportRunner.h"

#include "CommandLine.h"
#include "PageWatch.h"
#include "StagedFile.h"
#include "TerminalText.h"
#include "mainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>

namespace {

// Names reach a terminal: escaped, so that none can forge a line.
QString native(const QString &path)
{
    return TerminalText::name(path);
}

} // namespace

ExportRunner::ExportRunner(QObject *parent)
    : QObject(parent)
{
    m_openLimit.setSingleShot(true);
    m_openLimit.setInterval(PageWatch::DefaultSilenceMs);
    connect(&m_openLimit, &QTimer::timeout, this, &ExportRunner::openTimedOut);
}

ExportRunner::~ExportRunner() = default;

void ExportRunner::setExporter(ExportJob::Kind kind, const Exporter &exporter)
{
    m_exporters.insert(static_cast<int>(kind), exporter);
}

QString ExportRunner::kindName(ExportJob::Kind kind)
{
    switch (kind) {
    case ExportJob::Kind::Video:
        return tr("a video");
    case ExportJob::Kind::Pdf:
        return tr("a PDF report");
    case ExportJob::Kind::Picture:
        return tr("a picture");
    case ExportJob::Kind::Gif:
        return tr("an animated GIF");
    case ExportJob::Kind::Page:
        return tr("a web page");
    }
    return QString();
}

QString ExportRunner::unavailableExport(const QList<ExportJob> &jobs) const
{
    for (const ExportJob &job : jobs) {
        if (!m_exporters.contains(static_cast<int>(job.kind)))
            return tr("Exporting %1 from the command line is not available yet in this version.")
                .arg(kindName(job.kind));
    }
    return QString();
}

void ExportRunner::start(mainWindow *window, const QList<ExportJob> &jobs)
{
    m_window = window;
    m_jobs = jobs;
    connect(window, &mainWindow::exportNotice, this, [this](const QString &line) { emit progress(TerminalText::line(line)); });
    m_next = 0;
    m_failures = 0;
    if (window->isPageLoaded())
        QTimer::singleShot(0, this, [this] { pageLoaded(true); });
    else
        connect(window, &mainWindow::pageLoaded, this, &ExportRunner::pageLoaded, Qt::QueuedConnection);
}

void ExportRunner::pageLoaded(bool ok)
{
    disconnect(m_window, &mainWindow::pageLoaded, this, &ExportRunner::pageLoaded);
    if (!ok) {
        emit progress(tr("The editor page could not be loaded; nothing was exported."));
        emit finished(CommandLine::ExitFailed);
        return;
    }
    runNext();
}

void ExportRunner::runNext()
{
    // A page whose process ended under the last job is loading afresh.
    if (m_next < m_jobs.size() && !m_window->isPageLoaded()) {
        connect(m_window, &mainWindow::pageLoaded, this, &ExportRunner::pageLoaded, Qt::QueuedConnection);
        return;
    }
    if (m_next >= m_jobs.size()) {
        emit finished(m_failures == 0 ? 0 : CommandLine::ExitFailed);
        return;
    }
    const int number = m_next++;
    const ExportJob &job = m_jobs.at(number);
    emit progress(tr("[%1/%2] %3 -> %4")
                      .arg(number + 1)
                      .arg(m_jobs.size())
                      .arg(native(job.drillPath), native(job.outputPath)));
    m_waitingFor = number;
    openDrill(job);
}

// Whatever the window reported while the drill was opened is why it did
// not open. The page may answer inside the call or later.
void ExportRunner::openDrill(const ExportJob &job)
{
    m_openProblem.clear();
    m_openConnections = {
        connect(m_window, &mainWindow::problemReported, this,
                [this](const QString &text) {
                    if (m_openProblem.isEmpty())
                        m_openProblem = text;
                }),
        // Queued, so that the export does not start inside the page's answer.
        connect(m_window, &mainWindow::openEnded, this, &ExportRunner::drillOpened, Qt::QueuedConnection)};
    m_openLimit.start();
    m_window->openAnimation(job.drillPath);
}

void ExportRunner::stopWaitingForOpen()
{
    m_openLimit.stop();
    for (const QMetaObject::Connection &connection : qAsConst(m_openConnections))
        disconnect(connection);
    m_openConnections.clear();
}

// A page that stopped while it loaded the drill would never say so.
void ExportRunner::openTimedOut()
{
    stopWaitingForOpen();
    exportDone(m_waitingFor, tr("the editor page did not take the drill within %1 seconds.")
                                 .arg(m_openLimit.interval() / 1000.0));
}

void ExportRunner::drillOpened()
{
    stopWaitingForOpen();
    const int number = m_waitingFor;
    const ExportJob &job = m_jobs.at(number);
    QString error = m_openProblem;
    if (error.isEmpty())
        error = prepareOutput(job);
    if (!error.isEmpty()) {
        exportDone(number, error);
        return;
    }
    ExportJob staged = job;
    staged.outputPath = m_output->fileName();
    m_exporters.value(static_cast<int>(job.kind))(m_window, staged, [this, number](const QString &e) {
        // Queued, so an exporter that answers at once does not run the next
        // job inside its own call.
        QTimer::singleShot(0, this, [this, number, e] { exportDone(number, e); });
    });
}

QString ExportRunner::prepareOutput(const ExportJob &job)
{
    const QFileInfo target(job.outputPath);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return tr("Cannot write %1: the folder %2 does not exist.").arg(native(job.outputPath), native(folder));
    if (target.isDir())
        return tr("Cannot write %1: it is a folder.").arg(native(job.outputPath));
    const QString drill = drillAt(job.outputPath);
    if (!drill.isEmpty())
        return tr("Cannot write %1: it is the drill %2, which would be lost.").arg(native(job.outputPath), native(drill));
    // The exporter writes beside the target, so the finished file can be
    // renamed into place and nothing half-written ever bears its name.
    m_output.reset(new StagedFile(job.outputPath));
    QString error;
    if (!m_output->open(&error))
        return tr("Cannot write %1: %2").arg(native(job.outputPath), error);
    return QString();
}

// Files, not names: another spelling, a link or a hard link of a drill is
// the drill all the same. A file that is not there yet is no drill.
QString ExportRunner::drillAt(const QString &path) const
{
    struct stat output = {};
    if (::stat(QFile::encodeName(path).constData(), &output) != 0)
        return QString();
    for (const ExportJob &job : m_jobs) {
        for (const QString &path : job.drills()) {
            struct stat drill = {};
            if (::stat(QFile::encodeName(path).constData(), &drill) == 0 && drill.st_dev == output.st_dev
                && drill.st_ino == output.st_ino)
                return path;
        }
    }
    return QString();
}

void ExportRunner::exportDone(int jobNumber, const QString &error)
{
    if (jobNumber != m_waitingFor)
        return; // a second answer to a job already finished
    m_waitingFor = -1;
    const ExportJob &job = m_jobs.at(jobNumber);
    QString failure = error.isEmpty() ? putInPlace(job) : error;
    // The exporter knew only the hidden file it wrote; the user knows the name
    // they gave. Names the window wrote as they stand are escaped here.
    if (m_output && !failure.isEmpty() && !m_output->fileName().isEmpty())
        failure.replace(QDir::toNativeSeparators(m_output->fileName()), native(job.outputPath));
    for (const QString &path : {job.drillPath, job.outputPath})
        failure.replace(QDir::toNativeSeparators(path), native(path));
    failure = TerminalText::line(failure);
    m_output.reset(); // removes the temporary file unless it was put in place
    if (!failure.isEmpty())
        fail(tr("Failed to export %1: %2").arg(native(job.drillPath), failure));
    runNext();
}

QString ExportRunner::putInPlace(const ExportJob &job)
{
    const QString staged = m_output->fileName();
    if (QFileInfo(staged).size() <= 0)
        return tr("the export wrote nothing.");
    QString error;
    if (!m_output->putInPlace(&error))
        return tr("cannot write %1: %2").arg(native(job.outputPath), error);
    return QString();
}

void ExportRunner::fail(const QString &error)
{
    ++m_failures;
    emit progress(error);
}
