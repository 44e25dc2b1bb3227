#ifndef JSINTERFACE_H
#define JSINTERFACE_H

#include <QObject>
#include <QVariantMap>

// The one object the editor page shares with the host, exposed to page
// scripts as `cppInterface`. Messages are flat maps whose "msgType" names
// their type. The page calls receiveMessage(); host services call send(),
// which emits sendMessage() to the page's connected receiver.
//
// Neither side relies on when a reply arrives: inside the send call that
// caused it (QtWebKit delivers a signal at once, nested in whatever page
// call is on the stack) or later, from the event loop (as a web channel
// does). Every exchange that needs an answer is carried by messages of its
// own (see README.md, "The bridge").
class jsInterface : public QObject
{
    Q_OBJECT
public:
    // Direct: sendMessage() is emitted inside send(). Queued: once the event
    // loop is reached again, in the order sent, as an engine whose page runs
    // elsewhere delivers it; the tests run the host both ways.
    enum class Delivery { Direct, Queued };

    explicit jsInterface(QObject *parent = nullptr);

    // Sends `message` to the page (through sendMessage()), now or queued.
    void send(const QVariantMap &message);

    void setDelivery(Delivery delivery) { m_delivery = delivery; }
    Delivery delivery() const { return m_delivery; }

signals:
    // Delivers a message to the page. Every value should be a string.
    void sendMessage(QVariantMap message);
    // A message from the page, re-emitted for the main window's dispatcher.
    void messageReceived(QVariantMap message);

public slots:
    // Called by the page; the whole handling (dialogs included) may run
    // before it returns.
    void receiveMessage(QVariantMap message);

private:
    Delivery m_delivery = Delivery::Direct;
};

#endif // JSINTERFACE_H
