// The drill on screen and its file: opening, saving, the question about
// unsaved changes, recovery copies and the text the page last reported.

#include "mainWindow.h"

#include "AnimationFile.h"
#include "FileErrorText.h"
#include "MessageMap.h"
#include "RecoveryPrompt.h"
#include "RecoveryStore.h"
#include "SaveFileDialog.h"
#include "jsInterface.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

namespace {

const char kSportKey[] = "sport";
const char kAnimationSuffix[] = "anim";

} // namespace

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
    const QString openId = sendDrill(MessageMap::nonNull(drill.text), drill.file);
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
    limit.start(SilentPageMs);
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
    m_nameFromPage = open.pageName;
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
    // Named as the window's title names it; a file's name is shown as it
    // stands, never as rich text.
    const QString question = m_currentFile.isEmpty()
                                 ? tr("Save the changes to the untitled drill?")
                                 : tr("Save the changes to \u201C%1\u201D?").arg(FileErrorText::shownName(m_currentFile));
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    box.setTextFormat(Qt::PlainText);
    const auto answer = box.exec();
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
    return m_currentFile.isEmpty() ? m_nameFromPage : QFileInfo(m_currentFile).completeBaseName();
}

QString mainWindow::chooseSaveFile(const QString &title, const QString &proposedName, const QString &filter,
                                   const QString &defaultSuffix)
{
    const QString proposed = m_lastUsedFolder.withName(proposedName);
    // The dialog adds the extension before it asks about replacing a file,
    // so "drill" cannot silently overwrite "drill.anim".
    SaveFileDialog dialog(m_webView, title, proposed, filter, defaultSuffix);
    const QString fileName = dialog.choose();
    if (!fileName.isEmpty())
        m_lastUsedFolder.rememberFolderOf(fileName);
    return fileName;
}

void mainWindow::openAnimation(const QString &path)
{
    QString fileName = path;
    if (fileName.isEmpty()) {
        fileName = QFileDialog::getOpenFileName(m_webView, tr("Open Animation"), m_lastUsedFolder.path(),
                                                tr("Animation Files (*.anim);;Drill Web Pages (*.html);;All Files (*.*)"));
        if (fileName.isEmpty())
            return;
    }
    m_lastUsedFolder.rememberFolderOf(fileName);

    QString line;
    QString error;
    bool read = false;
    bool fromPage = false;
    if (!m_commandLineDrill.take(fileName, &read, &line, &error, &fromPage))
        read = AnimationFile::readFirstLine(fileName, &line, &error, &fromPage);
    if (!read) {
        if (!reportedInstead(error))
            showFileError(FileErrorText::notOpened(fileName), error);
        emit openEnded(false);
        return;
    }
    // A web page opens as a new drill: saving it must not write the drill's
    // text over the page.
    if (fromPage)
        sendDrill(MessageMap::nonNull(line), QString(), QFileInfo(fileName).completeBaseName());
    else
        sendDrill(MessageMap::nonNull(line), QFileInfo(fileName).absoluteFilePath());
}

// A page that loads the drill answers "animationReset", one that refuses it
// "errorOpeningFile" (and keeps its drill, the host its saved text); either
// names the open by `openId`, now or later.
QString mainWindow::sendDrill(const QString &text, const QString &file, const QString &pageName)
{
    const QString openId = QString::number(++m_opens);
    m_opening.insert(openId, PendingOpen{file, text, pageName});
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
                                  m_currentFile.isEmpty() ? (drillName().isEmpty() ? QStringLiteral("untitled") : drillName())
                                                                + QStringLiteral(".anim")
                                                          : m_currentFile,
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
