// The MP4 encoder writes real files, checked with ffprobe and ffmpeg; its
// failures (no file, full disk) come back as results, never as an exit.
#include "Mp4Encoder.h"
#include "SmallDisk.h"
#include "VideoProbe.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <random>

namespace {

const int W = 640;
const int H = 480;

int grey(int index)
{
    return 16 + (index * 7) % 224;
}

// Picture `index` as seen on screen: the top half red, the bottom half a
// grey that names the picture (order and orientation are checked through
// the video export). Stored bottom row first, as the encoder takes it.
void paintNumbered(uchar *buffer, int index)
{
    for (int screenRow = 0; screenRow < H; ++screenRow) {
        uchar *row = buffer + size_t(H - 1 - screenRow) * W * 4;
        const bool top = screenRow < H / 2;
        for (int x = 0; x < W; ++x) {
            uchar *p = row + x * 4;
            p[0] = top ? 0 : uchar(grey(index));   // blue
            p[1] = top ? 0 : uchar(grey(index));   // green
            p[2] = top ? 255 : uchar(grey(index)); // red
            p[3] = 0x5a;                           // ignored
        }
    }
}

void paintNoise(uchar *buffer, std::mt19937 &random)
{
    for (int i = 0; i < W * H * 4; i += 4) {
        const uint32_t v = random();
        std::memcpy(buffer + i, &v, 4);
    }
}

} // namespace

class tst_Mp4Encoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesPlayableVideo_data();
    void writesPlayableVideo();
    void badTargetsFailWithoutFile_data();
    void badTargetsFailWithoutFile();
    void fullDiskFailsWithoutFile();

private:
    QTemporaryDir m_dir;
};

void tst_Mp4Encoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_Mp4Encoder::writesPlayableVideo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pictures");
    QTest::newRow("one picture") << "one.mp4" << 1;
    QTest::newRow("more pictures than buffers, odd count") << "drill.mp4" << 31;
    QTest::newRow("name outside ASCII") << QString::fromUtf8("Übung Ciarán ⚽ 小.mp4") << 17;
}

void tst_Mp4Encoder::writesPlayableVideo()
{
    QFETCH(QString, name);
    QFETCH(int, pictures);
    const QString path = m_dir.filePath(name);
    QString error;
    auto encoder = Mp4Encoder::create(W, H, 15, path, &error);
    QVERIFY2(encoder, qPrintable(error));
    QCOMPARE(encoder->frameBytes(), W * H * 4);
    for (int i = 0; i < pictures; ++i) {
        uchar *buffer = encoder->frameBuffer();
        QVERIFY(buffer);
        paintNumbered(buffer, i);
        QVERIFY(encoder->writeFrame());
    }
    QVERIFY2(encoder->finish(), qPrintable(encoder->errorString()));
    QVERIFY(encoder->finish()); // a second finish changes nothing
    encoder.reset();

    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    const VideoProbe probe = VideoProbe::of(path);
    QVERIFY2(probe.error.isEmpty(), qPrintable(probe.error));
    QCOMPARE(probe.codec, QStringLiteral("h264"));
    QCOMPARE(probe.width, W);
    QCOMPARE(probe.height, H);
    QCOMPARE(probe.frameRate, QStringLiteral("15/1"));
    QCOMPARE(probe.frameTimes.size(), pictures);
    for (int i = 0; i < pictures; ++i)
        QVERIFY2(qAbs(probe.frameTimes.at(i) - i / 15.0) < 0.001,
                 qPrintable(QStringLiteral("picture %1 shown at %2 s").arg(i).arg(probe.frameTimes.at(i))));
}

void tst_Mp4Encoder::badTargetsFailWithoutFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("width");
    // Root ignores write permissions: a path under a regular file stands for
    // a place nobody can write.
    QTest::newRow("under a regular file") << "plain.txt/drill.mp4" << W;
    QTest::newRow("missing folder") << "no such folder/drill.mp4" << W;
    QTest::newRow("a folder") << "folder" << W;
    QTest::newRow("odd width") << "odd.mp4" << W - 1;
}

void tst_Mp4Encoder::badTargetsFailWithoutFile()
{
    QFETCH(QString, target);
    QFETCH(int, width);
    QFile plain(m_dir.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("keep me");
    plain.close();
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));

    const QString path = m_dir.filePath(target);
    QString error;
    auto encoder = Mp4Encoder::create(width, H, 15, path, &error);
    QVERIFY(!encoder);
    QVERIFY(!error.isEmpty());
    QCOMPARE(QFileInfo(path).isFile(), false);
    QCOMPARE(QFileInfo(m_dir.filePath(QStringLiteral("odd.mp4"))).exists(), false);
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("keep me"));
}

void tst_Mp4Encoder::fullDiskFailsWithoutFile()
{
    const QString folder = m_dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/drill.mp4");
    bool failedWhileWriting = false;
    bool finished = true;
    QString error;
    {
        SmallDisk disk(folder, 96 * 1024);
        qInfo("full disk made with a %s", qPrintable(disk.how()));
        auto encoder = Mp4Encoder::create(W, H, 15, path, &error);
        QVERIFY2(encoder, qPrintable(error));
        std::mt19937 random(7);
        // Noise cannot be compressed: 150 pictures are far more than 96 KiB.
        for (int i = 0; i < 150 && !failedWhileWriting; ++i) {
            uchar *buffer = encoder->frameBuffer();
            if (!buffer) {
                failedWhileWriting = true;
                break;
            }
            paintNoise(buffer, random);
            failedWhileWriting = !encoder->writeFrame();
        }
        finished = encoder->finish();
        error = encoder->errorString();
        QVERIFY(!QFileInfo::exists(path));
    }
    QVERIFY(!finished);
    QVERIFY2(error.contains(QStringLiteral("too large")) || error.contains(QStringLiteral("space")),
             qPrintable(error));
    qInfo("reported: %s (%s)", qPrintable(error),
          failedWhileWriting ? "while writing" : "when finishing");
}

QTEST_GUILESS_MAIN(tst_Mp4Encoder)
#include "tst_Mp4Encoder.moc"
