#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <unistd.h>

// The proportional set size (PSS) of this process and every process it
// started (WebEngine's page and helper processes), in kB, from /proc.
inline qint64 pssOfProcessTreeKb()
{
    QHash<qint64, QList<qint64>> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children[fields[1].toLongLong()].append(pid);
    }
    qint64 total = 0;
    QList<qint64> pending{qint64(getpid())};
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeFirst();
        pending += children.value(pid);
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
