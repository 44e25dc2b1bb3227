#ifndef PRIVATESETTINGS_H
#define PRIVATESETTINGS_H

#include <QSettings>
#include <QTemporaryDir>

// Points QSettings at a fresh folder of the test's own, so no test reads or
// writes the user's settings. Call it before the first mainWindow is made.
inline QString usePrivateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    return dir.path();
}

#endif // PRIVATESETTINGS_H
