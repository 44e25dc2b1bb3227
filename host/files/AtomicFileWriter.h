#ifndef ATOMICFILEWRITER_H
#define ATOMICFILEWRITER_H

#include <QByteArray>
#include <QString>

// Replaces a file's content all at once: the bytes go to a temporary file
// that takes the target's place only when every byte is written, so a
// failed write (a full disk, a folder that is not there) leaves an existing
// file exactly as it was. Replacing keeps what was there (see StagedFile).
class AtomicFileWriter
{
public:
    // Writes `bytes` to `path`. Returns false and sets `error` to the
    // platform's reason on failure.
    static bool write(const QString &path, const QByteArray &bytes, QString *error);
};

#endif // ATOMICFILEWRITER_H
