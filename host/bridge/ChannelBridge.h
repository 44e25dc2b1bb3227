#ifndef CHANNELBRIDGE_H
#define CHANNELBRIDGE_H

#include <QObject>
#include <QPointer>
#include <QVariantMap>

// What a web channel publishes in place of the host's bridge: the same
// signal and slot, the page's messages handed on from the event loop. The
// channel handles one message of the page at a time; a handler that waits
// in a loop of its own (a dialog, the wait for the drill's text before the
// unsaved-changes question) would hold back the very answer it waits for if
// it ran inside the channel's delivery.
class ChannelBridge : public QObject
{
    Q_OBJECT
public:
    // `bridge` has the signal sendMessage(QVariantMap) and the slot
    // receiveMessage(QVariantMap).
    ChannelBridge(QObject *bridge, QObject *parent);

    QObject *bridge() const { return m_bridge; }

signals:
    void sendMessage(QVariantMap message);

public slots:
    void receiveMessage(QVariantMap message);

private:
    QPointer<QObject> m_bridge;
};

#endif // CHANNELBRIDGE_H
