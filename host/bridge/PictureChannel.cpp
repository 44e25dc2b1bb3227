#include "PictureChannel.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

// What a client may send before it has presented the token: the token.
const qint64 kStrangerBytes = 1024;
// Room for the first picture's header, which carries the club logo as a
// data URL, beside the pixels.
const qint64 kHeaderBytes = 4 * 1024 * 1024;

QString newToken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex());
}

// Compared in full whatever the first difference, so that the time taken
// says nothing of how much of a guess was right.
bool sameToken(const QString &given, const QString &token)
{
    if (given.size() != token.size())
        return false;
    int differences = 0;
    for (int i = 0; i < token.size(); ++i)
        differences |= given.at(i).unicode() ^ token.at(i).unicode();
    return differences == 0;
}

} // namespace

PictureChannel::PictureChannel(QObject *parent)
    : QObject(parent)
{
}

PictureChannel::~PictureChannel() = default;

bool PictureChannel::open(const QSize &size)
{
    close();
    m_server = new QWebSocketServer(QStringLiteral("Drillmora pictures"), QWebSocketServer::NonSecureMode, this);
    m_server->setMaxPendingConnections(4);
    if (!m_server->listen(QHostAddress::LocalHost, 0)) {
        delete m_server;
        return false;
    }
    connect(m_server, &QWebSocketServer::newConnection, this, &PictureChannel::admit);
    m_token = newToken();
    m_size = size;
    m_next = 0;
    m_header.clear();
    return true;
}

// From inside a client's own signal too (the last picture ends the export):
// the server and its clients go once that has returned.
void PictureChannel::close()
{
    if (!m_server)
        return;
    QWebSocketServer *server = m_server;
    m_server.clear();
    server->disconnect(this);
    server->close();
    for (QWebSocket *client : server->findChildren<QWebSocket *>()) {
        client->disconnect(this);
        client->close(QWebSocketProtocol::CloseCodeNormal);
    }
    server->deleteLater();
    m_page.clear();
    m_token.clear();
    m_header.clear();
}

bool PictureChannel::isOpen() const
{
    return !m_server.isNull();
}

QString PictureChannel::url() const
{
    return isOpen() ? QStringLiteral("ws://127.0.0.1:%1").arg(m_server->serverPort()) : QString();
}

QString PictureChannel::token() const
{
    return m_token;
}

void PictureChannel::admit()
{
    while (m_server && m_server->hasPendingConnections()) {
        QWebSocket *client = m_server->nextPendingConnection();
        // The page has its connection: nobody else is let in.
        if (m_page) {
            refuse(client);
            continue;
        }
        client->setMaxAllowedIncomingMessageSize(kStrangerBytes);
        connect(client, &QWebSocket::textMessageReceived, this,
                [this, client](const QString &text) { readText(client, text); });
        connect(client, &QWebSocket::binaryMessageReceived, this,
                [this, client](const QByteArray &bytes) { readBinary(client, bytes); });
        connect(client, &QWebSocket::disconnected, this, [this, client] { clientGone(client); });
    }
}

void PictureChannel::readText(QWebSocket *client, const QString &text)
{
    if (client != m_page) {
        if (m_page || !sameToken(text, m_token)) {
            refuse(client);
            return;
        }
        m_page = client;
        const qint64 pixels = qint64(m_size.width()) * m_size.height() * 4;
        client->setMaxAllowedIncomingMessageSize(qMax(pixels, kHeaderBytes));
        client->setMaxAllowedIncomingFrameSize(qMax(pixels, kHeaderBytes));
        return;
    }
    QString problem;
    if (!takeHeader(text, &problem))
        breakChannel(problem);
}

bool PictureChannel::takeHeader(const QString &text, QString *problem)
{
    if (!m_header.isEmpty()) {
        *problem = tr("The page described picture %1 twice before sending it.").arg(m_next);
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject()) {
        *problem = tr("The page described picture %1 in a form the host does not read.").arg(m_next);
        return false;
    }
    QVariantMap header = document.object().toVariantMap();
    const int number = header.value(QStringLiteral("frameNumber")).toInt();
    if (number != m_next) {
        *problem = tr("The page sent picture %1 where picture %2 was due.").arg(number).arg(m_next);
        return false;
    }
    // The page works the height out from the width: a fraction's rounding may show.
    const QSize size(qRound(header.value(QStringLiteral("frameWidth")).toDouble()),
                     qRound(header.value(QStringLiteral("frameHeight")).toDouble()));
    if (size != m_size) {
        *problem = tr("The page sent a picture of %1 x %2 pixels for a video of %3 x %4.")
                       .arg(size.width()).arg(size.height()).arg(m_size.width()).arg(m_size.height());
        return false;
    }
    header.insert(QStringLiteral("msgType"), QStringLiteral("writeVideoFrame"));
    m_header = header;
    return true;
}

void PictureChannel::readBinary(QWebSocket *client, const QByteArray &bytes)
{
    if (client != m_page) {
        refuse(client);
        return;
    }
    if (m_header.isEmpty()) {
        breakChannel(tr("The page sent pixels before saying which picture they are."));
        return;
    }
    const qint64 expected = qint64(m_size.width()) * m_size.height() * 4;
    if (bytes.size() != expected) {
        breakChannel(tr("The page sent %1 bytes for picture %2, where a picture of %3 x %4 pixels has %5.")
                         .arg(bytes.size()).arg(m_next).arg(m_size.width()).arg(m_size.height()).arg(expected));
        return;
    }
    QVariantMap message = m_header;
    message.insert(QStringLiteral("pixels"), bytes);
    m_header.clear();
    ++m_next;
    emit pictureReceived(message);
}

void PictureChannel::clientGone(QWebSocket *client)
{
    client->deleteLater();
    if (client == m_page)
        breakChannel(tr("The page's picture connection closed before the video was complete."));
}

void PictureChannel::breakChannel(const QString &reason)
{
    close();
    emit failed(reason);
}

void PictureChannel::refuse(QWebSocket *client)
{
    client->disconnect(this);
    client->close(QWebSocketProtocol::CloseCodePolicyViolated);
    client->deleteLater();
}
