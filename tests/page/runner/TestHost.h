#ifndef TESTHOST_H
#define TESTHOST_H

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

class QWebPage;

// The runner's side of the page test harness, exposed to the page as
// `pageTestHost`. The harness announces each test and its result; this class
// prints one line per test ("PASS name" or "FAIL name: reason") and keeps
// the count. A page error that arrives while a test runs fails that test;
// one outside any test is a failure of its own. Every console message
// counts as a page error, uncaught exceptions and console.log alike: the
// page has no logging of its own, so anything there is a fault.
class TestHost : public QObject
{
    Q_OBJECT
public:
    // `page` is the page under test, whose viewport resizeViewport changes.
    explicit TestHost(QWebPage *page, QObject *parent = nullptr);

    int passed() const { return m_passed; }
    int failed() const { return m_failed; }
    bool isFinished() const { return m_finished; }
    int testCount() const { return m_testCount; }

    // Called by the runner for every console message of the page.
    void recordPageError(const QString &text);
    // Prints and counts a failure that is not a page test (loading, a
    // missing global, a timeout).
    void reportFailure(const QString &name, const QString &reason);

signals:
    void finished();

public slots:
    void testStarted(const QString &name);
    void testFinished(const QString &name, bool passed, const QString &reason);
    void allFinished(int testCount);
    // A test script could not be loaded: the file ends here.
    void scriptFailed(const QString &url);
    // Resizes the page's viewport once control is back in the event loop,
    // as a window resize would; the page sees a resize event some time
    // later.
    void resizeViewport(int width, int height);
    // A note from a test, printed with a leading "# ".
    void log(const QString &text);

private:
    QWebPage *m_page;
    QString m_currentTest;
    QStringList m_currentErrors;
    int m_passed = 0;
    int m_failed = 0;
    int m_testCount = 0;
    bool m_finished = false;
};

#endif // TESTHOST_H
