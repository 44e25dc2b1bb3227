#ifndef JSINTERFACE_H
#define JSINTERFACE_H

#include <QObject>
#include <QVariantMap>

// The one object the editor page shares with the host, exposed to page
// scripts as `cppInterface`. Messages are flat maps whose "msgType" names
// their type. The page calls receiveMessage(); host services emit
// sendMessage(), which runs the page's connected receiver at once, nested in
// whatever page call is on the stack.
class jsInterface : public QObject
{
    Q_OBJECT
public:
    explicit jsInterface(QObject *parent = nullptr);

    // Sends `message` to the page (through sendMessage()).
    void send(const QVariantMap &message);

signals:
    // Delivers a message to the page. Every value should be a string.
    void sendMessage(QVariantMap message);
    // A message from the page, re-emitted for the main window's dispatcher.
    void messageReceived(QVariantMap message);

public slots:
    // Called by the page; the whole handling (dialogs included) runs before
    // it returns.
    void receiveMessage(QVariantMap message);
};

#endif // JSINTERFACE_H
