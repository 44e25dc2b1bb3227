// The host's classes with real files in a temporary folder and real dialogs
// answered as a user would: its services alone, then the main window driven
// through the bridge with the page's messages, videos read back with ffprobe
// and ffmpeg. Opening drills, whole exports and the command line's exports
// are read back through the real program in the end-to-end tests.
#include "AnimationFile.h"
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "DrillText.h"
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

const QByteArray pdf("%PDF-1.3\n1 0 obj\n<<>>\nendobj\n%%EOF\n");
const QString pdfUrl = "data:application/pdf;base64," + pdf.toBase64();

// Chooses `path` in the file dialog about to open, or cancels it when empty;
// typed and accepted before the folder's listing can select the proposed
// file, and later, so that a question it asks can be answered.
std::unique_ptr<ModalDriver> chooseFile(const QString &path)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *d) {
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

    QString path(const QString &name) const { return m_dir->filePath(name); }
    void send(const Message &m) { m_bridge->receiveMessage(m); }
    QProgressDialog *progress() const { return m_window->findChild<QProgressDialog *>(); }

    // With `pageAnswers` false the test plays the page: the real one must not
    // answer with reports or pictures of its own.
    void openWindow(bool pageAnswers = true, mainWindow::Presentation presentation = mainWindow::Presentation::Shown)
    {
        m_window.reset(new mainWindow(presentation));
        QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
        QVERIFY(loaded.wait(30000));
        m_bridge = m_window->findChild<jsInterface *>();
        if (!pageAnswers)
            QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
        m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
    }

    // What the host sent the page, as "msgType|text|id", but its questions for the page's text.
    QStringList sent() const
    {
        QStringList out;
        for (const QList<QVariant> &args : *m_sent) {
            const Message m = args.at(0).toMap();
            if (m.value("msgType") != "requestAnimationText")
                out << m.value("msgType").toString() + '|' + m.value("text").toString() + '|' + m.value("id").toString();
        }
        return out;
    }

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
    QTextCodec *m_locale = QTextCodec::codecForLocale();
    QScopedPointer<QTemporaryDir> m_dir;

private slots:
    void initTestCase()
    {
        ApplicationIdentity::apply();
        usePrivateSettings();
    }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        // A legacy locale: files written before the move to UTF-8 still open.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    }

    void cleanup()
    {
        m_sent.reset();
        m_window.reset();
        m_dir.reset(); // under the codec its file names were made with
        QTextCodec::setCodecForLocale(m_locale);
        QFile::remove(LicenseDialog::licenseFilePath());
    }

    void textDecoding()
    {
        const struct { const char *locale; QByteArray bytes; QString expected; } rows[] = {
            {"ISO-8859-1", "\xEF\xBB\xBF" "Ciar\xC3\xA1n", u16(u"Ciar\u00E1n")}, {"ISO-8859-1", QByteArray("\xFF\xFE" "M\0\xFC\0\n\0", 8), u16(u"M\u00FC\n")},
            {"ISO-8859-1", QByteArray("\xFE\xFF" "\0M\0\xFC", 6), u16(u"M\u00FC")},
            // Regression: U+FEFF after a byte that is not UTF-8 was once dropped.
            {"ISO-8859-1", "ab\xEF\xBB\xBF" "c\xE9\xEF\xBB\xBFx", u16(u"ab\uFEFFc\u00E9\uFEFFx")},
            {"Shift_JIS", "Ciar\xC3\xA1n \xE5\xB0\x8F \xF0\x9F\x8F\x89", u16(u"Ciar\u00E1n \u5C0F \U0001F3C9")},
            // Runs that are not UTF-8 are read whole in the locale's encoding;
            // malformed UTF-8 (overlong, surrogate, too high, stray, cut short) byte by byte.
            {"windows-1252", "5 \x80 \xC3\xA1\xA9", u16(u"5 \u20AC \u00E1\u00A9")}, {"Shift_JIS", "a\x82\xA0\x82\xA2" "b", u16(u"a\u3042\u3044b")},
            {"ISO-8859-1", "\xC0\xAF \xE0\x9F\xBF \xF0\x8F\xBF\xBF \xED\xA0\x80 \xF4\x90\x80\x80 \xF5\x80 \xE2\x82x \xC3\xC3\xA1 \xF0\x9F\x8F",
             u16(u"\u00C0\u00AF \u00E0\u009F\u00BF \u00F0\u008F\u00BF\u00BF \u00ED\u00A0\u0080 \u00F4\u0090\u0080\u0080 \u00F5\u0080 "
                 u"\u00E2\u0082x \u00C3\u00E1 \u00F0\u009F\u008F")},
            // The smallest and largest of each length stay one character.
            {"ISO-8859-1", "\xE9\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
             u16(u"\u00E9\u0080\u07FF\u0800\uD7FF\uFFFD\U00010000\U0010FFFF")},
        };
        for (const auto &row : rows) {
            QTextCodec::setCodecForLocale(QTextCodec::codecForName(row.locale));
            QCOMPARE(TextDecoder::decode(row.bytes), row.expected);
        }
    }

    // What reading would never finish with, or fill memory from, is refused
    // from its kind or size alone. CTest runs this alone under a short
    // `timeout` too, so that one that blocks fails instead of hanging.
    void refusals()
    {
        writeFile(path("plain.txt"), "text");
        QVERIFY(QDir().mkdir(path("folder.anim")));
        QCOMPARE(mkfifo(QFile::encodeName(path("fifo.anim")).constData(), 0644), 0);
        writeFile(path("large.anim"), QByteArray());
        QCOMPARE(truncate(QFile::encodeName(path("large.anim")).constData(), AnimationFile::MaxFileSize + 1), 0);
        const struct { QString path; QString error; } rows[] = {
            {path("missing.anim"), reason(ENOENT)}, {path("plain.txt/drill.anim"), reason(ENOTDIR)},
            {path("folder.anim"), "This is a folder, not an animation file."}, {"/dev/zero", "This is a device, not an animation file."},
            {path("fifo.anim"), "This is a pipe, not an animation file."}, {path("large.anim"), "The file is 65 MB; an animation file is at most 64 MB."},
        };
        for (const auto &row : rows) {
            QString line = "untouched", error;
            QVERIFY2(!AnimationFile::readFirstLine(row.path, &line, &error), qPrintable(row.path));
            QVERIFY(error == row.error && line == "untouched");
        }
    }

    void files()
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

    void reportAndLogoData()
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
            {encoded(plain(Qt::red, {8192, 4}), "PNG"), {0, 127, 256, 1}}, {"Warm-up\n", {}},
            {encoded(plain(Qt::red, {64, 64}), "PNG").left(60), {}}, {encoded(plain(Qt::red, {8193, 1}), "PNG"), {}},
        };
        for (const auto &p : logos) {
            writeFile(path("logo.png"), p.bytes);
            const QImage logo = LogoImage::fromFile(path("logo.png"));
            QCOMPARE(logo.size(), p.placed.isNull() ? QSize(0, 0) : QSize(256, 256));
            for (int y = 0; y < logo.height(); y += 3)
                for (int x = 0; x < 256; x += 3)
                    QVERIFY(qAlpha(logo.pixel(x, y)) == (p.placed.contains(x, y) ? 255 : 0));
        }
        // Large pictures are decoded scaled down, not whole.
        writeFile(path("large.jpg"), encoded(plain(Qt::red, {4000, 2000})));
        QCOMPARE(BoundedImageReader::readFile(path("large.jpg"), QSize(1024, 1024)).size(), QSize(1024, 512));
    }

    // Usage mistakes are read back through the real program too.
    void commandLine()
    {
        const QString usage = "usage error", p = "--export-picture";
        const struct { QStringList arguments; QString expected; } rows[] = {
            {{}, "edit "}, {{"a.anim", "b.anim"}, "edit a.anim"}, {{"--", "-odd.anim"}, "edit -odd.anim"},
            {{"--export-pdf", "r.pdf", "--export-video", "v.MP4", "d.anim"}, "0 v.MP4 0 1024|1 r.pdf 0 1024"},
            {{p, "p.jpg", "--frame", "3", "--width", "64", "d.anim"}, "2 p.jpg 3 64"}, {{p, "p.jpeg", "--width", "4096", "d.anim"}, "2 p.jpeg 0 4096"},
            {{"--output-dir", "out", p, "png", "--export-pdf", "x.pdf", "a/one.anim", "b/two.x.anim"},
             "1 out/one.pdf 0 1024|2 out/one.png 0 1024|1 out/two.x.pdf 0 1024|2 out/two.x.png 0 1024"},
            {{"--export-pdf", "r.pdf", "a.anim", "b.anim"}, usage}, {{"--export-video", "v.mp4", "--width", "640", "d.anim"}, usage},
            {{p, "p.png", "--width", "64", "--width", "68", "d.anim"}, usage}, {{p, "p.png", "--width", "642", "d.anim"}, usage},
            {{p, "p.png", "--width", "60", "d.anim"}, usage}, {{p, "p.png", "--width", "4100", "d.anim"}, usage},
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

    // Short labels are typed in the bridge's prompts below.
    void dialogs()
    {
        // The web view may go while the prompt's own event loop runs.
        QPointer<QWidget> gone = new QWidget;
        auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *) { delete gone.data(); });
        bool ok = true;
        QCOMPARE(ShortLabelDialog::getText(gone, "Label", "Short label:", QLineEdit::Normal, "9", &ok), QString());
        QVERIFY(gone.isNull() && !ok);

        // A plain licence keeps its angle brackets and loses Windows line ends;
        // without one the user is told.
        writeFile(LicenseDialog::licenseFilePath(), "Drillmora\r\n\r\n<name of author>\r\n");
        QCOMPARE(LicenseDialog().findChild<QTextBrowser *>()->toPlainText(), QStringLiteral("Drillmora\n\n<name of author>\n"));
        QFile::remove(LicenseDialog::licenseFilePath());
        QString said;
        auto box = readBox(&said);
        QVERIFY(LicenseDialog().findChild<QTextBrowser *>()->document()->isEmpty());
        QCOMPARE(said, QStringLiteral("Not Found|Error: License file not found|"));
    }

    // The page sends where the selected frame's number stands in the text: a
    // drill that differs only there is not a change the coach is asked to save.
    void drillText()
    {
        const QString a = animationText("Warm-up"), shown = "\"selectedFrame\":";
        const int at = a.indexOf(shown) + shown.size();
        QString other = a, longer = a, changed = a;
        other[at] = '7';
        longer.insert(at, "1"); // frame 10
        changed.replace("Warm-up", "Warm-uP");
        const struct { QString text; int at, length; bool same; } rows[] = {
            {a, at, 1, true}, {other, at, 1, true}, {longer, at, 2, true}, {changed, at, 1, false},
            {other, at + 1, 1, false}, {longer, at, 1, false}, {a + " ", at, 1, false}, {' ' + a, at + 1, 1, false},
            // A span that is missing or not inside the text: the whole texts count.
            {a, -1, 1, true}, {other, -1, 1, false}, {other, at, 0, false}, {other, at, a.size(), false}, {other, a.size(), 1, false},
        };
        for (const auto &row : rows) {
            const DrillText text(row.text, row.at, row.length);
            QVERIFY2(text.isSameDrillAs(DrillText(a, at, 1)) == row.same && text.text() == row.text, qPrintable(row.text.mid(at - 20, 40)));
            QCOMPARE(DrillText(a, at, 1).isSameDrillAs(text), row.same);
        }
        QVERIFY(!DrillText::fromMessage({{"strToSave", other}, {"shownFrameAt", at}}).isSameDrillAs(DrillText(a, at, 1)));
        QVERIFY(DrillText(a, a.size() - 1, 1).isSameDrillAs(DrillText(a.chopped(1) + 'x', a.size() - 1, 1)));

        // The window's modified marker, as the page reports its changes.
        openWindow();
        send({{"msgType", "animationReset"}, {"strToSave", a}, {"shownFrameAt", at}, {"shownFrameLength", 1}});
        const struct { QString text; int length; bool modified; } changes[] = {
            {other, 1, false}, {changed, 1, true}, {longer, 2, false}, {longer, 1, true}, {a, 1, false},
        };
        for (const auto &row : changes) {
            send({{"msgType", "animationChanged"}, {"strToSave", row.text}, {"shownFrameAt", at}, {"shownFrameLength", row.length}});
            QCOMPARE(m_window->isWindowModified(), row.modified);
        }
    }

    void bridge()
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

        const QString shortLabel = "promptForItemShortLabel";
        const struct { Message request; QString typed, dialog, reply; } prompts[] = {
            {{{"msgType", "promptForFrameLabel"}, {"displayMessage", "Caption:"}, {"defaultText", "Warm-up"}},
             u16(u"Pass, Ciar\u00E1n!"), "Enter Text|Caption:|Warm-up", u16(u"frameLabelResponse|Pass, Ciar\u00E1n!|")},
            {{{"msgType", shortLabel}, {"defaultText", "ABCDEF"}, {"id", 37.0}}, QString(), "Enter Label||ABCD", "itemShortLabelResponse|ABCD|37"},
            {{{"msgType", shortLabel}, {"id", 2.0}}, "12345", "Enter Label||", "itemShortLabelResponse|1234|2"},
            // Regression: the limit counts UTF-16 units; half a character once reached the page.
            {{{"msgType", shortLabel}, {"defaultText", u16(u"ABC\U0001F3C9")}}, QString(), u16(u"Enter Label||ABC\xD83C"), "itemShortLabelResponse|ABC|"},
            // Missing keys still make a reply, with empty texts rather than null.
            {{{"msgType", "promptForFrameLabel"}}, QString(), "Enter Text||", "frameLabelResponse||"},
            // Cancelled after typing, and messages of no known type: nothing is sent.
            {{{"msgType", shortLabel}, {"id", 3.0}}, "typed", "Enter Label||", QString()},
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

    // What a file or the page says is shown literally and within bounds: as
    // markup a reason could make the box load pictures from the disk (or read
    // /dev/zero). A failed save keeps what was there.
    void boxesAndSaves()
    {
        openWindow();
        QCOMPARE(m_window->lastUsedFolder(), QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0));
        const QString markup = "Object 1: unknown item \"<img src=/dev/zero>\"", opening = "Error Opening Animation File";
        writeFile(path("empty.anim"), QByteArray());
        writeFile(path("plain.txt"), "keep me");
        const struct { QString type, detail, shown; } rows[] = {
            {"errorOpeningFile", markup, "|" + opening + "|" + markup},
            {"errorSavingFile", QString(5000, 'w'), "|Error Saving Animation File|" + QString(1000, 'w') + QChar(0x2026)},
            {"open", "/dev/zero", opening + "|This is a device, not an animation file.|"},
            {"open", path("missing.anim"), opening + "|No such file or directory|"},
            // An empty file goes to the page, which says why it refuses it.
            {"open", path("empty.anim"), "|" + opening + "|Error parsing JSON"},
            {"saveAnimation", path("plain.txt/drill.anim"), "error|Not a directory|"},
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
            auto chooser = chooseFile(row.detail);
            if (row.type == "open")
                m_window->openAnimation(row.detail);
            else
                send({{"msgType", row.type}, {"errorInfo", row.detail}, {"strToSave", "new"}});
            QCOMPARE(said, row.shown);
            QVERIFY(!formats.contains(Qt::RichText) && !formats.contains(Qt::AutoText));
        }
        QCOMPARE(readFile(path("plain.txt")), QByteArray("keep me"));
        QCOMPARE(sent(), QStringList{"openAnimationResponse||"});
        m_sent->clear();
        for (const char *type : {"openAnimation", "saveAnimation", "exportPdf", "exportVideo", "selectLogo"}) {
            auto cancel = chooseFile(QString());
            send({{"msgType", type}, {"strToSave", "x"}});
            QVERIFY2(cancel->seen(), type);
        }
        QVERIFY(sent().isEmpty() && !progress());
        // A name typed without a type gets ".anim".
        QVERIFY(QDir(m_dir->path()).mkpath("club"));
        auto chooser = chooseFile(path("club/saved"));
        send({{"msgType", "saveAnimation"}, {"strToSave", "{}\n"}});
        QCOMPARE(readFile(path("club/saved.anim")), QByteArray("{}\n"));
        QVERIFY(m_window->currentFile() == path("club/saved.anim") && m_window->lastUsedFolder() == path("club"));
    }

    void report()
    {
        openWindow(false);
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
        QVERIFY(url.startsWith("data:image/png;base64,"));
        QCOMPARE(QImage::fromData(QByteArray::fromBase64(url.section(',', 1).toLatin1()), "PNG").size(), QSize(256, 256));
        m_sent->clear();

        // The report: asked for by name, the page told to build it, its progress shown.
        chooser = chooseFile(path("new.pdf"));
        send({{"msgType", "exportPdf"}});
        QCOMPARE(sent(), QStringList{"exportPdfResponse||"});
        send({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0 / 3}});
        QCOMPARE(progress()->value(), 33);
        // Regression: moving the bar of a dialog up for its minimum time ran the event
        // loop, where the page's next message ended the report and deleted the dialog.
        QVERIFY(QMetaObject::invokeMethod(progress(), "forceShow"));
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
        QTimer::singleShot(0, m_window.data(), [this] { send({{"msgType", "writePdfData"}, {"pdfData", pdfUrl}}); });
        send({{"msgType", "updatePdfProgress"}, {"progressPercent", 50.0}});
        QVERIFY(progress() && readFile(path("new.pdf")) == "<unreadable>");
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(readFile(path("new.pdf")) == pdf && !progress() && finished[0][0].toString().isEmpty());
        writeFile(path("old.pdf"), "earlier report");

        enum { Never, AtProgress, WithData };
        const struct { const char *target; int cancel; QString data, said; } rows[] = {
            {"other.pdf", AtProgress, pdfUrl, ""}, {"other.pdf", WithData, pdfUrl, ""},
            {"old.pdf", Never, "data:application/pdf;base64,PGh0bWw+", "is not a PDF document"},
            {"old.pdf", Never, "garbage", "could not be saved"}, {"crest.txt/report.pdf", Never, pdfUrl, "Not a directory"},
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

    void video()
    {
        openWindow(false);
        auto chooser = chooseFile(path("drill.mp4"));
        send({{"msgType", "exportVideo"}});
        QVERIFY(progress()->isVisible() && !QFileInfo::exists(path("drill.mp4")));
        // Pictures that do not decode, or not to the video's size, are left out.
        const QString good = jpegUrl(plain(colourOf(1)));
        const QStringList pictures = {good, "data:image/jpeg;base64,bm90IGEgcGljdHVyZQ==", jpegUrl(plain(colourOf(2), {320, 240})),
                                      jpegUrl(plain(colourOf(3), {1280, 960})), good.section(',', 1), QString(), jpegUrl(plain(colourOf(5)))};
        // Regression: moving the bar ran the event loop, where the page's next
        // picture (here the last, sent early) was written before this one.
        QVERIFY(QMetaObject::invokeMethod(progress(), "forceShow"));
        QTimer::singleShot(0, m_window.data(), [=] { send(picture(6, 6, pictures[6])); });
        QString said;
        auto box = readBox(&said);
        QList<int> shown;
        for (int n = 0; n < 6; ++n) {
            send(picture(n, 6, pictures[n]));
            shown << (progress() ? progress()->value() : -1);
        }
        QTRY_VERIFY(!progress());
        QCOMPARE(shown, (QList<int>{0, 16, 33, 50, 66, 83}));
        QCOMPARE(said, QString());
        QCOMPARE(sent(), QStringList{"exportVideoResponse||"});
        QCOMPARE(VideoProbe::of(path("drill.mp4")).problem(640, 480, 15 + 2 + 15), QString());
        QString error;
        const QList<QByteArray> decoded = VideoProbe::pictures(path("drill.mp4"), 8, 6, &error);
        QVERIFY(!shows(decoded[14], colourOf(1)) && shows(decoded[15], colourOf(1)) && shows(decoded[31], colourOf(5)));

        // An encoder that cannot start, or a disk that fills up, ends the export
        // with a message and no file; the page is stopped once.
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
            m_sent->clear();
            m_window->exportVideoTo(path(target));
            box = readBox(&said);
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

    // Exports run from the command line, where a failure is reported, not
    // shown; the runner's refusals and failed drills are read back through
    // the real program in the end-to-end tests.
    void hiddenWindowExports()
    {
        openWindow(true, mainWindow::Presentation::Hidden);
        QVERIFY(m_window->testAttribute(Qt::WA_DontShowOnScreen));
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished), reported(m_window.data(), &mainWindow::problemReported);
        // Regression: a report the page could not build, answered inside the
        // request, once left the export running for good.
        m_window->findChild<QWebView *>()->page()->mainFrame()->evaluateJavaScript(
            "pageShell.pdfReport.build = function (r, callbacks) { callbacks.failed(new Error('x')); return true; };");
        m_window->exportPdfTo(path("report.pdf"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(finished[0][0].toString().contains("did not deliver") && finished[0][0].toString().contains(path("report.pdf")));
        QVERIFY(reported.size() == 1 && !progress() && !QFile::exists(path("report.pdf")));

        // Each drill of a batch meets another fate, and later ones still run; an
        // earlier export of the same name is replaced only by a finished one,
        // written beside it under another name and put in place when done.
        // Regression: a second answer to a job once ended the next one early.
        const QStringList drills = {"twice", "good", "fails", "nothing"};
        QList<ExportJob> jobs;
        for (const QString &drill : drills) {
            jobs << ExportJob{ExportJob::Kind::Pdf, path(drill + ".anim"), path(drill + ".pdf")};
            writeFile(jobs.last().drillPath, animationText(drill).toUtf8());
            writeFile(jobs.last().outputPath, "earlier export");
        }
        ExportRunner runner;
        QStringList seen, lines;
        runner.setExporter(ExportJob::Kind::Pdf, [&](mainWindow *, const ExportJob &job, const ExportRunner::Done &done) {
            const QString drill = QFileInfo(job.drillPath).completeBaseName();
            seen << drill;
            QVERIFY(QFileInfo(job.outputPath).path() == m_dir->path() && !job.outputPath.endsWith("/" + drill + ".pdf"));
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
        QCOMPARE(seen, drills);
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines[0].startsWith("[1/4] ") && lines[4].startsWith("[4/4] ") && lines[3].startsWith("Failed to export")
                     && lines[3].contains("the encoder gave up") && lines[5].contains("wrote nothing"),
                 qPrintable(lines.join('\n')));
        for (const ExportJob &job : jobs) {
            const QString drill = QFileInfo(job.drillPath).completeBaseName();
            const bool done = drill == "twice" || drill == "good";
            QCOMPARE(readFile(job.outputPath), done ? "exported " + drill.toUtf8() : QByteArray("earlier export"));
            QVERIFY(!done || QFileInfo(job.outputPath).permissions() & QFile::ReadOther);
        }
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")), QStringList());
        jobs.first().kind = ExportJob::Kind::Video;
        QVERIFY(runner.unavailableExport(jobs.mid(1)).isEmpty() && runner.unavailableExport(jobs).contains("a video"));
    }
};

// The window opens its first process argument as a drill: the application
// gets none of the test selection arguments.
int main(int argc, char *argv[])
{
    int appArgc = 1;
    QApplication app(appArgc, argv);
    tst_Host test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Host.moc"
