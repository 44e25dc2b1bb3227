// pagetests [--size WxH] [--timeout SECONDS] TEST.js...: each file in a fresh editor page with a
// fake host bridge (fake-bridge.js), after harness.js and fixture.js, in the engine the program is
// built with; prints "PASS name" or "FAIL name: reason".

#include "EditorView.h"
#include "PageFonts.h"
#include "PageScript.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {
const int kLoadTimeoutMs = 20000;

// What the engines and libraries say that is no fault of the page, by the start of its text,
// whatever level it comes at. Everything else an engine reports as an error (uncaught exceptions
// included) fails the running test; other messages are printed.
const char *const kToleratedMessages[] = {
    // jsPDF leaves the page's own global Button alone, as wanted, and says so.
    "AcroForm-Classes are not populated",
    // Chromium's advice (Qt WebEngine 6.8) on a canvas read back without willReadFrequently, which
    // Kinetic's hit canvases are: the page cannot ask it for them.
    "Canvas2D: Multiple readback operations using getImageData are faster with the willReadFrequently "
    "attribute set to true",
};

bool tolerated(const QString &message)
{
    for (const char *text : kToleratedMessages) {
        if (message.startsWith(QLatin1String(text)))
            return true;
    }
    return false;
}

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

// `pageTestHost`, to which the harness reports. An error on the page's console (uncaught
// exceptions included) fails the running test, or counts as a failure between tests.
class TestHost : public QObject
{
    Q_OBJECT
public:
    explicit TestHost(EditorView *view)
        : m_view(view)
    {
        connect(view, &EditorView::consoleMessage, this, &TestHost::consoleMessage);
    }

    int passed = 0;
    int failed = 0;
    int testCount = -1; // until the harness has run every test

    void fail(const QString &name, const QString &reason)
    {
        ++failed;
        printLine(QStringLiteral("FAIL %1: %2").arg(name, reason));
    }

signals:
    void finished();

public slots:
    void testStarted(const QString &name) { m_current = name; }
    void testFinished(const QString &name, bool ok, const QString &reason)
    {
        if (!ok)
            m_errors.prepend(reason);
        if (m_errors.isEmpty()) {
            ++passed;
            printLine(QStringLiteral("PASS ") + name);
        } else {
            fail(name, m_errors.join(QStringLiteral("; ")));
        }
        m_current.clear();
        m_errors.clear();
    }
    void allFinished(int count) { testCount = count; emit finished(); }
    // From the event loop, as a window resize comes, not in the middle of the page's script.
    void resizeViewport(int width, int height)
    {
        QTimer::singleShot(0, this, [this, width, height] { m_view->widget()->window()->resize(width, height); });
    }
    void log(const QString &text) { printLine(QStringLiteral("# ") + text); }

private:
    void consoleMessage(EditorView::ConsoleLevel level, const QString &message, int line, const QString &source)
    {
        if (tolerated(message))
            return;
        const QString text = source.isEmpty() ? message : QStringLiteral("%1 (%2:%3)").arg(
                                 message, QFileInfo(source).fileName()).arg(line);
        if (level != EditorView::ConsoleLevel::Error)
            log(QStringLiteral("console: ") + text);
        else if (m_current.isEmpty())
            fail(QStringLiteral("page"), text);
        else
            m_errors.append(QStringLiteral("uncaught page error: ") + text);
    }

    EditorView *m_view;
    QString m_current;
    QStringList m_errors;
};

namespace {
// The engine skips a script missing from the resources silently; its globals are missed.
void checkGlobals(EditorView &view, TestHost &host)
{
    QFile list(QDir(QStringLiteral(PAGE_TESTS_DIR)).filePath(QStringLiteral("page-globals.txt")));
    if (!list.open(QIODevice::ReadOnly))
        host.fail(QStringLiteral("globals"), QStringLiteral("cannot read ") + list.fileName());
    QStringList names;
    for (const QString &line : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'))) {
        for (const QString &name : line.simplified().split(QLatin1Char(' '))) {
            if (!name.isEmpty() && !line.startsWith(QLatin1Char('#')))
                names.append(QLatin1Char('"') + name + QLatin1Char('"'));
        }
    }
    // One question for all: each answer from WebEngine is a round trip.
    const QStringList missing = runInPage(&view, QStringLiteral("[%1].filter(function (name) {"
                                                                " return typeof window[name] === 'undefined'; })")
                                                     .arg(names.join(QLatin1Char(','))))
                                    .toStringList();
    for (const QString &name : missing)
        host.fail(QStringLiteral("global ") + name, QStringLiteral("not defined once the page has loaded"));
}

// As scripts of the page, in order, each named after its file so that messages and stacks name
// file and line (a qrc: page may not load file: scripts under WebEngine); then the run starts.
QString injectScripts(const QStringList &paths)
{
    QJsonArray files;
    for (const QString &path : paths) {
        const QString url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
        files.append(readFile(path) + QStringLiteral("\n//# sourceURL=") + url + QLatin1Char('\n'));
    }
    return QStringLiteral("%1.forEach(function (source) {"
                          " var s = document.createElement('script'); s.text = source;"
                          " document.head.appendChild(s); });"
                          " pageTestHarness.run();")
        .arg(QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Compact)));
}

void runFile(const QString &path, const QSize &viewport, int timeoutMs, int *passed, int *failed)
{
    QWidget window;
    EditorView view(&window);
    TestHost host(&view);
    // Laid out at the given size, as the editor's page is, and shown (offscreen): WebEngine
    // neither draws nor runs timers at full rate in a page it takes for hidden.
    window.setLayout(new QGridLayout);
    window.layout()->setContentsMargins(0, 0, 0, 0);
    window.layout()->addWidget(view.widget());
    window.resize(viewport);
    window.show();
    const QDir dir(QStringLiteral(PAGE_TESTS_DIR));
    view.addStartScript(readFile(dir.filePath(QStringLiteral("fake-bridge.js"))));
    // Before any page script runs, as the host exposes its bridge.
    QObject::connect(&view, &EditorView::windowObjectCleared, &view, [&] {
        view.exposeObject(QStringLiteral("pageTestHost"), &host);
    });
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&host, &TestHost::finished, &loop, &QEventLoop::quit);
    bool loaded = false;
    auto loading = QObject::connect(&view, &EditorView::loadFinished, &loop, [&](bool ok) {
        loaded = ok;
        loop.quit();
    });
    view.load(QUrl(QStringLiteral("qrc:/Resources/index.html")));
    timer.start(kLoadTimeoutMs);
    loop.exec();
    QObject::disconnect(loading);

    const QString name = QFileInfo(path).fileName();
    if (!loaded) {
        host.fail(name, QStringLiteral("the page did not load"));
    } else if (!waitForPageStart(&view)) {
        host.fail(name, QStringLiteral("the page did not start"));
    } else {
        checkGlobals(view, host);
        const QStringList scripts = {dir.filePath(QStringLiteral("harness.js")),
                                     dir.filePath(QStringLiteral("fixture.js")), path};
        for (const QString &script : scripts) {
            if (!QFileInfo(script).isReadable())
                host.fail(QStringLiteral("script ") + script, QStringLiteral("cannot be read"));
        }
        view.runScript(injectScripts(scripts));
        timer.start(timeoutMs);
        if (host.testCount < 0)
            loop.exec();
        if (host.testCount < 0)
            host.fail(name, QStringLiteral("did not finish within %1 ms").arg(timeoutMs));
        else if (host.testCount == 0)
            host.fail(name, QStringLiteral("defines no tests"));
    }
    *passed += host.passed;
    *failed += host.failed;
}
} // namespace

int main(int argc, char *argv[])
{
    // The page runs under the same engine settings as in the program.
    EditorView::prepareProcess();
    QApplication app(argc, argv);
    PageFonts::install();

    QCommandLineParser parser;
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"), QStringLiteral("1280x800"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS"), QStringLiteral("300"));
    parser.addOptions({size, timeout});
    const bool parsed = parser.parse(app.arguments());
    const auto match = QRegularExpression(QStringLiteral("^([1-9]\\d*)x([1-9]\\d*)$")).match(parser.value(size));
    const int timeoutMs = parser.value(timeout).toInt() * 1000;
    if (!parsed || !match.hasMatch() || timeoutMs <= 0 || parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "usage: pagetests [--size WxH] [--timeout SECONDS] TEST.js...\n");
        return 2;
    }
    const QSize viewport(match.captured(1).toInt(), match.captured(2).toInt());
    int passed = 0;
    int failed = 0;
    for (const QString &file : parser.positionalArguments())
        runFile(file, viewport, timeoutMs, &passed, &failed);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

#include "main.moc"
