// The WebEngine build's socket for the video's pictures (PictureChannel),
// played against with real web socket clients on the loopback interface:
// what it takes from the page, and what it refuses. The whole export
// through it, with the real page: e2e/.
#include "PictureChannel.h"

#include <QSignalSpy>
#include <QWebSocket>
#include <QtTest/QTest>

#include <functional>
#include <memory>

namespace {

const QSize kSize(8, 6);
const int kPixelBytes = 8 * 6 * 4;

// One client of the channel: the page, or another program on the machine.
class Client
{
public:
    explicit Client(const QString &url)
        : m_closed(&m_socket, &QWebSocket::disconnected)
    {
        m_socket.open(QUrl(url));
        (void)QTest::qWaitFor([this] { return m_socket.state() != QAbstractSocket::ConnectingState
                                        && m_socket.state() != QAbstractSocket::HostLookupState; }, 10000);
        m_connected = m_socket.state() == QAbstractSocket::ConnectedState;
    }

    bool connectedAtFirst() const { return m_connected; }

    void text(const QString &text)
    {
        m_socket.sendTextMessage(text);
        m_socket.flush();
    }

    void bytes(const QByteArray &bytes)
    {
        m_socket.sendBinaryMessage(bytes);
        m_socket.flush();
    }

    // Picture `n` as the page sends it: its header, then its pixels.
    void picture(int n, int byteCount = kPixelBytes, const QSize &size = kSize)
    {
        text(QStringLiteral("{\"frameNumber\":%1,\"nFrames\":9,\"frameWidth\":%2,\"frameHeight\":%3,\"frameRate\":15}")
                 .arg(n).arg(size.width()).arg(size.height()));
        bytes(QByteArray(byteCount, char(n)));
    }

    // Waits, within bounds, for the channel to close this connection.
    bool closedByChannel() { return !m_closed.isEmpty() || m_closed.wait(10000); }
    bool isClosed() const { return !m_closed.isEmpty(); }

private:
    QWebSocket m_socket;
    QSignalSpy m_closed;
    bool m_connected = false;
};

// A channel open for one export, the clients of a row, and what came of them.
struct Fixture
{
    Fixture()
        : taken(&channel, &PictureChannel::pictureReceived)
        , failed(&channel, &PictureChannel::failed)
    {
        channel.open(kSize);
    }

    // A new client; the page presents the token first.
    Client &connect(bool asPage)
    {
        clients.emplace_back(std::make_unique<Client>(channel.url()));
        if (asPage)
            clients.back()->text(channel.token());
        return *clients.back();
    }

    // Waits, within bounds, until `count` pictures are taken.
    bool tookPictures(int count) { return taken.size() >= count || QTest::qWaitFor([&] { return taken.size() >= count; }, 10000); }

    QList<int> takenNumbers() const
    {
        QList<int> numbers;
        for (const QList<QVariant> &signal : taken)
            numbers << signal.at(0).toMap().value(QStringLiteral("frameNumber")).toInt();
        return numbers;
    }

    PictureChannel channel;
    QSignalSpy taken;
    QSignalSpy failed;
    std::vector<std::unique_ptr<Client>> clients;
};

using Script = std::function<void(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_PictureChannel : public QObject
{
    Q_OBJECT

private slots:
    // Each row plays one client's fault among the page's own pictures, which
    // are taken around it: the fault alone is refused. A stranger's fault
    // closes its connection only; the page's own breaks the channel, with
    // the reason. A refusal missing takes the picture the row sends with it.
    void refusals_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<QString>("failure");

        QTest::newRow("wrong token") << Script([](Fixture &f) {
            Client &stranger = f.connect(false);
            stranger.text(QString(f.channel.token()).replace(0, 1, f.channel.token().startsWith('0') ? "1" : "0"));
            stranger.picture(0);
            QVERIFY(stranger.closedByChannel());
            // The page comes after, and is let in.
            f.connect(true).picture(0);
            QVERIFY(f.tookPictures(1));
        }) << QList<int>{0} << QString();

        QTest::newRow("no token") << Script([](Fixture &f) {
            Client &stranger = f.connect(false);
            stranger.picture(0);
            QVERIFY(stranger.closedByChannel());
        }) << QList<int>{} << QString();

        QTest::newRow("second client") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0);
            QVERIFY(f.tookPictures(1));
            // Let in by nobody, even before it says anything: the page has its connection.
            QVERIFY(f.connect(false).closedByChannel());
            page.picture(1);
            QVERIFY(f.tookPictures(2));
        }) << QList<int>{0, 1} << QString();

        QTest::newRow("second client, connected before the page") << Script([](Fixture &f) {
            Client &early = f.connect(false);
            Client &page = f.connect(true);
            page.picture(0);
            QVERIFY(f.tookPictures(1));
            // Even with the token.
            early.text(f.channel.token());
            early.picture(1);
            QVERIFY(early.closedByChannel());
            page.picture(1);
            QVERIFY(f.tookPictures(2));
        }) << QList<int>{0, 1} << QString();

        QTest::newRow("wrong size, a byte short") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0);
            page.picture(1, kPixelBytes - 1);
            QVERIFY(page.closedByChannel());
        }) << QList<int>{0} << QString("sent 191 bytes for picture 1, where a picture of 8 x 6 pixels has 192");

        QTest::newRow("wrong size, a byte more") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0, kPixelBytes + 1);
            QVERIFY(page.closedByChannel());
        }) << QList<int>{} << QString("sent 193 bytes for picture 0");

        QTest::newRow("wrong size, said in the header") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0, 16 * 3 * 4, {16, 3});
            QVERIFY(page.closedByChannel());
        }) << QList<int>{} << QString("a picture of 16 x 3 pixels for a video of 8 x 6");

        QTest::newRow("out of order, ahead") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0);
            page.picture(2);
            QVERIFY(page.closedByChannel());
        }) << QList<int>{0} << QString("sent picture 2 where picture 1 was due");

        QTest::newRow("out of order, again") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0);
            page.picture(0);
            QVERIFY(page.closedByChannel());
        }) << QList<int>{0} << QString("sent picture 0 where picture 1 was due");

        QTest::newRow("pixels without their header") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.bytes(QByteArray(kPixelBytes, 0));
            QVERIFY(page.closedByChannel());
        }) << QList<int>{} << QString("pixels before saying which picture");

        QTest::newRow("after the export ended") << Script([](Fixture &f) {
            Client &page = f.connect(true);
            page.picture(0);
            QVERIFY(f.tookPictures(1));
            const QString url = f.channel.url();
            f.channel.close();
            // Sent before the page has heard of the end.
            page.picture(1);
            QVERIFY(page.closedByChannel());
            // Nobody is let in after it.
            Client late(url);
            QVERIFY(!late.connectedAtFirst());
        }) << QList<int>{0} << QString();
    }

    void refusals()
    {
        QFETCH(Script, script);
        QFETCH(QList<int>, taken);
        QFETCH(QString, failure);
        Fixture f;
        QVERIFY(f.channel.isOpen() && f.channel.url().startsWith("ws://127.0.0.1:") && f.channel.token().size() == 32);
        QVERIFY(f.clients.empty() && f.connect(false).connectedAtFirst());
        f.clients.clear();
        script(f);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(f.takenNumbers(), taken);
        QCOMPARE(f.failed.size(), failure.isEmpty() ? 0 : 1);
        if (!failure.isEmpty()) {
            const QString said = f.failed.at(0).at(0).toString();
            QVERIFY2(said.contains(failure), qPrintable(said));
            QVERIFY(!f.channel.isOpen());
        }
    }
};

QTEST_GUILESS_MAIN(tst_PictureChannel)
#include "tst_PictureChannel.moc"
