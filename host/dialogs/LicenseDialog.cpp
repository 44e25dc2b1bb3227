#include "LicenseDialog.h"
#include "ui_LicenseDialog.h"

#include "TextDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

LicenseDialog::LicenseDialog(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::LicenseDialog)
{
    ui->setupUi(this);
    loadLicenseText();
}

LicenseDialog::~LicenseDialog() = default;

QString LicenseDialog::licenseFilePath()
{
    return licenseFilePathFor(QCoreApplication::applicationDirPath());
}

QString LicenseDialog::licenseFilePathFor(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(QStringLiteral("license.txt"));
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral("../share/drillmora/license.txt")));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return installed;
    return beside;
}

void LicenseDialog::loadLicenseText()
{
    QFile file(licenseFilePath());
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        text = TextDecoder::decode(file.readAll());
        // Plain text copes with Windows line ends; rich text would keep a
        // stray space for every carriage return.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    } else {
        QMessageBox box(QMessageBox::Information, tr("Not Found"),
                        tr("Error: License file not found"), QMessageBox::NoButton, this);
        box.addButton(tr("OK"), QMessageBox::AcceptRole);
        box.exec();
    }
    // The browser tells rich text from plain text by itself.
    ui->textBrowser->setText(text);
}

void LicenseDialog::on_closeButton_clicked()
{
    close();
    deleteLater();
}
