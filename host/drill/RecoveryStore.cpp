#include "RecoveryStore.h"

#include "AnimationFile.h"
#include "AtomicFileWriter.h"
#include "BoundedFileReader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QUuid>
#include <QtDebug>

#include <algorithm>

namespace {

const char kHeader[] = "Drillmora recovery copy 1";
const char kSuffix[] = ".drill";
// Room for the header and the file's name beyond the largest drill.
constexpr qint64 MaxCopySize = AnimationFile::MaxFileSize + 64 * 1024;

QString lockPathOf(const QString &copyPath)
{
    return copyPath + QStringLiteral(".lock");
}

// The drill's file as a URL: a name holding a line break stays on its line.
QByteArray encode(const RecoveredDrill &drill)
{
    const QByteArray file = drill.file.isEmpty() ? QByteArray() : QUrl::fromLocalFile(drill.file).toEncoded();
    return QByteArray(kHeader) + '\n' + file + '\n' + drill.text.toUtf8();
}

} // namespace

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

RecoveryStore::RecoveryStore(const QString &folder, int intervalMs, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_copyPath(folder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1String(kSuffix))
    , m_lock(lockPathOf(m_copyPath))
{
    // Only a program that is gone gives up its lock: never one that has
    // merely held it for long.
    m_lock.setStaleLockTime(0);
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryStore::writePending);
}

RecoveryStore::~RecoveryStore() = default;

void RecoveryStore::drillChanged(const QString &text, const QString &file, bool unsaved)
{
    if (!unsaved) {
        discard();
        return;
    }
    m_drill = {text, file};
    m_pending = true;
    if (!m_timer.isActive())
        m_timer.start();
}

bool RecoveryStore::keepNow(const QString &text, const QString &file)
{
    m_drill = {text, file};
    m_timer.stop();
    return write();
}

void RecoveryStore::writePending()
{
    if (m_pending)
        write();
}

// A copy that cannot be written is no reason to interrupt the coach: the
// drill itself is still there to save.
bool RecoveryStore::write()
{
    m_pending = false;
    QString error;
    if (!QDir().mkpath(m_folder))
        error = QStringLiteral("cannot make the folder");
    else if (!m_lock.isLocked() && !m_lock.tryLock(0))
        error = QStringLiteral("cannot lock it (%1)").arg(int(m_lock.error()));
    else if (AtomicFileWriter::write(m_copyPath, encode(m_drill), &error))
        return true;
    qWarning("The recovery copy %s was not written: %s", qPrintable(QDir::toNativeSeparators(m_copyPath)),
             qPrintable(error));
    return false;
}

void RecoveryStore::discard()
{
    m_timer.stop();
    m_pending = false;
    m_drill = RecoveredDrill();
    if (!m_lock.isLocked())
        return;
    QFile::remove(m_copyPath);
    m_lock.unlock();
}

QStringList RecoveryStore::claimOrphans()
{
    removeStaleTemporaries();
    QFileInfoList copies = QDir(m_folder).entryInfoList({QLatin1String("*") + QLatin1String(kSuffix)},
                                                        QDir::Files | QDir::NoSymLinks);
    std::sort(copies.begin(), copies.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() > b.lastModified(); });
    QStringList claimed;
    for (const QFileInfo &copy : copies) {
        const QString path = copy.absoluteFilePath();
        if (path == QFileInfo(m_copyPath).absoluteFilePath() || m_claims.count(path))
            continue;
        auto lock = std::make_unique<QLockFile>(lockPathOf(path));
        lock->setStaleLockTime(0);
        // Another program may have taken and removed it since the listing.
        if (!lock->tryLock(0) || !QFileInfo::exists(path))
            continue;
        m_claims.emplace(path, std::move(lock));
        claimed << path;
    }
    return claimed;
}

// A copy is written beside itself as ".<copy's name>.XXXXXX.drill" while
// its program holds the copy's lock; a program killed in the middle leaves
// the temporary behind, and the lock free.
void RecoveryStore::removeStaleTemporaries()
{
    const QString ownName = QFileInfo(m_copyPath).completeBaseName();
    const QStringList temporaries = QDir(m_folder).entryList({QStringLiteral(".*.??????") + QLatin1String(kSuffix)},
                                                             QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : temporaries) {
        const QString copyName = name.mid(1).section(QLatin1Char('.'), 0, 0);
        if (copyName.isEmpty() || copyName == ownName)
            continue;
        QLockFile writer(lockPathOf(QDir(m_folder).filePath(copyName + QLatin1String(kSuffix))));
        writer.setStaleLockTime(0);
        if (writer.tryLock(0))
            QFile::remove(QDir(m_folder).filePath(name));
    }
}

void RecoveryStore::removeClaimed(const QString &copyPath)
{
    const auto claim = m_claims.find(copyPath);
    if (claim == m_claims.end())
        return;
    QFile::remove(copyPath);
    m_claims.erase(claim);
}

void RecoveryStore::releaseClaims()
{
    m_claims.clear();
}

bool RecoveryStore::read(const QString &copyPath, RecoveredDrill *drill)
{
    // Whatever bears a copy's name is read as a plain file of a copy's size
    // at most, never through a link: a link to a pipe would hold the start
    // for good, one to /dev/zero fill the memory.
    QByteArray bytes;
    QString error;
    if (!BoundedFileReader::read(copyPath, MaxCopySize, BoundedFileReader::Links::Refused, &bytes, &error))
        return false;
    const int headerEnd = bytes.indexOf('\n');
    const int fileEnd = bytes.indexOf('\n', headerEnd + 1);
    if (headerEnd < 0 || fileEnd < 0 || bytes.left(headerEnd) != kHeader)
        return false;
    const QByteArray url = bytes.mid(headerEnd + 1, fileEnd - headerEnd - 1);
    drill->file = url.isEmpty() ? QString() : QUrl::fromEncoded(url).toLocalFile();
    drill->text = QString::fromUtf8(bytes.constData() + fileEnd + 1, bytes.size() - fileEnd - 1);
    return true;
}
