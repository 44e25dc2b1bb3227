#include "LastUsedFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const char kFolderKey[] = "lastUsedFolder";

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

LastUsedFolder::LastUsedFolder(Kept kept)
    : m_kept(kept)
{
    if (kept == Kept::BetweenRuns)
        m_folder = QSettings().value(QLatin1String(kFolderKey)).toString();
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0);
}

QString LastUsedFolder::path() const
{
    return isFolder(m_folder) ? m_folder : QDir::homePath();
}

QString LastUsedFolder::withName(const QString &name) const
{
    const QFileInfo given(name);
    if (given.isAbsolute() && isFolder(given.absolutePath()))
        return name;
    return path() + QLatin1Char('/') + given.fileName();
}

void LastUsedFolder::rememberFolderOf(const QString &filePath)
{
    m_folder = QFileInfo(filePath).absolutePath();
    if (m_kept == Kept::BetweenRuns)
        QSettings().setValue(QLatin1String(kFolderKey), m_folder);
}
