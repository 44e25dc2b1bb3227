#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class AboutDialog;
}

// Tells which program and version this is, links to the web site, copies
// that information to the clipboard and opens the licence text.
class AboutDialog : public QWidget
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

protected:
    // Escape closes the dialog, as Close does; Enter presses the button
    // that has the focus, Close when none has: the keys of a dialog.
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void on_closeButton_clicked();
    void on_onlineHelpButton_clicked();
    void on_copyInfoButton_clicked();
    void on_licenseInfoButton_clicked();

private:
    void fillPlaceholders();

    QScopedPointer<Ui::AboutDialog> ui;
};

#endif // ABOUTDIALOG_H
