#ifndef PICTURECHANNEL_H
#define PICTURECHANNEL_H

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QVariantMap>

class QWebSocket;
class QWebSocketServer;

// The way the video's pictures come from a page whose bridge carries only
// text and numbers (a web channel would spell every byte out as a number):
// a web socket server on the loopback interface, opened for one export.
//
// The page connects to url() and sends token() as its first message, a
// text. Then, for each picture, a text (the "writeVideoFrame" message's
// numbers, and the club logo with the first, as a JSON object) followed by
// a binary message of exactly width x height x 4 bytes: the canvas's
// pixels as getImageData gives them. Pictures are numbered from 0, one
// after the other; the page sends the next only once the host has
// acknowledged the last through the bridge, as it does without a channel.
//
// Refused, with the connection closed and nothing taken: a client whose
// first message is not the token, any client once the page has presented
// it, and anything after close(). A picture of another size, one out of
// turn or a message out of its place in the page's own connection breaks
// the channel: failed() says why and the channel closes.
class PictureChannel : public QObject
{
    Q_OBJECT
public:
    explicit PictureChannel(QObject *parent = nullptr);
    ~PictureChannel() override;

    // Opens for pictures of `size`, with a new token; a channel still open
    // is closed first. False when no port on the loopback interface could
    // be had (the page then sends its pictures through the bridge).
    bool open(const QSize &size);
    // Stops listening and ends every connection; nothing more is taken.
    void close();
    bool isOpen() const;

    // "ws://127.0.0.1:<port>" while open.
    QString url() const;
    // The secret the page presents first: 32 hexadecimal digits from the
    // system's random source, new at every open().
    QString token() const;

signals:
    // One whole picture, as the "writeVideoFrame" message it stands for:
    // the header's members (numbers as doubles, as the bridge gives them)
    // with the bytes in `pixels`.
    void pictureReceived(const QVariantMap &message);
    // The page's own connection broke the rules or closed before close():
    // one sentence. The channel is closed by then.
    void failed(const QString &reason);

private:
    void admit();
    void readText(QWebSocket *client, const QString &text);
    void readBinary(QWebSocket *client, const QByteArray &bytes);
    void clientGone(QWebSocket *client);
    bool takeHeader(const QString &text, QString *problem);
    void breakChannel(const QString &reason);
    void refuse(QWebSocket *client);

    // Owned by the channel; gone once closed.
    QPointer<QWebSocketServer> m_server;
    QPointer<QWebSocket> m_page;
    QString m_token;
    QSize m_size;
    // The number the next picture must have.
    int m_next = 0;
    // The header of the picture whose pixels come next; empty between pictures.
    QVariantMap m_header;
};

#endif // PICTURECHANNEL_H
