#ifndef MESSAGEMAP_H
#define MESSAGEMAP_H

#include <QString>
#include <QVariantMap>

// The members of a message from the page, read by name. A member that is
// missing or of another type reads as the empty text, 0 or false, as
// QVariant converts it, so a handler never sees a null.
class MessageMap
{
public:
    static QString text(const QVariantMap &message, const char *key);
    static int number(const QVariantMap &message, const char *key);
    static bool flag(const QVariantMap &message, const char *key);

    // An empty answer must still reach the page as "" rather than null.
    static QString nonNull(const QString &text);
};

#endif // MESSAGEMAP_H
