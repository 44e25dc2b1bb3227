#ifndef FAKEBRIDGE_H
#define FAKEBRIDGE_H

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// Stands in for the host's bridge object. The page sees it as `cppInterface`
// with the same signal and slot as the real one; the extra slots let a page
// test play the host: make it send a message, program a reply, and read what
// the page sent.
class FakeBridge : public QObject
{
    Q_OBJECT
public:
    explicit FakeBridge(QObject *parent = nullptr);

signals:
    // Host to page, as on the real bridge.
    void sendMessage(QVariantMap message);

public slots:
    // Page to host: recorded, then answered at once (nested inside the
    // page's call, as the real host does) if a reply is programmed for the
    // message's type.
    void receiveMessage(QVariantMap message);

    // Makes the host send `message` to the page now.
    void emitToPage(QVariantMap message);
    // From now on, answer every page message of type `requestType` with
    // `reply`.
    void setReply(const QString &requestType, QVariantMap reply);
    void clearReplies();

    // What the page has sent, oldest first.
    QVariantList receivedMessages() const;
    void clearReceivedMessages();

private:
    QVariantList m_received;
    QHash<QString, QVariantMap> m_replies;
};

#endif // FAKEBRIDGE_H
