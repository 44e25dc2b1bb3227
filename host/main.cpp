#include "ApplicationIdentity.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "HeadlessPlatform.h"
#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "mainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ScriptEngineWorkarounds::apply();
    // Read once before the application object, which opens the display:
    // the runs that need no window never touch one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    HeadlessPlatform::choose(CommandLine::parse(arguments));
    QApplication app(argc, argv);
    ApplicationIdentity::apply();
    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    if (!commandLine.needsWindow())
        return CommandLineRun::run(commandLine);
    if (!HeadlessPlatform::canShowWindows())
        return CommandLineRun::noDisplay();
    PageFonts::install();
    mainWindow window;
    return app.exec();
}
