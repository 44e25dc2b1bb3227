#include "CommandLineRun.h"

#include "CommandLine.h"
#include "CommandLineExports.h"
#include "EditorView.h"
#include "ExportRunner.h"
#include "PageFonts.h"
#include "TerminalText.h"
#include "mainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

void print(FILE *stream, const QString &text)
{
    QFile out;
    if (out.open(stream, QIODevice::WriteOnly))
        out.write(text.toLocal8Bit());
}

// A stream for the program's own lines on standard error, which from now on
// goes nowhere for everything else: libraries that write there by
// themselves (libpng's warnings about a logo, Qt's notes) and the page
// engine's processes, which inherit it. Standard error itself if it
// cannot be set aside.
FILE *setAsideStandardError()
{
    const int own = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    FILE *lines = own >= 0 && nowhere >= 0 ? ::fdopen(own, "w") : nullptr;
    if (!lines || ::dup2(nowhere, STDERR_FILENO) < 0) {
        if (lines)
            std::fclose(lines);
        else if (own >= 0)
            ::close(own);
        lines = stderr;
    }
    if (nowhere >= 0)
        ::close(nowhere);
    return lines;
}

QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

int runExports(const QList<ExportJob> &jobs)
{
    ExportRunner runner;
    CommandLineExports::install(runner);
    const QString unavailable = runner.unavailableExport(jobs);
    if (!unavailable.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\n").arg(programName(), unavailable));
        return CommandLine::ExitFailed;
    }
    PageFonts::install();
    // Standard error is for the progress lines: one per drill.
    EditorView::quietEngineMessages();
    FILE *lines = setAsideStandardError();
    mainWindow window(mainWindow::Presentation::Hidden);
    QObject::connect(&runner, &ExportRunner::progress, [lines](const QString &line) {
        print(lines, line + QLatin1Char('\n'));
        std::fflush(lines);
    });
    QObject::connect(&runner, &ExportRunner::finished, qApp, &QCoreApplication::exit, Qt::QueuedConnection);
    runner.start(&window, jobs);
    return QCoreApplication::exec();
}

} // namespace

int CommandLineRun::run(const CommandLine &commandLine)
{
    switch (commandLine.action()) {
    case CommandLine::Action::ShowHelp:
        print(stdout, CommandLine::helpText());
        return 0;
    case CommandLine::Action::ShowVersion:
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                   QCoreApplication::applicationVersion()));
        return 0;
    case CommandLine::Action::UsageError:
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                          .arg(programName(), TerminalText::line(commandLine.errorText())));
        return CommandLine::ExitUsage;
    case CommandLine::Action::Export:
        return runExports(commandLine.exportJobs());
    case CommandLine::Action::Edit:
        break;
    }
    return 0;
}

int CommandLineRun::engineCannotStart(const QString &reason)
{
    print(stderr, QStringLiteral("%1: %2.\n").arg(programName(), reason));
    return CommandLine::ExitFailed;
}

int CommandLineRun::noDisplay()
{
    // A display that is named but not there is worth naming: the usual cause
    // is a session that has ended around the terminal.
    QString named;
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            named = QStringLiteral(" (%1=%2 cannot be reached)").arg(QLatin1String(variable), qEnvironmentVariable(variable));
    }
    print(stderr, QStringLiteral("%1: there is no display to show the editor on%2. Run it inside "
                                 "a virtual one (xvfb-run -a %1), or see %1 --help for exporting "
                                 "without a window.\n")
                      .arg(programName(), named));
    return CommandLine::ExitFailed;
}
