#include "ApplicationIdentity.h"
#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "mainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ScriptEngineWorkarounds::apply();
    QApplication app(argc, argv);
    ApplicationIdentity::apply();
    PageFonts::install();
    mainWindow window;
    return app.exec();
}
