#ifndef ANIMATIONFILE_H
#define ANIMATIONFILE_H

#include <QString>

// Moves animation text between the page and `.anim` files. The host never
// interprets the text; the page checks it when it loads.
class AnimationFile
{
public:
    // The largest file opened; anything larger is refused unread.
    static constexpr int MaxFileSize = 64 * 1024 * 1024;

    // Reads the first line of the file at `path` (up to, not including, the
    // first "\n" or "\r\n"; the whole text if there is none; empty for an
    // empty file) into `line`. Folders, devices, pipes and sockets and files
    // over MaxFileSize are refused without being read (nor waited on). A web
    // page Drillmora wrote of a drill gives that drill's text (and sets
    // `*fromPage`, when given); any other web page is refused. On failure
    // returns false and sets `error` to the reason.
    static bool readFirstLine(const QString &path, QString *line, QString *error, bool *fromPage = nullptr);

    // Writes `text` exactly, as UTF-8 without a byte-order mark, through a
    // temporary file that replaces the target only when all of it is
    // written: on failure an existing file is left as it was. Returns false
    // and sets `error` to the platform's reason on failure.
    static bool write(const QString &path, const QString &text, QString *error);
};

#endif // ANIMATIONFILE_H
