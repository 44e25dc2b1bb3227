#ifndef PICTURECHOICE_H
#define PICTURECHOICE_H

#include <QString>
#include <QStringList>

class QWidget;

// The coach's way from the snapshot to a picture file: the confirmation of
// the copy offers saving the frame too, and saving asks for the file (PNG
// or JPEG) and then for the width, offering the width chosen last.
class PictureChoice
{
public:
    // The width offered until the coach chooses another, as the command
    // line's default.
    static constexpr int DefaultWidth = 1024;

    // "Snapshot copied to the clipboard.", with OK as its default button
    // and a button to save the frame as a file; true when that was pressed.
    static bool savingAfterCopy(QWidget *parent);

    // Asks for the file, proposing `proposedPath`, then for the width.
    // False when the coach cancels either; otherwise `path` has the
    // extension the chosen type expects, and the width is remembered.
    static bool ask(QWidget *parent, const QString &proposedPath, QString *path, int *width);

    // The types the file dialog offers, PNG first.
    static QStringList nameFilters();
    // The widths offered, each with its height at 4:3.
    static QList<int> widths();
    static QString widthLabel(int width);
};

#endif // PICTURECHOICE_H
