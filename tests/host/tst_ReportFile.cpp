// The report writer with the page's data URLs, good and malformed, and real
// files on disk.
#include "ReportFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Pdf = QByteArray("%PDF-1.3\n%\xBA\xDF\xAC\xE0\n1 0 obj\n<<>>\nendobj\n%%EOF\n");

QString dataUrl(const QByteArray &bytes, const QString &header = QStringLiteral(
                                             "data:application/pdf;filename=generated.pdf;base64"))
{
    return header + QLatin1Char(',') + QString::fromLatin1(bytes.toBase64());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_ReportFile : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void writeReplacesOnlyWhenWhole_data();
    void writeReplacesOnlyWhenWhole();
};

void tst_ReportFile::decode_data()
{
    QTest::addColumn<QString>("pdfData");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("jsPDF's own form") << dataUrl(Pdf) << true;
    QTest::newRow("no parameters") << dataUrl(Pdf, QStringLiteral("data:application/pdf;base64")) << true;
    QTest::newRow("a second comma") << dataUrl(Pdf) + QStringLiteral(",") << false;
    QTest::newRow("no comma") << QStringLiteral("data:application/pdf;base64") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("not base64") << QStringLiteral("data:application/pdf;base64,JVBERi0*x") << false;
    QTest::newRow("a character beyond Latin-1")
        << QStringLiteral("data:application/pdf;base64,JVBERi0xLjM\u20ac") << false;
    QTest::newRow("not a PDF inside") << dataUrl("<html>hello</html>") << false;
    QTest::newRow("nothing inside") << dataUrl(QByteArray()) << false;
    QTest::newRow("text, not base64")
        << QStringLiteral("data:application/pdf,%PDF-1.3") << false;
    QTest::newRow("another media type") << dataUrl(Pdf, QStringLiteral("data:image/jpeg;base64")) << false;
}

void tst_ReportFile::decode()
{
    QFETCH(QString, pdfData);
    QFETCH(bool, accepted);
    QByteArray pdf("untouched");
    QString error;
    QCOMPARE(ReportFile::decode(pdfData, &pdf, &error), accepted);
    if (accepted) {
        QCOMPARE(pdf, Pdf);
        QVERIFY(error.isEmpty());
    } else {
        QCOMPARE(pdf, QByteArray("untouched"));
        QVERIFY2(error.startsWith(QStringLiteral("The report could not be saved")), qPrintable(error));
    }
}

void tst_ReportFile::writeReplacesOnlyWhenWhole_data()
{
    QTest::addColumn<QString>("target");  // relative to a folder holding "old.pdf" and "plain.txt"
    QTest::addColumn<QString>("pdfData");
    QTest::addColumn<QString>("reason");  // empty when the write must succeed

    QTest::newRow("replaces an earlier report") << "old.pdf" << dataUrl(Pdf) << QString();
    QTest::newRow("a new file") << "new report é.pdf" << dataUrl(Pdf) << QString();
    QTest::newRow("malformed data keeps the old file")
        << "old.pdf" << dataUrl("not a pdf") << "the page's data is not a PDF document";
    QTest::newRow("a folder that is a file") << "plain.txt/report.pdf" << dataUrl(Pdf) << "Not a directory";
    QTest::newRow("a missing folder") << "missing/report.pdf" << dataUrl(Pdf) << "No such file or directory";
}

void tst_ReportFile::writeReplacesOnlyWhenWhole()
{
    QFETCH(QString, target);
    QFETCH(QString, pdfData);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"old.pdf", "plain.txt"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier content");
    }
    const QString path = dir.filePath(target);
    const QByteArray before = readFile(path);

    QString error;
    const bool written = ReportFile::write(path, pdfData, &error);
    QCOMPARE(written, reason.isEmpty());
    if (written) {
        QCOMPARE(readFile(path), Pdf);
    } else {
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(readFile(path), before);
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("earlier content"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written && target != "old.pdf" ? 3 : 2);
}

QTEST_MAIN(tst_ReportFile)
#include "tst_ReportFile.moc"
