#include "EditorPage.h"

#include "FakeBridge.h"
#include "TestWebPage.h"

#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QWebFrame>

const char *const EditorPage::kPageUrl = "qrc:/Resources/index.html";

namespace {
const char kPageFile[] = ":/Resources/index.html";
const char kResourceFolder[] = ":/Resources/";
} // namespace

EditorPage::EditorPage(const QSize &viewport, QObject *parent)
    : QObject(parent)
    , m_page(new TestWebPage(this))
    , m_bridge(new FakeBridge(this))
{
    m_page->setViewportSize(viewport);
    m_exposed.append(qMakePair(QStringLiteral("cppInterface"), static_cast<QObject *>(m_bridge)));
    connect(m_page->mainFrame(), &QWebFrame::javaScriptWindowObjectCleared,
            this, &EditorPage::exposeObjects);
}

void EditorPage::exposeObject(const QString &name, QObject *object)
{
    m_exposed.append(qMakePair(name, object));
}

void EditorPage::exposeObjects()
{
    for (const auto &entry : qAsConst(m_exposed))
        m_page->mainFrame()->addToJavaScriptWindowObject(entry.first, entry.second);
}

bool EditorPage::load(int timeoutMs)
{
    QEventLoop loop;
    bool ok = false;
    bool done = false;
    auto connection = connect(m_page, &QWebPage::loadFinished, &loop, [&](bool success) {
        ok = success;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    m_page->mainFrame()->load(QUrl(QString::fromLatin1(kPageUrl)));
    if (!done)
        loop.exec();
    disconnect(connection);
    return done && ok;
}

QVariant EditorPage::evaluate(const QString &source)
{
    return m_page->mainFrame()->evaluateJavaScript(source);
}

QStringList EditorPage::missingScripts()
{
    QFile file(QString::fromLatin1(kPageFile));
    if (!file.open(QIODevice::ReadOnly))
        return {QString::fromLatin1(kPageFile)};
    const QString html = QString::fromUtf8(file.readAll());

    static const QRegularExpression scriptSrc(
        QStringLiteral("<script\\b[^>]*\\bsrc\\s*=\\s*[\"']([^\"']+)[\"']"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList missing;
    auto it = scriptSrc.globalMatch(html);
    while (it.hasNext()) {
        const QString src = it.next().captured(1);
        if (!QFile::exists(QString::fromLatin1(kResourceFolder) + src))
            missing.append(src);
    }
    return missing;
}
