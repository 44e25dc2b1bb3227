#include "mainWindow.h"

#include "CommandLine.h"
#include "EditorView.h"
#include "LicenseDialog.h"
#include "MessageMap.h"
#include "PageWatch.h"
#include "RecoveryStore.h"
#include "WindowPlacement.h"
#include "jsInterface.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QSplashScreen>
#include <QTimer>

Q_LOGGING_CATEGORY(startupLog, "drillmora.startup", QtWarningMsg)

mainWindow::mainWindow(QWidget *parent)
    : mainWindow(Presentation::Shown, parent)
{
}

mainWindow::mainWindow(Presentation presentation, QWidget *parent)
    : QWidget(parent)
    , m_lastUsedFolder(presentation == Presentation::Shown ? LastUsedFolder::Kept::BetweenRuns
                                                           : LastUsedFolder::Kept::InMemory)
    , m_presentation(presentation)
{
    if (presentation == Presentation::Shown)
        showSplash();
    setUpWindow();
    m_bridge = new jsInterface(this);
    createWebView();
    createExports();
    registerHandlers();
    connectSignals();
    if (m_splash)
        m_splash->showMessage(tr("Loading content..."), Qt::AlignLeft | Qt::AlignTop, Qt::black);
    startLoading();
    // Opened once the page is ready (processArguments); the reading and
    // decoding need not wait for that, on a second core.
    if (presentation == Presentation::Shown) {
        m_commandLineDrill.start(CommandLine::parse(QCoreApplication::arguments()).drillToOpen());
        m_recovery = std::make_unique<RecoveryStore>();
    }
    if (presentation == Presentation::Hidden) {
        // A hidden window is still shown to Qt, so its page is laid out at
        // the window's size exactly as the editor's is.
        setAttribute(Qt::WA_DontShowOnScreen);
    } else {
        // The place and state come back once the window holds its view:
        // under Qt 6 a window maximised before the WebEngine view went in
        // opened at its first size.
        WindowPlacement::restore(this);
    }
    show();
}

mainWindow::~mainWindow()
{
    // First, while every member is there: the view says its load has ended
    // as it goes.
    delete m_webView;
    // The splash is a top-level window of its own; it is normally gone by now.
    delete m_splash;
}

void mainWindow::showSplash()
{
    m_splash = new QSplashScreen(QPixmap(QStringLiteral(":/Resources/logos/playvane.png")),
                                 Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    m_splash->showMessage(tr("Initializing..."), Qt::AlignLeft | Qt::AlignTop, Qt::black);
    m_splash->show();
}

void mainWindow::setUpWindow()
{
    updateTitle();
    setWindowIcon(QIcon(QStringLiteral(":/Resources/icons/animator.ico")));
    setWindowFlags(Qt::Window);
    setWindowModality(Qt::ApplicationModal);
    setMinimumSize(650, 400);
    resize(782, 600);
    setAcceptDrops(true);
    // On the window, not the page: Qt tries shortcuts before the web view
    // sees the key, wherever the focus is.
    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
}

void mainWindow::createWebView()
{
    // No scroll bars, no reload or back entries, and drops go to the
    // window, which opens them.
    m_editorView = new EditorView(this);
    m_webView = m_editorView->widget();

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_webView);
}

void mainWindow::connectSignals()
{
    connect(m_bridge, &jsInterface::messageReceived, this, &mainWindow::processMessage);
    connect(m_editorView, &EditorView::windowObjectCleared, this, &mainWindow::addJSObject);
    connect(m_editorView, &EditorView::loadFinished, this, &mainWindow::onLoadFinished);
    connect(m_editorView, &EditorView::pageProcessEnded, this, &mainWindow::pageProcessEnded);
    // Pictures through the picture channel are the page at work as much as
    // those through the bridge.
    connect(m_editorView, &EditorView::pictureReceived, m_pageWatch, &PageWatch::pageAnswered);
}

// Chromium's renderer for the page is gone: the export or open waiting on
// it ends at once, and a fresh page takes back the drill the host last
// heard of, as unsaved as it was.
void mainWindow::pageProcessEnded(const QString &how)
{
    const QString reason = tr("The editor page's process ended (%1).").arg(how);
    m_pageWatch->pageProcessEnded(how);
    m_pageLoaded = false;
    m_pageAnswers = false;
    if (m_presentation == Presentation::Shown && !m_restore)
        m_restore = PageRestore{m_pageText, m_savedText, m_currentFile};
    startLoading();
    if (!m_opening.isEmpty()) {
        reportedInstead(reason);
        const QStringList opens = m_opening.keys();
        m_opening.clear();
        for (const QString &openId : opens)
            endOpen(openId, false);
    }
    if (m_presentation == Presentation::Shown)
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             tr("%1 Drillmora has started the editor again and put the drill back as it was.").arg(reason));
}

// After a fresh page's start, which took itself as a new drill: the drill
// as the host held it, under its file, compared with what was saved.
void mainWindow::restoreDrill()
{
    const PageRestore restore = std::move(*m_restore);
    m_restore.reset();
    const QString openId = sendDrill(MessageMap::nonNull(restore.held.text()), restore.file, m_nameFromPage);
    if (!waitForPage([&] { return !m_opening.contains(openId); }) || m_lastOpenEnded != openId || !m_lastOpenLoaded)
        return;
    m_savedText = restore.saved;
    setWindowModified(!m_pageText.isSameDrillAs(restore.saved));
    if (m_recovery && isWindowModified())
        m_recovery->keepNow(m_pageText.text(), m_currentFile);
}

// The page says it is ready ("pageReady") once its start function has set
// everything up, which an engine may do after the load has ended. A load
// that failed has no page to wait for; a first page that loaded but never
// says so (its start failed) is taken as ready after a while, as it always
// was, though not as one that answers.
void mainWindow::onLoadFinished(bool ok)
{
    qCDebug(startupLog) << "Editor page loaded:" << ok;
    qCDebug(startupLog) << "Licence text:" << LicenseDialog::licenseFilePath()
                        << (QFileInfo::exists(LicenseDialog::licenseFilePath()) ? "found" : "missing");
    if (!ok) {
        takePageAsReady(false, false);
        return;
    }
    if (!m_pageLoaded) {
        QTimer::singleShot(SilentPageMs, this, [this] {
            if (!m_pageLoaded)
                takePageAsReady(true, false);
        });
    }
}

// Later, from the event loop: not inside the page's start function, which
// is still on the stack when its message comes nested.
void mainWindow::pageReady()
{
    QTimer::singleShot(0, this, [this] { takePageAsReady(true, true); });
}

// Once per page load (a reload starts again). The splash is gone before a
// file named on the command line is opened (its errors are then in view).
void mainWindow::takePageAsReady(bool ok, bool answers)
{
    m_pageLoaded = true;
    m_pageAnswers = answers;
    emit pageLoaded(ok);
    if (m_presentation == Presentation::Hidden)
        return;
    if (m_splash) {
        m_splash->close();
        m_splash->deleteLater();
    }
    if (ok && m_restore)
        restoreDrill();
    else if (ok)
        processArguments();
}

bool mainWindow::reportedInstead(const QString &text)
{
    if (m_presentation != Presentation::Hidden)
        return false;
    emit problemReported(text);
    return true;
}

void mainWindow::startLoading()
{
    m_editorView->load(QUrl(QStringLiteral("qrc:/Resources/index.html")));
}

void mainWindow::addJSObject()
{
    m_editorView->exposeObject(QStringLiteral("cppInterface"), m_bridge);
}

// A drill named on the command line is still opened after a recovery,
// through the question about the recovered drill's changes.
void mainWindow::processArguments()
{
    startAnimation();
    const bool recovered = offerRecovery();
    const QString drill = m_commandLineDrill.path();
    if (!drill.isEmpty() && (!recovered || maybeSave()))
        openAnimation(drill);
}

void mainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void mainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    if (maybeSave())
        openAnimation(urls.first().toLocalFile());
}

void mainWindow::closeEvent(QCloseEvent *event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    if (m_presentation == Presentation::Shown)
        WindowPlacement::save(this);
    if (m_recovery)
        m_recovery->discard();
    event->accept();
}
