#include "FakeBridge.h"

FakeBridge::FakeBridge(QObject *parent)
    : QObject(parent)
{
}

void FakeBridge::receiveMessage(QVariantMap message)
{
    m_received.append(message);
    const QString type = message.value(QStringLiteral("msgType")).toString();
    const auto reply = m_replies.constFind(type);
    if (reply != m_replies.constEnd())
        emit sendMessage(reply.value());
}

void FakeBridge::emitToPage(QVariantMap message)
{
    emit sendMessage(message);
}

void FakeBridge::setReply(const QString &requestType, QVariantMap reply)
{
    m_replies.insert(requestType, reply);
}

void FakeBridge::clearReplies()
{
    m_replies.clear();
}

QVariantList FakeBridge::receivedMessages() const
{
    return m_received;
}

void FakeBridge::clearReceivedMessages()
{
    m_received.clear();
}
