#include "DataUrl.h"

QByteArray DataUrl::payload(const QString &dataUrl)
{
    const int start = dataUrl.indexOf(QLatin1Char(','));
    if (start < 0)
        return QByteArray();
    const int end = dataUrl.indexOf(QLatin1Char(','), start + 1);
    return QByteArray::fromBase64(QStringView(dataUrl).mid(start + 1, end < 0 ? -1 : end - start - 1).toLatin1());
}
