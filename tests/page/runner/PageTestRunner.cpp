#include "PageTestRunner.h"

#include "EditorPage.h"
#include "FakeBridge.h"
#include "TestHost.h"
#include "TestWebPage.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {
const int kLoadTimeoutMs = 20000;

// The harness and the test file go in as real script files rather than
// evaluated text: only then do the engine's error messages and stack traces
// name the file and line. Both keep their order (async = false); the test
// file's load event starts the run.
const char kLoadTestScripts[] = R"(
(function () {
    function add(src, onload) {
        var script = document.createElement('script');
        script.async = false;
        script.src = src;
        script.onload = onload;
        script.onerror = function () { pageTestHost.scriptFailed(src); };
        document.head.appendChild(script);
    }
    add(%1, null);
    add(%2, function () { pageTestHarness.run(); });
}());
)";

QString jsString(const QUrl &url)
{
    QString text = url.toString(QUrl::FullyEncoded);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

bool readText(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = QString::fromUtf8(file.readAll());
    return true;
}

QString describe(const QString &message, int lineNumber, const QString &sourceId)
{
    if (sourceId.isEmpty())
        return message;
    return QStringLiteral("%1 (%2:%3)").arg(message, QFileInfo(sourceId).fileName())
        .arg(lineNumber);
}
} // namespace

PageTestRunner::PageTestRunner(const Options &options)
    : m_options(options)
{
}

void PageTestRunner::fail(const QString &name, const QString &reason)
{
    ++m_failed;
    std::printf("FAIL %s: %s\n", qPrintable(name), qPrintable(reason));
    std::fflush(stdout);
}

void PageTestRunner::checkPageScripts()
{
    for (const QString &src : EditorPage::missingScripts())
        fail(QStringLiteral("script ") + src, QStringLiteral("not in the resources"));
}

QStringList PageTestRunner::expectedGlobals()
{
    QString text;
    const QString path = QDir(m_options.testsDir).filePath(QStringLiteral("page-globals.txt"));
    if (!readText(path, &text)) {
        fail(QStringLiteral("globals"), QStringLiteral("cannot read ") + path);
        return {};
    }
    QStringList names;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString name = line.trimmed();
        if (!name.isEmpty() && !name.startsWith(QLatin1Char('#')))
            names.append(name);
    }
    return names;
}

void PageTestRunner::runFile(const QString &path)
{
    const QFileInfo testFile(path);
    const QString fileName = testFile.fileName();
    if (!testFile.isFile()) {
        fail(fileName, QStringLiteral("no such file: ") + path);
        return;
    }
    const QFileInfo harnessFile(QDir(m_options.testsDir).filePath(QStringLiteral("harness.js")));

    EditorPage editor(m_options.viewport);
    TestHost host(editor.page());
    editor.exposeObject(QStringLiteral("pageTestHost"), &host);
    QObject::connect(editor.page(), &TestWebPage::consoleMessage,
                     &host, [&host](const QString &message, int line, const QString &source) {
                         host.recordPageError(describe(message, line, source));
                     });

    if (!editor.load(kLoadTimeoutMs)) {
        host.reportFailure(fileName, QStringLiteral("the page did not load"));
    } else {
        for (const QString &name : expectedGlobals()) {
            const QString type = editor.evaluate(QStringLiteral("typeof window['%1']").arg(name))
                                     .toString();
            if (type == QLatin1String("undefined"))
                host.reportFailure(QStringLiteral("global ") + name,
                                   QStringLiteral("not defined once the page has loaded"));
        }

        QEventLoop loop;
        QObject::connect(&host, &TestHost::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(m_options.fileTimeoutMs, &loop, &QEventLoop::quit);
        editor.evaluate(QString::fromLatin1(kLoadTestScripts)
                            .arg(jsString(QUrl::fromLocalFile(harnessFile.absoluteFilePath())),
                                 jsString(QUrl::fromLocalFile(testFile.absoluteFilePath()))));
        if (!host.isFinished())
            loop.exec();

        if (!host.isFinished())
            host.reportFailure(fileName, QStringLiteral("did not finish within %1 ms")
                                             .arg(m_options.fileTimeoutMs));
        else if (host.testCount() == 0)
            host.reportFailure(fileName, QStringLiteral("defines no tests"));
    }

    m_passed += host.passed();
    m_failed += host.failed();
}
