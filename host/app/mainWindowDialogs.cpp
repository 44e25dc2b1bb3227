// The message boxes and prompts the page's messages ask for.

#include "mainWindow.h"

#include "AboutDialog.h"
#include "FileErrorText.h"
#include "LogoImage.h"
#include "MessageBoxTitle.h"
#include "MessageMap.h"
#include "ShortLabelDialog.h"
#include "jsInterface.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

// A reason from the page is cut here too, so that no text can make a box
// wider or taller than the screen.
constexpr int MaxShownLength = 1000;

QString bounded(const QString &text)
{
    return FileErrorText::shortened(text, MaxShownLength);
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
        replyToPage(QStringLiteral("itemLabelResponse"), text, MessageMap::nonNull(id));
}

void mainWindow::promptForItemShortLabel(const QString &label, const QString &defaultText, const QString &id)
{
    bool ok = false;
    const QString text = ShortLabelDialog::getText(m_webView, tr("Enter Label"), label, QLineEdit::Normal,
                                                   defaultText, &ok);
    if (ok)
        replyToPage(QStringLiteral("itemShortLabelResponse"), text, MessageMap::nonNull(id));
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
        m_webView, tr("Open Logo Image"), m_lastUsedFolder.path(),
        tr("Image Files (*.png *.jpg *.jpeg);;All Files (*.*)"));
    if (fileName.isEmpty())
        return;
    m_lastUsedFolder.rememberFolderOf(fileName);

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
