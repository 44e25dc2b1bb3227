#ifndef SAVEFILEDIALOG_H
#define SAVEFILEDIALOG_H

#include <QFileDialog>

// The save dialog of every file the host writes: a name typed without the
// extension its filter expects gets it, before the dialog asks about
// replacing a file, so "overlap drill" and "drill.v2" are written as
// "overlap drill.mp4" and "drill.v2.mp4" (and asked about when those exist),
// while "x.MP4" keeps its own. A dialog offering several types expects the
// extensions of the one chosen: "frame" is "frame.jpg" under "(*.jpg *.jpeg)",
// where "frame.jpeg" keeps its own.
class SaveFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    // `proposed` is the path first shown (its folder opened, its name
    // typed in); `suffix` the extension without its dot, or empty for none,
    // for a chosen type whose filter names no extension.
    SaveFileDialog(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                   const QString &suffix);

    // Runs the dialog; returns the chosen path with its extension, or an
    // empty string when the user cancels.
    QString choose();

    // `name` with ".`suffix`" added unless it already ends in it, in any
    // case; a name ending in a dot gets only the suffix.
    static QString withSuffix(const QString &name, const QString &suffix);
    // `name` as it stands when it ends in one of `suffixes`, else with the
    // first of them.
    static QString withSuffix(const QString &name, const QStringList &suffixes);
    // The extensions a name filter lists: {"jpg", "jpeg"} for
    // "JPEG Pictures (*.jpg *.jpeg)", none for "All Files (*)".
    static QStringList suffixesOf(const QString &nameFilter);

public slots:
    void accept() override;

private:
    QStringList expectedSuffixes() const;

    QString m_suffix;
};

#endif // SAVEFILEDIALOG_H
