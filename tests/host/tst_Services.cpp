// The host's services that need no main window, with real files in a
// temporary folder: text decoding, animation files, the report's data, the
// logo, the command line, and the dialogs answered as a user would.
#include "AboutDialog.h"
#include "AnimationFile.h"
#include "ApplicationIdentity.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "LicenseDialog.h"
#include "LogoImage.h"
#include "ModalDriver.h"
#include "ReportFile.h"
#include "ShortLabelDialog.h"
#include "SmallDisk.h"
#include "TestFiles.h"
#include "TextDecoder.h"

#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextCodec>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Expected texts are spelled as UTF-16 so that they do not come from the
// UTF-8 decoder under test.
QString u16(const char16_t *units)
{
    return QString::fromUtf16(units);
}

QString reason(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

QByteArray encoded(const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class tst_Services : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void textDecoding();
    void firstLineRead();
    void refusals();
    void writes();
    void failedWriteKeepsEarlierFile();
    void reportData();
    void logo();
    void commandLine();
    void shortLabel();
    void licenseText();
    void about();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }

    QTextCodec *m_locale = QTextCodec::codecForLocale();
    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_Services::init()
{
    m_dir.reset(new QTemporaryDir);
    // A legacy locale: files written before the move to UTF-8 still open.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
}

void tst_Services::cleanup()
{
    QTextCodec::setCodecForLocale(m_locale);
    QFile::remove(LicenseDialog::licenseFilePath());
}

void tst_Services::textDecoding()
{
    const struct { const char *locale; QByteArray bytes; QString expected; } rows[] = {
        {"ISO-8859-1", "\xEF\xBB\xBF" "Ciar\xC3\xA1n", u16(u"Ciar\u00E1n")},
        {"ISO-8859-1", QByteArray("\xFF\xFE" "M\0\xFC\0\n\0", 8), u16(u"M\u00FC\n")},
        {"ISO-8859-1", QByteArray("\xFE\xFF" "\0M\0\xFC", 6), u16(u"M\u00FC")},
        {"ISO-8859-1", "ab\xEF\xBB\xBF" "c", u16(u"ab\uFEFFc")},
        // Regression: U+FEFF after a byte that is not UTF-8 was once dropped.
        {"ISO-8859-1", "caf\xE9\xEF\xBB\xBFx", u16(u"caf\u00E9\uFEFFx")},
        {"Shift_JIS", "Ciar\xC3\xA1n \xE5\xB0\x8F \xF0\x9F\x8F\x89", u16(u"Ciar\u00E1n \u5C0F \U0001F3C9")},
        // Runs that are not UTF-8 are read in the locale's encoding.
        {"ISO-8859-1", "caf\xE9 \xC3\xA1\xA9", u16(u"caf\u00E9 \u00E1\u00A9")},
        {"windows-1252", "5 \x80", u16(u"5 \u20AC")},
        {"Shift_JIS", "a\x82\xA0\x82\xA2" "b", u16(u"a\u3042\u3044b")},
        // Malformed UTF-8 (overlong, surrogate, too high, stray, cut short)
        // shows byte by byte under Latin-1.
        {"ISO-8859-1", "\xC0\xAF \xC1\xBF \xE0\x9F\xBF \xF0\x8F\xBF\xBF \xED\xA0\x80 \xF4\x90\x80\x80 \xF5\x80",
         u16(u"\u00C0\u00AF \u00C1\u00BF \u00E0\u009F\u00BF \u00F0\u008F\u00BF\u00BF \u00ED\u00A0\u0080 "
             u"\u00F4\u0090\u0080\u0080 \u00F5\u0080")},
        {"ISO-8859-1", "\xE2\x82x \xF0\x9F\x8Fx \xC3\xC3\xA1", u16(u"\u00E2\u0082x \u00F0\u009F\u008Fx \u00C3\u00E1")},
        {"ISO-8859-1", "a\xC3", u16(u"a\u00C3")},
        {"ISO-8859-1", "a\xE5\xB0", u16(u"a\u00E5\u00B0")},
        {"ISO-8859-1", "\xF0\x9F\x8F", u16(u"\u00F0\u009F\u008F")},
        // The smallest and largest of each length stay one character.
        {"ISO-8859-1", "\xE9\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         u16(u"\u00E9\u0080\u07FF\u0800\uD7FF\uFFFD\U00010000\U0010FFFF")},
    };
    for (const auto &row : rows) {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(row.locale));
        QCOMPARE(TextDecoder::decode(row.bytes), row.expected);
    }
}

void tst_Services::firstLineRead()
{
    const struct { QByteArray content; QString expected; } rows[] = {
        {"{\"a\":1}\r\nsecond\r\n", "{\"a\":1}"}, {"{\"a\":1}", "{\"a\":1}"}, {"\nsecond", ""},
        // In UTF-16 the line break can only be found after decoding.
        {QByteArray("\xFF\xFE" "{\0\xE9\0}\0\r\0\n\0x\0", 14), u16(u"{\u00E9}")},
        // Drills of many frames are one long line, not cut at some buffer size.
        {QByteArray(3 << 20, 'x') + "\nsecond", QString(3 << 20, QLatin1Char('x'))},
    };
    for (const auto &row : rows) {
        writeFile(path("drill.anim"), row.content);
        QString line = QStringLiteral("unchanged"), error;
        QVERIFY2(AnimationFile::readFirstLine(path("drill.anim"), &line, &error), qPrintable(error));
        QCOMPARE(line, row.expected);
    }
}

// What reading would never finish with, or fill memory from, is refused from
// its kind or size alone. CTest runs this alone under a short `timeout` too,
// so one that blocks fails instead of hanging.
void tst_Services::refusals()
{
    writeFile(path("plain.txt"), "text");
    QVERIFY(QDir().mkdir(path("folder.anim")));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.anim")).constData(), 0644), 0);
    writeFile(path("large.anim"), QByteArray());
    QCOMPARE(::truncate(QFile::encodeName(path("large.anim")).constData(), off_t(AnimationFile::MaxFileSize) + 1), 0);
    const struct { QString path; QString error; } rows[] = {
        {path("missing.anim"), reason(ENOENT)},
        {path("plain.txt/drill.anim"), reason(ENOTDIR)},
        {path("folder.anim"), "This is a folder, not an animation file."},
        {"/dev/zero", "This is a device, not an animation file."},
        {path("fifo.anim"), "This is a pipe, not an animation file."},
        {path("large.anim"), "The file is 65 MB; an animation file is at most 64 MB."},
    };
    for (const auto &row : rows) {
        QString line = QStringLiteral("untouched"), error;
        QVERIFY2(!AnimationFile::readFirstLine(row.path, &line, &error), qPrintable(row.path));
        QCOMPARE(error, row.error);
        QCOMPARE(line, QStringLiteral("untouched"));
    }
}

void tst_Services::writes()
{
    // UTF-8 byte for byte whatever the locale (this one would write "?"), no
    // byte-order mark, line breaks as given; a longer earlier file replaced.
    const QString text = u16(u"{\"c\":\"caf\u00E9 \u5C0F \U0001F3C9\"}\r\nx");
    writeFile(path("drill.anim"), "a much longer earlier drill\nwith a second line\n");
    QString error;
    QVERIFY2(AnimationFile::write(path("drill.anim"), text, &error), qPrintable(error));
    QCOMPARE(readFile(path("drill.anim")), QByteArray("{\"c\":\"caf\xC3\xA9 \xE5\xB0\x8F \xF0\x9F\x8F\x89\"}\r\nx"));

    // A target that cannot be written changes nothing in the folder.
    writeFile(path("plain.txt"), "plain");
    QVERIFY(QDir().mkdir(path("folder.anim")));
    const struct { const char *target; QString error; } rows[] = {
        {"plain.txt/x.anim", reason(ENOTDIR)}, {"missing/x.anim", reason(ENOENT)},
        {"folder.anim", "Filename refers to a directory"},
    };
    for (const auto &row : rows) {
        QVERIFY(!AnimationFile::write(path(row.target), QStringLiteral("{}"), &error));
        QCOMPARE(error, row.error);
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"drill.anim", "folder.anim", "plain.txt"}));
    QCOMPARE(readFile(path("plain.txt")), QByteArray("plain"));
}

// Regression: a full disk once cut a save short and the cut file replaced
// the drill, as QSaveFile's commit() did not check its buffered writes.
void tst_Services::failedWriteKeepsEarlierFile()
{
    const struct { const char *name; bool earlier; int size; } rows[] = {
        {"buffered over a drill", true, 5000}, {"large over a drill", true, 1 << 20}, {"no drill", false, 5000},
    };
    for (const auto &row : rows) {
        const QString folder = path(row.name), drill = folder + QStringLiteral("/drill.anim");
        QVERIFY(QDir().mkdir(folder));
        QString error;
        {
            SmallDisk disk(folder, 1024);
            if (row.earlier)
                writeFile(drill, "{\"old\":true}");
            QVERIFY2(!AnimationFile::write(drill, QString(row.size, QLatin1Char('y')), &error), row.name);
            QCOMPARE(readFile(drill), QByteArray(row.earlier ? "{\"old\":true}" : "<unreadable>"));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), int(row.earlier));
        }
        // The system's reason, not Qt's "Unknown error".
        QVERIFY2(error == reason(EFBIG) || error == reason(ENOSPC), qPrintable(error));
    }
}

void tst_Services::reportData()
{
    const QByteArray pdf("%PDF-1.3\n%\xBA\xDF\n%%EOF\n");
    const QString payload = QString::fromLatin1(pdf.toBase64());
    const QString jspdf = QStringLiteral("data:application/pdf;filename=generated.pdf;base64,");
    const struct { QString data; bool accepted; } rows[] = {
        {jspdf + payload, true}, {"data:application/pdf;base64," + payload, true},
        {jspdf + payload + ",", false}, {"data:application/pdf;base64", false}, {QString(), false},
        {jspdf + "JVBERi0*x", false}, {jspdf + u16(u"JVBERi0xLjM\u20ac"), false}, {jspdf, false},
        {jspdf + QString::fromLatin1(QByteArray("<html>").toBase64()), false},
        {"data:application/pdf,%PDF-1.3", false}, {"data:image/jpeg;base64," + payload, false},
    };
    for (const auto &row : rows) {
        QByteArray got("untouched");
        QString error;
        QVERIFY2(ReportFile::decode(row.data, &got, &error) == row.accepted, qPrintable(row.data.left(60)));
        QCOMPARE(got, row.accepted ? pdf : QByteArray("untouched"));
        QCOMPARE(error.startsWith(QStringLiteral("The report could not be saved")), !row.accepted);
    }
}

void tst_Services::logo()
{
    // A readable picture of up to 8192 pixels a side becomes a 256 x 256 PNG,
    // centred on transparency; the file's content decides its type.
    const struct { QByteArray bytes; QRect placed; } pictures[] = {
        {encoded({512, 256}, "PNG"), {0, 64, 256, 128}}, {encoded({60, 120}, "JPEG"), {64, 0, 128, 256}},
        {encoded({8192, 4}, "PNG"), {0, 127, 256, 1}}, {encoded({100, 50}, "JPEG"), {0, 64, 256, 128}},
    };
    for (const auto &p : pictures) {
        writeFile(path("logo.png"), p.bytes);
        const QString url = LogoImage::toDataUrl(LogoImage::fromFile(path("logo.png")));
        const QImage logo = QImage::fromData(QByteArray::fromBase64(url.mid(22).toLatin1()), "PNG");
        QVERIFY(url.startsWith(QStringLiteral("data:image/png;base64,")) && logo.size() == QSize(256, 256));
        for (int y = 0; y < 256; y += 3)
            for (int x = 0; x < 256; x += 3)
                QVERIFY(qAlpha(logo.pixel(x, y)) == (p.placed.contains(x, y) ? 255 : 0));
    }
    for (const QByteArray &bytes : {QByteArray("Warm-up\n"), QByteArray(), encoded({64, 64}, "PNG").left(60),
                                    encoded({8193, 1}, "PNG")}) {
        writeFile(path("refused.png"), bytes);
        QVERIFY(LogoImage::fromFile(path("refused.png")).isNull());
    }
    // Large pictures are decoded scaled down, not whole.
    writeFile(path("large.jpg"), encoded({4000, 2000}, "JPEG"));
    QCOMPARE(BoundedImageReader::readFile(path("large.jpg"), QSize(1024, 1024)).size(), QSize(1024, 512));
}

void tst_Services::commandLine()
{
    const QString usage = QStringLiteral("usage error");
    const struct { QStringList arguments; QString expected; } rows[] = {
        {{}, "edit "}, {{"a.anim", "b.anim"}, "edit a.anim"}, {{"--", "-odd.anim"}, "edit -odd.anim"},
        {{"--export-video", "out.mp4", "d.anim"}, "0 out.mp4 0 1024"},
        {{"--export-pdf", "R.PDF", "d.anim"}, "1 R.PDF 0 1024"},
        {{"--export-picture", "p.jpg", "--frame", "3", "--width", "64", "d.anim"}, "2 p.jpg 3 64"},
        {{"--export-picture", "p.jpeg", "--width", "4096", "d.anim"}, "2 p.jpeg 0 4096"},
        {{"--export-pdf", "r.pdf", "--export-video", "v.mp4", "d.anim"}, "0 v.mp4 0 1024|1 r.pdf 0 1024"},
        {{"--output-dir", "out", "--export-picture", "png", "--export-pdf", "x.pdf", "a/one.anim", "b/two.x.anim"},
         "1 out/one.pdf 0 1024|2 out/one.png 0 1024|1 out/two.x.pdf 0 1024|2 out/two.x.png 0 1024"},
        {{"--frame", "2", "a.anim"}, usage}, {{"--export-pdf", "a.pdf", "--export-pdf", "b.pdf", "d.anim"}, usage},
        {{"--export-picture", "a.png", "--width", "64", "--width", "68", "d.anim"}, usage},
        {{"--export-pdf", "r.pdf"}, usage}, {{"--export-pdf", "r.pdf", "a.anim", "b.anim"}, usage},
        {{"--export-video", "v.mp4", "--width", "640", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--frame", "0", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "642", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "60", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "4100", "d.anim"}, usage},
        {{"--export-video", "v.avi", "d.anim"}, usage}, {{"--no-such-option"}, usage},
        {{"--output-dir", "o", "--export-pdf", "pdf", "a/d.anim", "b/d.anim"}, usage},
    };
    for (const auto &row : rows) {
        const CommandLine line = CommandLine::parse(QStringList{"drillmora"} + row.arguments);
        QStringList got;
        for (const ExportJob &job : line.exportJobs())
            got << QStringLiteral("%1 %2 %3 %4").arg(int(job.kind)).arg(job.outputPath).arg(job.frame).arg(job.width);
        if (line.action() == CommandLine::Action::Edit)
            got << "edit " + line.drillToOpen();
        if (line.action() == CommandLine::Action::UsageError && !line.errorText().isEmpty())
            got << usage;
        QCOMPARE(got.join('|'), row.expected);
        QCOMPARE(line.needsWindow(), row.expected.startsWith("edit"));
        if (row.expected == usage)
            QCOMPARE(CommandLineRun::run(line), CommandLine::ExitUsage);
    }
}

void tst_Services::shortLabel()
{
    const struct { QString defaultText; QString typed; bool accept; QString expected; } rows[] = {
        {"ABCDEF", "", true, "ABCD"}, {"12", "345", true, "1234"}, {"", "", true, ""}, {"9", "77", false, ""},
        // Regression: the limit counts UTF-16 units, and half a character
        // once reached the page.
        {u16(u"ABC\U0001F3C9"), "", true, "ABC"},
    };
    QWidget parent;
    for (const auto &row : rows) {
        auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
            d->findChild<QLineEdit *>()->end(false);
            QTest::keyClicks(d->findChild<QLineEdit *>(), row.typed);
            row.accept ? d->accept() : d->reject();
        });
        bool ok = !row.accept;
        QCOMPARE(ShortLabelDialog::getText(&parent, "Label", "Short label:", QLineEdit::Normal, row.defaultText, &ok),
                 row.expected);
        QVERIFY(driver->seen() && ok == row.accept);
    }
    // The web view may go while the prompt's own event loop runs.
    QPointer<QWidget> gone = new QWidget;
    auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *) { delete gone.data(); });
    bool ok = true;
    QCOMPARE(ShortLabelDialog::getText(gone, "Label", "Short label:", QLineEdit::Normal, "9", &ok), QString());
    QVERIFY(gone.isNull() && !ok);
}

void tst_Services::licenseText()
{
    // Plain text keeps its angle brackets and loses Windows line ends; a
    // marked-up licence is shown formatted.
    const struct { QByteArray bytes; QString shown; } rows[] = {
        {"Drillmora\r\n\r\n<name of author>\r\n", "Drillmora\n\n<name of author>\n"},
        {"\xEF\xBB\xBF<p>Use <b>freely</b>, Ciar\xC3\xA1n.</p>", u16(u"Use freely, Ciar\u00E1n.")},
    };
    for (const auto &row : rows) {
        writeFile(LicenseDialog::licenseFilePath(), row.bytes);
        LicenseDialog dialog;
        QCOMPARE(dialog.findChild<QTextBrowser *>()->toPlainText(), row.shown);
    }
    // Without the file the user is told, and the dialog opens empty.
    QFile::remove(LicenseDialog::licenseFilePath());
    QString said;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) { said = b->text(), b->accept(); });
    LicenseDialog empty;
    QCOMPARE(said, QStringLiteral("Error: License file not found"));
    QVERIFY(empty.findChild<QTextBrowser *>()->document()->isEmpty());

    // A build keeps the file beside the program, an installed one in
    // prefix/share/drillmora.
    const QDir root(m_dir->path());
    QVERIFY(root.mkpath("bin") && root.mkpath("share/drillmora"));
    QCOMPARE(LicenseDialog::licenseFilePathFor(root.filePath("bin")), root.filePath("bin/license.txt"));
    writeFile(root.filePath("share/drillmora/license.txt"), "x");
    QCOMPARE(LicenseDialog::licenseFilePathFor(root.filePath("bin")), root.filePath("share/drillmora/license.txt"));
    writeFile(root.filePath("bin/license.txt"), "x");
    QCOMPARE(LicenseDialog::licenseFilePathFor(root.filePath("bin")), root.filePath("bin/license.txt"));
}

void tst_Services::about()
{
    // The texts are the application's when the dialog is made.
    ApplicationIdentity::apply();
    QCoreApplication::setApplicationVersion("2.7.13");
    writeFile(LicenseDialog::licenseFilePath(), "Licence for tests\n");
    QPointer<AboutDialog> about = new AboutDialog;
    about->show();
    QString said;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) { said = b->text(), b->accept(); });
    about->findChild<QPushButton *>("copyInfoButton")->click();
    QCOMPARE(said, QStringLiteral("Information copied to the clipboard."));
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    QVERIFY2(lines.size() == 5 && lines[0] == "Drillmora" && lines[1] == "version 2.7.13"
                 && lines[2] == ApplicationIdentity::webSite().host() && lines[3].contains("Norrick Limited"),
             qPrintable(lines.join('|')));

    // Each press opens another licence window; they go with the dialog,
    // which its own Close only hides, for the main window to show again.
    about->findChild<QPushButton *>("licenseInfoButton")->click();
    about->findChild<QPushButton *>("licenseInfoButton")->click();
    const QList<LicenseDialog *> licences = about->findChildren<LicenseDialog *>();
    QCOMPARE(licences.size(), 2);
    QCOMPARE(licences[0]->findChild<QTextBrowser *>()->toPlainText(), QStringLiteral("Licence for tests\n"));
    QPointer<LicenseDialog> licence = licences[0];
    about->findChild<QPushButton *>("closeButton")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!about.isNull() && !about->isVisible());
    delete about.data();
    QVERIFY(licence.isNull());
}

QTEST_MAIN(tst_Services)
#include "tst_Services.moc"
