#include "TestWebPage.h"

TestWebPage::TestWebPage(QObject *parent)
    : QWebPage(parent)
{
}

void TestWebPage::javaScriptConsoleMessage(const QString &message, int lineNumber,
                                           const QString &sourceId)
{
    emit consoleMessage(message, lineNumber, sourceId);
}
