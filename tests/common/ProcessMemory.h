#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <unistd.h>

// Each process's fields of /proc/PID/stat after its name, by pid.
inline QHash<qint64, QList<QByteArray>> processStats()
{
    QHash<qint64, QList<QByteArray>> stats;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        stats.insert(pid, line.mid(line.lastIndexOf(')') + 2).split(' '));
    }
    return stats;
}

// Every process `root` started, and every one those started, in `stats`.
inline QList<qint64> descendantsOf(qint64 root, const QHash<qint64, QList<QByteArray>> &stats)
{
    QHash<qint64, QList<qint64>> children;
    for (auto process = stats.cbegin(); process != stats.cend(); ++process) {
        if (process.value().size() > 1)
            children[process.value().at(1).toLongLong()].append(process.key());
    }
    QList<qint64> found, pending = children.value(root);
    while (!pending.isEmpty()) {
        found << pending.takeFirst();
        pending += children.value(found.last());
    }
    return found;
}

// The proportional set size (PSS) of this process and every process it
// started (WebEngine's page and helper processes), in kB, from /proc.
inline qint64 pssOfProcessTreeKb()
{
    qint64 total = 0;
    for (const qint64 pid : QList<qint64>{qint64(getpid())} + descendantsOf(getpid(), processStats())) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        const auto match = QRegularExpression(QStringLiteral("\\nPss:\\s+(\\d+) kB")).match(QString::fromLatin1(rollup.readAll()));
        if (match.hasMatch())
            total += match.captured(1).toLongLong();
    }
    return total;
}

#endif // PROCESSMEMORY_H
