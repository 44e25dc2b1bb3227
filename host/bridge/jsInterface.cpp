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
    if (m_delivery == Delivery::Direct) {
        emit sendMessage(message);
        return;
    }
    QMetaObject::invokeMethod(this, [this, message] { emit sendMessage(message); }, Qt::QueuedConnection);
}
