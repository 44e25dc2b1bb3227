// Prints the program's memory (resident set) while the same small drill is
// opened over and over through the real open path, while refused files are
// opened, and while New empties the drill: what each replaces must be
// freed. Counts are fixed; the figures are for reading, not asserted.
//   bench_reopen [reopenings]   (default 1000)
#include "ApplicationIdentity.h"
#include "EditorView.h"
#include "PageFonts.h"
#include "PageScript.h"
#include "mainWindow.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QWebSettings>
#endif

namespace {

// A drill of three items over two frames, as the editor writes one.
const char DRILL[] =
    "{\"msgType\":\"OVRI_Animation\",\"msgVersion\":0.1,\"sport\":\"soccer\",\"showRunningLines\":true,"
    "\"background\":{\"type\":\"fullField\",\"showStripes\":true,\"showLogo\":false,"
    "\"logoImage\":\"logos/ovri256x256.png\"},\"rotation\":90,\"gridVisible\":false,\"nFrames\":2,"
    "\"selectedFrame\":1,\"objects\":["
    "{\"type\":\"person\",\"id\":1,\"scale\":0.2,\"text\":\"Ann\",\"shortLabel\":\"7\",\"z\":1,\"color\":\"blue\","
    "\"frames\":[{\"x\":0.2,\"y\":0.3,\"rotation\":0},{\"x\":0.4,\"y\":0.5,\"rotation\":90}]},"
    "{\"type\":\"ball\",\"id\":2,\"scale\":0.1,\"text\":\"\",\"shortLabel\":\"\",\"z\":2,\"color\":\"default\","
    "\"frames\":[{\"x\":0.5,\"y\":0.5,\"rotation\":0},{\"x\":0.6,\"y\":0.2,\"rotation\":0}]},"
    "{\"type\":\"cone\",\"id\":3,\"scale\":0.1,\"text\":\"Start\",\"shortLabel\":\"\",\"z\":3,\"color\":\"red\","
    "\"frames\":[{\"x\":0.8,\"y\":0.8,\"rotation\":0},{\"x\":0.8,\"y\":0.8,\"rotation\":0}]}],"
    "\"frameText\":[\"One\",\"Two\"]}";

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

int main(int argc, char *argv[])
{
    int appArgc = 1;
    EditorView::prepareProcess();
    QApplication app(appArgc, argv);
    ApplicationIdentity::apply();
    PageFonts::install();
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;

    QTemporaryDir dir;
    const QString drill = dir.filePath(QStringLiteral("drill.anim"));
    writeFile(drill, DRILL);
    // Refused for its colour, after its long caption has been read.
    QByteArray refusedText(DRILL);
    refusedText.replace("\"One\"", "\"" + QByteArray(100000, 'c') + "\"");
    refusedText.replace("\"red\"", "\"plaid\"");
    const QString refused = dir.filePath(QStringLiteral("refused.anim"));
    writeFile(refused, refusedText);

    // Every refusal raises a box; it is answered as soon as it shows.
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    closer.start();

    mainWindow window;
    EditorView *view = editorViewOf(&window);
    QTextStream out(stdout);
    auto report = [&](const char *what, int n) {
        const qint64 before = residentKiB();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        QWebSettings::clearMemoryCaches(); // also collects the page's garbage
#endif
        // (WebEngine's page lives in a process of its own, not counted here.)
        out << what << " x" << n << ": " << before / 1024 << " MB resident, " << residentKiB() / 1024
            << " MB after collecting garbage\n";
        out.flush();
    };
    // Between two commands a coach's session returns to the event loop,
    // where the page's timers and the web engine's deferred clean-up run.
    auto repeat = [&](const char *what, int n, const std::function<void()> &once) {
        for (int i = 1; i <= n; ++i) {
            once();
            QCoreApplication::processEvents();
            if (i == 1 || i == n / 10 || i == n)
                report(what, i);
        }
    };
    QObject::connect(view, &EditorView::loadFinished, [&](bool ok) {
        if (!ok) {
            out << "the page did not load\n";
            app.exit(1);
            return;
        }
        report("started", 0);
        repeat("reopen the same drill", count, [&] { window.openAnimation(drill); });
        repeat("open a refused file (100 000-character caption)", count / 2,
               [&] { window.openAnimation(refused); });
        repeat("open, then New", count / 2, [&] {
            window.openAnimation(drill);
            runInPage(view, QStringLiteral("myDispatchEvent('newAnimation', {})"));
        });
        QTimer::singleShot(0, &app, [&app] { app.exit(0); });
    });
    return app.exec();
}
