#include "ScriptEngineWorkarounds.h"

#include <QByteArray>
#include <QtGlobal>

void ScriptEngineWorkarounds::apply()
{
    if (!qEnvironmentVariableIsSet("JSC_useDFGJIT"))
        qputenv("JSC_useDFGJIT", QByteArrayLiteral("false"));
}
