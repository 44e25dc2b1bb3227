#ifndef TESTWEBPAGE_H
#define TESTWEBPAGE_H

#include <QWebPage>

// A web page that reports everything the page writes to its console,
// uncaught exceptions included (with the script's URL and line), instead of
// dropping it.
class TestWebPage : public QWebPage
{
    Q_OBJECT
public:
    explicit TestWebPage(QObject *parent = nullptr);

signals:
    void consoleMessage(const QString &message, int lineNumber, const QString &sourceId);

protected:
    void javaScriptConsoleMessage(const QString &message, int lineNumber,
                                  const QString &sourceId) override;
};

#endif // TESTWEBPAGE_H
