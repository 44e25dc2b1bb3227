#ifndef DATAURL_H
#define DATAURL_H

#include <QByteArray>
#include <QString>

// Data URLs (RFC 2397) as the page sends pictures: a header, a comma, the
// base64 payload.
class DataUrl
{
public:
    // The bytes of the base64 payload: the text between the first comma and
    // any second one. Empty when there is no comma.
    static QByteArray payload(const QString &dataUrl);
};

#endif // DATAURL_H
