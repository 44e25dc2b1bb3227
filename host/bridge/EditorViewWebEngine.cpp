// The editor view on Qt 6's WebEngine: the page runs in Chromium's own
// process, host objects reach it through a QWebChannel, and every call
// across, a script's value included, is answered later.

#include "EditorView.h"

#include "ChannelBridge.h"
#include "PictureChannel.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QUrl>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

namespace {

// Holds the page's `main` (app.js sets window.main, index.html calls it)
// until the channel has made the host's objects page globals, so that the
// page starts with its bridge there exactly as under WebKit.
const char kChannelBootstrap[] = R"JS(
(function () {
    'use strict';
    var start = null;
    var ready = false;
    var wanted = false;
    function run() {
        if (ready && wanted && start) {
            wanted = false;
            start();
        }
    }
    Object.defineProperty(window, 'main', {
        configurable: true,
        enumerable: true,
        get: function () { return ready ? start : function () { wanted = true; run(); }; },
        set: function (fn) { start = fn; }
    });
    new QWebChannel(qt.webChannelTransport, function (channel) {
        Object.keys(channel.objects).forEach(function (name) { window[name] = channel.objects[name]; });
        ready = true;
        run();
    });
}());
)JS";

// Console messages and uncaught exceptions are only seen by overriding the page.
class ConsolePage : public QWebEnginePage
{
public:
    ConsolePage(EditorView *view, QObject *parent)
        : QWebEnginePage(parent)
        , m_view(view)
    {
    }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override
    {
        const auto ours = level == ErrorMessageLevel     ? EditorView::ConsoleLevel::Error
                          : level == WarningMessageLevel ? EditorView::ConsoleLevel::Warning
                                                         : EditorView::ConsoleLevel::Info;
        emit m_view->consoleMessage(ours, message, line, source);
    }

private:
    EditorView *m_view;
};

QtMessageHandler g_previousHandler = nullptr;

// Qt WebEngine reports through Qt's log, with no category of its own for
// most of it, what it finds of the machine at start ("Sandboxing disabled",
// the GL it could not have, its init parameters): warnings and notes that
// are not the program's. Critical and fatal messages still go through.
void dropEngineNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QLatin1String category(context.category ? context.category : "default");
    const bool ours = category.startsWith(QLatin1String("drillmora"));
    if (!ours && type != QtCriticalMsg && type != QtFatalMsg)
        return;
    g_previousHandler(type, context, message);
}

QString channelLibrary()
{
    QFile library(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    return library.open(QIODevice::ReadOnly) ? QString::fromUtf8(library.readAll()) : QString();
}

void appendFlags(QByteArray *flags, const QByteArray &more)
{
    if (!flags->isEmpty())
        *flags += ' ';
    *flags += more;
}

// How the renderer ended, in the words of the coach's message.
QString terminationText(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode)
{
    switch (status) {
    case QWebEnginePage::KilledTerminationStatus:
        return QCoreApplication::translate("EditorView", "it was killed");
    case QWebEnginePage::CrashedTerminationStatus:
        return QCoreApplication::translate("EditorView", "it crashed");
    case QWebEnginePage::AbnormalTerminationStatus:
    case QWebEnginePage::NormalTerminationStatus:
        break;
    }
    return QCoreApplication::translate("EditorView", "it stopped with status %1").arg(exitCode);
}

} // namespace

class EditorView::Engine
{
public:
    QWebEngineView *view = nullptr;
    ConsolePage *page = nullptr;
    QWebChannel *channel = nullptr;
    int startScripts = 0;
    // Made at the first video export.
    PictureChannel *pictures = nullptr;

    void addScript(const QString &name, const QString &source)
    {
        QWebEngineScript script;
        script.setName(name);
        script.setSourceCode(source);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        script.setRunsOnSubFrames(false);
        page->scripts().insert(script);
    }
};

void EditorView::prepareProcess()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium writes its own diagnostics (GPU, sandbox, fonts) to standard
    // error, where they would mix into the exports' progress lines and the
    // coach's terminal; the page's console comes through consoleMessage.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level"))
        appendFlags(&flags, QByteArrayLiteral("--disable-logging --log-level=3"));
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // What Qt WebEngine finds of the machine at start (its GL, its init
    // parameters: some 25 lines at every start) is a note for its own
    // developers; a QT_LOGGING_RULES of the user's still brings it back.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

void EditorView::quietEngineMessages()
{
    if (!g_previousHandler)
        g_previousHandler = qInstallMessageHandler(dropEngineNotes);
}

QString EditorView::cannotStartReason()
{
    // Qt WebEngine turns the sandbox off for the variable's presence, empty or not.
    if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
        || qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"))
        return QString();
    return QStringLiteral("the page engine (Chromium) does not run as root with its sandbox on; "
                          "run the program as a user, or set QTWEBENGINE_DISABLE_SANDBOX=1 to run "
                          "it without the sandbox");
}

QString EditorView::engineName()
{
    return QStringLiteral("webengine");
}

QString EditorView::videoPictureForm()
{
    return QStringLiteral("jpeg");
}

EditorView::EditorView(QWidget *parent)
    : QObject(parent)
    , m_engine(std::make_unique<Engine>())
{
    m_engine->view = new QWebEngineView(parent);
    m_engine->page = new ConsolePage(this, m_engine->view);
    m_engine->view->setPage(m_engine->page);
    QWebEngineSettings *settings = m_engine->page->settings();
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    m_engine->view->setContextMenuPolicy(Qt::NoContextMenu);
    m_engine->view->setAcceptDrops(false);
    connect(m_engine->page, &QWebEnginePage::loadFinished, this, &EditorView::loadFinished);
    connect(m_engine->page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                emit pageProcessEnded(terminationText(status, exitCode));
            });
}

EditorView::~EditorView() = default;

QWidget *EditorView::widget() const
{
    return m_engine->view;
}

void EditorView::exposeObject(const QString &name, QObject *object)
{
    if (!m_engine->channel) {
        m_engine->channel = new QWebChannel(this);
        m_engine->page->setWebChannel(m_engine->channel);
        m_engine->addScript(QStringLiteral("drillmora-channel"),
                            channelLibrary() + QString::fromUtf8(kChannelBootstrap));
    }
    QObject *published = m_engine->channel->registeredObjects().value(name);
    auto *bridge = qobject_cast<ChannelBridge *>(published);
    if (published == object || (bridge && bridge->bridge() == object))
        return;
    if (published) {
        m_engine->channel->deregisterObject(published);
        if (bridge)
            bridge->deleteLater();
    }
    // The host's bridge takes the page's messages from the event loop.
    const QMetaObject *meta = object->metaObject();
    const bool isBridge = meta->indexOfSlot("receiveMessage(QVariantMap)") >= 0
                          && meta->indexOfSignal("sendMessage(QVariantMap)") >= 0;
    m_engine->channel->registerObject(name, isBridge ? new ChannelBridge(object, m_engine->channel) : object);
}

void EditorView::addStartScript(const QString &source)
{
    m_engine->addScript(QStringLiteral("drillmora-start-%1").arg(++m_engine->startScripts), source);
}

void EditorView::load(const QUrl &url)
{
    // WebKit clears the window object at every load; here objects are
    // exposed once, through the channel, whose script then waits in the page.
    emit windowObjectCleared();
    m_engine->view->load(url);
}

void EditorView::runScript(const QString &script, const ScriptResult &done)
{
    if (done)
        m_engine->page->runJavaScript(script, QWebEngineScript::MainWorld, done);
    else
        m_engine->page->runJavaScript(script, QWebEngineScript::MainWorld);
}

// The web channel spells every byte out as a number: the video's pictures
// come through a socket of their own.
QVariantMap EditorView::openPictureChannel(const QSize &size)
{
    if (!m_engine->pictures) {
        m_engine->pictures = new PictureChannel(this);
        // Handed on from the event loop, not inside the socket's own signal:
        // an export that ends there may ask or tell the coach in a message
        // box, whose event loop then ran the socket's reading again inside
        // itself, and Qt WebSockets 6.8 crashed on it.
        connect(m_engine->pictures, &PictureChannel::pictureReceived, this, &EditorView::pictureReceived,
                Qt::QueuedConnection);
        connect(m_engine->pictures, &PictureChannel::failed, this, &EditorView::pictureChannelFailed,
                Qt::QueuedConnection);
    }
    if (!m_engine->pictures->open(size))
        return QVariantMap();
    return {{QStringLiteral("pictureForm"), QStringLiteral("socket")},
            {QStringLiteral("pictureSocket"), m_engine->pictures->url()},
            {QStringLiteral("pictureToken"), m_engine->pictures->token()}};
}

void EditorView::closePictureChannel()
{
    if (m_engine->pictures)
        m_engine->pictures->close();
}
