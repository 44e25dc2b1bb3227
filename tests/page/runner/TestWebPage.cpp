#include "TestWebPage.h"

TestWebPage::TestWebPage(QObject *parent)
    : QWebPage(parent)
{
}

// jsPDF says so on loading when the page already has globals named like its
// form classes (the page's own Button): it then leaves them alone, which is
// what the page wants.
static bool isJsPdfKeepingOffGlobals(const QString &message)
{
    return message.startsWith(QLatin1String("AcroForm-Classes are not populated into global-namespace"));
}

void TestWebPage::javaScriptConsoleMessage(const QString &message, int lineNumber,
                                           const QString &sourceId)
{
    if (!isJsPdfKeepingOffGlobals(message))
        emit consoleMessage(message, lineNumber, sourceId);
}
