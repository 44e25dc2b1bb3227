#include "BoundedFileReader.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BoundedFileReader", text);
}

qint64 roundedUpMegabytes(qint64 bytes)
{
    return (bytes + 1024 * 1024 - 1) / (1024 * 1024);
}

// What a file that is not a plain file is, for the reason shown.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return tr("a folder");
    if (S_ISFIFO(mode))
        return tr("a pipe");
    if (S_ISSOCK(mode))
        return tr("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return tr("a device");
    if (S_ISLNK(mode))
        return tr("a link");
    return tr("not a regular file");
}

// Why a file of this kind and size is not read; empty when it may be.
QString refusal(const struct stat &info, qint64 maxSize)
{
    if (!S_ISREG(info.st_mode))
        return tr("This is %1, not an animation file.").arg(kindOf(info.st_mode));
    if (info.st_size > maxSize) {
        // Rounded up: a file just over the limit must not read as at it.
        return tr("The file is %1 MB; an animation file is at most %2 MB.")
            .arg(roundedUpMegabytes(info.st_size))
            .arg(maxSize / (1024 * 1024));
    }
    return QString();
}

// Opens `path` for reading without ever blocking: a FIFO with no writer
// would otherwise hold the open (and the program) for good. The kind and
// size are checked before opening (a socket cannot be opened at all) and
// again on the opened descriptor, so the file cannot be swapped for another
// in between. Returns the descriptor, or -1 with `error` set.
int openRegularFile(const QString &path, qint64 maxSize, BoundedFileReader::Links links, QString *error)
{
    const bool follow = links == BoundedFileReader::Links::Followed;
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    const int looked = follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (looked == 0 && !(*error = refusal(info, maxSize)).isEmpty())
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0)
        *error = qt_error_string(errno);
    else
        *error = refusal(info, maxSize);
    if (!error->isEmpty()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool BoundedFileReader::read(const QString &path, qint64 maxSize, Links links, QByteArray *bytes, QString *error)
{
    const int fd = openRegularFile(path, maxSize, links, error);
    if (fd < 0)
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = file.errorString();
        ::close(fd);
        return false;
    }
    // Bounded even if the file grows after it was measured, and read into
    // a buffer of the file's size: one of the largest size allowed would
    // cost more than the reading.
    *bytes = file.read(qMin(file.size(), maxSize) + 1);
    if (bytes->size() <= maxSize && !file.atEnd())
        *bytes += file.read(maxSize + 1 - bytes->size());
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    if (bytes->size() > maxSize) {
        *error = tr("The file is larger than %1 MB, the most an animation file may be.").arg(maxSize / (1024 * 1024));
        return false;
    }
    return true;
}
