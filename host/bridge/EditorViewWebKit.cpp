// The editor view on Qt 5's WebKit: the page runs in this process, host
// objects are page globals and a script's value comes back at once.

#include "EditorView.h"

#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"

#include <QUrl>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>
#include <QWebView>

namespace {

// The page's console reaches the view through consoleMessageReceived, which
// carries the level; the old override, without one, is kept silent.
class QuietPage : public QWebPage
{
public:
    using QWebPage::QWebPage;

protected:
    void javaScriptConsoleMessage(const QString &, int, const QString &) override {}
};

EditorView::ConsoleLevel consoleLevel(QWebPage::MessageLevel level)
{
    switch (level) {
    case QWebPage::ErrorMessageLevel:
        return EditorView::ConsoleLevel::Error;
    case QWebPage::WarningMessageLevel:
        return EditorView::ConsoleLevel::Warning;
    default:
        return EditorView::ConsoleLevel::Info;
    }
}

} // namespace

class EditorView::Engine
{
public:
    QWebView *view = nullptr;
    QStringList startScripts;
};

void EditorView::prepareProcess()
{
    ScriptEngineWorkarounds::apply();
}

// WebKit writes nothing of its own to standard error.
void EditorView::quietEngineMessages()
{
}

QString EditorView::cannotStartReason()
{
    return QString();
}

QString EditorView::engineName()
{
    return QStringLiteral("webkit");
}

QString EditorView::videoPictureForm()
{
    return QStringLiteral("pixels");
}

EditorView::EditorView(QWidget *parent)
    : QObject(parent)
    , m_engine(std::make_unique<Engine>())
{
    // Also for programs that make a view without prepareProcess() (tests).
    ScriptEngineWorkarounds::apply();
    // The page asks for Helvetica and arial: the bundled Liberation Sans
    // (PageFonts) stands in for every family it does not name.
    QWebSettings *settings = QWebSettings::globalSettings();
    settings->setFontFamily(QWebSettings::StandardFont, PageFonts::family());
    settings->setFontFamily(QWebSettings::SansSerifFont, PageFonts::family());

    m_engine->view = new QWebView(parent);
    m_engine->view->setPage(new QuietPage(m_engine->view));
    connect(m_engine->view->page(), &QWebPage::consoleMessageReceived, this,
            [this](QWebPage::MessageSource, QWebPage::MessageLevel level, const QString &message, int line,
                   const QString &source) { emit consoleMessage(consoleLevel(level), message, line, source); });
    QWebFrame *frame = m_engine->view->page()->mainFrame();
    frame->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    frame->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
    // No reload or back entries, and drops go to the window, which opens them.
    m_engine->view->setContextMenuPolicy(Qt::NoContextMenu);
    m_engine->view->setAcceptDrops(false);
    connect(frame, &QWebFrame::javaScriptWindowObjectCleared, this, [this, frame] {
        emit windowObjectCleared();
        for (const QString &script : qAsConst(m_engine->startScripts))
            frame->evaluateJavaScript(script);
    });
    connect(frame, &QWebFrame::loadFinished, this, &EditorView::loadFinished);
}

EditorView::~EditorView() = default;

QWidget *EditorView::widget() const
{
    return m_engine->view;
}

void EditorView::exposeObject(const QString &name, QObject *object)
{
    m_engine->view->page()->mainFrame()->addToJavaScriptWindowObject(name, object);
}

void EditorView::addStartScript(const QString &source)
{
    m_engine->startScripts.append(source);
}

void EditorView::load(const QUrl &url)
{
    m_engine->view->load(url);
}

// Host objects take the page's bytes as they are: no other way is needed.
QVariantMap EditorView::openPictureChannel(const QSize &)
{
    return QVariantMap();
}

void EditorView::closePictureChannel()
{
}

void EditorView::runScript(const QString &script, const ScriptResult &done)
{
    const QVariant value = m_engine->view->page()->mainFrame()->evaluateJavaScript(script);
    if (done)
        done(value);
}
