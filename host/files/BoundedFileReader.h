#ifndef BOUNDEDFILEREADER_H
#define BOUNDEDFILEREADER_H

#include <QByteArray>
#include <QString>

// Reads files that come from outside the program (a drill the coach names,
// a recovery copy found in a folder) as plain files of a bounded size, and
// never waits on them: folders, devices, pipes and sockets are refused
// unopened, and a file that grows while it is read is still cut at the
// bound, so no entry can freeze the program or fill its memory.
class BoundedFileReader
{
public:
    // Whether a symbolic link is read as the file it names, or refused.
    enum class Links { Followed, Refused };

    // All of the file at `path` into `bytes`, at most `maxSize` of them.
    // False with the reason in `error` when the file is not a plain file,
    // is larger than `maxSize`, is a link that `links` refuses, or cannot
    // be read.
    static bool read(const QString &path, qint64 maxSize, Links links, QByteArray *bytes, QString *error);
};

#endif // BOUNDEDFILEREADER_H
