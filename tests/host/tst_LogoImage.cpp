// Logo normalisation and the bounded picture reader, with real picture
// files written to a temporary folder.
#include "BoundedImageReader.h"
#include "LogoImage.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// An opaque picture of `size`, red, with a blue pixel in its top-left corner
// so that placement can be checked.
QImage opaquePicture(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 0, 0));
    image.setPixelColor(0, 0, QColor(0, 0, 200));
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

// A valid PNG header (signature and IHDR) claiming `width` x `height`, with
// no picture data behind it: what a hostile file looks like to the reader.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    QByteArray ihdr;
    QDataStream out(&ihdr, QIODevice::WriteOnly);
    out.writeRawData("IHDR", 4);
    out << width << height << quint8(8) << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    QDataStream file(&bytes, QIODevice::Append);
    file << quint32(13);
    file.writeRawData(ihdr.constData(), ihdr.size());
    file << crc32(ihdr);
    return bytes;
}

} // namespace

class tst_LogoImage : public QObject
{
    Q_OBJECT

private slots:
    void normalisedLogo_data();
    void normalisedLogo();
    void refusedFiles_data();
    void refusedFiles();
    void largePictureIsReadScaledDown();
    void dataUrlPayload_data();
    void dataUrlPayload();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString tst_LogoImage::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void tst_LogoImage::normalisedLogo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRect>("placed");

    QTest::newRow("512 x 256 PNG shrinks") << "wide.png" << encoded(opaquePicture({512, 256}), "PNG")
                                           << QRect(0, 64, 256, 128);
    QTest::newRow("100 x 50 enlarged") << "small.png" << encoded(opaquePicture({100, 50}), "PNG")
                                       << QRect(0, 64, 256, 128);
    QTest::newRow("8192 x 1 PNG, at the bound") << "long.png" << encoded(opaquePicture({8192, 4}), "PNG")
                                                << QRect(0, 127, 256, 1);
    QTest::newRow("255 x 256 at x = 0") << "odd.png" << encoded(opaquePicture({255, 256}), "PNG")
                                        << QRect(0, 0, 255, 256);
    QTest::newRow("tall JPEG, transparent bands") << "tall.jpg" << encoded(opaquePicture({60, 120}), "JPEG")
                                                  << QRect(64, 0, 128, 256);
    QTest::newRow("JPEG named .png") << "misnamed.png" << encoded(opaquePicture({300, 150}), "JPEG")
                                     << QRect(0, 64, 256, 128);
}

void tst_LogoImage::normalisedLogo()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QRect, placed);

    const QImage logo = LogoImage::fromFile(write(name, bytes));
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(256, 256));
    QCOMPARE(logo.format(), QImage::Format_ARGB32);

    // Opaque exactly inside `placed`, fully transparent outside it.
    for (int y = 0; y < 256; y += 3) {
        for (int x = 0; x < 256; x += 3) {
            const int alpha = qAlpha(logo.pixel(x, y));
            if (placed.contains(x, y))
                QVERIFY2(alpha == 255, qPrintable(QStringLiteral("opaque at %1,%2").arg(x).arg(y)));
            else
                QVERIFY2(alpha == 0, qPrintable(QStringLiteral("transparent at %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(qAlpha(logo.pixel(placed.left(), placed.top())) == 255);
    if (placed.left() > 0)
        QCOMPARE(qAlpha(logo.pixel(placed.left() - 1, placed.center().y())), 0);
    if (placed.top() > 0)
        QCOMPARE(qAlpha(logo.pixel(placed.center().x(), placed.top() - 1)), 0);

    // What the page gets: a PNG data URL that decodes to the same 256 x 256.
    const QString url = LogoImage::toDataUrl(logo);
    QVERIFY(url.startsWith(QStringLiteral("data:image/png;base64,")));
    QImage sent;
    QVERIFY(sent.loadFromData(QByteArray::fromBase64(url.mid(url.indexOf(',') + 1).toLatin1()), "PNG"));
    QCOMPARE(sent.size(), QSize(256, 256));
    QVERIFY(sent.hasAlphaChannel());
    QCOMPARE(qAlpha(sent.pixel(0, 0)), qAlpha(logo.pixel(0, 0)));
}

void tst_LogoImage::refusedFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("text file") << "notes.txt" << QByteArray("Warm-up: two laps, then stretches.\n");
    QTest::newRow("empty file") << "empty.png" << QByteArray();
    QTest::newRow("truncated PNG") << "cut.png" << encoded(opaquePicture({64, 64}), "PNG").left(60);
    QTest::newRow("header claims 100000 x 100000") << "huge.png" << pngHeaderOnly(100000, 100000);
    QTest::newRow("8193 x 1 PNG") << "wide.png" << encoded(opaquePicture({8193, 1}), "PNG");
}

void tst_LogoImage::refusedFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(LogoImage::fromFile(write(name, bytes)).isNull());
    QVERIFY(LogoImage::fromFile(m_dir.filePath(QStringLiteral("missing.png"))).isNull());
}

// A large picture within the bound is read scaled, not held whole, and
// still makes a full-size logo.
void tst_LogoImage::largePictureIsReadScaledDown()
{
    const QString path = write(QStringLiteral("large.jpg"), encoded(opaquePicture({4000, 2000}), "JPEG"));
    const QImage read = BoundedImageReader::readFile(path, QSize(1024, 1024));
    QCOMPARE(read.size(), QSize(1024, 512));
    QCOMPARE(LogoImage::fromFile(path).size(), QSize(256, 256));
}

void tst_LogoImage::dataUrlPayload_data()
{
    QTest::addColumn<QString>("dataUrl");
    QTest::addColumn<QSize>("size");

    const QString jpeg = QString::fromLatin1(encoded(opaquePicture({1024, 768}), "JPEG").toBase64());
    QTest::newRow("JPEG data URL") << QStringLiteral("data:image/jpeg;base64,") + jpeg << QSize(1024, 768);
    QTest::newRow("second comma ends the payload") << QStringLiteral("data:image/jpeg;base64,") + jpeg
            + QStringLiteral(",trailing") << QSize(1024, 768);
    QTest::newRow("no comma") << QStringLiteral("data:image/jpeg;base64") << QSize();
    QTest::newRow("empty") << QString() << QSize();
    QTest::newRow("not base64 of a picture") << QStringLiteral("data:image/jpeg;base64,bm90IGEgcGljdHVyZQ==")
                                             << QSize();
    QTest::newRow("a PNG where a JPEG is read")
        << QStringLiteral("data:image/png;base64,")
               + QString::fromLatin1(encoded(opaquePicture({8, 8}), "PNG").toBase64())
        << QSize();
}

void tst_LogoImage::dataUrlPayload()
{
    QFETCH(QString, dataUrl);
    QFETCH(QSize, size);
    const QImage image = BoundedImageReader::readDataUrl(dataUrl, "JPEG");
    QCOMPARE(image.isNull() ? QSize() : image.size(), size);
}

QTEST_MAIN(tst_LogoImage)
#include "tst_LogoImage.moc"
