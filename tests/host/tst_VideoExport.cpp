// The main window's video export, driven through the real bridge with the
// messages the page sends, real JPEG pictures, and real files checked with
// ffprobe and ffmpeg.
#include "ApplicationIdentity.h"
#include "DialogTestSupport.h"
#include "ModalDriver.h"
#include "SmallDisk.h"
#include "VideoProbe.h"
#include "WindowTestMain.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QBuffer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

#include <random>

namespace {

const int W = 640;
const int H = 480;

QString dataUrl(const QImage &picture, const char *format = "JPG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format, 95);
    return QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(bytes.toBase64());
}

// Picture `n` of a drill, told apart by its colour.
QColor colourOf(int n)
{
    return QColor::fromHsv((n * 47) % 360, 200, 80 + (n * 13) % 160);
}

QImage plainPicture(const QColor &colour, int width = W, int height = H)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

QVariantMap pictureMessage(int frameNumber, int nFrames, const QString &imageData)
{
    return {{"msgType", "writeVideoFrame"}, {"frameWidth", double(W)}, {"frameHeight", double(H)},
            {"frameNumber", double(frameNumber)}, {"nFrames", double(nFrames)},
            {"frameRate", 15.0}, {"imageData", imageData}};
}

// Whether a decoded picture shows the colour, give or take compression.
bool shows(const QByteArray &decoded, const QColor &colour)
{
    return VideoProbe::difference(decoded, VideoProbe::rgb(plainPicture(colour), 8, 6)) < 12;
}

} // namespace

class tst_VideoExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveDialogAndProgress();
    void fileDialogCancelledSendsNothing();
    void wholeExports_data();
    void wholeExports();
    void titleCardIsCentredAndUpright();
    void cancelStopsAtNextPictureAndKeepsFile();
    void badPicturesAreLeftOut();
    void encoderThatCannotStart();
    void fullDiskRemovesPartialFile();

private:
    void send(const QVariantMap &m) { m_bridge->receiveMessage(m); }
    QStringList sentTypes() const;
    void startExport(const QString &path);
    QProgressDialog *progress() const { return m_window->findChild<QProgressDialog *>(); }

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
    QTemporaryDir m_dir;
};

void tst_VideoExport::initTestCase()
{
    ApplicationIdentity::apply();
    quietOffscreenWarnings();
    QVERIFY(m_dir.isValid());
}

void tst_VideoExport::init()
{
    m_window.reset(new mainWindow);
    auto *view = m_window->findChild<QWebView *>();
    QSignalSpy loaded(view->page()->mainFrame(), &QWebFrame::loadFinished);
    QVERIFY(loaded.wait(10000));
    m_bridge = m_window->findChild<jsInterface *>();
    // The test plays the page: the real page must not answer with pictures of its own.
    QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
}

void tst_VideoExport::cleanup()
{
    m_sent.reset();
    m_window.reset();
}

QStringList tst_VideoExport::sentTypes() const
{
    QStringList out;
    for (const QList<QVariant> &args : *m_sent)
        out << args.at(0).toMap().value("msgType").toString();
    return out;
}

void tst_VideoExport::startExport(const QString &path)
{
    auto chooser = ModalDriver::answer<QFileDialog>([=](QFileDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    send({{"msgType", "exportVideo"}});
    QVERIFY(chooser->seen());
}

void tst_VideoExport::saveDialogAndProgress()
{
    QString title, filter, proposed;
    QWidget *parent = nullptr;
    const QString path = m_dir.filePath(QStringLiteral("chosen/drill.mp4"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("chosen"))));
    auto chooser = ModalDriver::answer<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filter = dialog->nameFilters().join(QLatin1Char(';'));
        proposed = dialog->selectedFiles().value(0).section(QLatin1Char('/'), -1);
        parent = dialog->parentWidget();
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    send({{"msgType", "exportVideo"}});
    QVERIFY(chooser->seen());
    QCOMPARE(title, QStringLiteral("Save Video"));
    QCOMPARE(filter, QStringLiteral("MP4 Video Files (*.mp4)"));
    QCOMPARE(proposed, QStringLiteral("animation.mp4"));
    QCOMPARE(parent, m_window->findChild<QWebView *>());
    QCOMPARE(sentTypes(), QStringList{"exportVideoResponse"});
    QCOMPARE(m_window->lastUsedFolder(), m_dir.filePath(QStringLiteral("chosen")));

    QProgressDialog *dialog = progress();
    QVERIFY(dialog);
    QCOMPARE(dialog->labelText(), QStringLiteral("Encoding video..."));
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->parentWidget(), m_window->findChild<QWebView *>());
    QCOMPARE(dialog->maximum(), 100);
    QCOMPARE(dialog->value(), 0);
    QVERIFY(dialog->isVisible());
    QVERIFY(!QFileInfo::exists(path)); // the file is begun by the first picture
}

void tst_VideoExport::fileDialogCancelledSendsNothing()
{
    auto chooser = ModalDriver::answer<QFileDialog>([](QFileDialog *d) { d->reject(); });
    send({{"msgType", "exportVideo"}});
    QVERIFY(chooser->seen());
    QCOMPARE(m_sent->count(), 0);
    QVERIFY(!progress());
    // Pictures with no export running are ignored.
    send(pictureMessage(0, 0, dataUrl(plainPicture(Qt::red))));
    QCOMPARE(m_sent->count(), 0);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), 0);
}

void tst_VideoExport::wholeExports_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("expectedPictures");
    QTest::newRow("one frame") << 1 << 31;
    QTest::newRow("three frames") << 3 << 61;
}

void tst_VideoExport::wholeExports()
{
    QFETCH(int, frames);
    QFETCH(int, expectedPictures);
    const QString path = m_dir.filePath(QStringLiteral("whole %1.mp4").arg(frames));
    startExport(path);
    const int nFrames = (frames - 1) * 15;
    QList<int> progressSeen;
    for (int n = 0; n <= nFrames; ++n) {
        send(pictureMessage(n, nFrames, dataUrl(plainPicture(colourOf(n)))));
        if (progress())
            progressSeen << progress()->value();
    }
    QCOMPARE(sentTypes(), QStringList{"exportVideoResponse"});
    QVERIFY(!progress());
    if (nFrames > 0)
        QCOMPARE(progressSeen.value(15), 50);
    else
        QVERIFY(progressSeen.isEmpty());

    const VideoProbe probe = VideoProbe::of(path);
    QCOMPARE(probe.problem(W, H, expectedPictures), QString());

    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path, 8, 6, &error);
    QCOMPARE(decoded.size(), expectedPictures);
    for (int i = 0; i < expectedPictures; ++i) {
        // 15 title pictures, then each sent picture once, the last 15 more times.
        const int sent = i < 15 ? -1 : qMin(i - 15, nFrames);
        if (sent >= 0)
            QVERIFY2(shows(decoded.at(i), colourOf(sent)), qPrintable(QStringLiteral("picture %1").arg(i)));
        else
            QVERIFY2(!shows(decoded.at(i), colourOf(0)), qPrintable(QStringLiteral("title picture %1").arg(i)));
    }
}

void tst_VideoExport::titleCardIsCentredAndUpright()
{
    const QString path = m_dir.filePath(QStringLiteral("title.mp4"));
    startExport(path);
    send(pictureMessage(0, 0, dataUrl(plainPicture(Qt::black))));

    // What the coach should see: the logo from the program's resources, in
    // its own colours, unscaled in the middle of a white picture.
    const QImage logo(QStringLiteral(":/Resources/logos/playvaneUrl256.png"));
    QCOMPARE(logo.size(), QSize(256, 191));
    QImage expected = plainPicture(Qt::white);
    QPainter(&expected).drawImage(192, 144, logo);

    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path, 160, 120, &error);
    QVERIFY2(decoded.size() == 31, qPrintable(error));
    const QByteArray upright = VideoProbe::rgb(expected, 160, 120);
    const QByteArray flipped = VideoProbe::rgb(expected.mirrored(false, true), 160, 120);
    const QByteArray moved = VideoProbe::rgb(expected.copy(-40, 0, W, H), 160, 120);
    for (int i : {0, 7, 14}) {
        const double d = VideoProbe::difference(decoded.at(i), upright);
        QVERIFY2(d < 3, qPrintable(QStringLiteral("title picture %1 differs by %2").arg(i).arg(d)));
        QVERIFY(VideoProbe::difference(decoded.at(i), flipped) > 2 * d + 1);
        QVERIFY(VideoProbe::difference(decoded.at(i), moved) > 2 * d + 1);
    }
}

void tst_VideoExport::cancelStopsAtNextPictureAndKeepsFile()
{
    const QString first = m_dir.filePath(QStringLiteral("cancelled.mp4"));
    startExport(first);
    const int nFrames = 30;
    for (int n = 0; n < 10; ++n)
        send(pictureMessage(n, nFrames, dataUrl(plainPicture(colourOf(n)))));
    QVERIFY(progress());
    progress()->cancel();
    QVERIFY(progress() && !progress()->isVisible()); // closes at once

    send(pictureMessage(10, nFrames, dataUrl(plainPicture(colourOf(10)))));
    QCOMPARE(sentTypes(), (QStringList{"exportVideoResponse", "breakVideoExport"}));
    QVERIFY(!progress());
    // A picture already on its way when the page stopped is ignored.
    send(pictureMessage(11, nFrames, dataUrl(plainPicture(colourOf(11)))));
    QCOMPARE(sentTypes().count(QStringLiteral("breakVideoExport")), 1);

    QString error;
    QList<QByteArray> decoded = VideoProbe::pictures(first, 8, 6, &error);
    QCOMPARE(decoded.size(), 15 + 10); // the title card and pictures 0 to 9, no hold
    QVERIFY(shows(decoded.last(), colourOf(9)));

    // A second export starts afresh: a new file, its own title card.
    const QString second = m_dir.filePath(QStringLiteral("after cancel.mp4"));
    startExport(second);
    QVERIFY(progress() && progress()->isVisible());
    send(pictureMessage(0, 0, dataUrl(plainPicture(colourOf(20)))));
    decoded = VideoProbe::pictures(second, 8, 6, &error);
    QCOMPARE(decoded.size(), 31);
    QVERIFY(!shows(decoded.first(), colourOf(20)));
    QVERIFY(shows(decoded.at(15), colourOf(20)));
    QCOMPARE(VideoProbe::pictures(first, 8, 6, &error).size(), 25);
    QCOMPARE(sentTypes().count(QStringLiteral("breakVideoExport")), 1);
}

void tst_VideoExport::badPicturesAreLeftOut()
{
    const QString path = m_dir.filePath(QStringLiteral("bad pictures.mp4"));
    startExport(path);
    const QString good = dataUrl(plainPicture(colourOf(1)));
    const QStringList pictures = {
        good,
        QStringLiteral("data:image/jpeg;base64,bm90IGEgcGljdHVyZQ=="), // "not a picture"
        dataUrl(plainPicture(colourOf(2), 320, 240)),                 // another size
        dataUrl(plainPicture(colourOf(3), 1280, 960)),                // larger than the video
        QString(good).remove(0, good.indexOf(QLatin1Char(',')) + 1),  // no comma
        QString(),
        dataUrl(plainPicture(colourOf(5))),
    };
    for (int n = 0; n < pictures.size(); ++n)
        send(pictureMessage(n, pictures.size() - 1, pictures.at(n)));
    QCOMPARE(sentTypes(), QStringList{"exportVideoResponse"});
    QVERIFY(!progress());
    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path, 8, 6, &error);
    QCOMPARE(decoded.size(), 15 + 2 + 15);
    QVERIFY(shows(decoded.at(15), colourOf(1)));
    QVERIFY(shows(decoded.at(16), colourOf(5)));
}

void tst_VideoExport::encoderThatCannotStart()
{
    // Root ignores permissions: a path under a regular file cannot be written.
    QFile plain(m_dir.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString path = plain.fileName() + QStringLiteral("/drill.mp4");
    startExport(path);

    QString title, text;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        title = b->windowTitle();
        text = b->text();
        b->accept();
    });
    send(pictureMessage(0, 30, dataUrl(plainPicture(Qt::red))));
    QVERIFY(box->seen());
    QCOMPARE(title, QStringLiteral("Error Exporting Video"));
    QVERIFY2(text.contains(path) && text.contains(QStringLiteral("Not a directory")), qPrintable(text));
    QCOMPARE(sentTypes(), (QStringList{"exportVideoResponse", "breakVideoExport"}));
    QVERIFY(!progress());
    QVERIFY(!QFileInfo::exists(path));
    send(pictureMessage(1, 30, dataUrl(plainPicture(Qt::red))));
    QCOMPARE(m_sent->count(), 2);
}

void tst_VideoExport::fullDiskRemovesPartialFile()
{
    const QString folder = m_dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/drill.mp4");
    SmallDisk disk(folder, 96 * 1024);
    qInfo("full disk made with a %s", qPrintable(disk.how()));
    startExport(path);

    // Noise does not compress: a few seconds of it overflow the disk.
    std::mt19937 random(11);
    QStringList noise;
    for (int k = 0; k < 5; ++k) {
        QImage picture(W, H, QImage::Format_RGB32);
        for (int y = 0; y < H; ++y) {
            auto *row = reinterpret_cast<quint32 *>(picture.scanLine(y));
            for (int x = 0; x < W; ++x)
                row[x] = random();
        }
        noise << dataUrl(picture);
    }
    QString text;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        text = b->text();
        b->accept();
    }, 120000);
    const int nFrames = 90;
    int sent = 0;
    while (sent <= nFrames && !sentTypes().contains(QStringLiteral("breakVideoExport")))
        send(pictureMessage(sent, nFrames, noise.at(sent % noise.size()))), ++sent;

    QVERIFY(box->seen());
    QVERIFY2(sent <= nFrames, "the export ended normally on a full disk");
    QVERIFY2(text.contains(QStringLiteral("space")) || text.contains(QStringLiteral("too large")), qPrintable(text));
    QCOMPARE(sentTypes().count(QStringLiteral("breakVideoExport")), 1);
    QVERIFY(!progress());
    QVERIFY(!QFileInfo::exists(path));
}

DRILLMORA_WINDOW_TEST_MAIN(tst_VideoExport)
#include "tst_VideoExport.moc"
