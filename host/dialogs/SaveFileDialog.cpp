#include "SaveFileDialog.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>

SaveFileDialog::SaveFileDialog(QWidget *parent, const QString &caption, const QString &proposed,
                               const QString &filter, const QString &suffix)
    : QFileDialog(parent, caption, proposed, filter)
    , m_suffix(suffix)
{
    setAcceptMode(QFileDialog::AcceptSave);
    // A platform's own dialog adds it only to a name with no dot at all;
    // choose() completes the rest.
    setDefaultSuffix(suffix);
    connect(this, &QFileDialog::filterSelected, this, [this] { setDefaultSuffix(expectedSuffixes().first()); });
}

QString SaveFileDialog::choose()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return QString();
    return withSuffix(selectedFiles().first(), expectedSuffixes());
}

QString SaveFileDialog::withSuffix(const QString &name, const QString &suffix)
{
    if (suffix.isEmpty() || name.isEmpty() || QFileInfo(name).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
        return name;
    if (name.endsWith(QLatin1Char('.')))
        return name + suffix;
    return name + QLatin1Char('.') + suffix;
}

QString SaveFileDialog::withSuffix(const QString &name, const QStringList &suffixes)
{
    for (const QString &suffix : suffixes) {
        if (QFileInfo(name).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
            return name;
    }
    return withSuffix(name, suffixes.value(0));
}

QStringList SaveFileDialog::suffixesOf(const QString &nameFilter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    QStringList suffixes;
    for (auto match = pattern.globalMatch(nameFilter); match.hasNext();)
        suffixes << match.next().captured(1);
    return suffixes;
}

QStringList SaveFileDialog::expectedSuffixes() const
{
    const QStringList listed = suffixesOf(selectedNameFilter());
    return listed.isEmpty() ? QStringList{m_suffix} : listed;
}

// Qt's own dialog asks about replacing the file named in its line edit, so
// the extension goes there first. As the coach types, Qt selects the listed
// file the name matches with the suffix of the type chosen then, and would
// take that row: "frame" typed beside a "frame.png" would become
// "frame.png.jpg" once JPEG is chosen. The name in the line edit (typed, or
// the row clicked) is the one meant.
void SaveFileDialog::accept()
{
    // A type chosen in code rather than from the list left Qt's own suffix
    // as it was, which Qt adds to the typed name in selectedFiles().
    const QStringList expected = expectedSuffixes();
    setDefaultSuffix(expected.first());
    if (auto *list = findChild<QListView *>(QStringLiteral("listView")))
        list->clearSelection();
    const QStringList chosen = selectedFiles();
    auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (chosen.size() == 1 && edit && !QFileInfo(chosen.first()).isDir()) {
        const QString named = withSuffix(chosen.first(), expected);
        if (named != chosen.first())
            edit->setText(named);
    }
    QFileDialog::accept();
}
