// Prints how long the program takes from process start to the editor page's
// start function having run, and to the splash closing (the page's load
// finishing). Run it a few times; the first run after a build includes a
// cold disk cache.
#include "ApplicationIdentity.h"
#include "PageFonts.h"
#include "mainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <QWebFrame>
#include <QWebView>

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    int appArgc = 1;
    QApplication app(appArgc, argv);
    ApplicationIdentity::apply();
    PageFonts::install();
    const qint64 appReady = clock.elapsed();

    mainWindow window;
    const qint64 windowBuilt = clock.elapsed();
    QWebFrame *frame = window.findChild<QWebView *>()->page()->mainFrame();
    QTextStream out(stdout);
    QObject::connect(frame, &QWebFrame::loadFinished, [&](bool ok) {
        const qint64 loaded = clock.elapsed();
        const bool mainRan = frame->evaluateJavaScript(QStringLiteral("!!(window.pageShell && pageShell.toolbar)")).toBool();
        out << "application object and fonts: " << appReady << " ms\n"
            << "main window constructed (splash and window shown): " << windowBuilt << " ms\n"
            << "page loaded, main() finished, splash closed: " << loaded << " ms"
            << (ok && mainRan ? "" : " (page did not start!)") << "\n";
        out.flush();
        QTimer::singleShot(0, &app, [&app, ok, mainRan] { app.exit(ok && mainRan ? 0 : 1); });
    });
    Q_UNUSED(argc);
    return app.exec();
}
