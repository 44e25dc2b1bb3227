// The window's side of the bridge: each message of the page goes to the
// member named after it, and the host's replies go back as messages.

#include "mainWindow.h"

#include "MessageMap.h"
#include "PageWatch.h"
#include "jsInterface.h"
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
    m_handlers.insert(QStringLiteral("exportGif"), [this](const QVariantMap &) {
        exportGif();
    });
    m_handlers.insert(QStringLiteral("exportPage"), [this](const QVariantMap &) {
        exportPage();
    });
    m_handlers.insert(QStringLiteral("writePageData"), [this](const QVariantMap &m) {
        writePageData(m);
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

void mainWindow::processMessage(QVariantMap message)
{
    const QVariant type = message.value(QStringLiteral("msgType"));
    if (type.userType() != QMetaType::QString)
        return;
    const auto handler = m_handlers.constFind(type.toString());
    if (handler != m_handlers.constEnd())
        (*handler)(message);
}

void mainWindow::replyToPage(const QString &msgType, const QString &text, const QString &id)
{
    QVariantMap reply;
    reply.insert(QStringLiteral("msgType"), msgType);
    reply.insert(QStringLiteral("text"), MessageMap::nonNull(text));
    if (!id.isNull())
        reply.insert(QStringLiteral("id"), id);
    m_bridge->send(reply);
}

void mainWindow::sendToPage(const QString &msgType)
{
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), msgType);
    m_bridge->send(message);
}
