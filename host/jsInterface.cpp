#include "jsInterface.h"

jsInterface::jsInterface(QObject *parent)
    : QObject(parent)
{
}

void jsInterface::receiveMessage(QVariantMap message)
{
    emit messageReceived(message);
}

void jsInterface::send(const QVariantMap &message)
{
    emit sendMessage(message);
}
