#include "CommandLineRun.h"

#include "CommandLine.h"
#include "CommandLineExports.h"
#include "EditorView.h"
#include "ExportRunner.h"
#include "PageFonts.h"
#include "mainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

void print(FILE *stream, const QString &text)
{
    QFile out;
    if (out.open(stream, QIODevice::WriteOnly))
        out.write(text.toLocal8Bit());
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
    mainWindow window(mainWindow::Presentation::Hidden);
    QObject::connect(&runner, &ExportRunner::progress, [](const QString &line) {
        print(stderr, line + QLatin1Char('\n'));
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
                          .arg(programName(), commandLine.errorText()));
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
