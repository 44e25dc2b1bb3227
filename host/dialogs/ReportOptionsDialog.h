#ifndef REPORTOPTIONSDIALOG_H
#define REPORTOPTIONSDIALOG_H

#include "ReportOptions.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;

// Asks how the report about to be written is laid out and which drills it
// holds: the open drill first (it cannot be moved or removed), then any
// others the coach adds, in the order the list shows them.
class ReportOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // `openDrill`: the name the open drill goes by in the list; `folder`:
    // where the file dialog for more drills starts.
    ReportOptionsDialog(QWidget *parent, const QString &openDrill, const QString &folder, const ReportOptions &options);

    ReportOptions options() const;
    // Adds drill files after those listed, skipping any listed already.
    void addDrills(const QStringList &paths);

    // Shows the dialog; true with `*options` set when the coach went on,
    // false (and `*options` untouched) on Cancel.
    static bool ask(QWidget *parent, const QString &openDrill, const QString &folder, ReportOptions *options);

private:
    void chooseDrills();
    void moveSelected(int by);
    void removeSelected();
    void updateButtons();

    QString m_folder;
    QComboBox *m_perPage;
    QListWidget *m_drills;
    QPushButton *m_remove;
    QPushButton *m_up;
    QPushButton *m_down;
};

#endif // REPORTOPTIONSDIALOG_H
