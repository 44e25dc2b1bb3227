#include "ChannelBridge.h"

ChannelBridge::ChannelBridge(QObject *bridge, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
{
    connect(bridge, SIGNAL(sendMessage(QVariantMap)), this, SIGNAL(sendMessage(QVariantMap)));
}

void ChannelBridge::receiveMessage(QVariantMap message)
{
    if (m_bridge)
        QMetaObject::invokeMethod(m_bridge, "receiveMessage", Qt::QueuedConnection, Q_ARG(QVariantMap, message));
}
