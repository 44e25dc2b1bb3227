// Page test runner: loads the editor page from the program's resources into
// an off-screen web page with a fake host bridge and runs page test files in
// it, one fresh page per file.
//
//   pagetests [--size WxH] [--timeout SECONDS] TEST.js...
//   pagetests --screenshot OUT.png [WxH] [--wait MS]
//
// Prints "PASS name" or "FAIL name: reason" per test and finally
// "N passed, N failed"; exits non-zero on any failure.

#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "PageScreenshot.h"
#include "PageTestRunner.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {
const QSize kDefaultViewport(1280, 800);
const int kDefaultFileTimeoutSeconds = 300;
const int kDefaultSettleMs = 1500;

bool parseSize(const QString &text, QSize *size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)x(\\d+)$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    *size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    return size->width() > 0 && size->height() > 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: pagetests [--size WxH] [--timeout SECONDS] TEST.js...\n"
                 "       pagetests --screenshot OUT.png [WxH] [--wait MS]\n");
    return 2;
}
} // namespace

int main(int argc, char *argv[])
{
    // Qt wants a private runtime folder and complains on every start without
    // one; a test run has no session to provide it.
    std::unique_ptr<QTemporaryDir> runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeDir.reset(new QTemporaryDir);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir->path()));
    }

    // The page runs under the same engine settings as in the program.
    ScriptEngineWorkarounds::apply();
    QApplication app(argc, argv);
    PageFonts::install();

    QStringList args = app.arguments().mid(1);
    QSize viewport = kDefaultViewport;
    int timeoutSeconds = kDefaultFileTimeoutSeconds;
    int settleMs = kDefaultSettleMs;
    QString screenshotPath;
    QStringList files;

    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--size") && hasValue) {
            if (!parseSize(args.at(++i), &viewport))
                return usage();
        } else if (arg == QLatin1String("--timeout") && hasValue) {
            timeoutSeconds = args.at(++i).toInt();
        } else if (arg == QLatin1String("--wait") && hasValue) {
            settleMs = args.at(++i).toInt();
        } else if (arg == QLatin1String("--screenshot") && hasValue) {
            screenshotPath = args.at(++i);
            if (i + 1 < args.size() && parseSize(args.at(i + 1), &viewport))
                ++i;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usage();
        } else {
            files.append(arg);
        }
    }

    if (!screenshotPath.isEmpty())
        return PageScreenshot::save(screenshotPath, viewport, settleMs) ? 0 : 1;
    if (files.isEmpty() || timeoutSeconds <= 0)
        return usage();

    PageTestRunner runner({viewport, timeoutSeconds * 1000, QStringLiteral(PAGE_TESTS_DIR)});
    runner.checkPageScripts();
    for (const QString &file : qAsConst(files))
        runner.runFile(file);

    std::printf("%d passed, %d failed\n", runner.passed(), runner.failed());
    return runner.failed() == 0 ? 0 : 1;
}
