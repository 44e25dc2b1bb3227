#ifndef LICENSEDIALOG_H
#define LICENSEDIALOG_H

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class LicenseDialog;
}

// Shows "license.txt", installed with the program: the program's licence and
// the notices of the third-party components it ships.
class LicenseDialog : public QWidget
{
    Q_OBJECT
public:
    // Reads the licence file; when it cannot be read, says so in a modal
    // "Not Found" box and opens with an empty text area.
    explicit LicenseDialog(QWidget *parent = nullptr);
    ~LicenseDialog() override;

    // Where the licence file is looked for: licenseFilePathFor() the
    // running program's folder.
    static QString licenseFilePath();

    // Beside the program in a build or a copied folder; in share/drillmora
    // of the prefix when installed (bin/drillmora). When neither exists, the
    // path beside the program, which the dialog then reports as missing.
    static QString licenseFilePathFor(const QString &programFolder);

private slots:
    void on_closeButton_clicked();

private:
    void loadLicenseText();

    QScopedPointer<Ui::LicenseDialog> ui;
};

#endif // LICENSEDIALOG_H
