#include "MessageMap.h"

QString MessageMap::text(const QVariantMap &message, const char *key)
{
    return message.value(QLatin1String(key)).toString();
}

int MessageMap::number(const QVariantMap &message, const char *key)
{
    return message.value(QLatin1String(key)).toInt();
}

bool MessageMap::flag(const QVariantMap &message, const char *key)
{
    return message.value(QLatin1String(key)).toBool();
}

QString MessageMap::nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}
