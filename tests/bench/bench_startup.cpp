// Prints how long the program takes from process start to the editor page's
// start function having run, and to the splash closing (the page's load
// finishing). Run it a few times; the first run after a build includes a
// cold disk cache.
//
// With --drill ITEMS FRAMES it first writes a drill of that many items and
// frames (the same drill on every run, written as the editor saves one) and
// names it on the command line, as a coach opening a file from the file
// manager does; the last figure then includes opening it. Compare with a
// run without the drill to see what opening adds: startup-runs.py does both
// over several runs, for one build or two in turn.
#include "ApplicationIdentity.h"
#include "EditorView.h"
#include "PageFonts.h"
#include "PageScript.h"
#include "ProcessMemory.h"
#include "mainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtTest/QTest>

namespace {

// A fixed sequence in [0, 1), so that every run opens the same drill.
class SeededRandom
{
public:
    double next()
    {
        m_seed = (m_seed * 1103515245u + 12345u) % 2147483648u;
        return double(m_seed) / 2147483648.0;
    }

private:
    quint64 m_seed = 12345;
};

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Players and balls move from frame to frame, equipment stands still.
QString drillRecord(int id, int nFrames, SeededRandom &random)
{
    static const char *const equipment[] = { "cone", "marker", "ring", "agilityPole", "hurdle", "manikin" };
    const bool player = id % 3 != 0;
    const bool ball = id % 25 == 0;
    const QString type = ball ? QStringLiteral("gaaBall") : player ? QStringLiteral("person")
                                                                   : QString::fromLatin1(equipment[id % 6]);
    double x = 0.1 + 0.8 * random.next();
    double y = 0.1 + 0.8 * random.next();
    const double rotation = 90 * int(4 * random.next());
    QStringList frames;
    for (int f = 0; f < nFrames; ++f) {
        frames << QStringLiteral("{\"x\":%1,\"y\":%2,\"rotation\":%3}").arg(number(x), number(y), number(rotation));
        if (player || ball) {
            x = qBound(0.05, x + 0.1 * (random.next() - 0.5), 0.95);
            y = qBound(0.05, y + 0.1 * (random.next() - 0.5), 0.95);
        }
    }
    return QStringLiteral("{\"type\":%1,\"id\":%2,\"scale\":%3,\"text\":%4,\"shortLabel\":%5,\"z\":%2,"
                          "\"color\":%6,\"frames\":[%7]}")
        .arg(quoted(type), QString::number(id), number(ball ? 0.11 : player ? 0.2 : 0.25),
             quoted(player ? QStringLiteral("Player %1").arg(id) : QString()),
             quoted(player ? QString::number(id % 100) : QString()),
             quoted(ball ? QStringLiteral("white") : player ? QStringLiteral("red") : QStringLiteral("yellow")),
             frames.join(QLatin1Char(',')));
}

// Written as the editor saves a drill, member for member, as a coach's own
// file is: the page then reads back the very text it was sent.
QByteArray drillText(int nItems, int nFrames)
{
    SeededRandom random;
    QStringList objects;
    for (int id = 1; id <= nItems; ++id)
        objects << drillRecord(id, nFrames, random);
    QStringList captions;
    for (int f = 0; f < nFrames; ++f)
        captions << quoted(QStringLiteral("Frame %1: move the ball on").arg(f + 1));
    return QStringLiteral("{\"msgType\":\"OVRI_Animation\",\"msgVersion\":0.1,\"sport\":\"gaa\",\"showRunningLines\":true,"
                          "\"background\":{\"type\":\"fullField\",\"showStripes\":true,\"showLogo\":false,"
                          "\"logoImage\":\"logos/ovri256x256.png\"},\"rotation\":0,\"gridVisible\":false,"
                          "\"nFrames\":%1,\"selectedFrame\":0,\"objects\":[%2],\"frameText\":[%3]}")
        .arg(QString::number(nFrames), objects.join(QLatin1Char(',')), captions.join(QLatin1Char(',')))
        .toUtf8();
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    QTemporaryDir folder;
    QString drillPath;
    QByteArray drill;
    if (argc == 4 && QByteArray(argv[1]) == "--drill") {
        drillPath = folder.path() + QStringLiteral("/drill.anim");
        QFile file(drillPath);
        drill = drillText(atoi(argv[2]), atoi(argv[3]));
        if (!file.open(QIODevice::WriteOnly) || file.write(drill) < 0)
            return 2;
    }
    const qint64 drillWritten = clock.elapsed();
    // The program sees the drill, and only the drill, as its argument.
    QByteArray drillArgument = drillPath.toLocal8Bit();
    char *appArgv[] = { argv[0], drillArgument.data(), nullptr };
    int appArgc = drillPath.isEmpty() ? 1 : 2;
    EditorView::prepareProcess();
    QApplication app(appArgc, appArgv);
    ApplicationIdentity::apply();
    PageFonts::install();
    const qint64 appReady = clock.elapsed() - drillWritten;

    mainWindow window;
    const qint64 windowBuilt = clock.elapsed() - drillWritten;
    EditorView *view = editorViewOf(&window);
    QTextStream out(stdout);
    // Connected after the window's own handlers, so that a drill named on
    // the command line has been opened by the time this runs (WebKit; under
    // WebEngine the page starts once its channel is up, maybe later).
    QObject::connect(view, &EditorView::loadFinished, [&](bool ok) {
        const qint64 loaded = clock.elapsed() - drillWritten;
        bool mainRan = false;
        for (int i = 0; i < 1000 && ok && !mainRan; ++i) {
            mainRan = runInPage(view, QStringLiteral("!!(window.pageShell && pageShell.toolbar)")).toBool();
            if (!mainRan)
                QTest::qWait(5);
        }
        const qint64 started = clock.elapsed() - drillWritten;
        const int items = runInPage(view, QStringLiteral("pageShell.animation.frameManager.objects.length")).toInt();
        out << "engine: " << EditorView::engineName() << "\n"
            << "application object and fonts: " << appReady << " ms\n"
            << "main window constructed (splash and window shown): " << windowBuilt << " ms\n"
            << "page loaded, splash closed"
            << (drillPath.isEmpty() ? QString() : QStringLiteral(", drill of %1 items opened").arg(items))
            << ": " << loaded << " ms"
            << (ok && mainRan ? "" : " (page did not start!)") << "\n"
            << "page started (main() finished): " << started << " ms\n";
        if (!drill.isEmpty()) {
            const bool same = runInPage(view, QStringLiteral("pageShell.animation.saveToString()"))
                                  .toString().toUtf8() == drill;
            out << "the page's text of the drill is the file's: " << (same ? "yes" : "no") << "\n";
        }
        // Once the first pictures are drawn and the engine has settled.
        QTest::qWait(1000);
        out << "memory (PSS, with the engine's own processes): " << pssOfProcessTreeKb() / 1024 << " MB\n";
        out.flush();
        QTimer::singleShot(0, &app, [&app, ok, mainRan] { app.exit(ok && mainRan ? 0 : 1); });
    });
    return app.exec();
}
