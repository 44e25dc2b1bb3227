// Prints what the host side of a video export costs for a drill of 10
// frames (136 pictures from the page, 166 in the video): the time the page
// waits in each "writeVideoFrame", split into decoding and the rest, the
// time of the last picture (hold and finishing the file), the encoder alone
// on the same pictures, and the peak resident memory. The pictures are
// drawn beforehand like the page's: a striped pitch with 25 moving items,
// as JPEG data URLs.
#include "ApplicationIdentity.h"
#include "BoundedImageReader.h"
#include "EditorView.h"
#include "ModalDriver.h"
#include "Mp4Encoder.h"
#include "VideoPicture.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <sys/resource.h>

namespace {

const int W = 640;
const int H = 480;
const int kFrames = 10;
const int kItems = 25;

QString drillPicture(int n)
{
    QImage picture(W, H, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    for (int s = 0; s < 10; ++s)
        p.fillRect(s * W / 10, 0, W / 10, H, s % 2 ? QColor(92, 160, 70) : QColor(100, 170, 76));
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(20, 20, W - 40, H - 40);
    p.drawLine(W / 2, 20, W / 2, H - 20);
    p.drawEllipse(QPoint(W / 2, H / 2), 60, 60);
    const double t = n / 15.0;
    for (int i = 0; i < kItems; ++i) {
        const double x = 60 + std::fmod(i * 97 + t * (20 + i * 3), W - 120);
        const double y = 60 + std::fmod(i * 61 + t * (15 + i * 2), H - 120);
        p.setBrush(i % 3 ? QColor(200, 30, 30) : QColor(30, 60, 200));
        p.setPen(QPen(Qt::black, 1.5));
        p.drawEllipse(QPointF(x, y), 11, 11);
        p.setPen(Qt::white);
        p.drawText(QRectF(x - 11, y - 11, 22, 22), Qt::AlignCenter, QString::number(i + 1));
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 92);
    return QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(bytes.toBase64());
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    Q_UNUSED(argc);
    int appArgc = 1;
    EditorView::prepareProcess();
    QApplication app(appArgc, argv);
    ApplicationIdentity::apply();
    QTextStream out(stdout);
    QTemporaryDir dir;

    const int nFrames = (kFrames - 1) * 15;
    QStringList pictures;
    for (int n = 0; n <= nFrames; ++n)
        pictures << drillPicture(n);
    out << pictures.size() << " pictures from the page, " << pictures.size() + 30
        << " in the video; JPEG data URLs of " << pictures.first().size() / 1024 << " KiB\n";

    mainWindow window;
    QEventLoop loading;
    QObject::connect(window.findChild<EditorView *>(), &EditorView::loadFinished, &loading, &QEventLoop::quit);
    loading.exec();
    out << "peak memory with the page loaded, before the export: " << peakKiB() / 1024 << " MiB\n";
    auto *bridge = window.findChild<jsInterface *>();
    QObject::disconnect(bridge, &jsInterface::sendMessage, nullptr, nullptr);
    const QString path = dir.filePath(QStringLiteral("drill.mp4"));
    auto chooser = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    bridge->receiveMessage({{"msgType", "exportVideo"}});

    QElapsedTimer whole;
    whole.start();
    double waited = 0, first = 0, last = 0, decoding = 0;
    for (int n = 0; n <= nFrames; ++n) {
        const QVariantMap message = {{"msgType", "writeVideoFrame"}, {"frameWidth", double(W)},
                                     {"frameHeight", double(H)}, {"frameNumber", double(n)},
                                     {"nFrames", double(nFrames)}, {"frameRate", 15.0},
                                     {"imageData", pictures.at(n)}};
        QElapsedTimer decodeClock;
        decodeClock.start();
        BoundedImageReader::readDataUrl(pictures.at(n), "JPEG");
        decoding += decodeClock.nsecsElapsed() / 1e6;
        QElapsedTimer clock;
        clock.start();
        bridge->receiveMessage(message);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (n == 0)
            first = ms;
        else if (n == nFrames)
            last = ms;
        else
            waited += ms;
    }
    const double wall = whole.nsecsElapsed() / 1e6 - decoding;
    const double seconds = (pictures.size() + 30) / 15.0;
    out << "host, per \"writeVideoFrame\" (decode, copy, queue): "
        << QString::number(waited / (nFrames - 1), 'f', 2) << " ms, of which decoding "
        << QString::number(decoding / (nFrames + 1), 'f', 2) << " ms\n"
        << "first picture (encoder start, title card): " << QString::number(first, 'f', 1) << " ms\n"
        << "last picture (hold, finishing the file): " << QString::number(last, 'f', 1) << " ms\n"
        << "host total: " << QString::number(wall, 'f', 0) << " ms for " << QString::number(seconds, 'f', 2)
        << " s of video (" << QString::number(seconds * 1000 / wall, 'f', 1) << "x real time)\n"
        << "file: " << QFileInfo(path).size() / 1024 << " KiB\n"
        << "peak memory: " << peakKiB() / 1024 << " MiB\n";

    // Afterwards, so that its pictures held in memory do not count in the export's peak.
    {
        QList<QImage> decoded;
        QElapsedTimer decodeClock;
        decodeClock.start();
        for (const QString &p : pictures)
            decoded << BoundedImageReader::readDataUrl(p, "JPEG");
        const double decodeMs = decodeClock.nsecsElapsed() / 1e6 / pictures.size();
        QString error;
        QElapsedTimer clock;
        clock.start();
        auto encoder = Mp4Encoder::create(W, H, 15, dir.filePath(QStringLiteral("alone.mp4")), &error);
        for (int i = 0; i < pictures.size() + 30; ++i)
            encoder->writePixels(VideoPicture::canvasPixels(decoded.at(qBound(0, i - 15, decoded.size() - 1))), 1);
        encoder->finish();
        const double ms = clock.nsecsElapsed() / 1e6;
        out << "decoding alone: " << QString::number(decodeMs, 'f', 2) << " ms a picture\n"
            << "encoder alone: " << QString::number(ms, 'f', 0) << " ms for " << pictures.size() + 30
            << " pictures, " << QString::number(ms / (pictures.size() + 30), 'f', 2) << " ms a picture\n";
    }

    return chooser->seen() && QFileInfo::exists(path) ? 0 : 1;
}
