#include "StagedFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows before it gives up (ELOOP).
constexpr int MaxLinks = 40;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Temporary files are private (0600); a new file gets the permissions any
// other new file of the user's gets.
mode_t usualMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The owner and group are kept where the system allows it: root keeps a
// coach's file theirs, a member of its group keeps the group. Elsewhere (false)
// the file becomes the user's, as any file they write in the folder would.
bool keepOwner(int file, const struct stat &replaced)
{
    return ::fchown(file, replaced.st_uid, replaced.st_gid) == 0 || ::fchown(file, uid_t(-1), replaced.st_gid) == 0;
}

} // namespace

StagedFile::StagedFile(const QString &target)
    : m_target(target)
{
}

StagedFile::~StagedFile() = default; // the temporary file removes itself unless put in place

bool StagedFile::open(QString *error)
{
    if (!resolveTarget(error))
        return false;
    const QFileInfo target(m_target);
    // The suffix stays last: writers that go by a file's suffix see the target's.
    const QString suffix = target.suffix().isEmpty() ? QString() : QLatin1Char('.') + target.suffix();
    m_file.reset(new QTemporaryFile(
        target.dir().filePath(QStringLiteral(".%1.XXXXXX%2").arg(target.completeBaseName(), suffix))));
    if (!m_file->open()) {
        *error = m_file->errorString();
        m_file.reset();
        return false;
    }
    return true;
}

// The file that will be replaced is the one the target names: a link stays
// a link, and a link to nothing yet is written to what it names. Renaming
// over a file needs only the folder's permission: a file the user may not
// write (another user's, in a folder anyone may write) is refused here.
bool StagedFile::resolveTarget(QString *error)
{
    QFileInfo target(m_target);
    for (int links = 0; target.isSymLink(); ++links) {
        if (links == MaxLinks) {
            *error = qt_error_string(ELOOP);
            return false;
        }
        target.setFile(target.symLinkTarget());
    }
    m_target = target.absoluteFilePath();
    if (target.isDir()) {
        *error = qt_error_string(EISDIR);
        return false;
    }
    // A device or a pipe is not replaced by a file of the same name (root
    // could otherwise turn /dev/null into a picture).
    if (target.exists() && !target.isFile()) {
        *error = QCoreApplication::translate("StagedFile", "It is not a regular file.");
        return false;
    }
    if (target.exists() && ::access(native(m_target).constData(), W_OK) != 0) {
        *error = qt_error_string(errno);
        return false;
    }
    return true;
}

QString StagedFile::fileName() const
{
    return m_file ? m_file->fileName() : QString();
}

// Written past QFile's buffer, whose last bytes a failing close would drop
// unseen, with the system's reason when the disk is full.
bool StagedFile::write(const QByteArray &bytes, QString *error)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_file->handle(), data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            *error = qt_error_string(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool StagedFile::putInPlace(QString *error)
{
    if (!m_file) {
        *error = qt_error_string(EBADF);
        return false;
    }
    // Opened again by its name: a writer given the name may have replaced
    // the file first opened with a staged file of its own.
    m_file->close();
    const QByteArray staged = native(m_file->fileName());
    const int file = ::open(staged.constData(), O_RDONLY | O_CLOEXEC);
    const bool placed = file >= 0 && settle(file)
        && std::rename(staged.constData(), native(m_target).constData()) == 0;
    const int reason = errno;
    if (file >= 0)
        ::close(file);
    if (!placed) {
        *error = qt_error_string(reason);
        return false;
    }
    m_file->setAutoRemove(false);
    m_file.reset();
    return true;
}

// The replaced file's permissions, and the content on the disk before the
// rename makes it the target.
bool StagedFile::settle(int file) const
{
    struct stat replaced {};
    const bool replacing = ::stat(native(m_target).constData(), &replaced) == 0;
    if (replacing)
        keepOwner(file, replaced);
    if (::fchmod(file, replacing ? replaced.st_mode & 0777 : usualMode()) != 0)
        return false;
    // A disk that fills late (a network or quota file system) says so only
    // here; a file system that cannot sync says EINVAL and is trusted.
    return ::fsync(file) == 0 || errno == EINVAL || errno == EROFS;
}
