#include "HeadlessPlatform.h"

#include <QByteArray>
#include <QtGlobal>

bool HeadlessPlatform::hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void HeadlessPlatform::chooseOffscreen()
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}
