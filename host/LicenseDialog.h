#ifndef LICENSEDIALOG_H
#define LICENSEDIALOG_H

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class LicenseDialog;
}

// Shows "license.txt" from the program's folder: the program's licence and
// the notices of the third-party components it ships.
class LicenseDialog : public QWidget
{
    Q_OBJECT
public:
    // Reads the licence file; when it cannot be read, says so in a modal
    // "Not Found" box and opens with an empty text area.
    explicit LicenseDialog(QWidget *parent = nullptr);
    ~LicenseDialog() override;

    // Where the licence file is looked for: beside the executable.
    static QString licenseFilePath();

private slots:
    void on_closeButton_clicked();

private:
    void loadLicenseText();

    QScopedPointer<Ui::LicenseDialog> ui;
};

#endif // LICENSEDIALOG_H
