#include "mainWindow.h"

#include "AboutDialog.h"
#include "AnimationFile.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "EditorView.h"
#include "FileErrorText.h"
#include "LicenseDialog.h"
#include "LogoImage.h"
#include "MessageBoxTitle.h"
#include "PictureFile.h"
#include "RecoveryPrompt.h"
#include "RecoveryStore.h"
#include "ReportFile.h"
#include "ReportHeading.h"
#include "PictureChoice.h"
#include "SaveFileDialog.h"
#include "Mp4Encoder.h"
#include "ShortLabelDialog.h"
#include "StagedFile.h"
#include "VideoOptionsDialog.h"
#include "VideoPicture.h"
#include "WindowPlacement.h"
#include "jsInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSettings>
#include <QShortcut>
#include <QSplashScreen>
#include <QStandardPaths>

namespace {

const char kSportKey[] = "sport";
const char kAnimationSuffix[] = "anim";

QString textOf(const QVariantMap &message, const char *key)
{
    return message.value(QLatin1String(key)).toString();
}

int numberOf(const QVariantMap &message, const char *key)
{
    return message.value(QLatin1String(key)).toInt();
}

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
    // A hidden window is still shown to Qt, so its page is laid out at the
    // window's size exactly as the editor's is.
    if (presentation == Presentation::Hidden)
        setAttribute(Qt::WA_DontShowOnScreen);
    show();
}

mainWindow::~mainWindow()
{
    // A video still being written is dropped, and the file it was to
    // replace stays as it was.
    m_encoder.reset();
    m_videoFile.reset();
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
    if (m_presentation == Presentation::Shown)
        WindowPlacement::restore(this);
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

void mainWindow::registerHandlers()
{
    m_handlers.insert(QStringLiteral("promptForFrameLabel"), [this](const QVariantMap &m) {
        promptForFrameLabel(textOf(m, "displayMessage"), textOf(m, "defaultText"));
    });
    m_handlers.insert(QStringLiteral("promptForItemLabel"), [this](const QVariantMap &m) {
        promptForItemLabel(textOf(m, "displayMessage"), textOf(m, "defaultText"), textOf(m, "id"));
    });
    m_handlers.insert(QStringLiteral("promptForItemShortLabel"), [this](const QVariantMap &m) {
        promptForItemShortLabel(textOf(m, "displayMessage"), textOf(m, "defaultText"), textOf(m, "id"));
    });
    m_handlers.insert(QStringLiteral("promptForDrawingNote"), [this](const QVariantMap &m) {
        promptForDrawingNote(textOf(m, "displayMessage"), textOf(m, "defaultText"));
    });
    m_handlers.insert(QStringLiteral("openAnimation"), [this](const QVariantMap &) {
        if (maybeSave())
            openAnimation(QString());
    });
    m_handlers.insert(QStringLiteral("newAnimation"), [this](const QVariantMap &) {
        if (maybeSave())
            sendToPage(QStringLiteral("newAnimationResponse"));
    });
    m_handlers.insert(QStringLiteral("animationText"), [this](const QVariantMap &m) {
        m_pageText = DrillText::fromMessage(m);
        m_pageSaveProblem = textOf(m, "saveProblem");
        m_pageAnswered = true;
    });
    m_handlers.insert(QStringLiteral("animationReset"), [this](const QVariantMap &m) {
        m_pageTookDrill = true;
        takeAsSaved(m.value(QStringLiteral("sameAsOpened")).toBool() && !m_openingText.isNull()
                        ? DrillText::fromMessage(m, m_openingText)
                        : DrillText::fromMessage(m),
                    m_openingFile);
    });
    m_handlers.insert(QStringLiteral("animationChanged"), [this](const QVariantMap &m) {
        const DrillText text = DrillText::fromMessage(m);
        setWindowModified(!text.isSameDrillAs(m_savedText));
        if (m_recovery)
            m_recovery->drillChanged(text.text(), m_currentFile, isWindowModified());
    });
    m_handlers.insert(QStringLiteral("errorOpeningFile"), [this](const QVariantMap &m) {
        showErrorOpeningFile(textOf(m, "errorInfo"));
    });
    m_handlers.insert(QStringLiteral("errorSavingFile"), [this](const QVariantMap &m) {
        showErrorSavingFile(textOf(m, "errorInfo"));
    });
    m_handlers.insert(QStringLiteral("drillLimitReached"), [this](const QVariantMap &m) {
        showPageReport(tr("Nothing was added to the drill."), textOf(m, "errorInfo"));
    });
    m_handlers.insert(QStringLiteral("saveAnimation"), [this](const QVariantMap &m) {
        saveAnimation(DrillText::fromMessage(m), m.value(QStringLiteral("toCurrentFile")).toBool());
    });
    m_handlers.insert(QStringLiteral("sportChanged"), [this](const QVariantMap &m) {
        rememberSport(textOf(m, "sport"));
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
        updatePdfProgress(m.value(QStringLiteral("progressPercent")).toInt());
    });
    m_handlers.insert(QStringLiteral("writePdfData"), [this](const QVariantMap &m) {
        writePdfData(textOf(m, "pdfData"), textOf(m, "errorInfo"));
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
    if (m_presentation == Presentation::Hidden)
        return;
    // Connections fire in the order made: the splash is gone before a file
    // named on the command line is opened (its errors are then in view).
    connect(m_editorView, &EditorView::loadFinished, m_splash.data(), &QWidget::close);
    connect(m_editorView, &EditorView::loadFinished, m_splash.data(), &QObject::deleteLater);
    connect(m_editorView, &EditorView::loadFinished, this, &mainWindow::processArguments);
}

void mainWindow::onLoadFinished(bool ok)
{
    qCDebug(startupLog) << "Editor page loaded:" << ok;
    qCDebug(startupLog) << "Licence text:" << LicenseDialog::licenseFilePath()
                        << (QFileInfo::exists(LicenseDialog::licenseFilePath()) ? "found" : "missing");
    m_pageLoaded = true;
    emit pageLoaded(ok);
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

// Newest first. Recover ends the offers: the rest wait for the next start.
bool mainWindow::offerRecovery()
{
    if (!m_recovery)
        return false;
    for (const QString &copy : m_recovery->claimOrphans()) {
        RecoveredDrill drill;
        if (!RecoveryStore::read(copy, &drill))
            continue;
        const bool recover = RecoveryPrompt::askToRecover(this, drill);
        if (recover && recoverDrill(drill)) {
            m_recovery->removeClaimed(copy);
            m_recovery->releaseClaims();
            return true;
        }
        if (!recover)
            m_recovery->removeClaimed(copy);
    }
    m_recovery->releaseClaims();
    return false;
}

// On the page as it was: unsaved, under its old name, saved to its old file.
// A copy the page refuses is reported by the page, and kept.
bool mainWindow::recoverDrill(const RecoveredDrill &drill)
{
    QVariantMap response;
    response.insert(QStringLiteral("msgType"), QStringLiteral("openAnimationResponse"));
    response.insert(QStringLiteral("json"), nonNull(drill.text));
    m_pageTookDrill = false;
    m_openingFile = drill.file;
    m_openingText = nonNull(drill.text);
    emit m_bridge->sendMessage(response);
    m_openingFile.clear();
    m_openingText.clear();
    if (!m_pageTookDrill)
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
    emit m_bridge->sendMessage(message);
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

// The page answers inside the emit. A page that does not answer (it failed
// to load) has nothing to lose, and gets the saved text back.
DrillText mainWindow::pageAnimationText()
{
    m_pageAnswered = false;
    sendToPage(QStringLiteral("requestAnimationText"));
    return m_pageAnswered ? m_pageText : m_savedText;
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
    emit m_bridge->sendMessage(reply);
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
        if (reportedInstead(error))
            return;
        showFileError(FileErrorText::notOpened(fileName), error);
        return;
    }
    QVariantMap response;
    response.insert(QStringLiteral("msgType"), QStringLiteral("openAnimationResponse"));
    response.insert(QStringLiteral("json"), nonNull(line));
    // A page that loads the file answers "animationReset" inside the emit,
    // saying "sameAsOpened" when its text is the file's, to the character;
    // one that refuses it keeps its drill, and the host its saved text.
    m_openingFile = QFileInfo(fileName).absoluteFilePath();
    m_openingText = nonNull(line);
    emit m_bridge->sendMessage(response);
    m_openingFile.clear();
    m_openingText.clear();
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
void mainWindow::showErrorOpeningFile(const QString &errorInfo)
{
    const QString title = tr("Error Opening Animation File");
    if (m_openingFile.isEmpty())
        showPageReport(title, errorInfo);
    else if (!reportedInstead(title + QStringLiteral(": ") + errorInfo))
        showFileError(FileErrorText::refused(m_openingFile, errorInfo), errorInfo);
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
    emit m_bridge->sendMessage(message);
}

void mainWindow::snapshotImage(const QVariantMap &message)
{
    const QString problem = textOf(message, "errorInfo");
    if (!problem.isEmpty()) {
        showMessage(QString(), tr("The snapshot could not be copied to the clipboard."), problem);
        return;
    }
    const QImage picture = BoundedImageReader::readDataUrl(textOf(message, "imageData"), "JPEG");
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
    emit m_bridge->sendMessage(message);
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
    startVideoExport(fileName, options);
}

void mainWindow::exportVideoTo(const QString &path, const VideoOptions &options)
{
    startVideoExport(path, options);
}

// The page draws at the size and rate asked for and says them again in each
// picture's message, which the encoder then follows.
void mainWindow::startVideoExport(const QString &path, const VideoOptions &options)
{
    // An export the page abandoned keeps what it had written, as on Cancel.
    endVideoExport();
    endPdfExport();
    m_videoOutputPath = path;
    QVariantMap request;
    request.insert(QStringLiteral("msgType"), QStringLiteral("exportVideoResponse"));
    request.insert(QStringLiteral("frameWidth"), QString::number(options.size.width()));
    request.insert(QStringLiteral("frameRate"), QString::number(options.frameRate));
    emit m_bridge->sendMessage(request);
    startExportProgress(tr("Encoding video..."));
}

// One export runs at a time, marked by this dialog: it is window-modal, so
// while it is up the coach can neither edit nor start another export. The
// page's first picture arrives asynchronously, after the dialog is there.
void mainWindow::startExportProgress(const QString &label)
{
    delete m_progressDialog;
    m_progressDialog = new QProgressDialog(label, tr("Cancel"), 0, 100, m_webView);
    // A dialog is a window of its own: a hidden window's stays off screen too.
    if (m_presentation == Presentation::Hidden)
        m_progressDialog->setAttribute(Qt::WA_DontShowOnScreen);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    m_progressDialog->setMinimumDuration(500);
    m_progressDialog->setValue(0);
    m_progressDialog->show();
}

// Not QProgressDialog::setValue: on a window-modal dialog that runs the event
// loop, where the page's next message could be handled inside this one and end
// the export (deleting the dialog under setValue) or write its picture before
// the one still being handled.
void mainWindow::setExportProgress(int percent)
{
    if (auto bar = m_progressDialog->findChild<QProgressBar *>())
        bar->setValue(percent);
}

void mainWindow::exportPdf()
{
    const QString name = drillName();
    const QString fileName = chooseSaveFile(tr("Save Report"),
                                            name.isEmpty() ? QStringLiteral("Report.pdf") : tr("%1 report.pdf").arg(name),
                                            tr("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (!fileName.isEmpty())
        startPdfExport(fileName);
}

void mainWindow::exportPdfTo(const QString &path)
{
    startPdfExport(path);
}

// The progress dialog comes first: it marks the running export, and a page
// that cannot build the report answers at once, inside the request. A file
// that cannot be written is known before the page spends time on a report.
void mainWindow::startPdfExport(const QString &path)
{
    endVideoExport();
    QString error;
    if (!ReportFile::canWrite(path, &error)) {
        failPdfExport(path, error);
        return;
    }
    m_pdfOutputPath = path;
    startExportProgress(tr("Generating PDF report..."));
    connect(m_progressDialog, &QProgressDialog::canceled, this, &mainWindow::cancelPdfExport);
    QVariantMap request;
    request.insert(QStringLiteral("msgType"), QStringLiteral("exportPdfResponse"));
    request.insert(QStringLiteral("drillName"), ReportHeading::drillName(m_currentFile));
    request.insert(QStringLiteral("date"), ReportHeading::date(QDateTime::currentDateTime(), QLocale()));
    emit m_bridge->sendMessage(request);
}

// The page stops drawing the report as soon as it hears of it. Called from
// the dialog's own signal, so the dialog goes once that has returned.
void mainWindow::cancelPdfExport()
{
    if (m_pdfOutputPath.isEmpty())
        return;
    m_pdfOutputPath.clear();
    sendToPage(QStringLiteral("breakPdfExport"));
    if (m_progressDialog)
        m_progressDialog->deleteLater();
}

void mainWindow::updatePdfProgress(int percent)
{
    // The progress dialog marks a running export; a video's is not ours.
    if (!m_progressDialog || m_pdfOutputPath.isEmpty())
        return;
    if (m_progressDialog->wasCanceled()) {
        endPdfExport();
        sendToPage(QStringLiteral("breakPdfExport"));
    } else {
        setExportProgress(percent);
    }
}

void mainWindow::writePdfData(const QString &pdfData, const QString &errorInfo)
{
    if (!m_progressDialog || m_pdfOutputPath.isEmpty())
        return;
    const QString path = m_pdfOutputPath;
    const bool cancelled = m_progressDialog->wasCanceled();
    if (!cancelled)
        setExportProgress(m_progressDialog->maximum());
    // Gone before any error box, which would otherwise open under it.
    endPdfExport();
    if (cancelled)
        return;
    QString error = errorInfo;
    if (error.isEmpty() && ReportFile::write(path, pdfData, &error)) {
        emit exportFinished(QString());
        return;
    }
    failPdfExport(path, error);
}

void mainWindow::failPdfExport(const QString &path, const QString &error)
{
    emit exportFinished(tr("The report could not be written to %1: %2").arg(QDir::toNativeSeparators(path), error));
    showInformation(m_webView, tr("error"), error);
}

void mainWindow::endPdfExport()
{
    if (m_pdfOutputPath.isEmpty())
        return;
    m_pdfOutputPath.clear();
    delete m_progressDialog;
}

void mainWindow::writeVideoFrame(const QVariantMap &message)
{
    // The progress dialog marks a running export; a report's is not ours.
    if (!m_progressDialog || m_videoOutputPath.isEmpty())
        return;
    const int width = numberOf(message, "frameWidth");
    const int height = numberOf(message, "frameHeight");
    const int frameNumber = numberOf(message, "frameNumber");
    const int nFrames = numberOf(message, "nFrames");
    const int frameRate = numberOf(message, "frameRate");

    if (m_progressDialog->wasCanceled()) {
        sendToPage(QStringLiteral("breakVideoExport"));
        finishVideo();
        return;
    }
    const QString problem = textOf(message, "errorInfo");
    if (!problem.isEmpty()) {
        // Not one picture of the drill was drawn: the page has stopped.
        failVideoExport(problem);
        return;
    }
    // One picture in all stays at 0 until the end.
    setExportProgress(nFrames > 0 ? int(double(frameNumber) / nFrames * 100) : 0);

    if (!m_encoder && !startEncoder(width, height, frameRate))
        return;
    if (frameNumber == 0 && !writeVideoPicture(VideoPicture::titleCard(width, height, drillName()), frameRate))
        return;

    // Decoded on the encoder's worker, while the page draws the next one. A
    // picture that does not decode, or not to the video's size, is left out
    // rather than ending the coach's export; the last is held for a second.
    const int times = frameNumber == nFrames ? 1 + frameRate : 1;
    if (!m_encoder->writeJpegDataUrl(textOf(message, "imageData"), times)) {
        m_encoder->finish();
        failVideoExport(m_encoder->errorString());
        return;
    }
    if (frameNumber == nFrames) {
        setExportProgress(m_progressDialog->maximum());
        finishVideo();
    }
}

// The video is written beside the chosen file and takes its place only when
// complete: a failed or killed export leaves the file it would replace as it
// was, and nothing half-written under its name.
bool mainWindow::startEncoder(int width, int height, int frameRate)
{
    QString error;
    m_videoFile.reset(new StagedFile(m_videoOutputPath));
    if (m_videoFile->open(&error))
        m_encoder = Mp4Encoder::create(width, height, frameRate, m_videoFile->fileName(), &error);
    if (!m_encoder)
        failVideoExport(error);
    return bool(m_encoder);
}

bool mainWindow::writeVideoPicture(const QImage &picture, int times)
{
    for (int i = 0; i < times; ++i) {
        uchar *buffer = m_encoder->frameBuffer();
        if (!buffer || !VideoPicture::copyBottomUp(picture, buffer, m_encoder->width(), m_encoder->height())
            || !m_encoder->writeFrame()) {
            m_encoder->finish();
            failVideoExport(m_encoder->errorString());
            return false;
        }
    }
    return true;
}

// Completes the file with what it has (all of it, or up to a Cancel).
void mainWindow::finishVideo()
{
    QString error;
    if (!placeVideo(&error)) {
        failVideoExport(error);
        return;
    }
    endVideoExport();
    emit exportFinished(QString());
}

bool mainWindow::placeVideo(QString *error)
{
    if (m_encoder && !m_encoder->finish()) {
        *error = m_encoder->errorString();
        return false;
    }
    if (m_videoFile && !m_videoFile->putInPlace(error))
        return false;
    m_videoFile.reset();
    return true;
}

// An export still running (one the page abandoned) keeps what it had
// written, as on Cancel; a failed one has dropped its file before.
void mainWindow::endVideoExport()
{
    QString ignored;
    placeVideo(&ignored);
    m_encoder.reset();
    m_videoFile.reset();
    m_videoOutputPath.clear();
    delete m_progressDialog;
}

// The export ends without a file (the encoder removes what it had begun),
// and the page stops before the coach reads why.
void mainWindow::failVideoExport(const QString &reason)
{
    const QString path = m_videoOutputPath;
    const bool pageStopped = m_progressDialog && m_progressDialog->wasCanceled();
    m_videoFile.reset();
    endVideoExport();
    if (!pageStopped)
        sendToPage(QStringLiteral("breakVideoExport"));
    const QString text = tr("The video could not be written to %1.\n\n%2").arg(QDir::toNativeSeparators(path), reason);
    emit exportFinished(text);
    if (!reportedInstead(text))
        QMessageBox::warning(this, tr("Error Exporting Video"), text);
}

void mainWindow::exportPictureTo(const QString &path, int frame, int width)
{
    startPictureExport(path, frame, width, false);
}

// Set before the request: a page that cannot draw the frame answers inside it.
void mainWindow::startPictureExport(const QString &path, int frame, int width, bool showsErrors)
{
    m_pictureOutputPath = path;
    m_pictureShowsErrors = showsErrors;
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("exportPictureResponse"));
    message.insert(QStringLiteral("frameNumber"), QString::number(frame));
    message.insert(QStringLiteral("frameWidth"), QString::number(width));
    emit m_bridge->sendMessage(message);
}

void mainWindow::writePictureData(const QVariantMap &message)
{
    const QString path = m_pictureOutputPath;
    if (path.isEmpty())
        return;
    m_pictureOutputPath.clear();
    const QString problem = textOf(message, "errorInfo");
    const QString error = problem.isEmpty() ? PictureFile::write(path, textOf(message, "imageData")) : problem;
    const QString text = error.isEmpty() ? QString()
                                         : tr("The picture could not be written to %1: %2")
                                               .arg(QDir::toNativeSeparators(path), error);
    emit exportFinished(text);
    if (m_pictureShowsErrors && !text.isEmpty() && !reportedInstead(text))
        QMessageBox::warning(this, tr("Error Saving Picture"), text);
}
