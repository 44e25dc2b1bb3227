#include "AtomicFileWriter.h"

#include <QSaveFile>

#include <cerrno>

bool AtomicFileWriter::write(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // commit() does not notice a failure to write out QSaveFile's buffer
    // (a full disk, say): flush first, or a cut file replaces the old one.
    // Qt words some failures only "Unknown error"; the system's own reason
    // is taken from errno then, which still holds it.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const int reason = errno;
        *error = file.errorString();
        if ((error->isEmpty() || *error == QLatin1String("Unknown error")) && reason != 0)
            *error = qt_error_string(reason);
        file.cancelWriting();
        return false;
    }
    return true;
}
