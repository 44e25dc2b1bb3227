#include "ApplicationIdentity.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "EditorView.h"
#include "FileNameCodec.h"
#include "HeadlessPlatform.h"
#include "PageFonts.h"
#include "TerminationSignals.h"
#include "mainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    EditorView::prepareProcess();
    FileNameCodec::install();
    // Read once before the application object, which opens the display:
    // the runs that need no window never touch one.
    HeadlessPlatform::choose(CommandLine::parse(FileNameCodec::arguments(argc, argv)));
    QApplication app(argc, argv);
    HeadlessPlatform::restoreEnvironment();
    ApplicationIdentity::apply();
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &TerminationSignals::endApplication);
    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    const QString engineTrouble = EditorView::cannotStartReason();
    if (commandLine.needsPage() && !engineTrouble.isEmpty())
        return CommandLineRun::engineCannotStart(engineTrouble);
    if (!commandLine.needsWindow())
        return CommandLineRun::run(commandLine);
    if (!HeadlessPlatform::canShowWindows())
        return CommandLineRun::noDisplay();
    PageFonts::install();
    mainWindow window;
    return app.exec();
}
