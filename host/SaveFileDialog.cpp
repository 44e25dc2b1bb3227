#include "SaveFileDialog.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListView>

SaveFileDialog::SaveFileDialog(QWidget *parent, const QString &caption, const QString &proposed,
                               const QString &filter, const QString &suffix)
    : QFileDialog(parent, caption, proposed, filter)
    , m_suffix(suffix)
{
    setAcceptMode(QFileDialog::AcceptSave);
    // A platform's own dialog adds it only to a name with no dot at all;
    // choose() completes the rest.
    setDefaultSuffix(suffix);
}

QString SaveFileDialog::choose()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return QString();
    return withSuffix(selectedFiles().first(), m_suffix);
}

QString SaveFileDialog::withSuffix(const QString &name, const QString &suffix)
{
    if (suffix.isEmpty() || name.isEmpty() || QFileInfo(name).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
        return name;
    if (name.endsWith(QLatin1Char('.')))
        return name + suffix;
    return name + QLatin1Char('.') + suffix;
}

// Qt's own dialog asks about replacing the file named in its line edit, so
// the extension goes there first; a row still selected in the listing
// would otherwise be taken instead of the typed name.
void SaveFileDialog::accept()
{
    const QStringList chosen = selectedFiles();
    auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (chosen.size() == 1 && edit && !QFileInfo(chosen.first()).isDir()) {
        const QString named = withSuffix(chosen.first(), m_suffix);
        if (named != chosen.first()) {
            if (auto *list = findChild<QListView *>(QStringLiteral("listView")))
                list->clearSelection();
            edit->setText(named);
        }
    }
    QFileDialog::accept();
}
