#include "mainWindow.h"

#include "AboutDialog.h"
#include "AnimationFile.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "EditorView.h"
#include "ExportProgress.h"
#include "FileErrorText.h"
#include "LicenseDialog.h"
#include "LogoImage.h"
#include "MessageBoxTitle.h"
#include "MessageMap.h"
#include "PageWatch.h"
#include "PictureChoice.h"
#include "PictureExport.h"
#include "RecoveryPrompt.h"
#include "RecoveryStore.h"
#include "ReportExport.h"
#include "SaveFileDialog.h"
#include "ShortLabelDialog.h"
#include "VideoExport.h"
#include "VideoOptionsDialog.h"
#include "WindowPlacement.h"
#include "jsInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QShortcut>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QTimer>

namespace {

const char kSportKey[] = "sport";
const char kAnimationSuffix[] = "anim";

// An empty answer must still reach the page as "" rather than null.
QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// A reason from the page is cut here too, so that no text can make a box
// wider or taller than the screen.
constexpr int MaxShownLength = 1000;

QString bounded(const QString &text)
{
    if (text.size() <= MaxShownLength)
        return text;
    int cut = MaxShownLength;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

// Text taken from a file, the file system or the page is shown as it
// stands. As rich text a file could make the box load any picture on the
// disk (or read /dev/zero) through an <img> tag.
void showPlainText(QMessageBox &box)
{
    box.setTextFormat(Qt::PlainText);
    if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
}

} // namespace

// How long the host waits for the page to say it is ready once loaded, or
// for an answer it needs before it goes on.
constexpr int kSilentPageMs = 10000;

Q_LOGGING_CATEGORY(startupLog, "drillmora.startup", QtWarningMsg)

mainWindow::mainWindow(QWidget *parent)
    : mainWindow(Presentation::Shown, parent)
{
}

mainWindow::mainWindow(Presentation presentation, QWidget *parent)
    : QWidget(parent)
    , m_presentation(presentation)
{
    if (presentation == Presentation::Shown)
        showSplash();
    const QStringList documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty())
        m_lastUsedFolder = documents.first();
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

// Each export's host work is a class of its own; they share the one
// progress dialog, so that one export runs at a time.
void mainWindow::createExports()
{
    m_exportProgress = new ExportProgress(m_webView, m_presentation == Presentation::Hidden);
    m_videoExport = new VideoExport(m_bridge, m_exportProgress, m_editorView, this);
    m_reportExport = new ReportExport(m_bridge, m_exportProgress, this);
    m_pictureExport = new PictureExport(m_bridge, this);
    connect(m_videoExport, &VideoExport::finished, this, &mainWindow::videoExportFinished);
    connect(m_reportExport, &ReportExport::finished, this, &mainWindow::exportFinished);
    connect(m_reportExport, &ReportExport::notice, this, &mainWindow::exportNotice);
    connect(m_reportExport, &ReportExport::failed, this, [this](const QString &reason) {
        showInformation(m_webView, tr("error"), reason);
    });
    connect(m_pictureExport, &PictureExport::finished, this, &mainWindow::pictureExportFinished);
    m_pageWatch = new PageWatch(this);
    connect(m_pageWatch, &PageWatch::exportStalled, this, &mainWindow::abortExport);
    connect(this, &mainWindow::exportFinished, m_pageWatch, &PageWatch::exportEnded);
}

// Only one export runs at a time; the others ignore this.
void mainWindow::abortExport(const QString &reason)
{
    m_videoExport->abort(reason);
    m_reportExport->abort(reason);
    m_pictureExport->abort(reason);
}

void mainWindow::registerHandlers()
{
    m_handlers.insert(QStringLiteral("promptForFrameLabel"), [this](const QVariantMap &m) {
        promptForFrameLabel(MessageMap::text(m, "displayMessage"), MessageMap::text(m, "defaultText"));
    });
    m_handlers.insert(QStringLiteral("promptForItemLabel"), [this](const QVariantMap &m) {
        promptForItemLabel(MessageMap::text(m, "displayMessage"), MessageMap::text(m, "defaultText"),
                           MessageMap::text(m, "id"));
    });
    m_handlers.insert(QStringLiteral("promptForItemShortLabel"), [this](const QVariantMap &m) {
        promptForItemShortLabel(MessageMap::text(m, "displayMessage"), MessageMap::text(m, "defaultText"),
                                MessageMap::text(m, "id"));
    });
    m_handlers.insert(QStringLiteral("promptForDrawingNote"), [this](const QVariantMap &m) {
        promptForDrawingNote(MessageMap::text(m, "displayMessage"), MessageMap::text(m, "defaultText"));
    });
    m_handlers.insert(QStringLiteral("openAnimation"), [this](const QVariantMap &) {
        if (maybeSave())
            openAnimation(QString());
    });
    m_handlers.insert(QStringLiteral("newAnimation"), [this](const QVariantMap &) {
        if (maybeSave())
            sendToPage(QStringLiteral("newAnimationResponse"));
    });
    m_handlers.insert(QStringLiteral("pageReady"), [this](const QVariantMap &) {
        pageReady();
    });
    m_handlers.insert(QStringLiteral("animationText"), [this](const QVariantMap &m) {
        animationText(m);
    });
    m_handlers.insert(QStringLiteral("animationReset"), [this](const QVariantMap &m) {
        animationReset(m);
    });
    m_handlers.insert(QStringLiteral("animationChanged"), [this](const QVariantMap &m) {
        animationChanged(m);
    });
    m_handlers.insert(QStringLiteral("errorOpeningFile"), [this](const QVariantMap &m) {
        errorOpeningFile(MessageMap::text(m, "errorInfo"), MessageMap::text(m, "openId"));
    });
    m_handlers.insert(QStringLiteral("errorSavingFile"), [this](const QVariantMap &m) {
        showErrorSavingFile(MessageMap::text(m, "errorInfo"));
    });
    m_handlers.insert(QStringLiteral("drillLimitReached"), [this](const QVariantMap &m) {
        showPageReport(tr("Nothing was added to the drill."), MessageMap::text(m, "errorInfo"));
    });
    m_handlers.insert(QStringLiteral("saveAnimation"), [this](const QVariantMap &m) {
        saveAnimation(DrillText::fromMessage(m), MessageMap::flag(m, "toCurrentFile"));
    });
    m_handlers.insert(QStringLiteral("sportChanged"), [this](const QVariantMap &m) {
        rememberSport(MessageMap::text(m, "sport"));
    });
    m_handlers.insert(QStringLiteral("snapshotImage"), [this](const QVariantMap &m) {
        snapshotImage(m);
    });
    m_handlers.insert(QStringLiteral("showAboutInfo"), [this](const QVariantMap &) {
        showAboutInfo();
    });
    m_handlers.insert(QStringLiteral("selectLogo"), [this](const QVariantMap &) {
        selectLogo();
    });
    m_handlers.insert(QStringLiteral("exportVideo"), [this](const QVariantMap &) {
        exportVideo();
    });
    m_handlers.insert(QStringLiteral("writeVideoFrame"), [this](const QVariantMap &m) {
        writeVideoFrame(m);
    });
    m_handlers.insert(QStringLiteral("writePictureData"), [this](const QVariantMap &m) {
        writePictureData(m);
    });
    m_handlers.insert(QStringLiteral("exportPdf"), [this](const QVariantMap &) {
        exportPdf();
    });
    m_handlers.insert(QStringLiteral("updatePdfProgress"), [this](const QVariantMap &m) {
        updatePdfProgress(MessageMap::number(m, "progressPercent"));
    });
    m_handlers.insert(QStringLiteral("writePdfData"), [this](const QVariantMap &m) {
        writePdfData(MessageMap::text(m, "pdfData"), MessageMap::text(m, "errorInfo"), MessageMap::text(m, "leftOut"));
    });
    m_handlers.insert(QStringLiteral("pageError"), [this](const QVariantMap &m) {
        m_pageWatch->pageFailed(MessageMap::text(m, "errorInfo"));
    });
}

// A message box with no icon, parented to the window, run modally.
void mainWindow::showMessage(const QString &title, const QString &text, const QString &informativeText)
{
    if (reportedInstead(informativeText.isEmpty() ? text : text + QLatin1Char(' ') + informativeText))
        return;
    QMessageBox box(QMessageBox::NoIcon, title, bounded(text), QMessageBox::Ok, this);
    box.setInformativeText(bounded(informativeText));
    showPlainText(box);
    MessageBoxTitle::fit(box);
    box.exec();
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
    const QString openId = sendDrill(nonNull(restore.held.text()), restore.file);
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
        QTimer::singleShot(kSilentPageMs, this, [this] {
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

void mainWindow::processMessage(QVariantMap message)
{
    const QVariant type = message.value(QStringLiteral("msgType"));
    if (type.userType() != QMetaType::QString)
        return;
    const auto handler = m_handlers.constFind(type.toString());
    if (handler != m_handlers.constEnd())
        (*handler)(message);
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

// Newest first. Recover ends the offers: the rest wait for the next start,
// as they all do when the program is ended while it asks.
bool mainWindow::offerRecovery()
{
    if (!m_recovery)
        return false;
    for (const QString &copy : m_recovery->claimOrphans()) {
        RecoveredDrill drill;
        if (!RecoveryStore::read(copy, &drill))
            continue;
        const RecoveryPrompt::Answer answer = RecoveryPrompt::askToRecover(this, drill);
        if (answer == RecoveryPrompt::Answer::Unanswered)
            break;
        if (answer == RecoveryPrompt::Answer::Discard) {
            m_recovery->removeClaimed(copy);
            continue;
        }
        if (recoverDrill(drill)) {
            m_recovery->removeClaimed(copy);
            m_recovery->releaseClaims();
            return true;
        }
    }
    m_recovery->releaseClaims();
    return false;
}

// On the page as it was: unsaved, under its old name, saved to its old file.
// A copy the page refuses is reported by the page, and kept.
bool mainWindow::recoverDrill(const RecoveredDrill &drill)
{
    const QString openId = sendDrill(nonNull(drill.text), drill.file);
    if (!waitForPage([&] { return !m_opening.contains(openId); }) || m_lastOpenEnded != openId || !m_lastOpenLoaded)
        return false;
    // Nothing the page sends matches an empty text: unsaved until saved.
    m_savedText = DrillText();
    setWindowModified(true);
    m_recovery->keepNow(drill.text, drill.file);
    return true;
}

// The page starts with the sport the coach used last; a file named on the
// command line, opened right after this, brings its own.
void mainWindow::startAnimation()
{
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("startAnimation"));
    message.insert(QStringLiteral("sport"), QSettings().value(QLatin1String(kSportKey)).toString());
    m_bridge->send(message);
}

void mainWindow::rememberSport(const QString &sport)
{
    static const QStringList sports = {QStringLiteral("gaa"), QStringLiteral("soccer"), QStringLiteral("rugby")};
    if (sports.contains(sport))
        QSettings().setValue(QLatin1String(kSportKey), sport);
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

// The page tells of every change as it records it ("animationChanged"), so
// the host holds the drill as last heard of. A change still on its way, or
// one the page's display holds but has not recorded yet (an item pressed
// and moved but not let go), is caught by asking as well: the answer comes
// after every message the page sent before it. A page that does not answer
// (it failed to load, or hangs) leaves the host with what it heard last; one
// that never said anything has nothing to lose.
DrillText mainWindow::pageAnimationText()
{
    if (!m_pageAnswers)
        return m_pageText;
    const int asked = ++m_textRequests;
    m_pageSaveProblem.clear();
    sendToPage(QStringLiteral("requestAnimationText"));
    waitForPage([&] { return m_textAnswers >= asked; });
    return m_pageText;
}

// Under QtWebKit the page has answered inside the send; otherwise its answer
// comes through the event loop, run here without the coach's input so that
// nothing else is begun meanwhile. Bounded: a page that never answers costs
// the wait once.
bool mainWindow::waitForPage(const std::function<bool()> &answered)
{
    if (answered())
        return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // After processMessage, which was connected first.
    connect(m_bridge, &jsInterface::messageReceived, &loop, [&] {
        if (answered())
            loop.quit();
    });
    limit.start(kSilentPageMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return answered();
}

void mainWindow::animationText(const QVariantMap &message)
{
    m_pageText = DrillText::fromMessage(message);
    m_pageSaveProblem = MessageMap::text(message, "saveProblem");
    ++m_textAnswers;
}

void mainWindow::animationChanged(const QVariantMap &message)
{
    m_pageText = DrillText::fromMessage(message);
    setWindowModified(!m_pageText.isSameDrillAs(m_savedText));
    if (m_recovery)
        m_recovery->drillChanged(m_pageText.text(), m_currentFile, isWindowModified());
}

// A drill the page has started afresh with: a new one, or one the host sent
// it (`openId` says which open; the page says "sameAsOpened" when its text
// is that file's, to the character).
void mainWindow::animationReset(const QVariantMap &message)
{
    const QString openId = MessageMap::text(message, "openId");
    // A page started again after its process ended: its empty drill is not
    // the coach's, who is to get theirs back.
    if (m_restore && openId.isEmpty())
        return;
    const PendingOpen open = m_opening.take(openId);
    const DrillText text = MessageMap::flag(message, "sameAsOpened") && !open.text.isNull()
                               ? DrillText::fromMessage(message, open.text)
                               : DrillText::fromMessage(message);
    m_pageText = text;
    takeAsSaved(text, open.file);
    if (!openId.isEmpty())
        endOpen(openId, true);
}

void mainWindow::errorOpeningFile(const QString &errorInfo, const QString &openId)
{
    const PendingOpen open = m_opening.take(openId);
    showErrorOpeningFile(errorInfo, open.file);
    if (!openId.isEmpty())
        endOpen(openId, false);
}

void mainWindow::endOpen(const QString &openId, bool loaded)
{
    m_lastOpenEnded = openId;
    m_lastOpenLoaded = loaded;
    emit openEnded(loaded);
}

// A hidden window only exports: it has no coach to ask, and nothing of
// theirs to lose.
bool mainWindow::maybeSave()
{
    if (m_presentation == Presentation::Hidden)
        return true;
    const DrillText text = pageAnimationText();
    if (text.isSameDrillAs(m_savedText))
        return true;
    const auto answer = QMessageBox::warning(this, QCoreApplication::applicationName(),
                                             tr("Save changes to the drill?"),
                                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                             QMessageBox::Save);
    if (answer != QMessageBox::Save)
        return answer == QMessageBox::Discard;
    if (!m_pageSaveProblem.isEmpty()) {
        showErrorSavingFile(m_pageSaveProblem);
        return false;
    }
    return saveAnimation(text, true);
}

void mainWindow::takeAsSaved(const DrillText &text, const QString &file)
{
    m_savedText = text;
    m_currentFile = file;
    setWindowModified(false);
    updateTitle();
    if (m_recovery)
        m_recovery->discard();
}

// "drill.anim[*] — Drillmora": Qt shows the [*] as "*" while modified.
void mainWindow::updateTitle()
{
    const QString app = QCoreApplication::applicationName();
    if (m_currentFile.isEmpty())
        setWindowTitle(app + QStringLiteral("[*]"));
    else
        setWindowTitle(QFileInfo(m_currentFile).fileName() + QStringLiteral("[*] \u2014 ") + app);
}

QString mainWindow::drillName() const
{
    return QFileInfo(m_currentFile).completeBaseName();
}

void mainWindow::rememberFolderOf(const QString &filePath)
{
    m_lastUsedFolder = QFileInfo(filePath).absolutePath();
}

QString mainWindow::inLastFolder(const QString &name) const
{
    return QFileInfo(name).isAbsolute() ? name : m_lastUsedFolder + QLatin1Char('/') + name;
}

QString mainWindow::chooseSaveFile(const QString &title, const QString &proposedName, const QString &filter,
                                   const QString &defaultSuffix)
{
    const QString proposed = inLastFolder(proposedName);
    // The dialog adds the extension before it asks about replacing a file,
    // so "drill" cannot silently overwrite "drill.anim".
    SaveFileDialog dialog(m_webView, title, proposed, filter, defaultSuffix);
    const QString fileName = dialog.choose();
    if (!fileName.isEmpty())
        rememberFolderOf(fileName);
    return fileName;
}

void mainWindow::replyToPage(const QString &msgType, const QString &text, const QString &id)
{
    QVariantMap reply;
    reply.insert(QStringLiteral("msgType"), msgType);
    reply.insert(QStringLiteral("text"), nonNull(text));
    if (!id.isNull())
        reply.insert(QStringLiteral("id"), id);
    m_bridge->send(reply);
}

void mainWindow::openAnimation(const QString &path)
{
    QString fileName = path;
    if (fileName.isEmpty()) {
        fileName = QFileDialog::getOpenFileName(m_webView, tr("Open Animation"), m_lastUsedFolder,
                                                tr("Animation Files (*.anim);;All Files (*.*)"));
        if (fileName.isEmpty())
            return;
    }
    rememberFolderOf(fileName);

    QString line;
    QString error;
    bool read = false;
    if (!m_commandLineDrill.take(fileName, &read, &line, &error))
        read = AnimationFile::readFirstLine(fileName, &line, &error);
    if (!read) {
        if (!reportedInstead(error))
            showFileError(FileErrorText::notOpened(fileName), error);
        emit openEnded(false);
        return;
    }
    sendDrill(nonNull(line), QFileInfo(fileName).absoluteFilePath());
}

// A page that loads the drill answers "animationReset", one that refuses it
// "errorOpeningFile" (and keeps its drill, the host its saved text); either
// names the open by `openId`, now or later.
QString mainWindow::sendDrill(const QString &text, const QString &file)
{
    const QString openId = QString::number(++m_opens);
    m_opening.insert(openId, PendingOpen{file, text});
    QVariantMap response;
    response.insert(QStringLiteral("msgType"), QStringLiteral("openAnimationResponse"));
    response.insert(QStringLiteral("json"), text);
    response.insert(QStringLiteral("openId"), openId);
    m_bridge->send(response);
    return openId;
}

bool mainWindow::saveAnimation(const DrillText &text, bool toCurrentFile)
{
    QString fileName = toCurrentFile ? m_currentFile : QString();
    if (fileName.isEmpty()) {
        fileName = chooseSaveFile(tr("Save Animation"),
                                  m_currentFile.isEmpty() ? QStringLiteral("untitled.anim") : m_currentFile,
                                  tr("Animation Files (*.anim)"), QLatin1String(kAnimationSuffix));
        if (fileName.isEmpty())
            return false;
    }

    QString error;
    if (!AnimationFile::write(fileName, text.text(), &error)) {
        showInformation(m_webView, tr("error"), error);
        return false;
    }
    takeAsSaved(text, QFileInfo(fileName).absoluteFilePath());
    return true;
}

void mainWindow::showInformation(QWidget *parent, const QString &title, const QString &text)
{
    if (reportedInstead(title + QStringLiteral(": ") + text))
        return;
    QMessageBox box(QMessageBox::Information, title, bounded(text), QMessageBox::Ok, parent);
    showPlainText(box);
    MessageBoxTitle::fit(box);
    box.exec();
}

// The page says what is wrong with the text; the host knows which file it
// was opening, if any (a text the page loads of its own accord has none).
void mainWindow::showErrorOpeningFile(const QString &errorInfo, const QString &file)
{
    const QString title = tr("Error Opening Animation File");
    if (file.isEmpty())
        showPageReport(title, errorInfo);
    else if (!reportedInstead(title + QStringLiteral(": ") + errorInfo))
        showFileError(FileErrorText::refused(file, errorInfo), errorInfo);
}

void mainWindow::showFileError(const QString &text, const QString &detail)
{
    QMessageBox box(QMessageBox::Information, tr("Error Opening Animation File"), text, QMessageBox::Ok, this);
    box.setInformativeText(bounded(detail));
    showPlainText(box);
    MessageBoxTitle::fit(box);
    box.exec();
}

void mainWindow::showErrorSavingFile(const QString &errorInfo)
{
    showPageReport(tr("Error Saving Animation File"), errorInfo);
}

void mainWindow::showPageReport(const QString &text, const QString &errorInfo)
{
    if (reportedInstead(text + QStringLiteral(": ") + errorInfo))
        return;
    QMessageBox box(this);
    box.setText(text);
    box.setInformativeText(bounded(errorInfo));
    showPlainText(box);
    box.exec();
}

void mainWindow::promptForFrameLabel(const QString &label, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_webView, tr("Enter Text"), label, QLineEdit::Normal,
                                               defaultText, &ok);
    if (ok)
        replyToPage(QStringLiteral("frameLabelResponse"), text);
}

void mainWindow::promptForItemLabel(const QString &label, const QString &defaultText, const QString &id)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_webView, tr("Enter Label"), label, QLineEdit::Normal,
                                               defaultText, &ok);
    if (ok)
        replyToPage(QStringLiteral("itemLabelResponse"), text, nonNull(id));
}

void mainWindow::promptForItemShortLabel(const QString &label, const QString &defaultText, const QString &id)
{
    bool ok = false;
    const QString text = ShortLabelDialog::getText(m_webView, tr("Enter Label"), label, QLineEdit::Normal,
                                                   defaultText, &ok);
    if (ok)
        replyToPage(QStringLiteral("itemShortLabelResponse"), text, nonNull(id));
}

void mainWindow::promptForDrawingNote(const QString &label, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getMultiLineText(m_webView, tr("Enter Note"), label, defaultText, &ok);
    if (ok)
        replyToPage(QStringLiteral("drawingNoteResponse"), text);
}

void mainWindow::showAboutInfo()
{
    if (m_aboutDialog)
        m_aboutDialog->deleteLater();
    m_aboutDialog = new AboutDialog(this);
    m_aboutDialog->show();
}

void mainWindow::selectLogo()
{
    const QString fileName = QFileDialog::getOpenFileName(
        m_webView, tr("Open Logo Image"), m_lastUsedFolder,
        tr("Image Files (*.png *.jpg *.jpeg);;All Files (*.*)"));
    if (fileName.isEmpty())
        return;
    rememberFolderOf(fileName);

    const QImage logo = LogoImage::fromFile(fileName);
    if (logo.isNull()) {
        showMessage(tr("Error Opening File"), tr("Unable to open the specified image file."));
        return;
    }
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("setLogoImage"));
    message.insert(QStringLiteral("image"), LogoImage::toDataUrl(logo));
    m_bridge->send(message);
}

void mainWindow::snapshotImage(const QVariantMap &message)
{
    const QString problem = MessageMap::text(message, "errorInfo");
    if (!problem.isEmpty()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."), problem);
        return;
    }
    const QImage picture = BoundedImageReader::readDataUrl(MessageMap::text(message, "imageData"), "JPEG");
    if (picture.isNull()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."),
                    tr("The picture of the frame could not be read."));
        return;
    }
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->setImage(picture, QClipboard::Clipboard);
    const QMimeData *held = clipboard->mimeData(QClipboard::Clipboard);
    if (!held || !held->hasImage()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."),
                    tr("The clipboard did not take the picture."));
        return;
    }
    if (reportedInstead(tr("Snapshot copied to the clipboard.")))
        return;
    // Saved once the page's snapshot has ended: the file is drawn by the
    // same picture maker, which is still delivering this one.
    if (PictureChoice::savingAfterCopy(this))
        QMetaObject::invokeMethod(this, &mainWindow::savePicture, Qt::QueuedConnection);
}

void mainWindow::savePicture()
{
    const QString name = drillName();
    QString path;
    int width = 0;
    if (!PictureChoice::ask(m_webView, inLastFolder(name.isEmpty() ? QStringLiteral("picture.png") : name + QStringLiteral(".png")),
                            &path, &width))
        return;
    rememberFolderOf(path);
    startPictureExport(path, 0, width, true);
}

void mainWindow::sendToPage(const QString &msgType)
{
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), msgType);
    m_bridge->send(message);
}

void mainWindow::exportVideo()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Video"),
                                            name.isEmpty() ? QStringLiteral("animation.mp4") : name + QStringLiteral(".mp4"),
                                            tr("MP4 Video Files (*.mp4)"), QStringLiteral("mp4"));
    if (fileName.isEmpty())
        return;
    VideoOptions options = VideoOptions::remembered();
    if (!VideoOptionsDialog::ask(m_webView, &options))
        return;
    options.remember();
    exportVideoTo(fileName, options);
}

void mainWindow::exportVideoTo(const QString &path, const VideoOptions &options)
{
    m_reportExport->end();
    m_pageWatch->exportStarted();
    m_videoExport->start(path, options, drillName());
}

void mainWindow::writeVideoFrame(const QVariantMap &message)
{
    m_pageWatch->pageAnswered();
    m_videoExport->writeFrame(message);
}

void mainWindow::videoExportFinished(const QString &error)
{
    emit exportFinished(error);
    if (!error.isEmpty() && !reportedInstead(error))
        QMessageBox::warning(this, tr("Error Exporting Video"), error);
}

void mainWindow::exportPdf()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Report"),
                                            name.isEmpty() ? QStringLiteral("Report.pdf") : tr("%1 report.pdf").arg(name),
                                            tr("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (!fileName.isEmpty())
        exportPdfTo(fileName);
}

void mainWindow::exportPdfTo(const QString &path)
{
    m_videoExport->end();
    m_pageWatch->exportStarted();
    m_reportExport->start(path, m_currentFile);
}

void mainWindow::updatePdfProgress(int percent)
{
    m_pageWatch->pageAnswered();
    m_reportExport->updateProgress(percent);
}

void mainWindow::writePdfData(const QString &pdfData, const QString &errorInfo, const QString &leftOut)
{
    m_pageWatch->pageAnswered();
    m_reportExport->writeData(pdfData, errorInfo, leftOut);
}

void mainWindow::exportPictureTo(const QString &path, int frame, int width)
{
    startPictureExport(path, frame, width, false);
}

void mainWindow::startPictureExport(const QString &path, int frame, int width, bool shown)
{
    m_pageWatch->exportStarted();
    m_pictureExport->start(path, frame, width, shown);
}

void mainWindow::writePictureData(const QVariantMap &message)
{
    m_pageWatch->pageAnswered();
    m_pictureExport->writeData(message);
}

void mainWindow::pictureExportFinished(const QString &error, bool shown)
{
    emit exportFinished(error);
    if (shown && !error.isEmpty() && !reportedInstead(error))
        QMessageBox::warning(this, tr("Error Saving Picture"), error);
}
