#ifndef SMALLDISK_H
#define SMALLDISK_H

#include <QProcess>

#include <csignal>
#include <sys/resource.h>

// Makes `folder` a place with room for `bytes` and no more, for tests of a
// full disk: a small tmpfs mounted there where mounting is allowed (CI runs
// as root), otherwise a file size limit on this process, which the kernel
// reports the same way, as a failed write. Undone when it goes out of scope.
class SmallDisk
{
public:
    SmallDisk(const QString &folder, int bytes)
        : m_folder(folder)
    {
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(bytes), "tmpfs", folder}) == 0;
        // Past the limit the kernel would otherwise end the process.
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_limit);
        rlimit small = m_limit;
        small.rlim_cur = m_mounted ? m_limit.rlim_cur : rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute("umount", {m_folder});
        setrlimit(RLIMIT_FSIZE, &m_limit);
    }

private:
    QString m_folder;
    bool m_mounted = false;
    rlimit m_limit{};
};

#endif // SMALLDISK_H
