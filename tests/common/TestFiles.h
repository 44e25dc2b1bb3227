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

// Points QSettings and the user's data folder (where recovery copies are
// kept) at fresh folders of the test's own, so no test reads or writes the
// user's. Call it before the first mainWindow is made.
inline void usePrivateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
}

#endif // TESTFILES_H
