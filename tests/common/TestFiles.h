#ifndef TESTFILES_H
#define TESTFILES_H

#include <QtTest>

// Writes `bytes` to `path`, failing the calling test when it cannot.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The file's bytes, or "<unreadable>" when there is no such file.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

#endif // TESTFILES_H
