#include "ApplicationIdentity.h"

#include <QCoreApplication>

void ApplicationIdentity::apply()
{
    QCoreApplication::setApplicationName(QStringLiteral("Drillmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Norrick Limited"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("drillmora.com"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.1"));
}

QUrl ApplicationIdentity::webSite()
{
    return QUrl(QStringLiteral("https://www.drillmora.com"));
}
