// The host's classes with real files in a temporary folder and real dialogs
// answered as a user would: its services alone, then the main window driven
// through the bridge with the page's messages; videos are read back with
// ffprobe and ffmpeg, and command-line exports run in a hidden window.
#include "AnimationFile.h"
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "ExportRunner.h"
#include "LicenseDialog.h"
#include "LogoImage.h"
#include "ModalDriver.h"
#include "PrivateSettings.h"
#include "ReportFile.h"
#include "ShortLabelDialog.h"
#include "SmallDisk.h"
#include "TestFiles.h"
#include "TextDecoder.h"
#include "VideoProbe.h"
#include "WindowTestMain.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QBuffer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCodec>
#include <QWebFrame>
#include <QWebView>

#include <cstring>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Message = QVariantMap;

// Expected texts are spelled as UTF-16, not decoded from UTF-8 like the input.
QString u16(const char16_t *units) { return QString::fromUtf16(units); }
QString reason(int errnum) { return QString::fromLocal8Bit(strerror(errnum)); }

QImage plain(const QColor &colour, const QSize &size = {640, 480})
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

QByteArray encoded(const QImage &picture, const char *format = "JPEG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format, 95);
    return bytes;
}

QString jpegUrl(const QImage &picture) { return "data:image/jpeg;base64," + encoded(picture).toBase64(); }
// Picture `n` of a drill, told apart by its colour.
QColor colourOf(int n) { return QColor::fromHsv((n * 47) % 360, 200, 80 + (n * 13) % 160); }
bool shows(const QByteArray &decoded, const QColor &c) { return VideoProbe::difference(decoded, VideoProbe::rgb(plain(c), 8, 6)) < 12; }

Message picture(int n, int nFrames, const QString &imageData)
{
    return {{"msgType", "writeVideoFrame"}, {"frameWidth", 640.0}, {"frameHeight", 480.0}, {"frameNumber", double(n)},
            {"nFrames", double(nFrames)}, {"frameRate", 15.0}, {"imageData", imageData}};
}

// Chooses `path` in the file dialog about to open, or cancels it when empty.
std::unique_ptr<ModalDriver> chooseFile(const QString &path, QString *proposed = nullptr)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *d) {
        if (proposed)
            *proposed = QDir(d->directory()).filePath(d->selectedFiles().value(0).section('/', -1));
        // Typed and accepted at once, before the folder's listing selects the
        // proposed file; later, so that a question it asks can be answered.
        QTimer::singleShot(0, d, [=] {
            d->findChild<QListView *>("listView")->clearSelection();
            d->findChild<QLineEdit *>("fileNameEdit")->setText(path);
            path.isEmpty() ? d->reject() : static_cast<QDialog *>(d)->accept();
        });
    }, 20000);
}

// Answers the message box about to open, noting "title|text|informative".
std::unique_ptr<ModalDriver> readBox(QString *said)
{
    return ModalDriver::answer<QMessageBox>([=](QMessageBox *b) {
        *said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
        b->accept();
    }, 120000);
}

} // namespace

class tst_Host : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void textDecoding();
    void refusals();
    void files();
    void reportAndLogoData();
    void commandLine();
    void dialogs();
    void bridge();
    void openAndSave();
    void reasonsShownAsPlainText();
    void reportAndLogo();
    void video();
    void videoFailures();
    void hiddenWindowExports();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void openWindow(mainWindow::Presentation presentation = mainWindow::Presentation::Shown);
    void send(const Message &m) { m_bridge->receiveMessage(m); }
    // What the host sent the page, as "msgType|text|id", but its questions for the page's text.
    QStringList sent() const;
    QProgressDialog *progress() const { return m_window->findChild<QProgressDialog *>(); }

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
    QTextCodec *m_locale = QTextCodec::codecForLocale();
    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_Host::initTestCase()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
}

void tst_Host::init()
{
    m_dir.reset(new QTemporaryDir);
    // A legacy locale: files written before the move to UTF-8 still open.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
}

void tst_Host::cleanup()
{
    m_sent.reset();
    m_window.reset();
    m_dir.reset(); // under the codec its file names were made with
    QTextCodec::setCodecForLocale(m_locale);
    QFile::remove(LicenseDialog::licenseFilePath());
}

void tst_Host::openWindow(mainWindow::Presentation presentation)
{
    m_window.reset(new mainWindow(presentation));
    QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
    QVERIFY(loaded.wait(30000));
    m_bridge = m_window->findChild<jsInterface *>();
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
}

QStringList tst_Host::sent() const
{
    QStringList out;
    for (const QList<QVariant> &args : *m_sent) {
        const Message m = args.at(0).toMap();
        if (m.value("msgType") != "requestAnimationText")
            out << m.value("msgType").toString() + '|' + m.value("text", m.value("json")).toString() + '|'
                    + m.value("id").toString();
    }
    return out;
}

void tst_Host::textDecoding()
{
    const struct { const char *locale; QByteArray bytes; QString expected; } rows[] = {
        {"ISO-8859-1", "\xEF\xBB\xBF" "Ciar\xC3\xA1n", u16(u"Ciar\u00E1n")},
        {"ISO-8859-1", QByteArray("\xFF\xFE" "M\0\xFC\0\n\0", 8), u16(u"M\u00FC\n")},
        {"ISO-8859-1", QByteArray("\xFE\xFF" "\0M\0\xFC", 6), u16(u"M\u00FC")},
        // Regression: U+FEFF after a byte that is not UTF-8 was once dropped.
        {"ISO-8859-1", "ab\xEF\xBB\xBF" "c\xE9\xEF\xBB\xBFx", u16(u"ab\uFEFFc\u00E9\uFEFFx")},
        {"Shift_JIS", "Ciar\xC3\xA1n \xE5\xB0\x8F \xF0\x9F\x8F\x89", u16(u"Ciar\u00E1n \u5C0F \U0001F3C9")},
        // Runs that are not UTF-8 are read whole in the locale's encoding.
        {"windows-1252", "5 \x80 \xC3\xA1\xA9", u16(u"5 \u20AC \u00E1\u00A9")},
        {"Shift_JIS", "a\x82\xA0\x82\xA2" "b", u16(u"a\u3042\u3044b")},
        // Malformed UTF-8 (overlong, surrogate, too high, stray, cut short)
        // shows byte by byte under Latin-1.
        {"ISO-8859-1", "\xC0\xAF \xC1\xBF \xE0\x9F\xBF \xF0\x8F\xBF\xBF \xED\xA0\x80 \xF4\x90\x80\x80 \xF5\x80",
         u16(u"\u00C0\u00AF \u00C1\u00BF \u00E0\u009F\u00BF \u00F0\u008F\u00BF\u00BF \u00ED\u00A0\u0080 "
             u"\u00F4\u0090\u0080\u0080 \u00F5\u0080")},
        {"ISO-8859-1", "\xE2\x82x \xF0\x9F\x8Fx \xC3\xC3\xA1", u16(u"\u00E2\u0082x \u00F0\u009F\u008Fx \u00C3\u00E1")},
        {"ISO-8859-1", "a\xC3", u16(u"a\u00C3")}, {"ISO-8859-1", "a\xE5\xB0", u16(u"a\u00E5\u00B0")}, {"ISO-8859-1", "\xF0\x9F\x8F", u16(u"\u00F0\u009F\u008F")},
        // The smallest and largest of each length stay one character.
        {"ISO-8859-1", "\xE9\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         u16(u"\u00E9\u0080\u07FF\u0800\uD7FF\uFFFD\U00010000\U0010FFFF")},
    };
    for (const auto &row : rows) {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(row.locale));
        QCOMPARE(TextDecoder::decode(row.bytes), row.expected);
    }
}

// What reading would never finish with, or fill memory from, is refused from
// its kind or size alone. CTest runs this alone under a short `timeout` too,
// so that one that blocks fails instead of hanging.
void tst_Host::refusals()
{
    writeFile(path("plain.txt"), "text");
    QVERIFY(QDir().mkdir(path("folder.anim")));
    QCOMPARE(mkfifo(QFile::encodeName(path("fifo.anim")).constData(), 0644), 0);
    writeFile(path("large.anim"), QByteArray());
    QCOMPARE(truncate(QFile::encodeName(path("large.anim")).constData(), AnimationFile::MaxFileSize + 1), 0);
    const struct { QString path; QString error; } rows[] = {
        {path("missing.anim"), reason(ENOENT)}, {path("plain.txt/drill.anim"), reason(ENOTDIR)},
        {path("folder.anim"), "This is a folder, not an animation file."},
        {"/dev/zero", "This is a device, not an animation file."},
        {path("fifo.anim"), "This is a pipe, not an animation file."},
        {path("large.anim"), "The file is 65 MB; an animation file is at most 64 MB."},
    };
    for (const auto &row : rows) {
        QString line = "untouched", error;
        QVERIFY2(!AnimationFile::readFirstLine(row.path, &line, &error), qPrintable(row.path));
        QCOMPARE(error, row.error);
        QCOMPARE(line, QStringLiteral("untouched"));
    }
}

void tst_Host::files()
{
    const struct { QByteArray content; QString expected; } lines[] = {
        {"{\"a\":1}\r\nsecond\r\n", "{\"a\":1}"}, {"{\"a\":1}", "{\"a\":1}"}, {"\nsecond", ""},
        // In UTF-16 the line break can only be found after decoding.
        {QByteArray("\xFF\xFE" "{\0\xE9\0}\0\r\0\n\0x\0", 14), u16(u"{\u00E9}")},
        // Drills of many frames are one long line, not cut at some buffer size.
        {QByteArray(3 << 20, 'x') + "\nsecond", QString(3 << 20, 'x')},
    };
    for (const auto &row : lines) {
        writeFile(path("drill.anim"), row.content);
        QString line = "unchanged", error;
        QVERIFY2(AnimationFile::readFirstLine(path("drill.anim"), &line, &error), qPrintable(error));
        QCOMPARE(line, row.expected);
    }
    // UTF-8 byte for byte whatever the locale (this one would write "?"), no
    // byte-order mark, line breaks as given; the longer earlier file replaced.
    QString error;
    QVERIFY(AnimationFile::write(path("drill.anim"), u16(u"{\"c\":\"caf\u00E9 \u5C0F \U0001F3C9\"}\r\nx"), &error));
    QCOMPARE(readFile(path("drill.anim")), QByteArray("{\"c\":\"caf\xC3\xA9 \xE5\xB0\x8F \xF0\x9F\x8F\x89\"}\r\nx"));

    // Regression: a full disk once cut a save short and the cut file replaced
    // the drill, as QSaveFile's commit() did not check its buffered writes.
    const struct { const char *name; bool earlier; int size; } full[] = {
        {"buffered over a drill", true, 5000}, {"large over a drill", true, 1 << 20}, {"no drill", false, 5000},
    };
    for (const auto &row : full) {
        const QString folder = path(row.name), drill = folder + "/drill.anim";
        QVERIFY(QDir().mkdir(folder));
        {
            SmallDisk disk(folder, 1024);
            if (row.earlier)
                writeFile(drill, "{\"old\":true}");
            QVERIFY2(!AnimationFile::write(drill, QString(row.size, 'y'), &error), row.name);
            QCOMPARE(readFile(drill), QByteArray(row.earlier ? "{\"old\":true}" : "<unreadable>"));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), int(row.earlier));
        }
        // The system's reason, not Qt's "Unknown error".
        QVERIFY2(error == reason(EFBIG) || error == reason(ENOSPC), qPrintable(error));
    }
}

void tst_Host::reportAndLogoData()
{
    const QByteArray pdf("%PDF-1.3\n%\xBA\xDF\n%%EOF\n");
    const QString payload = pdf.toBase64(), jspdf = "data:application/pdf;filename=generated.pdf;base64,";
    const struct { QString data; bool accepted; } reports[] = {
        {jspdf + payload, true}, {"data:application/pdf;base64," + payload, true}, {jspdf + payload + ",", false},
        {"data:application/pdf;base64", false}, {QString(), false}, {jspdf + "JVBERi0*x", false}, {jspdf, false},
        {jspdf + u16(u"JVBERi0xLjM\u20ac"), false}, {jspdf + QByteArray("<html>").toBase64(), false},
        {"data:application/pdf,%PDF-1.3", false}, {"data:image/jpeg;base64," + payload, false},
    };
    for (const auto &row : reports) {
        QByteArray got("untouched");
        QString error;
        QVERIFY2(ReportFile::decode(row.data, &got, &error) == row.accepted, qPrintable(row.data.left(60)));
        QCOMPARE(got, row.accepted ? pdf : QByteArray("untouched"));
        QCOMPARE(error.startsWith("The report could not be saved"), !row.accepted);
    }
    // A readable picture of up to 8192 pixels a side becomes a 256 x 256
    // logo, centred on transparency; its content, not its name, tells its type.
    const struct { QByteArray bytes; QRect placed; } logos[] = {
        {encoded(plain(Qt::red, {512, 256}), "PNG"), {0, 64, 256, 128}}, {encoded(plain(Qt::red, {60, 120})), {64, 0, 128, 256}},
        {encoded(plain(Qt::red, {8192, 4}), "PNG"), {0, 127, 256, 1}},
    };
    for (const auto &p : logos) {
        writeFile(path("logo.png"), p.bytes);
        const QImage logo = LogoImage::fromFile(path("logo.png"));
        QCOMPARE(logo.size(), QSize(256, 256));
        for (int y = 0; y < 256; y += 3)
            for (int x = 0; x < 256; x += 3)
                QVERIFY(qAlpha(logo.pixel(x, y)) == (p.placed.contains(x, y) ? 255 : 0));
    }
    for (const QByteArray &bytes : {QByteArray("Warm-up\n"), encoded(plain(Qt::red, {64, 64}), "PNG").left(60),
                                    encoded(plain(Qt::red, {8193, 1}), "PNG")}) {
        writeFile(path("refused.png"), bytes);
        QVERIFY(LogoImage::fromFile(path("refused.png")).isNull());
    }
    // Large pictures are decoded scaled down, not whole.
    writeFile(path("large.jpg"), encoded(plain(Qt::red, {4000, 2000})));
    QCOMPARE(BoundedImageReader::readFile(path("large.jpg"), QSize(1024, 1024)).size(), QSize(1024, 512));
}

void tst_Host::commandLine()
{
    const QString usage = "usage error";
    const struct { QStringList arguments; QString expected; } rows[] = {
        {{}, "edit "}, {{"a.anim", "b.anim"}, "edit a.anim"}, {{"--", "-odd.anim"}, "edit -odd.anim"},
        {{"--export-pdf", "r.pdf", "--export-video", "v.MP4", "d.anim"}, "0 v.MP4 0 1024|1 r.pdf 0 1024"},
        {{"--export-picture", "p.jpg", "--frame", "3", "--width", "64", "d.anim"}, "2 p.jpg 3 64"},
        {{"--output-dir", "out", "--export-picture", "png", "--export-pdf", "x.pdf", "a/one.anim", "b/two.x.anim"},
         "1 out/one.pdf 0 1024|2 out/one.png 0 1024|1 out/two.x.pdf 0 1024|2 out/two.x.png 0 1024"},
        {{"--export-picture", "p.jpeg", "--width", "4096", "d.anim"}, "2 p.jpeg 0 4096"},
        {{"--frame", "2", "a.anim"}, usage}, {{"--export-pdf", "a.pdf", "--export-pdf", "b.pdf", "d.anim"}, usage},
        {{"--export-pdf", "r.pdf"}, usage}, {{"--export-pdf", "r.pdf", "a.anim", "b.anim"}, usage}, {{"-x"}, usage},
        {{"--export-video", "v.mp4", "--width", "640", "d.anim"}, usage}, {{"--export-video", "v.avi", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "64", "--width", "68", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--frame", "0", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "642", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "60", "d.anim"}, usage},
        {{"--export-picture", "p.png", "--width", "4100", "d.anim"}, usage},
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

void tst_Host::dialogs()
{
    const struct { QString defaultText, typed; bool accept; QString expected; } labels[] = {
        {"ABCDEF", "", true, "ABCD"}, {"12", "345", true, "1234"}, {"", "", true, ""}, {"9", "77", false, ""},
        // Regression: the limit counts UTF-16 units; half a character once reached the page.
        {u16(u"ABC\U0001F3C9"), "", true, "ABC"},
    };
    QWidget parent;
    for (const auto &row : labels) {
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

    // A plain licence keeps its angle brackets and loses Windows line ends; a
    // marked-up one is shown formatted; without one the user is told.
    writeFile(LicenseDialog::licenseFilePath(), "Drillmora\r\n\r\n<name of author>\r\n");
    QCOMPARE(LicenseDialog().findChild<QTextBrowser *>()->toPlainText(), QStringLiteral("Drillmora\n\n<name of author>\n"));
    writeFile(LicenseDialog::licenseFilePath(), "\xEF\xBB\xBF<p>Use <b>freely</b>, Ciar\xC3\xA1n.</p>");
    QCOMPARE(LicenseDialog().findChild<QTextBrowser *>()->toPlainText(), u16(u"Use freely, Ciar\u00E1n."));
    QFile::remove(LicenseDialog::licenseFilePath());
    QString said;
    auto box = readBox(&said);
    QVERIFY(LicenseDialog().findChild<QTextBrowser *>()->document()->isEmpty());
    QCOMPARE(said, QStringLiteral("Not Found|Error: License file not found|"));
}

void tst_Host::bridge()
{
    openWindow();
    QWebFrame *frame = m_window->findChild<QWebView *>()->page()->mainFrame();
    // A page reload clears the window object; the bridge must be there again.
    QSignalSpy loaded(frame, &QWebFrame::loadFinished);
    frame->evaluateJavaScript("location.reload()");
    QVERIFY(loaded.wait(20000));
    // The page's receiver runs inside its own send call; the id goes over
    // as a number and comes back as its digits.
    auto driver = ModalDriver::answer<QInputDialog>([](QInputDialog *d) { d->setTextValue("Kick-off"), d->accept(); });
    QCOMPARE(frame->evaluateJavaScript(
                 "(function () { var got = null; function receive(m) { got = m; }"
                 "  cppInterface.sendMessage.connect(receive);"
                 "  cppInterface.receiveMessage({msgType: 'promptForItemLabel', displayMessage: 'Label?', id: 37});"
                 "  cppInterface.sendMessage.disconnect(receive);"
                 "  return got && [got.msgType, got.text, typeof got.id, got.id].join('|'); })()").toString(),
             QStringLiteral("itemLabelResponse|Kick-off|string|37"));

    const struct { Message request; QString typed, dialog, reply; } prompts[] = {
        {{{"msgType", "promptForFrameLabel"}, {"displayMessage", "Caption:"}, {"defaultText", "Warm-up"}},
         u16(u"Pass, Ciar\u00E1n!"), "Enter Text|Caption:|Warm-up", u16(u"frameLabelResponse|Pass, Ciar\u00E1n!|")},
        {{{"msgType", "promptForItemShortLabel"}, {"defaultText", "ABCDEF"}, {"id", 37.0}}, QString(),
         "Enter Label||ABCD", "itemShortLabelResponse|ABCD|37"},
        // Missing keys still make a reply, with empty texts rather than null.
        {{{"msgType", "promptForFrameLabel"}}, QString(), "Enter Text||", "frameLabelResponse||"},
        // Cancelled after typing, and messages of no known type: nothing is sent.
        {{{"msgType", "promptForItemShortLabel"}, {"id", 3.0}}, "typed", "Enter Label||", QString()},
        {{{"msgType", "PromptForFrameLabel"}}, QString(), QString(), QString()}, {{{"msgType", 7.0}}, "", "", ""},
    };
    for (const auto &row : prompts) {
        QString dialog;
        driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
            dialog = d->windowTitle() + '|' + d->labelText() + '|' + d->textValue();
            QCOMPARE(d->parentWidget(), m_window->findChild<QWebView *>());
            if (!row.typed.isNull())
                d->setTextValue(row.typed);
            row.reply.isNull() ? d->reject() : d->accept();
        });
        m_sent->clear();
        send(row.request);
        QCOMPARE(dialog, row.dialog);
        QCOMPARE(sent(), row.reply.isEmpty() ? QStringList() : QStringList{row.reply});
        QVERIFY(m_sent->isEmpty() || !m_sent->first().first().toMap().value("text").toString().isNull());
    }
}

void tst_Host::openAndSave()
{
    openWindow();
    QCOMPARE(m_window->lastUsedFolder(), QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0));
    // A failed save says why and keeps what was there.
    writeFile(path("plain.txt"), "keep me");
    QString said, proposed;
    auto box = readBox(&said);
    auto chooser = chooseFile(path("plain.txt/drill.anim"));
    send({{"msgType", "saveAnimation"}, {"strToSave", "new"}});
    QCOMPARE(said, QStringLiteral("error|Not a directory|"));
    QCOMPARE(readFile(path("plain.txt")), QByteArray("keep me"));

    QVERIFY(QDir(m_dir->path()).mkpath("club"));
    const QString drill = path(u16(u"club/\u00DCbung \u00E4.anim")), text = animationText(u16(u"M\u00FCller \u5C0F"));
    writeFile(drill, text.toUtf8() + "\r\nsecond line\n");
    chooser = chooseFile(drill);
    send({{"msgType", "openAnimation"}});
    QCOMPARE(sent(), QStringList{"openAnimationResponse|" + text + '|'});
    QCOMPARE(m_window->lastUsedFolder(), path("club"));
    for (const char *type : {"openAnimation", "saveAnimation", "exportPdf", "exportVideo", "selectLogo"}) {
        auto cancel = chooseFile(QString());
        send({{"msgType", type}, {"strToSave", "x"}});
        QVERIFY2(cancel->seen(), type);
    }
    QVERIFY(sent().size() == 1 && !progress());

    // A save proposes the opened file; a name typed without a type gets ".anim".
    chooser = chooseFile(path("saved"), &proposed);
    send({{"msgType", "saveAnimation"}, {"strToSave", text + "\n"}});
    QCOMPARE(proposed, drill);
    QCOMPARE(readFile(path("saved.anim")), text.toUtf8() + "\n");
    QCOMPARE(m_window->currentFile(), path("saved.anim"));
}

// Whatever a file or the page holds is shown literally and within bounds: as
// markup a reason could make the box load pictures from the disk (or read
// /dev/zero). Devices and pipes are refused unread (CTest's limit catches a hang).
void tst_Host::reasonsShownAsPlainText()
{
    openWindow();
    const QString markup = "Object 1: unknown item \"<img src=/dev/zero>\"", opening = "Error Opening Animation File";
    QCOMPARE(mkfifo(QFile::encodeName(path("pipe.anim")).constData(), 0644), 0);
    writeFile(path("empty.anim"), QByteArray());
    const struct { QString type, detail, shown; } rows[] = {
        {"errorOpeningFile", markup, "|" + opening + "|" + markup},
        {"errorSavingFile", QString(5000, 'w'), "|Error Saving Animation File|" + QString(1000, 'w') + QChar(0x2026)},
        {"open", "/dev/zero", opening + "|This is a device, not an animation file.|"},
        {"open", path("pipe.anim"), opening + "|This is a pipe, not an animation file.|"},
        {"open", path("missing.anim"), opening + "|No such file or directory|"},
        // An empty file goes to the page, which says why it refuses it.
        {"open", path("empty.anim"), "|" + opening + "|Error parsing JSON"},
    };
    for (const auto &row : rows) {
        QString said;
        QList<Qt::TextFormat> formats;
        auto driver = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
            said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
            for (QLabel *label : b->findChildren<QLabel *>())
                formats << (label->text().isEmpty() ? Qt::PlainText : label->textFormat());
            b->accept();
        });
        if (row.type == "open")
            m_window->openAnimation(row.detail);
        else
            send({{"msgType", row.type}, {"errorInfo", row.detail}});
        QCOMPARE(said, row.shown);
        QVERIFY(!formats.contains(Qt::RichText) && !formats.contains(Qt::AutoText));
    }
    QCOMPARE(sent(), QStringList{"openAnimationResponse||"});
}

void tst_Host::reportAndLogo()
{
    openWindow();
    // The test plays the page: the real one must not answer with reports of its own.
    QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
    writeFile(path("crest.txt"), "not a picture\n");
    writeFile(path("crest.png"), encoded(plain(Qt::green, {512, 256}), "PNG"));
    QString said;
    auto box = readBox(&said);
    auto chooser = chooseFile(path("crest.txt"));
    send({{"msgType", "selectLogo"}});
    QCOMPARE(said, QStringLiteral("Error Opening File|Unable to open the specified image file.|"));
    chooser = chooseFile(path("crest.png"));
    send({{"msgType", "selectLogo"}});
    const QString url = m_sent->value(0).value(0).toMap().value("image").toString();
    const QImage logo = QImage::fromData(QByteArray::fromBase64(url.section(',', 1).toLatin1()), "PNG");
    QVERIFY(url.startsWith("data:image/png;base64,") && logo.size() == QSize(256, 256));
    QVERIFY(qAlpha(logo.pixel(128, 10)) == 0 && qAlpha(logo.pixel(128, 128)) == 255);
    m_sent->clear();

    // The report: asked for by name, the page told to build it, its progress shown.
    const QByteArray pdf("%PDF-1.3\n1 0 obj\n<<>>\nendobj\n%%EOF\n");
    const QString pdfData = "data:application/pdf;base64," + pdf.toBase64();
    chooser = chooseFile(path("new.pdf"));
    send({{"msgType", "exportPdf"}});
    QCOMPARE(sent(), QStringList{"exportPdfResponse||"});
    send({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0 / 3}});
    QCOMPARE(progress()->value(), 33);
    send({{"msgType", "writePdfData"}, {"pdfData", pdfData}});
    QVERIFY(readFile(path("new.pdf")) == pdf && !progress());
    writeFile(path("old.pdf"), "earlier report");

    enum { Never, AtProgress, WithData };
    const struct { const char *target; int cancel; QString data, said; } rows[] = {
        {"other.pdf", AtProgress, pdfData, ""}, {"other.pdf", WithData, pdfData, ""},
        {"old.pdf", Never, "data:application/pdf;base64,PGh0bWw+", "is not a PDF document"},
        {"old.pdf", Never, "garbage", "could not be saved"}, {"crest.txt/report.pdf", Never, pdfData, "Not a directory"},
    };
    for (const auto &row : rows) {
        const QByteArray before = readFile(path(row.target));
        m_window->exportPdfTo(path(row.target));
        QPointer<QProgressDialog> running = progress();
        send({{"msgType", "updatePdfProgress"}, {"progressPercent", 50.0}});
        if (row.cancel != Never)
            running->cancel();
        // Cancelled, the report ends at its next progress step or with its data.
        if (row.cancel == AtProgress)
            send({{"msgType", "updatePdfProgress"}, {"progressPercent", 60.0}});
        QCOMPARE(running.isNull(), row.cancel == AtProgress);
        box = readBox(&said);
        said.clear();
        send({{"msgType", "writePdfData"}, {"pdfData", row.data}});
        QVERIFY2(row.said.isEmpty() ? said.isEmpty() : said.startsWith("error|") && said.contains(row.said), qPrintable(said));
        QVERIFY(readFile(path(row.target)) == before && running.isNull());
    }
}

// Whole exports and cancelled ones are read back in the end-to-end tests.
void tst_Host::video()
{
    openWindow();
    QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
    auto chooser = chooseFile(path("drill.mp4"));
    send({{"msgType", "exportVideo"}});
    QVERIFY(progress()->isVisible() && !QFileInfo::exists(path("drill.mp4")));
    // Pictures that do not decode, or not to the video's size, are left out.
    const QString good = jpegUrl(plain(colourOf(1)));
    const QStringList pictures = {good, "data:image/jpeg;base64,bm90IGEgcGljdHVyZQ==", jpegUrl(plain(colourOf(2), {320, 240})),
                                  jpegUrl(plain(colourOf(3), {1280, 960})), good.section(',', 1), QString(),
                                  jpegUrl(plain(colourOf(5)))};
    QList<int> shown;
    for (int n = 0; n < pictures.size(); ++n) {
        send(picture(n, 6, pictures[n]));
        shown << (progress() ? progress()->value() : -1);
    }
    QCOMPARE(shown, (QList<int>{0, 16, 33, 50, 66, 83, -1}));
    QCOMPARE(sent(), QStringList{"exportVideoResponse||"});
    QCOMPARE(VideoProbe::of(path("drill.mp4")).problem(640, 480, 15 + 2 + 15), QString());
    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path("drill.mp4"), 8, 6, &error);
    QVERIFY(!shows(decoded[14], colourOf(1)) && shows(decoded[15], colourOf(1)) && shows(decoded[31], colourOf(5)));
}

// An encoder that cannot start, or a disk that fills up, ends the export
// with a message and no file; the page is stopped once.
void tst_Host::videoFailures()
{
    openWindow();
    QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
    writeFile(path("plain.txt"), "");
    QVERIFY(QDir().mkdir(path("small")));
    std::mt19937 random(11);
    QImage noise(640, 480, QImage::Format_RGB32);
    QStringList noisy;
    for (int k = 0; k < 5; ++k) {
        for (int y = 0; y < 480; ++y)
            std::generate_n(reinterpret_cast<quint32 *>(noise.scanLine(y)), 640, std::ref(random));
        noisy << jpegUrl(noise);
    }
    for (const char *target : {"plain.txt/drill.mp4", "small/drill.mp4"}) {
        SmallDisk disk(path("small"), 96 * 1024);
        m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
        m_window->exportVideoTo(path(target));
        QString said;
        auto box = readBox(&said);
        // Noise does not compress: a few seconds of it fill the disk.
        for (int n = 0; n <= 90 && !sent().contains("breakVideoExport||"); ++n)
            send(picture(n, 90, noisy[n % 5]));
        QVERIFY2(said.startsWith("Error Exporting Video|") && said.contains(path(target))
                     && (said.contains("Not a directory") || said.contains("space") || said.contains("too large")),
                 qPrintable(said));
        QCOMPARE(sent(), (QStringList{"exportVideoResponse||", "breakVideoExport||"}));
        QVERIFY(!progress() && !QFileInfo::exists(path(target)));
        send(picture(91, 90, noisy[0]));
        QCOMPARE(m_sent->size(), 2);
    }
}

// Exports run from the command line, where a failure is reported, not shown.
void tst_Host::hiddenWindowExports()
{
    openWindow(mainWindow::Presentation::Hidden);
    QVERIFY(m_window->testAttribute(Qt::WA_DontShowOnScreen));
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished), reported(m_window.data(), &mainWindow::problemReported);
    writeFile(path("plain.txt"), "keep me");
    m_window->exportPdfTo(path("plain.txt/report.pdf"));
    QVERIFY(finished.wait(30000));
    // Regression: a report the page could not build, answered inside the
    // request, once left the export running for good.
    m_window->findChild<QWebView *>()->page()->mainFrame()->evaluateJavaScript(
        "pageShell.pdfReport.build = function (r, callbacks) { callbacks.failed(new Error('x')); return true; };");
    m_window->exportPdfTo(path("report.pdf"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
    QVERIFY(finished[0][0].toString().contains("Not a directory") && finished[1][0].toString().contains("did not deliver"));
    QVERIFY(finished[1][0].toString().contains(path("report.pdf")) && reported.size() == 2);
    QVERIFY(!progress() && !QFile::exists(path("report.pdf")));

    // A batch in which each drill meets another fate; later ones still run.
    QVERIFY(QDir().mkdir(path("a folder")));
    const struct { const char *drill; QByteArray text; const char *output, *failure; } rows[] = {
        // Regression: a second answer to a job once ended the next one early.
        {"twice", "", "twice.pdf", nullptr}, {"good", "", "good.pdf", nullptr},
        {"fails", "", "fails.pdf", "the encoder gave up"}, {"nothing", "", "nothing.pdf", "wrote nothing"},
        {"not json", "{\"msgType\":\"x\"}\n", "not json.pdf", "Error Opening Animation File"},
        {"missing", QByteArray(), "missing.pdf", "No such file"}, {"no folder", "", "none/out.pdf", "does not exist"},
        {"folder", "", "a folder", "it is a folder"},
    };
    QList<ExportJob> jobs;
    QList<QByteArray> before;
    for (const auto &row : rows) {
        ExportJob job;
        job.kind = ExportJob::Kind::Pdf;
        job.drillPath = path(QString(row.drill) + ".anim");
        job.outputPath = path(row.output);
        if (!row.text.isNull())
            writeFile(job.drillPath, row.text.isEmpty() ? animationText(row.drill).toUtf8() : row.text);
        // An earlier export of the same name is replaced only by a finished one.
        if (QByteArray(row.output).endsWith(".pdf") && !QByteArray(row.output).contains('/'))
            writeFile(job.outputPath, "earlier export");
        before << readFile(job.outputPath);
        jobs << job;
    }
    ExportRunner runner;
    QStringList seen, lines;
    runner.setExporter(ExportJob::Kind::Pdf, [&](mainWindow *, const ExportJob &job, const ExportRunner::Done &done) {
        const QString drill = QFileInfo(job.drillPath).completeBaseName();
        seen << drill;
        // Written beside the target under another name, put in place when done.
        QVERIFY(QFileInfo(job.outputPath).path() == m_dir->path() && job.outputPath.endsWith(".pdf")
                && !job.outputPath.endsWith("/" + drill + ".pdf"));
        if (drill != "nothing")
            writeFile(job.outputPath, "exported " + drill.toUtf8());
        done(drill == "fails" ? "the encoder gave up" : "");
        if (drill == "twice")
            done("a late second answer");
    });
    connect(&runner, &ExportRunner::progress, [&](const QString &line) { lines << line; });
    QSignalSpy ended(&runner, &ExportRunner::finished);
    runner.start(m_window.data(), jobs);
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended[0][0].toInt(), CommandLine::ExitFailed);
    QCOMPARE(seen, (QStringList{"twice", "good", "fails", "nothing"}));
    int at = 0;
    for (int i = 0; i < jobs.size(); ++i) {
        const QString head = lines.value(at++), failure = rows[i].failure ? lines.value(at++) : QString();
        QVERIFY2(head.startsWith(QStringLiteral("[%1/8] ").arg(i + 1)), qPrintable(head));
        QVERIFY2(!rows[i].failure || (failure.startsWith("Failed to export") && failure.contains(rows[i].failure)),
                 qPrintable(failure));
        QCOMPARE(readFile(jobs[i].outputPath), rows[i].failure ? before[i] : "exported " + QByteArray(rows[i].drill));
        QVERIFY(rows[i].failure || QFileInfo(jobs[i].outputPath).permissions() & QFile::ReadOther);
    }
    QCOMPARE(at, lines.size());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")), QStringList());
    jobs.first().kind = ExportJob::Kind::Video;
    QVERIFY(runner.unavailableExport(jobs.mid(1)).isEmpty() && runner.unavailableExport(jobs).contains("a video"));
}

DRILLMORA_WINDOW_TEST_MAIN(tst_Host)
#include "tst_Host.moc"
