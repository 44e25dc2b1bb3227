#include "TestHost.h"

#include <QTimer>
#include <QWebPage>

#include <cstdio>

namespace {
void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}
} // namespace

TestHost::TestHost(QWebPage *page, QObject *parent)
    : QObject(parent)
    , m_page(page)
{
}

void TestHost::recordPageError(const QString &text)
{
    if (!m_currentTest.isEmpty())
        m_currentErrors.append(text);
    else
        reportFailure(QStringLiteral("page"), text);
}

void TestHost::reportFailure(const QString &name, const QString &reason)
{
    ++m_failed;
    printLine(QStringLiteral("FAIL %1: %2").arg(name, reason));
}

void TestHost::testStarted(const QString &name)
{
    m_currentTest = name;
    m_currentErrors.clear();
}

void TestHost::testFinished(const QString &name, bool passed, const QString &reason)
{
    QStringList reasons;
    if (!passed)
        reasons.append(reason);
    for (const QString &error : qAsConst(m_currentErrors))
        reasons.append(QStringLiteral("uncaught page error: ") + error);
    m_currentTest.clear();
    m_currentErrors.clear();

    if (reasons.isEmpty()) {
        ++m_passed;
        printLine(QStringLiteral("PASS ") + name);
    } else {
        reportFailure(name, reasons.join(QStringLiteral("; ")));
    }
}

void TestHost::allFinished(int testCount)
{
    m_testCount = testCount;
    m_finished = true;
    emit finished();
}

void TestHost::scriptFailed(const QString &url)
{
    reportFailure(QStringLiteral("script ") + url, QStringLiteral("could not be loaded"));
    m_finished = true;
    emit finished();
}

void TestHost::resizeViewport(int width, int height)
{
    // Not inside the page's call: a relayout while a script runs is not what
    // a real window does.
    QTimer::singleShot(0, this, [this, width, height] {
        m_page->setViewportSize(QSize(width, height));
    });
}

void TestHost::log(const QString &text)
{
    printLine(QStringLiteral("# ") + text);
}
