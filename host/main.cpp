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
    // Without a display Qt would abort at once; offscreen, the runs that
    // need no window still work and the editor can say what is missing.
    const bool display = HeadlessPlatform::hasDisplay();
    if (!display)
        HeadlessPlatform::chooseOffscreen();
    QApplication app(argc, argv);
    ApplicationIdentity::apply();
    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    if (!commandLine.needsWindow())
        return CommandLineRun::run(commandLine);
    if (!display)
        return CommandLineRun::noDisplay();
    PageFonts::install();
    mainWindow window;
    return app.exec();
}
