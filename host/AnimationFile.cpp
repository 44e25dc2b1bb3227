#include "AnimationFile.h"

#include "AtomicFileWriter.h"
#include "TextDecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AnimationFile", text);
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
    return tr("not a regular file");
}

// Why a file of this kind and size is not opened; empty when it may be.
QString refusal(const struct stat &info)
{
    if (!S_ISREG(info.st_mode))
        return tr("This is %1, not an animation file.").arg(kindOf(info.st_mode));
    if (info.st_size > AnimationFile::MaxFileSize) {
        // Rounded up: a file just over the limit must not read as at it.
        return tr("The file is %1 MB; an animation file is at most %2 MB.")
            .arg((info.st_size + 1024 * 1024 - 1) / (1024 * 1024))
            .arg(AnimationFile::MaxFileSize / (1024 * 1024));
    }
    return QString();
}

// Opens `path` for reading without ever blocking: a FIFO with no writer
// would otherwise hold the open (and the program) for good. The kind and
// size are checked before opening (a socket cannot be opened at all) and
// again on the opened descriptor, so the file cannot be swapped for another
// in between. Returns the descriptor, or -1 with `error` set.
int openRegularFile(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) == 0 && !(*error = refusal(info)).isEmpty())
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0)
        *error = qt_error_string(errno);
    else
        *error = refusal(info);
    if (!error->isEmpty()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool AnimationFile::readFirstLine(const QString &path, QString *line, QString *error)
{
    const int fd = openRegularFile(path, error);
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
    QByteArray bytes = file.read(qMin<qint64>(file.size(), MaxFileSize) + 1);
    if (bytes.size() <= MaxFileSize && !file.atEnd())
        bytes += file.read(MaxFileSize + 1 - bytes.size());
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    if (bytes.size() > MaxFileSize) {
        *error = tr("The file is larger than %1 MB, the most an animation file may be.")
                     .arg(MaxFileSize / (1024 * 1024));
        return false;
    }
    QString text = TextDecoder::decode(bytes);
    const int end = text.indexOf(QLatin1Char('\n'));
    if (end >= 0) {
        text.truncate(end);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    }
    *line = text;
    return true;
}

bool AnimationFile::write(const QString &path, const QString &text, QString *error)
{
    return AtomicFileWriter::write(path, text.toUtf8(), error);
}
