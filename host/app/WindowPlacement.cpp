#include "WindowPlacement.h"

#include <QSettings>
#include <QWidget>

namespace {

const char kGeometryKey[] = "window/geometry";

} // namespace

void WindowPlacement::restore(QWidget *window)
{
    const QByteArray geometry = QSettings().value(QLatin1String(kGeometryKey)).toByteArray();
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
}

void WindowPlacement::save(const QWidget *window)
{
    QSettings().setValue(QLatin1String(kGeometryKey), window->saveGeometry());
}
