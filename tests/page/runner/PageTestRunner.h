#ifndef PAGETESTRUNNER_H
#define PAGETESTRUNNER_H

#include <QSize>
#include <QString>
#include <QStringList>

// Runs page test files, each on a freshly loaded editor page: checks that
// the page's scripts and globals are all there, injects the test harness and
// the file, runs its tests and prints one line per test. Counts everything
// that failed, including page errors outside a test.
class PageTestRunner
{
public:
    struct Options
    {
        QSize viewport;
        int fileTimeoutMs;
        // harness.js and page-globals.txt live here.
        QString testsDir;
    };

    explicit PageTestRunner(const Options &options);

    // Every <script src> of the page document must be in the resources.
    void checkPageScripts();
    void runFile(const QString &path);

    int passed() const { return m_passed; }
    int failed() const { return m_failed; }

private:
    QStringList expectedGlobals();
    void fail(const QString &name, const QString &reason);

    Options m_options;
    int m_passed = 0;
    int m_failed = 0;
};

#endif // PAGETESTRUNNER_H
