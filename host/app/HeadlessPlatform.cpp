#include "HeadlessPlatform.h"

#include "CommandLine.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

namespace {

const char Variable[] = "QT_QPA_PLATFORM";
const QByteArray Offscreen = QByteArrayLiteral("offscreen");
// Qt's own default on Linux when QT_QPA_PLATFORM is not set.
const QByteArray Usual = QByteArrayLiteral("xcb");

bool offscreenByName = false;
bool wasSet = false;
QByteArray named;

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

void HeadlessPlatform::choose(const CommandLine &commandLine)
{
    const CommandLine::Action action = commandLine.action();
    // A usage error may only be Qt's own options (-style, -platform), which
    // the application object takes out before the real reading: the
    // editor's platform then, in case the editor is what was meant.
    const bool windowless = action != CommandLine::Action::Edit && action != CommandLine::Action::UsageError;
    wasSet = qEnvironmentVariableIsSet(Variable);
    named = qgetenv(Variable);
    offscreenByName = named == Offscreen;
    if (windowless || (named.isEmpty() && !hasDisplay())) {
        qputenv(Variable, Offscreen);
        return;
    }
    // Qt tries the platforms of a list in turn: a display that is named but
    // not there leaves the program offscreen, where it can say so.
    if (!named.split(';').contains(Offscreen))
        qputenv(Variable, (named.isEmpty() ? Usual : named) + ';' + Offscreen);
}

void HeadlessPlatform::restoreEnvironment()
{
    if (wasSet)
        qputenv(Variable, named);
    else
        qunsetenv(Variable);
}

bool HeadlessPlatform::canShowWindows()
{
    return offscreenByName || QGuiApplication::platformName() != QString::fromLatin1(Offscreen);
}
