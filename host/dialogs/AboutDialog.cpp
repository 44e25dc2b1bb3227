#include "AboutDialog.h"
#include "ui_AboutDialog.h"

#include "ApplicationIdentity.h"
#include "LicenseDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTextDocument>

AboutDialog::AboutDialog(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    fillPlaceholders();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::fillPlaceholders()
{
    QString text = ui->appInfoLabel->text();
    text.replace(QStringLiteral("$APP_NAME"), QCoreApplication::applicationName());
    text.replace(QStringLiteral("$VERSION_NUMBER"), QCoreApplication::applicationVersion());
    text.replace(QStringLiteral("$ORGANIZATION_NAME"), QCoreApplication::organizationName());
    ui->appInfoLabel->setText(text);
}

// A plain widget, not a QDialog, so none of a dialog's keys come with it.
void AboutDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        ui->closeButton->click();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        auto *focused = qobject_cast<QPushButton *>(focusWidget());
        (focused ? focused : ui->closeButton)->click();
        break;
    }
    default:
        QWidget::keyPressEvent(event);
    }
}

void AboutDialog::on_closeButton_clicked()
{
    hide();
}

void AboutDialog::on_onlineHelpButton_clicked()
{
    QDesktopServices::openUrl(ApplicationIdentity::webSite());
}

void AboutDialog::on_copyInfoButton_clicked()
{
    QTextDocument document;
    document.setHtml(ui->appInfoLabel->text());
    QApplication::clipboard()->setText(document.toPlainText(), QClipboard::Clipboard);

    QMessageBox box(this);
    box.setText(tr("Information copied to the clipboard."));
    box.exec();
}

void AboutDialog::on_licenseInfoButton_clicked()
{
    // Parented to this dialog, which deletes any still open with itself.
    auto *license = new LicenseDialog(this);
    license->show();
}
