// pagetests [--size WxH] [--timeout SECONDS] TEST.js...: each file in a fresh editor page with a
// fake host bridge, after harness.js and fixture.js; prints "PASS name" or "FAIL name: reason".

#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QWebFrame>
#include <QWebPage>

#include <cstdio>

namespace {
const int kLoadTimeoutMs = 20000;

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}
} // namespace

// `cppInterface`: the real bridge's signal and slot; the others let a test play the host.
class FakeBridge : public QObject
{
    Q_OBJECT
signals:
    void sendMessage(QVariantMap message);

public slots:
    // A programmed reply comes as the reply mode says: "nested" at once, inside the page's call,
    // as QtWebKit delivers the host's; "queued" from the event loop once the call has returned,
    // as a web channel does; "held" only when the test calls releaseReplies(), after whatever
    // the coach did meanwhile.
    void receiveMessage(QVariantMap message)
    {
        m_received.append(message);
        const QString type = message.value(QStringLiteral("msgType")).toString();
        if (!m_replies.contains(type))
            return;
        QVariantMap reply = m_replies.value(type);
        for (const QString &key : m_echoes.value(type))
            reply.insert(key, message.value(key).toString());
        if (m_mode == QLatin1String("held"))
            m_held.append(reply);
        else if (m_mode == QLatin1String("queued"))
            QTimer::singleShot(0, this, [this, reply] { emit sendMessage(reply); });
        else
            emit sendMessage(reply);
    }
    void emitToPage(QVariantMap message) { emit sendMessage(message); }
    // `echoed`: keys of the page's message copied into the reply, as text.
    void setReply(const QString &type, QVariantMap reply, const QStringList &echoed = QStringList())
    {
        m_replies.insert(type, reply);
        m_echoes.insert(type, echoed);
    }
    void clearReplies() { m_replies.clear(); m_held.clear(); m_mode = QStringLiteral("nested"); }
    void setReplyMode(const QString &mode) { m_mode = mode; }
    // The held replies, in the order their messages came; returns how many.
    int releaseReplies()
    {
        const QList<QVariantMap> held = m_held;
        m_held.clear();
        for (const QVariantMap &reply : held)
            emit sendMessage(reply);
        return held.size();
    }
    QVariantList receivedMessages() const { return m_received; }
    void clearReceivedMessages() { m_received.clear(); }

private:
    QVariantList m_received;
    QHash<QString, QVariantMap> m_replies;
    QHash<QString, QStringList> m_echoes;
    QString m_mode = QStringLiteral("nested");
    QList<QVariantMap> m_held;
};

// `pageTestHost`, to which the harness reports. The page logs nothing, so every console message
// (uncaught exceptions included) fails the running test, or counts as a failure between tests.
class TestPage : public QWebPage
{
    Q_OBJECT
public:
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
    void scriptFailed(const QString &url)
    {
        fail(QStringLiteral("script ") + url, QStringLiteral("could not be loaded"));
        allFinished(0);
    }
    // From the event loop, as a window resize comes, not in the middle of the page's script.
    void resizeViewport(int width, int height)
    {
        QTimer::singleShot(0, this, [this, width, height] { setViewportSize(QSize(width, height)); });
    }
    void log(const QString &text) { printLine(QStringLiteral("# ") + text); }

protected:
    void javaScriptConsoleMessage(const QString &message, int line, const QString &source) override
    {
        // jsPDF leaves the page's own global Button alone, as wanted, and says so.
        if (message.startsWith(QLatin1String("AcroForm-Classes are not populated")))
            return;
        const QString text = source.isEmpty() ? message : QStringLiteral("%1 (%2:%3)").arg(
                                 message, QFileInfo(source).fileName()).arg(line);
        if (m_current.isEmpty())
            fail(QStringLiteral("page"), text);
        else
            m_errors.append(QStringLiteral("uncaught page error: ") + text);
    }

private:
    QString m_current;
    QStringList m_errors;
};

namespace {
// The engine skips a script missing from the resources silently; its globals are missed.
void checkGlobals(TestPage &page)
{
    QFile list(QDir(QStringLiteral(PAGE_TESTS_DIR)).filePath(QStringLiteral("page-globals.txt")));
    if (!list.open(QIODevice::ReadOnly))
        page.fail(QStringLiteral("globals"), QStringLiteral("cannot read ") + list.fileName());
    for (const QString &line : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'))) {
        for (const QString &name : line.simplified().split(QLatin1Char(' '))) {
            if (!name.isEmpty() && !line.startsWith(QLatin1Char('#'))
                && page.mainFrame()->evaluateJavaScript(QStringLiteral("typeof window['%1']").arg(name))
                       .toString() == QLatin1String("undefined"))
                page.fail(QStringLiteral("global ") + name, QStringLiteral("not defined once the page has loaded"));
        }
    }
}

// As script files, in order, so that messages and stacks name file and line; the last starts the run.
QString injectScripts(const QStringList &paths)
{
    QStringList urls;
    for (const QString &path : paths)
        urls.append(QLatin1Char('"') + QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
                                           .toString(QUrl::FullyEncoded) + QLatin1Char('"'));
    return QStringLiteral("[%1].forEach(function (src, i, all) {"
                          " var s = document.createElement('script'); s.async = false; s.src = src;"
                          " s.onerror = function () { pageTestHost.scriptFailed(src); };"
                          " if (i === all.length - 1) { s.onload = function () { pageTestHarness.run(); }; }"
                          " document.head.appendChild(s); });")
        .arg(urls.join(QLatin1Char(',')));
}

void runFile(const QString &path, const QSize &viewport, int timeoutMs, int *passed, int *failed)
{
    FakeBridge bridge;
    TestPage page;
    page.setViewportSize(viewport);
    QWebFrame *frame = page.mainFrame();
    // Before any page script runs, as the host exposes its bridge.
    QObject::connect(frame, &QWebFrame::javaScriptWindowObjectCleared, [&] {
        frame->addToJavaScriptWindowObject(QStringLiteral("cppInterface"), &bridge);
        frame->addToJavaScriptWindowObject(QStringLiteral("pageTestHost"), &page);
    });
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&page, &TestPage::finished, &loop, &QEventLoop::quit);
    bool loaded = false;
    auto loading = QObject::connect(&page, &QWebPage::loadFinished, &loop, [&](bool ok) {
        loaded = ok;
        loop.quit();
    });
    frame->load(QUrl(QStringLiteral("qrc:/Resources/index.html")));
    timer.start(kLoadTimeoutMs);
    loop.exec();
    QObject::disconnect(loading);

    const QString name = QFileInfo(path).fileName();
    const QDir dir(QStringLiteral(PAGE_TESTS_DIR));
    if (!loaded) {
        page.fail(name, QStringLiteral("the page did not load"));
    } else {
        checkGlobals(page);
        frame->evaluateJavaScript(injectScripts({dir.filePath(QStringLiteral("harness.js")),
                                                 dir.filePath(QStringLiteral("fixture.js")), path}));
        timer.start(timeoutMs);
        if (page.testCount < 0)
            loop.exec();
        if (page.testCount < 0)
            page.fail(name, QStringLiteral("did not finish within %1 ms").arg(timeoutMs));
        else if (page.testCount == 0)
            page.fail(name, QStringLiteral("defines no tests"));
    }
    *passed += page.passed;
    *failed += page.failed;
}
} // namespace

int main(int argc, char *argv[])
{
    // The page runs under the same engine settings as in the program.
    ScriptEngineWorkarounds::apply();
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
