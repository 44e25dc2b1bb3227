#ifndef EXPORTCONFIRMATION_H
#define EXPORTCONFIRMATION_H

#include <QString>

class QMessageBox;
class QWidget;

// The word that an export from the window is done: a small box naming the
// file and its folder, with "Open Folder" (and "Play" for a video, "Open"
// for a GIF and a web page) beside
// OK. It does not block: the coach may read it, act on it or go on
// working, and the next export's box takes its place. The folder and the
// video are opened by the desktop's own opener (QDesktopServices::openUrl),
// which a test catches with QDesktopServices::setUrlHandler("file", …) so
// that no program is started.
class ExportConfirmation
{
public:
    enum class Kind { Video, Report, Picture, Gif, Page };

    // The box's object name, by which a test finds it among the window's
    // children.
    static const char ObjectName[];

    // Shows the box for `path`, just written, over `parent`, which owns it
    // until it is closed; returns it.
    static QMessageBox *show(QWidget *parent, Kind kind, const QString &path);
};

#endif // EXPORTCONFIRMATION_H
