// The host's classes with real files and dialogs answered as a user would, then the
// main window driven through the bridge with the page's messages (whole runs: e2e/).
#include "AnimationFile.h"
#include "AnimationFilePrefetch.h"
#include "AboutDialog.h"
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "BoundedImageReader.h"
#include "CommandLine.h"
#include "CommandLineExports.h"
#include "DrillPage.h"
#include "DrillText.h"
#include "EditorView.h"
#include "ExportRunner.h"
#include "FileNameCodec.h"
#include "GifEncoder.h"
#include "GifOptionsDialog.h"
#include "LogoImage.h"
#include "ModalDriver.h"
#include "OpenedUrls.h"
#include "PageScript.h"
#include "PageWatch.h"
#include "PendingTests.h"
#include "PictureChoice.h"
#include "SaveFileDialog.h"
#include "RecoveryStore.h"
#include "PictureFile.h"
#include "ReportFile.h"
#include "ReportHeading.h"
#include "ReportOptionsDialog.h"
#include "TestFiles.h"
#include "TextDecoder.h"
#include "VideoOptionsDialog.h"
#include "VideoProbe.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QtWidgets>
#if QT_VERSION_MAJOR >= 6
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <QWebEngineView>
#endif

#include <csignal>
#include <cstring>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(jsInterface::Delivery)

namespace {

using Message = QVariantMap;

// Expected texts are spelled as UTF-16, not decoded from UTF-8 like the input.
QString u16(const char16_t *units) { return QString::fromUtf16(units); }
QString reason(int errnum) { return QString::fromLocal8Bit(strerror(errnum)); }

// A socket file at `path`, which cannot even be opened, only refused.
bool makeSocket(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= int(sizeof address.sun_path))
        return false;
    memcpy(address.sun_path, name.constData(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

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
    return buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format, 95) ? bytes : QByteArray();
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Qt keeps every codec made, and finds one by name among them.
QTextCodec *fileNameCodec()
{
    static QTextCodec *const codec = new FileNameCodec;
    return codec;
}
#endif

QString jpegUrl(const QImage &picture) { return "data:image/jpeg;base64," + encoded(picture).toBase64(); }

QByteArray word16(int n) { return QByteArray(1, char(n >> 8)) + char(n & 0xFF); }

// Where the segment with `marker` begins in a JPEG Qt wrote (no fill bytes), walking by the segments' lengths.
int segmentAt(const QByteArray &jpeg, uchar marker)
{
    for (int at = 2; at + 4 <= jpeg.size(); at += 2 + uchar(jpeg[at + 2]) * 256 + uchar(jpeg[at + 3])) {
        if (uchar(jpeg[at + 1]) == marker)
            return at;
    }
    return -1;
}

// A JPEG of 23168 x 23168 dressed up as 16 x 16: a legal fill byte after SOI, then a long comment holding a fake
// 16 x 16 frame header where a reader lands that takes the fill byte for a marker and the comment's marker for a length.
QByteArray disguisedJpeg(const QByteArray &real)
{
    QByteArray header = real;
    const int frame = segmentAt(real, 0xC0);
    header.replace(frame + 5, 4, word16(23168) + word16(23168));
    const int commentLength = 0xFF20, commentStart = 7, shiftedTo = 4 + 0xFE00 + (commentLength >> 8);
    QByteArray comment(commentLength - 2, 'x');
    comment.replace(shiftedTo - commentStart, 13, "\xFF\xC0" + word16(11) + '\x08' + word16(16) + word16(16) + "\x01\x01\x11" + '\0');
    return QByteArray("\xFF\xD8\xFF\xFF\xFE") + word16(commentLength) + comment + header.mid(2);
}

QByteArray progressiveJpeg(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    return buffer.open(QIODevice::WriteOnly) && writer.write(picture) ? bytes : QByteArray();
}

// Noise does not compress: its pictures are as large as pictures of their size get.
QImage noise(std::mt19937 &random, const QSize &size = {640, 480})
{
    QImage picture(size, QImage::Format_RGB32);
    std::generate_n(reinterpret_cast<quint32 *>(picture.bits()), size.width() * size.height(), std::ref(random));
    return picture;
}
// Picture `n` of a drill, told apart by its colour, and whether a decoded one shows it.
QColor colourOf(int n) { return QColor::fromHsv((n * 47) % 360, 200, 80 + (n * 13) % 160); }
bool shows(const QByteArray &decoded, const QColor &c) { return VideoProbe::difference(decoded, VideoProbe::rgb(plain(c), 8, 6)) < 12; }

Message picture(int n, int nFrames, const QString &imageData)
{
    return {{"msgType", "writeVideoFrame"}, {"frameWidth", 640.0}, {"frameHeight", 480.0}, {"frameNumber", double(n)},
            {"nFrames", double(nFrames)}, {"frameRate", 15.0}, {"imageData", imageData}};
}

// The page's canvas pixels of `image`: red, green, blue, alpha, the top row first.
QByteArray canvasPixels(const QImage &image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    return QByteArray(reinterpret_cast<const char *>(rgba.constBits()), int(rgba.sizeInBytes()));
}

// A picture as the page sends it, its canvas's pixels.
Message pixelPicture(int n, int nFrames, const QByteArray &pixels)
{
    Message m = picture(n, nFrames, QString());
    m.remove("imageData");
    m.insert("pixels", pixels);
    return m;
}

const QByteArray pdf("%PDF-1.3\n1 0 obj\n<<>>\nendobj\n%%EOF\n");
const QString pdfUrl = "data:application/pdf;base64," + pdf.toBase64();

// Room for `bytes` in each file this process writes until the guard goes, as
// on a full disk: the kernel refuses the write past it (EFBIG, not ENOSPC).
auto fileSizeLimit(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN); // past the limit the kernel would otherwise end the process
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const rlimit limited{bytes, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
    return qScopeGuard([before] { setrlimit(RLIMIT_FSIZE, &before); });
}

// A disk of `bytes` (whole pages) at `folder` while the guard lives, full once
// they are used: a tmpfs, which only root may mount; `mounted` says whether it is.
auto smallDisk(const QString &folder, qint64 bytes, bool *mounted)
{
    QDir().mkpath(folder);
    const QByteArray where = QFile::encodeName(folder), size = "size=" + QByteArray::number(bytes);
    const bool done = ::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, size.constData()) == 0;
    *mounted = done;
    return qScopeGuard([where, done] {
        if (done)
            ::umount2(where.constData(), MNT_DETACH);
    });
}

// Until the guard goes, `file` is one this process may not write, in a folder it
// may. Root may write any file, so as root the process becomes nobody (the saved
// user id keeps the way back), for whom root's file (0644) is not writable; anyone
// else makes the file read-only.
auto mayNotWrite(const QString &file)
{
    const bool root = geteuid() == 0;
    if (!root)
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
    else if (setresuid(65534, 65534, 0) != 0)
        qFatal("cannot become nobody: %s", strerror(errno));
    return qScopeGuard([root] {
        if (root && setresuid(0, 0, 0) != 0)
            qFatal("cannot become root again: %s", strerror(errno));
    });
}

// Answers the message box about to open, noting "title|text|informative", how its labels show text
// and by how many pixels it is narrower than its title in bold type beside a title bar's buttons.
std::unique_ptr<ModalDriver> readBox(QString *said, QList<Qt::TextFormat> *formats = nullptr, int *tooNarrow = nullptr)
{
    return ModalDriver::answer<QMessageBox>([=](QMessageBox *b) {
        *said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
        for (QLabel *label : formats ? b->findChildren<QLabel *>() : QList<QLabel *>())
            *formats << (label->text().isEmpty() ? Qt::PlainText : label->textFormat());
        QFont bold = b->font();
        bold.setBold(true);
        if (tooNarrow)
            *tooNarrow = QFontMetrics(bold).horizontalAdvance(b->windowTitle()) + 100 - b->width();
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
    EditorView *view() const { return editorViewOf(m_window.data()); }
    QVariant js(const QString &script) const { return runInPage(view(), script); }

    // With `pageAnswers` false the test plays the page, and the real one sends nothing. Queued, the
    // host's messages reach the page from the event loop, as a web channel delivers them.
    void openWindow(bool pageAnswers = true, mainWindow::Presentation presentation = mainWindow::Presentation::Shown,
                    jsInterface::Delivery delivery = jsInterface::Delivery::Direct)
    {
        m_window.reset(new mainWindow(presentation));
        m_bridge = m_window->findChild<jsInterface *>();
        m_bridge->setDelivery(delivery);
        QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
        QVERIFY(loaded.wait(30000));
        if (pageAnswers)
            QVERIFY(waitForPageStart(view()));
        if (!pageAnswers)
            QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
        QCoreApplication::processEvents(); // what the host sent the page at the start, queued
        m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
    }

    // Playing the page: every drill the host sends is taken, as the page answers.
    void takeEveryDrill()
    {
        connect(m_bridge, &jsInterface::sendMessage, m_window.data(), [this](const Message &m) {
            if (m.value("msgType") == "openAnimationResponse")
                send({{"msgType", "animationReset"}, {"sameAsOpened", true}, {"openId", m.value("openId")}});
        });
    }

    // What the host sent the page, as "msgType|text|id", but its questions for the page's text and
    // its word that it took a video picture: with `acknowledged`, those alone, by the picture's number.
    QStringList sent(bool acknowledged = false) const
    {
        QStringList out;
        for (const QList<QVariant> &args : *m_sent) {
            const Message m = args.at(0).toMap();
            if (acknowledged && m.value("msgType") == "videoFrameWritten")
                out << m.value("frameNumber").toString();
            else if (!acknowledged && m.value("msgType") != "requestAnimationText" && m.value("msgType") != "videoFrameWritten")
                out << m.value("msgType").toString() + '|' + m.value("text").toString() + '|' + m.value("id").toString();
        }
        return out;
    }
    QStringList acknowledged() const { return sent(true); }

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec *m_locale = QTextCodec::codecForLocale();
#endif
    QScopedPointer<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        SKIP_IF_PENDING_ON_THIS_ENGINE();
        ApplicationIdentity::apply();
        usePrivateSettings();
        m_dir.reset(new QTemporaryDir);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        // A legacy locale: files written before the move to UTF-8 still open.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
#endif
    }

    void cleanup()
    {
        m_window.reset();
        QDir(RecoveryStore::defaultFolder()).removeRecursively();
        m_dir.reset(); // under the codec its file names were made with
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        QTextCodec::setCodecForLocale(m_locale);
#endif
    }

    void textDecoding()
    {
        const struct { const char *locale; QByteArray bytes; QString expected; } rows[] = {
            {"ISO-8859-1", "\xEF\xBB\xBF" "Ciar\xC3\xA1n", u16(u"Ciar\u00E1n")}, {"ISO-8859-1", QByteArray("\xFF\xFE" "M\0\xFC\0\n\0", 8), u16(u"M\u00FC\n")},
            // Regression: U+FEFF after a byte that is not UTF-8 was once dropped.
            {"ISO-8859-1", "ab\xEF\xBB\xBF" "c\xE9\xEF\xBB\xBFx", u16(u"ab\uFEFFc\u00E9\uFEFFx")},
            // UTF-8 in any locale; other runs whole in the locale's encoding, malformed
            // UTF-8 (overlong, surrogate, too high, stray, cut short) byte by byte.
            {"Shift_JIS", "Ciar\xC3\xA1n \xE5\xB0\x8F \xF0\x9F\x8F\x89", u16(u"Ciar\u00E1n \u5C0F \U0001F3C9")},
            {"windows-1252", "5 \x80 \xC3\xA1\xA9", u16(u"5 \u20AC \u00E1\u00A9")}, {"Shift_JIS", "a\x82\xA0\x82\xA2" "b", u16(u"a\u3042\u3044b")},
            {"ISO-8859-1", "\xC0\xAF \xE0\x9F\xBF \xF0\x8F\xBF\xBF \xED\xA0\x80 \xF4\x90\x80\x80 \xF5\x80 \xE2\x82x \xC3\xC3\xA1 \xF0\x9F\x8F",
             u16(u"\u00C0\u00AF \u00E0\u009F\u00BF \u00F0\u008F\u00BF\u00BF \u00ED\u00A0\u0080 \u00F4\u0090\u0080\u0080 \u00F5\u0080 \u00E2\u0082x \u00C3\u00E1 \u00F0\u009F\u008F")},
            // The smallest and largest of each length stay one character.
            {"ISO-8859-1", "\xE9\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u16(u"\u00E9\u0080\u07FF\u0800\uD7FF\uFFFD\U00010000\U0010FFFF")},
            // A UTF-8 locale whose codec also carries file names: a stray byte in a file is U+FFFD, as ever.
            {"file names", "a\xE9" "b \xC3\xA9", u16(u"a\uFFFDb \u00E9")},
            // A NUL is a character like any other, in valid UTF-8 and beside bytes that are not.
            {"ISO-8859-1", QByteArray("{}\0x", 4), QString("{}") + QChar(0) + "x"}, {"ISO-8859-1", QByteArray("\xE9\0x", 3), u16(u"\u00E9") + QChar(0) + "x"},
        };
        for (const auto &row : rows) {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
            QTextCodec::setCodecForLocale(row.locale == QByteArray("file names") ? fileNameCodec() : QTextCodec::codecForName(row.locale));
#else
            // Qt 6 takes every locale as UTF-8: only the rows that do not read a legacy one.
            if (row.locale != QByteArray("file names") && !QStringConverter::encodingForData(row.bytes)
                && !QUtf8StringView(row.bytes).isValidUtf8())
                continue;
#endif
            QCOMPARE(TextDecoder::decode(row.bytes), row.expected);
        }
    }

    // What reading would never finish with, or fill memory from, is refused by its
    // kind or size alone (CTest runs this alone under a short `timeout` too, so one
    // that blocks fails, not hangs). A drill of many frames is one long line, not cut
    // at some buffer size; in UTF-16 the break is found after decoding.
    // A name is any bytes: in a UTF-8 locale the bytes that are not UTF-8 come
    // back as they were, from the command line to the file opened.
    void fileNames()
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        QSKIP("Qt 6 reads and writes every file name as UTF-8");
#else
        QTextCodec *codec = fileNameCodec();
        const QByteArray names[] = {"caf\xC3\xA9 \xF0\x9F\x8F\x89", "caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                    "\xE2\x82", "\xE2\x82x", "\xFF\xFE", "\xF0\x9F\x8F"};
        for (const QByteArray &name : names) {
            const QString text = codec->toUnicode(name);
            QCOMPARE(codec->fromUnicode(text), name);
            QVERIFY2(text == QString::fromUtf8(name) || !text.contains(QChar::ReplacementCharacter), name.constData());
            // In pieces, as a stream reads them (a path goes on after a name): a
            // sequence cut between two pieces is still one character.
            QScopedPointer<QTextDecoder> decoder(codec->makeDecoder());
            QScopedPointer<QTextEncoder> encoder(codec->makeEncoder());
            const QByteArray path = name + "/x";
            QString pieces;
            QByteArray back;
            for (char byte : path)
                pieces += decoder->toUnicode(&byte, 1);
            for (QChar c : pieces)
                back += encoder->fromUnicode(&c, 1);
            QVERIFY2(pieces == text + "/x" && back == path, name.constData());
        }
        // Only U+DC80 to U+DCFF stand for bytes; other lone surrogates are no text.
        QCOMPARE(codec->toUnicode("caf\xE9"), QString("caf") + QChar(0xDCE9));
        const QString lone = u16(u"\U0001F3C9 ") + QChar(0xDCE9) + ' ' + QChar(0xD800) + 'x' + QChar(0xDC41);
        QCOMPARE(codec->fromUnicode(lone), QByteArray("\xF0\x9F\x8F\x89 \xE9 ?x?"));

        QTextCodec::setCodecForLocale(codec);
        const QByteArray raw = QFile::encodeName(m_dir->path()) + "/caf\xE9.anim";
        char *argv[] = {const_cast<char *>("drillmora"), const_cast<char *>(raw.constData())};
        const QStringList arguments = FileNameCodec::arguments(2, argv);
        writeFile(arguments[1], "{\"caf\xC3\xA9\":1}\nsecond");
        QString line, error;
        QVERIFY(!QFile::exists(QString::fromLatin1(raw)) && QFileInfo(arguments[1]).size() > 0);
        QVERIFY2(AnimationFile::readFirstLine(arguments[1], &line, &error) && line == u16(u"{\"caf\u00E9\":1}"), qPrintable(error));
        QVERIFY(::access(raw.constData(), R_OK) == 0);
#endif
    }

    // A drill goes into its web page and comes back byte for byte, whatever its captions and name hold:
    // nothing a coach typed becomes markup or ends an element early, nothing is left to fetch, and only
    // the program's own pictures go in. Opened, a page gives its drill; any other web page is refused.
    void drillPage()
    {
        const QString text = u16(u"{\"frameText\":[\"</script><script>window.hacked=1</script>\",\"<!-- caf\u00E9 \u2713\"]}\n"
                                 u"second line");
        const QString name = QStringLiteral("Kick-off <b>&</b> \"press\" @SCRIPT_HASHES@");
        QString error;
        const QByteArray page = DrillPage::build(text, name, {"fieldItems/playerRed.png", "../fieldItems/playerRed.png",
            "fieldItems/nothing.png", "fieldItems/playerRed.png", "fonts/LiberationSans-Bold.ttf"}, &error);
        QVERIFY2(!page.isEmpty(), qPrintable(error));
        QVERIFY(page.contains("<title>Kick-off &lt;b&gt;&amp;&lt;/b&gt; &quot;press&quot; @SCRIPT_HASHES@</title>"));
        QVERIFY(page.contains("script-src 'sha256-"));
        QVERIFY(!page.contains("<b>") && !page.contains("hacked") && !page.contains("@DRILL"));
        QCOMPARE(page.count("<script"), page.count("</script>"));
        QCOMPARE(page.count("<style"), page.count("</style>"));
        QVERIFY(!QRegularExpression("<script src=|<link ").match(QString::fromUtf8(page)).hasMatch());
        QCOMPARE(page.count("\"fieldItems/playerRed.png\":\"data:image/png;base64,"), 1);
        QCOMPARE(page.count("data:image/png;base64,"), 1);
        writeFile(path("drill.html"), page);
        writeFile(path("other.html"), "<!DOCTYPE html>\n<html><body>A page of someone else's</body></html>");
        QByteArray damaged = page;
        damaged[damaged.indexOf('>', damaged.indexOf("id=\"drillmoraDrill\"")) + 3] = '*';
        writeFile(path("damaged.html"), damaged);
        const struct { const char *file; QString line, error; } rows[] = {
            {"drill.html", text.section('\n', 0, 0), {}},
            {"other.html", {}, "it is a web page that holds no drill (only pages Drillmora wrote do)"},
            {"damaged.html", {}, "the drill in this web page is damaged"}};
        for (const auto &row : rows) {
            QString line, reason;
            bool fromPage = false;
            QVERIFY2(AnimationFile::readFirstLine(path(row.file), &line, &reason, &fromPage) == row.error.isNull(), row.file);
            QCOMPARE(reason, row.error);
            QCOMPARE(line, row.line);
            QVERIFY(!row.error.isNull() || fromPage);
        }
        QByteArray bytes;
        QVERIFY(DrillPage::drillBytes(page, &bytes, &error) && bytes == text.toUtf8());
    }

    void reading()
    {
        writeFile(path("plain.txt"), "text");
        QVERIFY(QDir().mkdir(path("folder.anim")));
        QCOMPARE(mkfifo(QFile::encodeName(path("fifo.anim")).constData(), 0644), 0);
        QVERIFY(makeSocket(path("socket.anim")));
        // Just over the limit and at a whole number of megabytes: neither reads as one too few or too many.
        for (const auto &large : {qMakePair(QString("large.anim"), 1), qMakePair(QString("larger.anim"), 1 << 20)}) {
            writeFile(path(large.first), QByteArray());
            QCOMPARE(truncate(QFile::encodeName(path(large.first)).constData(), AnimationFile::MaxFileSize + large.second), 0);
        }
        const struct { QString path; QByteArray content; QString line, error; } rows[] = {
            {path("missing.anim"), {}, {}, reason(ENOENT)}, {path("plain.txt/drill.anim"), {}, {}, reason(ENOTDIR)},
            {path("folder.anim"), {}, {}, "This is a folder, not an animation file."}, {"/dev/zero", {}, {}, "This is a device, not an animation file."},
            {path("fifo.anim"), {}, {}, "This is a pipe, not an animation file."}, {path("large.anim"), {}, {}, "The file is 65 MB; an animation file is at most 64 MB."},
            {path("larger.anim"), {}, {}, "The file is 65 MB; an animation file is at most 64 MB."}, {path("socket.anim"), {}, {}, "This is a socket, not an animation file."},
            {path("1.anim"), "{\"a\":1}\r\nsecond\r\n", "{\"a\":1}", {}}, {path("2.anim"), "{}", "{}", {}}, {path("3.anim"), "\nsecond", "", {}},
            {path("4.anim"), QByteArray("\xFF\xFE" "{\0\xE9\0}\0\r\0\n\0x\0", 14), u16(u"{\u00E9}"), {}}, {path("5.anim"), QByteArray(3 << 20, 'x') + "\nsecond", QString(3 << 20, 'x'), {}},
            // Mended: read up to the NUL in the Qt 5 build only, which so opened what came before it.
            {path("6.anim"), QByteArray("{\"a\":1}\0more", 12), QString("{\"a\":1}") + QChar(0) + "more", {}},
        };
        for (const auto &row : rows) {
            if (!row.content.isNull())
                writeFile(row.path, row.content);
            QString line = "untouched", error;
            QVERIFY2(AnimationFile::readFirstLine(row.path, &line, &error) == row.error.isNull(), qPrintable(row.path));
            QVERIFY2(error == row.error && line == (row.error.isNull() ? row.line : "untouched"), qPrintable(row.path));
            // Read ahead on a thread (a drill named on the command line), the same, and for that file once only.
            AnimationFilePrefetch ahead;
            ahead.start(row.path);
            bool ok = !row.error.isNull();
            QVERIFY(!ahead.take(row.path + "x", &ok, &line, &error));
            QVERIFY2(ahead.take(row.path, &ok, &line, &error) && ok == row.error.isNull() && error == row.error, qPrintable(row.path));
            QVERIFY2(!ok || line == row.line, qPrintable(row.path));
            QVERIFY(!ahead.take(row.path, &ok, &line, &error));
        }

        // Recovery copies lie in a folder of their own: what bears a copy's name is read as a plain file of a
        // copy's size, never through a link (to a pipe it held the start for good, to /dev/zero it filled memory).
        const QString folder = path("copies");
        const QString copy = [&] { RecoveryStore gone(folder, 0); gone.keepNow("kept", QString()); return gone.copyPath(); }();
        for (const QString &target : {path("fifo.anim"), QString("/dev/zero"), copy, path("socket.anim")}) {
            const QString link = folder + QString("/link%1.drill").arg(target.size());
            QVERIFY(QFile::link(target, link));
            RecoveredDrill drill;
            QVERIFY2(!RecoveryStore::read(link, &drill), qPrintable(target));
        }
        QCOMPARE(RecoveryStore(folder, 0).claimOrphans(), QStringList({copy}));
        RecoveredDrill drill;
        QVERIFY(RecoveryStore::read(copy, &drill) && drill.text == "kept");
    }

    void saving()
    {
        // UTF-8 byte for byte whatever the locale (this one would write "?"), no
        // byte-order mark, line breaks as given; the longer earlier file replaced.
        QString error;
        writeFile(path("drill.anim"), QByteArray(100, 'z'));
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
            const auto limit = fileSizeLimit(1024);
            if (row.earlier)
                writeFile(drill, "{\"old\":true}");
            QVERIFY2(!AnimationFile::write(drill, QString(row.size, 'y'), &error), row.name);
            QCOMPARE(readFile(drill), QByteArray(row.earlier ? "{\"old\":true}" : "<unreadable>"));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), int(row.earlier));
            // The system's reason, not Qt's "Unknown error".
            QVERIFY2(error == reason(EFBIG) || error == reason(ENOSPC), qPrintable(error));
        }
    }

    void logoImage()
    {
        // A readable picture of up to 8192 pixels a side becomes a 256 x 256
        // logo, centred on transparency; its content, not its name, tells its type.
        const QByteArray jpeg = encoded(plain(Qt::red, {60, 120})), progressive = progressiveJpeg(plain(Qt::red, {60, 120}));
        const struct { QByteArray bytes; QRect placed; } logos[] = {
            {encoded(plain(Qt::red, {512, 256}), "PNG"), {0, 64, 256, 128}}, {jpeg, {64, 0, 128, 256}},
            {encoded(plain(Qt::red, {8192, 4}), "PNG"), {0, 127, 256, 1}}, {"Warm-up\n", {}},
            {encoded(plain(Qt::red, {64, 64}), "PNG").left(60), {}}, {encoded(plain(Qt::red, {8193, 1}), "PNG"), {}},
            // JPEG markers as the decoder reads them: any number of fill bytes, any SOFn; a cut segment is no picture.
            {QByteArray(jpeg).insert(segmentAt(jpeg, 0xC0), "\xFF\xFF\xFF"), {64, 0, 128, 256}}, {progressive, {64, 0, 128, 256}},
            {disguisedJpeg(jpeg), {}}, {jpeg.left(segmentAt(jpeg, 0xDB) + 20), {}},
        };
        QVERIFY(segmentAt(progressive, 0xC2) > 0);
        for (const auto &p : logos) {
            writeFile(path("logo.png"), p.bytes);
            const QImage logo = LogoImage::fromFile(path("logo.png"));
            // A JPEG the page sends is held to the same reading.
            if (p.bytes.startsWith("\xFF\xD8"))
                QVERIFY(BoundedImageReader::readDataUrl("data:image/jpeg;base64," + p.bytes.toBase64(), "JPEG").isNull() == p.placed.isNull());
            QCOMPARE(logo.size(), p.placed.isNull() ? QSize(0, 0) : QSize(256, 256));
            for (int y = 0; y < logo.height(); y += 3)
                for (int x = 0; x < 256; x += 3)
                    QVERIFY(qAlpha(logo.pixel(x, y)) == (p.placed.contains(x, y) ? 255 : 0));
        }
    }

    // The page sends where the selected frame's number stands in the text: a
    // drill that differs only there is not a change the coach is asked to save.
    void drillText()
    {
        const QString a = animationText("Warm-up"), shown = "\"selectedFrame\":";
        const int at = a.indexOf(shown) + shown.size();
        const QString other = QString(a).replace(at, 1, "7"), longer = QString(a).insert(at, "1"), changed = animationText("Warm-uP");
        const struct { QString text; int at, length; bool same; } rows[] = {
            {a, at, 1, true}, {other, at, 1, true}, {longer, at, 2, true}, {changed, at, 1, false},
            {other, at + 1, 1, false}, {longer, at, 1, false}, {a + " ", at, 1, false}, {' ' + a, at + 1, 1, false},
            // A span that is missing or not inside the text: the whole texts count.
            {a, -1, 1, true}, {other, -1, 1, false}, {other, at, 0, false}, {other, at, int(a.size()), false}, {other, int(a.size()), 1, false},
        };
        for (const auto &row : rows) {
            const DrillText text(row.text, row.at, row.length), saved(a, at, 1);
            QVERIFY2(text.isSameDrillAs(saved) == row.same && saved.isSameDrillAs(text) == row.same && text.text() == row.text,
                     qPrintable(row.text.mid(at - 20, 40)));
        }
        // A span over anything but a number is no selected frame: the whole texts count.
        const int p = a.indexOf("Warm-up") + 6;
        QVERIFY(!DrillText(changed, p, 1).isSameDrillAs(DrillText(a, p, 1)));

        // A file in the page's own words is only named back ("sameAsOpened"):
        // the host's copy is then the drill as saved, and undoing to it is no change.
        openWindow();
        js("myDispatchEvent('addFrame', {})");
        writeFile(path("own.anim"), js("pageShell.animation.saveToString()").toString().toUtf8());
        m_window->openAnimation(path("own.anim"));
        for (const char *step : {"addFrame", "undo"}) {
            js(QString("myDispatchEvent('%1', {})").arg(step));
            QTRY_COMPARE(m_window->isWindowModified(), step == QByteArray("addFrame"));
        }
    }

    void unsavedChanges_data()
    {
        QTest::addColumn<jsInterface::Delivery>("delivery");
        QTest::addColumn<QString>("change");
        for (const auto delivery : {jsInterface::Delivery::Direct, jsInterface::Delivery::Queued}) {
            const char *how = delivery == jsInterface::Delivery::Direct ? "replies inside the call" : "replies later";
            for (const char *change : {"none", "reported", "unreported"})
                QTest::addRow("%s, %s", how, change) << delivery << QString(change);
        }
    }

    // The host holds the drill as the page reports it, and asks before a close for any change still
    // on its way or unreported: an item moved on screen but not let go yet is still asked about, and
    // saved, when the page's answer comes later than the question. Mended: read at once, that
    // answer was not there yet, and the change was lost without a question.
    void unsavedChanges()
    {
        QFETCH(jsInterface::Delivery, delivery);
        QFETCH(QString, change);
        openWindow(true, mainWindow::Presentation::Shown, delivery);
        // The question names the file as it stands, never as rich text.
        const QString drill = path("Kickout <b>A.anim");
        js("myDispatchEvent('addItem', { type: 'person', col1: 'blue', col2: 'default', scale: 'default' })");
        writeFile(drill, js("pageShell.animation.saveToString()").toString().toUtf8());
        m_window->openAnimation(drill);
        QTRY_COMPARE(m_window->currentFile(), drill);
        QVERIFY(!m_window->isWindowModified());
        if (change == "reported") {
            js("myDispatchEvent('addFrame', {})");
            QTRY_VERIFY(m_window->isWindowModified());
        } else if (change == "unreported") {
            js("pageShell.animation.animLayer.itemGroups()[0].updatePosition({ x: 40, y: 50 }, 30)");
            QCoreApplication::processEvents();
            QVERIFY(!m_window->isWindowModified());
        }
        const QByteArray before = readFile(drill);
        auto question = ModalDriver::answerWhere<QMessageBox>(
            [](QMessageBox *b) {
                return b->text() == u16(u"Save the changes to \u201CKickout <b>A.anim\u201D?") && b->textFormat() == Qt::PlainText;
            },
            [](QMessageBox *b) { b->button(QMessageBox::Save)->click(); });
        QVERIFY(m_window->close());
        QCOMPARE(question->seen(), change != "none");
        const QByteArray after = readFile(drill);
        QCOMPARE(after, change == "none" ? before : js("pageShell.animation.saveToString()").toString().toUtf8());
        QVERIFY(change == "none" || after != before);
    }

    // Each program keeps a copy of its own, written after a change and only
    // then, removed when the drill is back as saved. A program that is gone
    // leaves its copy to the next, which alone may offer it until it is
    // recovered or discarded.
    void recoveryCopies()
    {
        const QString folder = path("recovery"), file = path(u16(u"line\nbreak \u00E9.anim"));
        const QString kept = animationText("kept"), later = animationText("later"), untitled = animationText("untitled");
        // As many turns of the event loop as a zero interval needs, and more.
        const auto settle = [] { for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(); };
        const auto read = [](const QString &copy) {
            RecoveredDrill drill;
            return RecoveryStore::read(copy, &drill) ? drill.file + '|' + drill.text : QString("<no copy>");
        };
        auto first = std::make_unique<RecoveryStore>(folder, 0), second = std::make_unique<RecoveryStore>(folder, 0);
        first->drillChanged(kept, file, true);
        QVERIFY(!QFile::exists(first->copyPath()));
        settle();
        QCOMPARE(read(first->copyPath()), file + '|' + kept);
        QVERIFY(QFile::remove(first->copyPath()));
        settle();
        QVERIFY2(!QFile::exists(first->copyPath()), "written again with nothing changed");
        first->drillChanged(later, file, true);
        second->drillChanged(untitled, QString(), true);
        settle();
        QCOMPARE(read(first->copyPath()), file + '|' + later);
        QCOMPARE(read(second->copyPath()), '|' + untitled);
        QVERIFY(first->copyPath() != second->copyPath());

        RecoveryStore third(folder, 0), fourth(folder, 0);
        QCOMPARE(third.claimOrphans(), QStringList());
        first->drillChanged(kept, file, false);
        QVERIFY(!QFile::exists(first->copyPath()));
        const QString left = second->copyPath();
        second.reset();
        QCOMPARE(third.claimOrphans(), QStringList({left}));
        QCOMPARE(fourth.claimOrphans(), QStringList());
        third.releaseClaims();
        QCOMPARE(fourth.claimOrphans(), QStringList({left}));
        QCOMPARE(read(left), '|' + untitled);
        fourth.removeClaimed(left);
        first->keepNow(kept, QString());
        QCOMPARE(read(first->copyPath()), '|' + kept);
        first->discard();
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        writeFile(path("not a copy.drill"), kept.toUtf8());
        QCOMPARE(read(path("not a copy.drill")), QString("<no copy>"));

        // A copy's write cut short by SIGKILL leaves its temporary, which the next start removes; one that a
        // live program is writing stays.
        const QString gone = QFileInfo([&] { RecoveryStore store(folder, 0); store.keepNow(kept, file); return store.copyPath(); }()).completeBaseName();
        first->keepNow(kept, file);
        const QString live = QFileInfo(first->copyPath()).completeBaseName();
        for (const QString &name : {gone, live, QString("never-a-copy")})
            writeFile(folder + "/." + name + ".AbC123.drill", QByteArray(1000, 'x'));
        RecoveryStore(folder, 0).claimOrphans();
        QCOMPARE(QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList({"." + live + ".AbC123.drill"}));
        QVERIFY(QFile::remove(folder + "/." + live + ".AbC123.drill") && QFile::remove(folder + '/' + gone + ".drill"));
        first->discard();

        // The coach is offered a copy left behind; exports from the command line never are.
        for (const auto presentation : {mainWindow::Presentation::Hidden, mainWindow::Presentation::Shown}) {
            const QString orphan = [&] { RecoveryStore gone; gone.keepNow(kept, file); return gone.copyPath(); }();
            const bool shown = presentation == mainWindow::Presentation::Shown;
            auto offer = ModalDriver::answer<QMessageBox>([](QMessageBox *b) { b->button(QMessageBox::Discard)->click(); }, 30000);
            openWindow(true, presentation);
            QCOMPARE(offer->seen(), shown);
            QCOMPARE(QFile::exists(orphan), !shown);
            m_window.reset();
            QFile::remove(orphan);
        }
    }

    // The page's engine through its one seam: the page started with the bridge
    // already a global (WebEngine holds its start until the channel is up), and
    // a script's value of each kind comes back, at once or from the event loop.
    void editorView()
    {
        openWindow();
        QCOMPARE(js("[typeof cppInterface.receiveMessage, typeof cppInterface.sendMessage.connect,"
                    " pageShell.connected].join()").toString(), QStringLiteral("function,function,true"));
        // Numbers come as doubles, which compare equal to the ints written here.
        QCOMPARE(js("[37, 2.5, 'Se\u00e1n', true, [1, 'two'], {id: 37, text: 'x'}]").toList(),
                 QVariantList({37, 2.5, u16(u"Se\u00E1n"), true, QVariantList({1, "two"}), QVariantMap({{"id", 37}, {"text", "x"}})}));
        // Answers come in the order asked, each to its own caller.
        QStringList answers;
        for (int i = 0; i < 3; ++i)
            view()->runScript(QString("'answer %1'").arg(i), [&answers](const QVariant &v) { answers << v.toString(); });
        QTRY_COMPARE(answers, QStringList({"answer 0", "answer 1", "answer 2"}));
        QCOMPARE(EditorView::engineName(), QString::fromLatin1(QT_VERSION_MAJOR == 5 ? "webkit" : "webengine"));

        // The video's pictures are asked for as the canvas's bytes only where bytes from the page
        // reach the host as bytes; elsewhere as a JPEG.
        QSignalSpy received(m_bridge, &jsInterface::messageReceived);
        js("cppInterface.receiveMessage({msgType: 'bytesAcross', bytes: new Uint8ClampedArray([0, 127, 255])}); 1");
        QTRY_COMPARE(received.count(), 1);
        const QVariant bytes = received.at(0).at(0).toMap().value("bytes");
        const bool carried = bytes.userType() == QMetaType::QByteArray && bytes.toByteArray() == QByteArray("\x00\x7f\xff", 3);
        QCOMPARE(EditorView::videoPictureForm(), QString::fromLatin1(carried ? "pixels" : "jpeg"));
    }

    void bridge()
    {
        openWindow();
        // A page reload clears the window object; the bridge must be there again.
        QSignalSpy loaded(view(), &EditorView::loadFinished);
        js("location.reload()");
        QVERIFY(loaded.wait(20000));
        // The reply reaches the page's receiver (inside the send call with
        // WebKit, later with a web channel); the id goes over as a number and
        // comes back as its digits.
        auto driver = ModalDriver::answer<QInputDialog>([](QInputDialog *d) { d->setTextValue("Kick-off"), d->accept(); });
        js("window.bridgeReply = null; window.bridgeReceive = function (m) {"
           "  bridgeReply = [m.msgType, m.text, typeof m.id, m.id].join('|');"
           "  cppInterface.sendMessage.disconnect(bridgeReceive); };"
           "cppInterface.sendMessage.connect(bridgeReceive);"
           "cppInterface.receiveMessage({msgType: 'promptForItemLabel', displayMessage: 'Label?', id: 37});");
        QTRY_COMPARE(js("bridgeReply").toString(), QStringLiteral("itemLabelResponse|Kick-off|string|37"));

        const QString shortLabel = "promptForItemShortLabel";
        const struct { Message request; QString typed, dialog, reply; } prompts[] = {
            {{{"msgType", "promptForFrameLabel"}, {"displayMessage", "Caption:"}, {"defaultText", "Warm-up"}},
             u16(u"Pass, Ciar\u00E1n!"), "Enter Text|Caption:|Warm-up", u16(u"frameLabelResponse|Pass, Ciar\u00E1n!|")},
            {{{"msgType", shortLabel}, {"defaultText", "ABCDEF"}, {"id", 37.0}}, QString(), "Enter Label||ABCD", "itemShortLabelResponse|ABCD|37"},
            // Regression: the limit counts UTF-16 units; half a character once reached the page.
            {{{"msgType", shortLabel}, {"defaultText", u16(u"ABC\U0001F3C9")}}, QString(), u16(u"Enter Label||ABC\xD83C"), "itemShortLabelResponse|ABC|"},
            // Missing keys reply with empty texts, not null; cancelled or of no known type, nothing is sent.
            {{{"msgType", "promptForFrameLabel"}}, QString(), "Enter Text||", "frameLabelResponse||"},
            // A note on the pitch may take two lines.
            {{{"msgType", "promptForDrawingNote"}, {"displayMessage", "Note:"}}, "Press\nhere", "Enter Note|Note:|",
             "drawingNoteResponse|Press\nhere|"},
            {{{"msgType", shortLabel}, {"id", 3.0}}, "typed", "Enter Label||", QString()}, {{{"msgType", 7.0}}, "", "", ""},
        };
        for (const auto &row : prompts) {
            QString dialog;
            driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
                dialog = d->windowTitle() + '|' + d->labelText() + '|' + d->textValue();
                QCOMPARE(d->parentWidget(), view()->widget());
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

    // What a file or the page says is shown literally and within bounds (as markup it could make
    // the box load pictures from the disk, or read /dev/zero); a failed save keeps what was there.
    void messageBoxes()
    {
        openWindow();
        const QString markup = "Object 1: unknown item \"<img src=/dev/zero>\"", opening = "Error Opening Animation File";
        const QString longName = QString(120, 'n') + ".anim", damaged = animationText("x").replace("\"nFrames\":1", "\"nFrames\":2");
        writeFile(path("empty.anim"), QByteArray());
        writeFile(path("plain.txt"), "keep me");
        writeFile(path("plan.png"), encoded(plain(Qt::green, {4, 4}), "PNG"));
        writeFile(path("list.anim"), "[\"OVRI_Animation\"]");
        writeFile(path("damaged.anim"), damaged.toUtf8());
        const QString opened = opening + "|" + u16(u"\u201C"), notADrill = u16(u"\u201D is not a Drillmora drill.|");
        const struct { QString type, detail, shown; } rows[] = {
            {"errorOpeningFile", markup, "|" + opening + "|" + markup},
            {"errorSavingFile", QString(5000, 'w'), "|Error Saving Animation File|" + QString(1000, 'w') + QChar(0x2026)},
            // The cut steps back rather than keep half of a character beyond the BMP.
            {"errorSavingFile", QString(999, 'w') + u16(u"\U0001F3C9ww"), "|Error Saving Animation File|" + QString(999, 'w') + QChar(0x2026)},
            {"drillLimitReached", "At most 500 frames.", "|Nothing was added to the drill.|At most 500 frames."},
            {"snapshotImage", markup, "|The snapshot could not be copied to the clipboard.|" + markup},
            // The file is named; its reason is the detail.
            {"open", path("missing.anim"), opened + u16(u"missing.anim\u201D could not be opened.|No such file or directory")},
            {"open", path(longName), opened + QString(80, 'n') + u16(u"\u2026\u201D could not be opened.|No such file or directory")},
            // An empty file goes to the page, which says why it refuses it; the host says it is no drill.
            {"open", path("empty.anim"), opened + "empty.anim" + notADrill + "Error parsing JSON"},
            {"open", path("plan.png"), opened + "plan.png" + notADrill + "Error parsing JSON"},
            {"open", path("list.anim"), opened + "list.anim" + notADrill + "Not an OVRI Animation file"},
            {"open", path("damaged.anim"), opened + u16(u"damaged.anim\u201D could not be opened.|Number of frames does not match")},
            {"saveAnimation", path("plain.txt/drill.anim"), "error|Not a directory|"},
        };
        for (const auto &row : rows) {
            QString said;
            QList<Qt::TextFormat> formats;
            int tooNarrow = 0;
            auto box = readBox(&said, &formats, &tooNarrow);
            auto chooser = ModalDriver::chooseFile(row.detail);
            if (row.type == "open")
                m_window->openAnimation(row.detail);
            else
                send({{"msgType", row.type}, {"errorInfo", row.detail}, {"strToSave", "new"}});
            // The page's answer to an open may come later, from the event loop.
            QTRY_COMPARE(said, row.shown);
            QVERIFY(!formats.contains(Qt::RichText) && !formats.contains(Qt::AutoText));
            QVERIFY2(tooNarrow <= 0, qPrintable(QString("%1 pixels too narrow for its title: %2").arg(tooNarrow).arg(said)));
        }
        QVERIFY(readFile(path("plain.txt")) == "keep me" && sent() == QVector<QString>(4, "openAnimationResponse||").toList());
    }

    void saveDialogAddsExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("replacing");
        QTest::addColumn<QString>("type"); // a picture type chosen from the picture filters, or none
        QTest::newRow("no extension") << "overlap drill" << "mp4" << "overlap drill.mp4" << false << QString();
        QTest::newRow("another extension") << "drill.v2" << "mp4" << "drill.v2.mp4" << false << QString();
        QTest::newRow("its own, in capitals") << "x.MP4" << "mp4" << "x.MP4" << false << QString();
        QTest::newRow("a trailing dot") << "report." << "pdf" << "report.pdf" << false << QString();
        QTest::newRow("a drill") << "drill.v2" << "anim" << "drill.v2.anim" << false << QString();
        // Asked about the file the name becomes, not the one typed.
        QTest::newRow("the completed name exists") << "drill.v2" << "pdf" << "drill.v2.pdf" << true << QString();
        // A dialog of several types adds the extension of the one chosen.
        const QStringList pictures = PictureChoice::nameFilters();
        QTest::newRow("a PNG picture") << "frame" << "png" << "frame.png" << false << pictures.at(0);
        QTest::newRow("a JPEG picture's longer extension") << "frame.JPEG" << "png" << "frame.JPEG" << false << pictures.at(1);
        QTest::newRow("a JPEG picture's name exists") << "drill.v2" << "png" << "drill.v2.jpg" << true << pictures.at(1);
        // Not the listed "frame two.png" its start matched as it was typed.
        QTest::newRow("a JPEG picture beside a PNG one") << "frame two" << "png" << "frame two.jpg" << false << pictures.at(1);
    }

    // The real dialog, typed into as a coach would.
    void saveDialogAddsExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, suffix);
        QFETCH(QString, chosen);
        QFETCH(bool, replacing);
        QFETCH(QString, type);
        writeFile(path("drill.v2"), "typed");
        writeFile(path("frame two.png"), "a picture");
        if (replacing)
            writeFile(path(chosen), "earlier");
        QString asked;
        auto replace = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) { asked = b->text(); b->button(QMessageBox::Yes)->click(); },
                                                        replacing ? 20000 : 0);
        auto chooser = ModalDriver::chooseFile(path(typed), nullptr, type);
        const QString filters = type.isEmpty() ? "Files (*." + suffix + ")" : PictureChoice::nameFilters().join(";;");
        SaveFileDialog dialog(nullptr, "Save", path("proposed." + suffix), filters, suffix);
        QCOMPARE(dialog.choose(), path(chosen));
        QVERIFY(chooser->seen());
        QCOMPARE(replace->seen(), replacing);
        QCOMPARE(asked.section('\n', 0, 0), replacing ? chosen + " already exists." : QString());
    }

    // A plain widget given a dialog's keys: Escape and Enter close it, Enter
    // on another button presses that one.
    void aboutDialogKeys()
    {
        openWindow();
        const struct { Qt::Key key; const char *focused; bool stays; } rows[] = {
            {Qt::Key_Escape, nullptr, false}, {Qt::Key_Return, nullptr, false}, {Qt::Key_Enter, nullptr, false},
            {Qt::Key_Escape, "copyInfoButton", false}, {Qt::Key_Return, "copyInfoButton", true},
        };
        for (const auto &row : rows) {
            const QString name = QString("%1 on %2").arg(QKeySequence(row.key).toString(), row.focused ? row.focused : "the dialog");
            m_window->showAboutInfo();
            auto *about = m_window->findChildren<AboutDialog *>().last();
            QVERIFY(QTest::qWaitForWindowExposed(about));
            QWidget *target = row.focused ? about->findChild<QPushButton *>(row.focused) : static_cast<QWidget *>(about);
            target->setFocus();
            QString said;
            auto copied = readBox(&said);
            QTest::keyClick(target, row.key, row.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QVERIFY2(about->isVisible() == row.stays, qPrintable(name));
            QCOMPARE(copied->seen(), row.stays);
            about->hide();
        }
    }

    // A report is headed by the drill's file name and dated as a person of the
    // locale writes it: long date without the weekday, the time to the minute.
    void reportHeading()
    {
        const struct { const char *file, *name; } names[] = {
            {"/home/coach/Overlap drill.anim", "Overlap drill"}, {"Set.Piece.ANIM", "Set.Piece"},
            {"/tmp/notes.txt", "notes.txt"}, {"/tmp/.anim", ".anim"}, {"", ""},
            {"/tmp/\xc3\x9c\x62ung \xd0\xa0.anim", "\xc3\x9c\x62ung \xd0\xa0"},
        };
        for (const auto &row : names)
            QCOMPARE(ReportHeading::drillName(QString::fromUtf8(row.file)), QString::fromUtf8(row.name));
        const QDateTime evening(QDate(2026, 12, 7), QTime(18, 4, 31));
        const struct { const char *locale, *date; } dates[] = {
            {"en_GB", "7 December 2026, 18:04"}, {"en_US", "December 7, 2026, 6:04 PM"},
            {"de_DE", "7. Dezember 2026, 18:04"}, {"fr_FR", "7 d\xc3\xa9\x63\x65mbre 2026, 18:04"},
            {"C", "7 December 2026, 18:04"}, {"ja_JP", "2026\xe5\xb9\xb4\x31\x32\xe6\x9c\x88\x37\xe6\x97\xa5, 18:04"},
        };
        // A space is a space: Qt 6.8's locale data puts a narrow no-break one before "PM".
        const auto plainSpaces = [](QString text) {
            for (QChar &c : text) {
                if (c.isSpace())
                    c = QLatin1Char(' ');
            }
            return text;
        };
        for (const auto &row : dates)
            QCOMPARE(plainSpaces(ReportHeading::date(evening, QLocale(QString::fromLatin1(row.locale)))),
                     QString::fromUtf8(row.date));
    }

    // A video's shape offers that shape's sizes and opens on the coach's last, and a cancel changes
    // nothing; the page is told of
    // any shape but the pitch's own, with the band's height and name, and of the pitch's as before.
    void videoShapes()
    {
        VideoOptions last;
        last.size = QSize(1920, 1080);
        VideoOptionsDialog dialog(nullptr, last);
        auto *shapes = dialog.findChild<QComboBox *>("videoShape");
        auto *sizes = dialog.findChild<QComboBox *>("videoSize");
        const auto offered = [sizes] {
            QStringList texts;
            for (int i = 0; i < sizes->count(); ++i)
                texts << VideoOptions::sizeText(sizes->itemData(i).toSize());
            return texts.join(' ');
        };
        QCOMPARE(shapes->currentData().toString() + " " + offered(), QStringLiteral("16:9 1280x720 1920x1080"));
        QCOMPARE(dialog.options().size, QSize(1920, 1080));
        shapes->setCurrentIndex(shapes->findData("9:16"));
        QCOMPARE(offered() + " " + VideoOptions::sizeText(dialog.options().size), QStringLiteral("1080x1920 1080x1920"));
        shapes->setCurrentIndex(shapes->findData("4:3"));
        QCOMPARE(offered() + " " + VideoOptions::sizeText(dialog.options().size),
                 QStringLiteral("640x480 960x720 1440x1080 640x480"));
        // Cancelled, either dialog leaves the options as they were and the export is not made.
        VideoOptions kept = VideoOptions::gif(640, 15);
        auto gifCancelled = ModalDriver::answer<GifOptionsDialog>([](GifOptionsDialog *d) { d->reject(); }, 20000);
        QVERIFY(!GifOptionsDialog::ask(nullptr, &kept) && gifCancelled->seen());
        auto videoCancelled = ModalDriver::answer<VideoOptionsDialog>([](VideoOptionsDialog *d) { d->reject(); }, 20000);
        QVERIFY(!VideoOptionsDialog::ask(nullptr, &kept) && videoCancelled->seen());
        QCOMPARE(VideoOptions::sizeText(kept.size) + " " + QString::number(kept.frameRate), QStringLiteral("640x480 15"));

        openWindow(false);
        const struct { QSize size; const char *members; } rows[] = {
            {{1080, 1920}, "9:16 1920 Untitled drill"}, {{1080, 1080}, "1:1 1080 Untitled drill"}, {{960, 720}, "  "}};
        for (const auto &row : rows) {
            VideoOptions options;
            options.size = row.size;
            m_sent->clear();
            m_window->exportVideoTo(path("drill.mp4"), options);
            const Message asked = m_sent->last().at(0).toMap();
            QCOMPARE(QStringList({asked.value("videoShape").toString(), asked.value("frameHeight").toString(),
                                  asked.value("drillName").toString()}).join(' '),
                     QString::fromLatin1(row.members));
            QCOMPARE(asked.value("frameWidth").toString(), QString::number(row.size.width()));
        }
        m_window->exportVideoTo(path("drill.mp4"), VideoOptions());
    }

    // The drills of a squad report: the open one first and fixed, the others in the order the coach
    // leaves them, each once; what a page holds, from the command line's words too.
    void reportOptions()
    {
        const struct { const char *text; int perPage; } parsed[] = {{"6", 6}, {" 4 ", 4}, {"2", 2}, {"3", 0}, {"", 0}, {"four", 0}};
        for (const auto &row : parsed) {
            int perPage = 0;
            QCOMPARE(ReportOptions::parsePicturesPerPage(QString::fromLatin1(row.text), &perPage) ? perPage : 0, row.perPage);
        }
        ReportOptions start;
        start.picturesPerPage = 2;
        start.otherDrills = QStringList{path("b.anim")};
        ReportOptionsDialog dialog(nullptr, "Warm-up", m_dir->path(), start);
        auto *list = dialog.findChild<QListWidget *>("reportDrills");
        dialog.addDrills({path("c.anim"), path("b.anim"), path("d.anim")});
        const auto pressed = [&dialog](const QString &text) {
            for (QPushButton *button : dialog.findChildren<QPushButton *>())
                if (button->text() == text)
                    return button->isEnabled() ? (button->click(), true) : false;
            return false;
        };
        list->setCurrentRow(0);
        QVERIFY(!pressed("Move Down") && !pressed("Remove"));
        list->setCurrentRow(3);
        QVERIFY(pressed("Move Up") && pressed("Move Up") && !pressed("Move Up"));
        list->setCurrentRow(2);
        QVERIFY(pressed("Remove"));
        const ReportOptions chosen = dialog.options();
        QCOMPARE(list->item(0)->text(), QStringLiteral("Warm-up (the drill open)"));
        QCOMPARE(chosen.otherDrills, QStringList({path("d.anim"), path("c.anim")}));
        QCOMPARE(chosen.picturesPerPage, 2);

        // Each drill's name and text go to the page; one that cannot be read stops the report before it starts.
        openWindow(false);
        writeFile(path("d.anim"), "{\"msgType\":\"d\"}\nsecond line");
        writeFile(path("c.anim"), "c text");
        m_sent->clear();
        m_window->exportPdfTo(path("squad.pdf"), chosen);
        const Message asked = m_sent->last().at(0).toMap();
        QCOMPARE(QStringList({asked.value("drillCount").toString(), asked.value("drillName1").toString(),
                              asked.value("drillText1").toString(), asked.value("drillName2").toString(),
                              asked.value("drillText2").toString()}),
                 QStringList({"2", "d", "{\"msgType\":\"d\"}", "c", "c text"}));
        QString said;
        auto stopped = readBox(&said);
        m_window->writePdfData(QString(), QStringLiteral("stopped"));
        QVERIFY2(stopped->seen() && said.contains("stopped"), qPrintable(said));
        auto box = readBox(&said);
        ReportOptions missing = chosen;
        missing.otherDrills << path("gone.anim");
        m_sent->clear();
        m_window->exportPdfTo(path("squad.pdf"), missing);
        QVERIFY2(said.startsWith("error|") && said.contains("gone.anim") && sent().isEmpty() && !progress(), qPrintable(said));
    }

    void report()
    {
        // Asked for by name, the page told to build it, its progress shown.
        openWindow(false);
        writeFile(path("plain.txt"), "");
        auto chooser = ModalDriver::chooseFile(path("new.pdf"));
        // Four a page chosen, and kept for the next report.
        auto options = ModalDriver::answer<ReportOptionsDialog>([](ReportOptionsDialog *d) {
            QTimer::singleShot(0, d, [d] {
                auto *perPage = d->findChild<QComboBox *>("picturesPerPage");
                perPage->setCurrentIndex(perPage->findData(4));
                d->accept();
            });
        });
        send({{"msgType", "exportPdf"}});
        QCOMPARE(sent(), QStringList{"exportPdfResponse||"});
        const Message asked = m_sent->last().at(0).toMap();
        QVERIFY2(asked.contains("drillName") && asked.value("date").toString().contains(QString::number(QDate::currentDate().year())),
                 qPrintable(asked.value("date").toString()));
        QVERIFY(options->seen() && asked.value("picturesPerPage") == 4 && !asked.contains("drillCount") &&
                ReportOptions::remembered().picturesPerPage == 4);
        // Regression: moving the bar of a dialog up for its minimum time ran the event
        // loop, where the page's next message ended the report and deleted the dialog.
        QVERIFY(QMetaObject::invokeMethod(progress(), "forceShow"));
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
        QTimer::singleShot(0, m_window.data(), [this] { send({{"msgType", "writePdfData"}, {"pdfData", pdfUrl}}); });
        send({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0 / 3}});
        QVERIFY(progress() && progress()->value() == 33 && readFile(path("new.pdf")) == "<unreadable>");
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(readFile(path("new.pdf")) == pdf && !progress() && finished[0][0].toString().isEmpty());
        writeFile(path("old.pdf"), "earlier report");

        // Cancelled by its button, the page is told at once and the dialog goes.
        enum { Never, AtProgress, WithData, ByButton };
        const struct { const char *target; int cancel; QString data, said, info; } rows[] = {
            {"old.pdf", AtProgress, pdfUrl, ""}, {"old.pdf", WithData, pdfUrl, ""}, {"old.pdf", ByButton, pdfUrl, ""},
            {"old.pdf", Never, "data:application/pdf;base64,PGh0bWw+", "is not a PDF document"}, {"old.pdf", Never, "x", "could not be saved"},
            // The page could not build the report, and says why.
            {"old.pdf", Never, "", "The drill could not be drawn: too many frames", "The drill could not be drawn: too many frames"},
        };
        for (const auto &row : rows) {
            m_sent->clear();
            const QByteArray before = readFile(path(row.target));
            m_window->exportPdfTo(path(row.target));
            QPointer<QProgressDialog> running = progress();
            send({{"msgType", "updatePdfProgress"}, {"progressPercent", 50.0}});
            if (row.cancel == ByButton)
                QTest::mouseClick(running->findChild<QPushButton *>(), Qt::LeftButton);
            else if (row.cancel != Never)
                running->cancel();
            const bool told = row.cancel == ByButton || row.cancel == AtProgress;
            // Cancelled, the report ends at its next progress step or with its data.
            if (row.cancel == AtProgress)
                send({{"msgType", "updatePdfProgress"}, {"progressPercent", 60.0}});
            QTRY_COMPARE(running.isNull(), told);
            QCOMPARE(sent(), told ? QStringList({"exportPdfResponse||", "breakPdfExport||"}) : QStringList{"exportPdfResponse||"});
            QString said;
            auto box = readBox(&said);
            send({{"msgType", "writePdfData"}, {"pdfData", row.data}, {"errorInfo", row.info}});
            QVERIFY2(row.said.isEmpty() ? said.isEmpty() : said.startsWith("error|") && said.contains(row.said), qPrintable(said));
            QVERIFY(readFile(path(row.target)) == before && running.isNull());
        }

        // Mended: letters the report's font lacked were left out without a word. The coach
        // is asked before the report is written: No writes nothing, Yes writes it.
        for (const bool write : {false, true}) {
            QString said;
            auto box = ModalDriver::answer<QMessageBox>([&said, write](QMessageBox *b) {
                said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
                b->button(write ? QMessageBox::Yes : QMessageBox::No)->click();
            }, 120000);
            m_window->exportPdfTo(path("left out.pdf"));
            send({{"msgType", "writePdfData"}, {"pdfData", pdfUrl}, {"leftOut", u16(u"\u05D0\U0001F600")}});
            QVERIFY2(said == u16(u"Characters Left Out|The report's font cannot print these characters, which are left out of "
                                 u"the report: \u05D0 U+05D0, \U0001F600 U+1F600|Write the report without them?"), qPrintable(said));
            QVERIFY2(QFileInfo::exists(path("left out.pdf")) == write && !progress(), write ? "Yes" : "No");
        }

        // Regression: a report into a folder that takes no file was built to the end, then refused.
        m_sent->clear();
        QString said;
        auto box = readBox(&said);
        m_window->exportPdfTo(path("plain.txt/report.pdf"));
        QVERIFY2(said == "error|Not a directory|" && sent().isEmpty() && !progress(), qPrintable(said));
        QVERIFY(finished.last().first().toString().contains("Not a directory"));
    }

    void video_data()
    {
        QTest::addColumn<jsInterface::Delivery>("delivery");
        QTest::newRow("replies inside the page's call") << jsInterface::Delivery::Direct;
        QTest::newRow("replies from the event loop") << jsInterface::Delivery::Queued;
    }

    // A looping GIF of the pictures in a palette of their own: a small red patch on green keeps its red, a
    // picture held is written once and shown as long, one of another size is left out.
    void gif()
    {
        QString error;
        QVERIFY(!GifEncoder::create(64, 48, 10, path("none/clip.gif"), &error) && !error.isEmpty());
        auto empty = GifEncoder::create(64, 48, 10, path("empty.gif"), &error);
        QVERIFY(empty && !empty->finish() && empty->errorString() == "there were no pictures to write");
        QVERIFY(!QFileInfo::exists(path("empty.gif")));

        auto encoder = GifEncoder::create(64, 48, 10, path("clip.gif"), &error);
        QVERIFY2(encoder, qPrintable(error));
        QImage patch = plain(QColor(0, 128, 0), {64, 48});
        QPainter(&patch).fillRect(QRect(30, 20, 4, 4), QColor(220, 20, 30));
        QVERIFY(encoder->writePixels(canvasPixels(patch)));
        QVERIFY(encoder->writeJpegDataUrl(jpegUrl(plain(QColor(20, 40, 200), {64, 48})), 3));
        QVERIFY(encoder->writePixels(canvasPixels(plain(Qt::white, {32, 24}))));
        QVERIFY(encoder->writePixels(canvasPixels(patch)) && encoder->writePixels(canvasPixels(patch)));
        // What did not change since the last picture is written as transparent, and shows as it was.
        QImage moved = patch;
        QPainter(&moved).fillRect(QRect(10, 10, 4, 4), QColor(240, 220, 0));
        QVERIFY(encoder->writePixels(canvasPixels(moved)));
        QVERIFY(encoder->paletteSize() >= 3 && encoder->paletteSize() <= 256);
        QVERIFY2(encoder->finish(), qPrintable(encoder->errorString()));
        QCOMPARE(encoder->skippedPictures(), 1);
        const QString probed = QString::fromUtf8(VideoProbe::run("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
            "stream=codec_name,width,height,nb_read_frames:format=duration", "-of", "default=nw=1:nk=1", path("clip.gif")}, &error))
                                   .simplified();
        QCOMPARE(probed, QStringLiteral("gif 64 48 4 0.700000"));
        const QList<QByteArray> shown = VideoProbe::pictures(path("clip.gif"), 64, 48, &error);
        QVERIFY2(!shown.isEmpty(), qPrintable(error));
        const auto at = [&](int picture, int x, int y) {
            const QByteArray &p = shown.at(picture);
            return QColor(uchar(p[(y * 64 + x) * 3]), uchar(p[(y * 64 + x) * 3 + 1]), uchar(p[(y * 64 + x) * 3 + 2]));
        };
        const auto near = [](const QColor &a, const QColor &b) {
            return qAbs(a.red() - b.red()) <= 12 && qAbs(a.green() - b.green()) <= 12 && qAbs(a.blue() - b.blue()) <= 12;
        };
        QVERIFY2(near(at(0, 31, 21), QColor(220, 20, 30)) && near(at(0, 5, 5), QColor(0, 128, 0)), qPrintable(at(0, 31, 21).name()));
        QVERIFY2(near(at(1, 31, 21), QColor(20, 40, 200)), qPrintable(at(1, 31, 21).name()));
        const int last = shown.size() - 1;
        QVERIFY(near(at(last, 31, 21), QColor(220, 20, 30)) && near(at(last, 11, 11), QColor(240, 220, 0))
                && near(at(last, 5, 40), QColor(0, 128, 0)));
    }

    // Each picture but the last is acknowledged, so that the page draws the next only then.
    void video()
    {
        QFETCH(jsInterface::Delivery, delivery);
        openWindow(false, mainWindow::Presentation::Shown, delivery);
        auto chooser = ModalDriver::chooseFile(path("drill.mp4"));
        auto options = ModalDriver::answer<VideoOptionsDialog>([](VideoOptionsDialog *d) { d->accept(); }, 20000);
        send({{"msgType", "exportVideo"}});
        QVERIFY(progress()->isVisible() && !QFileInfo::exists(path("drill.mp4")));
        // In the form the engine carries best (editorView): where the bridge carries no bytes, through
        // a socket of their own (tst_PictureChannel); pictures through the bridge are still taken.
        QTRY_COMPARE(sent(), QStringList{"exportVideoResponse||"});
        const Message response = m_sent->last().at(0).toMap();
        const bool bytesAcross = EditorView::videoPictureForm() == "pixels";
        QCOMPARE(response.value("pictureForm").toString(), QString::fromLatin1(bytesAcross ? "pixels" : "socket"));
        QCOMPARE(response.value("pictureSocket").toString().startsWith("ws://127.0.0.1:"), !bytesAcross);
        // Pictures that do not decode, or not to the video's size, are left out; canvas pixels as
        // the page sends them are taken as they are, and left out when their length is not the size's.
        const QString good = jpegUrl(plain(colourOf(1)));
        const QByteArray pixels = canvasPixels(plain(colourOf(7)));
        const QList<Message> pictures = {
            picture(0, 9, good), picture(1, 9, "data:image/jpeg;base64,bm90IGEgcGljdHVyZQ=="),
            picture(2, 9, jpegUrl(plain(colourOf(2), {320, 240}))), picture(3, 9, jpegUrl(plain(colourOf(3), {1280, 960}))),
            picture(4, 9, good.section(',', 1)), picture(5, 9, QString()), pixelPicture(6, 9, pixels),
            pixelPicture(7, 9, pixels.chopped(1)), pixelPicture(8, 9, canvasPixels(plain(colourOf(7), {320, 240}))),
            picture(9, 9, jpegUrl(plain(colourOf(5))))};
        // Regression: moving the bar ran the event loop, where the page's next
        // picture (here the last, sent early) was written before this one.
        QVERIFY(QMetaObject::invokeMethod(progress(), "forceShow"));
        QTimer::singleShot(0, m_window.data(), [=] { send(pictures[9]); });
        QString said, error;
        auto box = readBox(&said);
        QList<int> shown;
        for (int n = 0; n < 9; ++n) {
            send(pictures[n]);
            shown << (progress() ? progress()->value() : -1);
        }
        QTRY_VERIFY(!progress());
        QTRY_COMPARE(acknowledged(), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
        QVERIFY(shown == QList<int>({0, 11, 22, 33, 44, 55, 66, 77, 88}) && said.isEmpty() && sent() == QStringList{"exportVideoResponse||"});
        QCOMPARE(VideoProbe::problem(path("drill.mp4"), 640, 480, 15 + 3 + 15), QString());
        const QList<QByteArray> decoded = VideoProbe::pictures(path("drill.mp4"), 8, 6, &error);
        QVERIFY(!shows(decoded[14], colourOf(1)) && shows(decoded[15], colourOf(1)) && shows(decoded[16], colourOf(7))
                && shows(decoded[32], colourOf(5)));

        // Cancelled, the page is stopped at once and the file keeps what came before: a picture
        // already on its way is not written. Mended: the page was stopped only at its next picture.
        // A picture that is not the one expected next (of an export before) is not taken either.
        m_sent->clear();
        m_window->exportVideoTo(path("cancelled.mp4"));
        send(picture(1, 6, good));
        send(pixelPicture(0, 6, pixels));
        QTRY_COMPARE(acknowledged(), QStringList{"0"});
        QTest::mouseClick(progress()->findChild<QPushButton *>(), Qt::LeftButton);
        QTRY_VERIFY(!progress());
        QTRY_COMPARE(sent(), (QStringList{"exportVideoResponse||", "breakVideoExport||"}));
        send(picture(1, 6, good));
        QCOMPARE(VideoProbe::problem(path("cancelled.mp4"), 640, 480, 15 + 1), QString());
        QVERIFY(shows(VideoProbe::pictures(path("cancelled.mp4"), 8, 6, &error).value(15), colourOf(7)));
        QCoreApplication::processEvents();
        QCOMPARE(acknowledged(), QStringList{"0"});

        // A drill the page could not draw ends the export with its reason, and no file.
        m_sent->clear();
        box = readBox(&said);
        m_window->exportVideoTo(path("refused.mp4"));
        send({{"msgType", "writeVideoFrame"}, {"frameNumber", 0.0}, {"nFrames", 30.0}, {"errorInfo", "The drill could not be drawn: why"}});
        QVERIFY2(said.startsWith("Error Exporting Video|") && said.endsWith("The drill could not be drawn: why|"), qPrintable(said));
        QVERIFY(!progress() && !QFileInfo::exists(path("refused.mp4")));

#if QT_VERSION_MAJOR >= 6
        // Through the socket the host offers, as the WebEngine page sends them: each picture a header
        // and its pixels, acknowledged through the bridge, the socket closed with the export. A page
        // that breaks the socket's rules (tst_PictureChannel) ends the export with the reason.
        for (const bool broken : {false, true}) {
            m_sent->clear();
            said.clear();
            box = readBox(&said);
            const QString target = path(broken ? "broken.mp4" : "socket.mp4");
            m_window->exportVideoTo(target);
            QTRY_COMPARE(sent(), QStringList{"exportVideoResponse||"});
            const Message offer = m_sent->last().at(0).toMap();
            QWebSocket socket;
            socket.open(QUrl(offer.value("pictureSocket").toString()));
            QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
            socket.sendTextMessage(offer.value("pictureToken").toString());
            QStringList expected;
            for (int n = 0; n <= 2 && socket.state() == QAbstractSocket::ConnectedState; ++n) {
                const QJsonObject header{{"frameNumber", n}, {"nFrames", 2}, {"frameWidth", 640}, {"frameHeight", 480}, {"frameRate", 15}};
                socket.sendTextMessage(QString::fromUtf8(QJsonDocument(header).toJson(QJsonDocument::Compact)));
                socket.sendBinaryMessage(broken && n == 1 ? pixels.chopped(4) : pixels);
                if (n < 2 && !(broken && n == 1))
                    expected << QString::number(n);
                QTRY_COMPARE(acknowledged(), expected);
            }
            QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
            QTRY_VERIFY(!progress());
            if (broken) {
                QVERIFY2(said.startsWith("Error Exporting Video|") && said.contains("bytes for picture 1"), qPrintable(said));
                QVERIFY(sent() == (QStringList{"exportVideoResponse||", "breakVideoExport||"}) && !QFileInfo::exists(target));
            } else {
                QVERIFY2(said.isEmpty() && sent() == QStringList{"exportVideoResponse||"}, qPrintable(said));
                QCOMPARE(VideoProbe::problem(target, 640, 480, 15 + 3 + 15), QString());
                QVERIFY(shows(VideoProbe::pictures(target, 8, 6, &error).value(17), colourOf(7)));
            }
        }
#endif

        // An encoder that cannot start, or a full disk, ends the export with a
        // message; the page is stopped once. Regression: a video failing part-way
        // once took the video it was replacing with it, and while it was written
        // its name held half a video (as a killed export would leave it).
        // The full disk is a small tmpfs where the test may mount one: a limit on the size of
        // this process's files would also hold for the shared memory Chromium makes for its page,
        // whose renderer then stops at a check (Qt WebEngine 6.8), and the test with it.
        bool mounted = false;
        const auto disk = smallDisk(path("small"), 96 * 1024, &mounted);
        const QString full = mounted ? "small/full.mp4" : "full.mp4";
        writeFile(path("plain.txt"), "");
        writeFile(path(full), "earlier video");
        // JPEG pictures and canvas pixels in turn, each encoded on the encoder's worker.
        QStringList noisyJpegs;
        QList<QByteArray> noisyPixels;
        for (std::mt19937 random(11); noisyJpegs.size() < 5;) {
            const QImage n = noise(random);
            noisyJpegs << jpegUrl(n);
            noisyPixels << canvasPixels(n);
        }
        const auto noisyPicture = [&](int n, int nFrames) {
            return n % 2 ? pixelPicture(n, nFrames, noisyPixels[n % 5]) : picture(n, nFrames, noisyJpegs[n % 5]);
        };
        for (const QString &target : {QString("plain.txt/drill.mp4"), full}) {
            const QByteArray before = readFile(path(target));
            const auto limit = fileSizeLimit(mounted ? RLIM_INFINITY : 96 * 1024);
            m_sent->clear();
            m_window->exportVideoTo(path(target));
            box = readBox(&said);
            // Noise does not compress: a few seconds of it fill the room left.
            for (int n = 0; n <= 90 && !sent().contains("breakVideoExport||"); ++n) {
                send(noisyPicture(n, 90));
                QCoreApplication::processEvents();
                QVERIFY2(readFile(path(target)) == before, qPrintable(QString("%1 at picture %2").arg(target).arg(n)));
            }
            const char *why = target.startsWith('p') ? "Not a directory" : mounted ? "No space left" : "too large";
            QVERIFY2(said.startsWith("Error Exporting Video|") && said.contains(path(target)) && said.contains(why),
                     qPrintable(said));
            QVERIFY(!progress() && readFile(path(target)) == before);
            for (const QString &folder : {m_dir->path(), path("small")})
                QCOMPARE(QDir(folder).entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")), QStringList());
            send(noisyPicture(91, 90));
            QCoreApplication::processEvents();
            QCOMPARE(sent(), (QStringList{"exportVideoResponse||", "breakVideoExport||"}));
        }
    }

    // Regression: with WebEngine, whose page runs in a process of its own, a page process killed
    // during an export left the export waiting for ever and the editor blank. The export fails at
    // once, and the editor starts the page again with the drill as it was, still unsaved.
    void pageProcessEnds()
    {
#if QT_VERSION_MAJOR < 6
        QSKIP("the page runs in the program's own process with this engine");
#else
        openWindow();
        js("myDispatchEvent('addItem', { type: 'person', col1: 'blue', col2: 'default', scale: 'default' }); 1");
        QTRY_VERIFY(m_window->isWindowModified());
        const QString before = js("pageShell.animation.saveToString()").toString();
        js("pageShell.imageGenerator.ask = function () {}; 1");
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
        QString failed, restarted;
        const auto box = [](const char *start, QString *said) {
            return ModalDriver::answerWhere<QMessageBox>([=](QMessageBox *b) { return b->text().startsWith(start); },
                [=](QMessageBox *b) { *said = b->text(); b->accept(); }, 30000);
        };
        auto failedBox = box("The video could not be written", &failed), restartedBox = box("The editor page's process", &restarted);
        m_window->exportVideoTo(path("killed.mp4"));
        const qint64 renderer = m_window->findChild<QWebEngineView *>()->page()->renderProcessPid();
        QVERIFY(renderer > 0 && ::kill(pid_t(renderer), SIGKILL) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QVERIFY2(finished[0][0].toString().endsWith("The editor page's process ended (it was killed)."), qPrintable(finished[0][0].toString()));
        QVERIFY(!QFileInfo::exists(path("killed.mp4")));
        QTRY_VERIFY_WITH_TIMEOUT(failedBox->seen() && restartedBox->seen(), 30000);
        QVERIFY2(restarted.endsWith("Drillmora has started the editor again and put the drill back as it was."), qPrintable(restarted));
        QTRY_COMPARE_WITH_TIMEOUT(js("window.pageShell ? pageShell.animation.saveToString() : ''").toString(), before, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isWindowModified(), 30000);
#endif
    }

    // A disk that fills during a picture's last write: nothing cut short is taken
    // for the picture, and the one it would have replaced stays.
    void fullDisk()
    {
        std::mt19937 random(5);
        const QString disk = path("disk");
        for (const QString name : {"picture.png", "picture.jpg"}) {
            const QString jpeg = jpegUrl(noise(random, {320, 240}));
            QCOMPARE(PictureFile::write(path(name), jpeg), QString());
            // Room for the earlier picture and all of the new one but its last page.
            const qint64 page = 4096, size = QFileInfo(path(name)).size();
            bool mounted = false;
            const auto mount = smallDisk(disk, page + (size - 1) / page * page, &mounted);
            if (!mounted)
                QSKIP("A full disk is a small tmpfs here, and only root may mount one.");
            writeFile(disk + '/' + name, "earlier picture");
            const QString error = PictureFile::write(disk + '/' + name, jpeg);
            QVERIFY2(error == reason(ENOSPC), qPrintable(name + ": " + error));
            QCOMPARE(readFile(disk + '/' + name), QByteArray("earlier picture"));
            QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        }
    }

    // Every writer replaces a file as what it was: with its permissions, through a
    // link to the file the link names; one the user may not write is refused, and
    // so is a pipe (a device, as root, would be replaced by a file as well).
    void replacing()
    {
        openWindow(false, mainWindow::Presentation::Hidden);
        takeEveryDrill();
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
        writeFile(path("drill.anim"), animationText("drill").toUtf8());
        const QString jpeg = jpegUrl(plain(colourOf(1)));
        // Each says why it wrote nothing, or nothing.
        const QList<QPair<QString, std::function<QString(const QString &)>>> writers = {
            {"drill.anim", [](const QString &p) { QString e; AnimationFile::write(p, "{}", &e); return e; }},
            {"report.pdf", [](const QString &p) { QString e; ReportFile::write(p, pdfUrl, &e); return e; }},
            {"picture.png", [=](const QString &p) { return PictureFile::write(p, jpeg); }},
            {"picture.jpg", [=](const QString &p) { return PictureFile::write(p, jpeg); }},
            {"video.mp4", [&](const QString &p) {
                 finished.clear();
                 m_window->exportVideoTo(p);
                 send(picture(0, 0, jpeg));
                 return finished.size() == 1 ? finished[0][0].toString() : QString("no end");
             }},
            {"exported.pdf", [&](const QString &p) {
                 ExportRunner runner;
                 QStringList lines;
                 runner.setExporter(ExportJob::Kind::Pdf, [](mainWindow *, const ExportJob &job, const ExportRunner::Done &done) {
                     writeFile(job.outputPath, "exported");
                     done(QString());
                 });
                 connect(&runner, &ExportRunner::progress, [&](const QString &line) { lines << line; });
                 QSignalSpy ended(&runner, &ExportRunner::finished);
                 runner.start(m_window.data(), {ExportJob{ExportJob::Kind::Pdf, path("drill.anim"), p}});
                 return ended.wait(30000) && ended[0][0].toInt() == 0 ? QString() : lines.join('\n');
             }},
        };
        // Open to all, so that as nobody the test may still write beside the files.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::Permissions(0x7777)));
        for (const auto &writer : writers) {
            for (const QString situation : {"private", "link", "not mine", "pipe"}) {
                const QString tag = situation + ' ' + writer.first, folder = path(tag);
                QVERIFY(QDir().mkpath(folder + "/elsewhere"));
                QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
                const QString target = folder + '/' + writer.first;
                const QString file = situation == "link" ? folder + "/elsewhere/" + writer.first : target;
                if (situation == "pipe")
                    QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0644), 0);
                else
                    writeFile(file, "earlier");
                QVERIFY(situation != "link" || QFile::link(file, target));
                QVERIFY(situation != "private" || QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
                const QString error = situation != "not mine" ? writer.second(target) : [&] {
                    const auto asNobody = mayNotWrite(file);
                    return writer.second(target);
                }();
                struct stat status {};
                QVERIFY(::stat(QFile::encodeName(file).constData(), &status) == 0);
                if (situation == "not mine") {
                    QVERIFY2(error.contains(reason(EACCES)) && readFile(file) == "earlier", qPrintable(tag + ": " + error));
                } else if (situation == "pipe") {
                    QVERIFY2(error.contains("It is not a regular file.") && S_ISFIFO(status.st_mode), qPrintable(tag + ": " + error));
                } else {
                    QVERIFY2(error.isEmpty() && readFile(file) != "earlier", qPrintable(tag + ": " + error));
                    QVERIFY2(QFileInfo(target).isSymLink() == (situation == "link") && QFileInfo(target).canonicalFilePath() == QFileInfo(file).canonicalFilePath(), qPrintable(tag));
                    QVERIFY2(situation != "private" || (status.st_mode & 07777) == 0600, qPrintable(tag + QString(": mode %1").arg(status.st_mode & 07777, 0, 8)));
                }
                QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{writer.first});
                QCOMPARE(QDir(folder + "/elsewhere").entryList(QDir::Files | QDir::Hidden), situation == "link" ? QStringList{writer.first} : QStringList());
            }
        }
    }

    // Exports from the command line, where a failure is reported, not shown (the
    // runner's refusals and failed drills: see the e2e tests).
    void hiddenWindowExports()
    {
        // The folder the coach's dialogs start in is the editor's: exports from the command line,
        // which open their drills too, leave it as it was for the next start.
        QVERIFY(QDir(m_dir->path()).mkpath("coach"));
        writeFile(path("coach/drill.anim"), animationText("coach").toUtf8());
        openWindow(true);
        m_window->openAnimation(path("coach/drill.anim"));
        QCOMPARE(m_window->lastUsedFolder(), path("coach"));
        openWindow(true, mainWindow::Presentation::Hidden);
        QSignalSpy finished(m_window.data(), &mainWindow::exportFinished), reported(m_window.data(), &mainWindow::problemReported);
        // Regression: a report the page could not build, answered inside the
        // request, once left the export running for good.
        js("window.realBuild = pageShell.pdfReport.build;"
           "pageShell.pdfReport.build = function (r, callbacks) { callbacks.failed(new Error('the reason')); return true; };");
        m_window->exportPdfTo(path("report.pdf"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(finished[0][0].toString().endsWith(": the reason") && finished[0][0].toString().contains(path("report.pdf")));
        QVERIFY(reported.size() == 1 && !progress() && !QFile::exists(path("report.pdf")) && m_window->testAttribute(Qt::WA_DontShowOnScreen));
        js("pageShell.pdfReport.build = realBuild;");
        // Done, a command line's export says so on its own line: no box shows.
        m_window->exportPictureTo(path("done.png"), 1, 320);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
        QVERIFY(finished[1][0].toString().isEmpty() && QFile::exists(path("done.png")));
        QVERIFY(!m_window->findChild<QMessageBox *>());

        // Regression: a drill the page's image generator refused was exported as the drill it held
        // before. Each export of the command line fails with the reason, and leaves no file.
        writeFile(path("refused.anim"), animationText("refused").toUtf8());
        js("(function (a) { var t = JSON.parse(a.saveToString()); t.nFrames = 501; t.frameText = [];"
           "  for (var f = 0; f <= 500; f++) { t.frameText.push(''); } a.saveToString = function () { return JSON.stringify(t); };"
           "})(pageShell.animation)");
        QList<ExportJob> refused;
        for (ExportJob::Kind kind : {ExportJob::Kind::Video, ExportJob::Kind::Pdf, ExportJob::Kind::Picture})
            refused << ExportJob{kind, path("refused.anim"), path(QStringList{"r.mp4", "r.pdf", "r.png"}.at(refused.size()))};
        ExportRunner exports;
        CommandLineExports::install(exports);
        QStringList said;
        connect(&exports, &ExportRunner::progress, [&](const QString &line) { said << line; });
        QSignalSpy over(&exports, &ExportRunner::finished);
        exports.start(m_window.data(), refused);
        QVERIFY(over.wait(60000) && over[0][0].toInt() == CommandLine::ExitFailed);
        QCOMPARE(said.filter("The drill could not be drawn: Member \"nFrames\" must be a whole number from 1 to 500").size(), 3);
        for (const char *file : {"r.mp4", "r.pdf", "r.png"})
            QVERIFY2(!QFileInfo::exists(path(file)), file);
        js("delete pageShell.animation.saveToString;");
        writeFile(path("refused.anim"), animationText("drawn").toUtf8());

        // Regression: a page that threw while drawing (a player of scale 1e30) left every kind of export
        // waiting for ever. Each ends with the reason, by the page's report or the host's bound on its
        // silence, and leaves no file.
        const struct { const char *fails; const char *said; } failures[] = {
            {"setTimeout(function () { throw new Error('the drawing failed'); }, 0);", "The editor page stopped with an error: "},
            {"", "The editor page stopped answering: it sent nothing for 0.5 seconds."},
        };
        for (const auto &failure : failures) {
            openWindow(true, mainWindow::Presentation::Hidden);
            m_window->findChild<PageWatch *>()->setSilenceLimit(500);
            js(QString("pageShell.imageGenerator.ask = function () { %1 };").arg(failure.fails));
            QStringList stalled;
            ExportRunner watched;
            CommandLineExports::install(watched);
            connect(&watched, &ExportRunner::progress, [&](const QString &line) { stalled << line; });
            QSignalSpy watchedOver(&watched, &ExportRunner::finished);
            watched.start(m_window.data(), refused);
            QVERIFY(watchedOver.wait(60000) && watchedOver[0][0].toInt() == CommandLine::ExitFailed);
            QVERIFY2(stalled.filter(failure.said).size() == 3, qPrintable(stalled.join('\n')));
            for (const char *file : {"r.mp4", "r.pdf", "r.png"})
                QVERIFY2(!QFileInfo::exists(path(file)), file);
        }

        js("delete pageShell.imageGenerator.ask;");

        // In a batch a failed drill does not stop the next. A finished export,
        // written beside its target under another name, replaces an earlier one.
        // Regression: a second answer to a job once ended the next one early.
        const QStringList drills = {"twice", "good", "nothing"};
        QList<ExportJob> jobs;
        for (const QString &drill : drills) {
            jobs << ExportJob{ExportJob::Kind::Pdf, path(drill + ".anim"), path(drill + ".pdf")};
            writeFile(jobs.last().drillPath, animationText(drill).toUtf8());
            writeFile(jobs.last().outputPath, "earlier export");
        }
        ExportRunner runner;
        QStringList lines;
        runner.setExporter(ExportJob::Kind::Pdf, [&](mainWindow *, const ExportJob &job, const ExportRunner::Done &done) {
            const QString drill = QFileInfo(job.drillPath).completeBaseName();
            QVERIFY(QFileInfo(job.outputPath).path() == m_dir->path() && !job.outputPath.endsWith("/" + drill + ".pdf"));
            if (drill != "nothing")
                writeFile(job.outputPath, "exported " + drill.toUtf8());
            done(QString());
            if (drill == "twice")
                done("a late second answer");
        });
        connect(&runner, &ExportRunner::progress, [&](const QString &line) { lines << line; });
        QSignalSpy ended(&runner, &ExportRunner::finished);
        runner.start(m_window.data(), jobs);
        QVERIFY(ended.wait(60000) && ended[0][0].toInt() == CommandLine::ExitFailed);
        QVERIFY2(lines.size() == 4 && lines[2].startsWith("[3/3] ") && lines[3].contains("wrote nothing"), qPrintable(lines.join('\n')));
        QVERIFY(readFile(path("twice.pdf")) == "exported twice" && readFile(path("good.pdf")) == "exported good");
        QVERIFY(readFile(path("nothing.pdf")) == "earlier export" && QFileInfo(path("good.pdf")).permissions() & QFile::ReadOther);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")), QStringList());
        openWindow(true);
        QCOMPARE(m_window->lastUsedFolder(), path("coach"));
    }
};

// The window opens its first process argument as a drill: the application
// gets none of the test selection arguments.
int main(int argc, char *argv[])
{
    int appArgc = 1;
    EditorView::prepareProcess();
    QApplication app(appArgc, argv);
    OpenedUrls::install();
    tst_Host test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Host.moc"
