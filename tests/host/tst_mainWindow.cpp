// The main window's services driven through the real bridge with the
// messages the page sends, real dialogs answered as a user would, and real
// files: videos read back with ffprobe and ffmpeg. Command-line exports run
// in a hidden window with a stand-in exporter.
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "CommandLine.h"
#include "ExportRunner.h"
#include "ModalDriver.h"
#include "PrivateSettings.h"
#include "SmallDisk.h"
#include "TestFiles.h"
#include "VideoProbe.h"
#include "WindowTestMain.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>

#include <random>
#include <sys/stat.h>

namespace {

using Message = QVariantMap;

// Chooses `path` in the file dialog about to open, or cancels it.
std::unique_ptr<ModalDriver> chooseFile(const QString &path)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *d) {
        if (path.isEmpty())
            return d->reject();
        // Typed in as a user would; queued, so that a question the dialog
        // asks in turn can be answered.
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
}

// Answers the message box about to open, noting "title|text|informative".
std::unique_ptr<ModalDriver> readBox(QString *said, int timeoutMs = 5000)
{
    return ModalDriver::answer<QMessageBox>([=](QMessageBox *b) {
        *said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
        b->accept();
    }, timeoutMs);
}

QString jpegUrl(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 95);
    return QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(bytes.toBase64());
}

QImage plain(const QColor &colour, const QSize &size = {640, 480})
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Picture `n` of a drill, told apart by its colour.
QColor colourOf(int n)
{
    return QColor::fromHsv((n * 47) % 360, 200, 80 + (n * 13) % 160);
}

bool shows(const QByteArray &decoded, const QColor &colour)
{
    return VideoProbe::difference(decoded, VideoProbe::rgb(plain(colour), 8, 6)) < 12;
}

Message picture(int n, int nFrames, const QString &imageData)
{
    return {{"msgType", "writeVideoFrame"}, {"frameWidth", 640.0}, {"frameHeight", 480.0}, {"frameNumber", double(n)},
            {"nFrames", double(nFrames)}, {"frameRate", 15.0}, {"imageData", imageData}};
}

} // namespace

class tst_mainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void bridge();
    void prompts();
    void ignoredMessages();
    void openAndSave();
    void reasonsShownAsPlainText();
    void drop();
    void logoAndSnapshot();
    void report();
    void videoExport();
    void videoCancelledWithBadPictures();
    void videoFailures();
    void hiddenWindowExports();

private:
    void send(const Message &m) { m_bridge->receiveMessage(m); }
    // What the host sent the page, but its questions for the page's text.
    QStringList sent() const;
    QWebFrame *frame() const { return m_window->findChild<QWebView *>()->page()->mainFrame(); }
    QProgressDialog *progress() const { return m_window->findChild<QProgressDialog *>(); }
    // The test plays the page: the real one must not answer with pictures.
    void silencePage()
    {
        QObject::disconnect(m_bridge, &jsInterface::sendMessage, nullptr, nullptr);
        m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
    }

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
    QTemporaryDir m_dir;
};

void tst_mainWindow::initTestCase()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
}

void tst_mainWindow::init()
{
    m_window.reset(new mainWindow);
    QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
    QVERIFY(loaded.wait(20000));
    m_bridge = m_window->findChild<jsInterface *>();
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
}

void tst_mainWindow::cleanup()
{
    m_sent.reset();
    m_window.reset();
}

QStringList tst_mainWindow::sent() const
{
    QStringList out;
    for (const QList<QVariant> &args : *m_sent) {
        const QVariantMap m = args.at(0).toMap();
        if (m.value("msgType") != "requestAnimationText")
            out << m.value("msgType").toString() + '|' + m.value("text", m.value("json")).toString() + '|'
                    + m.value("id").toString();
    }
    return out;
}

void tst_mainWindow::bridge()
{
    // A page reload clears the window object; the bridge must be there again.
    QSignalSpy loaded(frame(), &QWebFrame::loadFinished);
    frame()->evaluateJavaScript(QStringLiteral("location.reload()"));
    QVERIFY(loaded.wait(10000));
    auto driver = ModalDriver::answer<QInputDialog>([](QInputDialog *d) {
        d->setTextValue(QStringLiteral("Kick-off"));
        d->accept();
    });
    // The page's receiver runs inside the page's own send call; the id goes
    // over as a number and comes back as its digits.
    const QVariant got = frame()->evaluateJavaScript(QStringLiteral(
        "(function () { var got = null; function receive(m) { got = m; }"
        "  cppInterface.sendMessage.connect(receive);"
        "  cppInterface.receiveMessage({msgType: 'promptForItemLabel', displayMessage: 'Label?', id: 37});"
        "  cppInterface.sendMessage.disconnect(receive);"
        "  return got && [got.msgType, got.text, typeof got.id, got.id].join('|'); })()"));
    QCOMPARE(got.toString(), QStringLiteral("itemLabelResponse|Kick-off|string|37"));
}

void tst_mainWindow::prompts()
{
    const QString longText(300, QLatin1Char('w'));
    const struct { Message request; QString typed; QString dialog; QString reply; } rows[] = {
        {{{"msgType", "promptForFrameLabel"}, {"displayMessage", "Caption:"}, {"defaultText", "Warm-up"}},
         QString::fromUtf8("Pass, Ciarán!"), "Enter Text|Caption:|Warm-up", QString::fromUtf8("frameLabelResponse|Pass, Ciarán!|")},
        {{{"msgType", "promptForFrameLabel"}, {"defaultText", "Warm-up"}}, QString(), "Enter Text||Warm-up",
         "frameLabelResponse|Warm-up|"},
        {{{"msgType", "promptForItemLabel"}, {"displayMessage", "Label:"}, {"id", 12.0}}, longText,
         "Enter Label|Label:|", "itemLabelResponse|" + longText + "|12"},
        {{{"msgType", "promptForItemShortLabel"}, {"defaultText", "ABCDEF"}, {"id", 37.0}}, QString(),
         "Enter Label||ABCD", "itemShortLabelResponse|ABCD|37"},
        // Missing keys still make a reply, with empty texts rather than null.
        {{{"msgType", "promptForItemLabel"}}, QString(), "Enter Label||", "itemLabelResponse||"},
        // Cancelled, after typing: nothing is sent.
        {{{"msgType", "promptForItemShortLabel"}, {"id", 3.0}}, "typed", "Enter Label||", QString()},
    };
    for (const auto &row : rows) {
        QString dialog;
        auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
            dialog = d->windowTitle() + '|' + d->labelText() + '|' + d->textValue();
            QCOMPARE(d->parentWidget(), m_window->findChild<QWebView *>());
            if (!row.typed.isNull())
                d->setTextValue(row.typed);
            row.reply.isNull() ? d->reject() : d->accept();
        });
        m_sent->clear();
        send(row.request);
        QCOMPARE(dialog, row.dialog);
        QCOMPARE(sent(), row.reply.isNull() ? QStringList() : QStringList{row.reply});
        if (!row.reply.isNull())
            QVERIFY(!m_sent->first().first().toMap().value("text").toString().isNull());
    }
}

void tst_mainWindow::ignoredMessages()
{
    // A dialog would open inside send(), so none has opened when it returns.
    for (const Message &m : {Message{{"msgType", "PromptForFrameLabel"}}, Message{{"msgType", "showaboutinfo"}},
                             Message{{"displayMessage", "x"}}, Message{{"msgType", 7.0}},
                             Message{{"msgType", "exportVideoResponse"}}, picture(0, 0, "x")}) {
        auto driver = ModalDriver::answer<QDialog>([](QDialog *d) { d->reject(); });
        send(m);
        QVERIFY(!driver->seen());
    }
    QCOMPARE(sent(), QStringList());
    QVERIFY(!m_window->findChild<QWidget *>(QStringLiteral("aboutDialog")));
    send({{"msgType", "showAboutInfo"}});
    QVERIFY(m_window->findChild<QWidget *>(QStringLiteral("aboutDialog"))->isVisible());
}

void tst_mainWindow::openAndSave()
{
    QCOMPARE(m_window->lastUsedFolder(), QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("club")));
    const QString drill = m_dir.filePath(QString::fromUtf8("club/Übung ä.anim"));
    writeFile(drill, animationText(QString::fromUtf8("Müller 小")).toUtf8() + "\r\nsecond line\n");
    auto chooser = chooseFile(drill);
    send({{"msgType", "openAnimation"}});
    QVERIFY(chooser->seen());
    QCOMPARE(sent(), QStringList{"openAnimationResponse|" + animationText(QString::fromUtf8("Müller 小")) + '|'});
    QCOMPARE(m_window->lastUsedFolder(), m_dir.filePath(QStringLiteral("club")));
    for (const char *type : {"openAnimation", "saveAnimation", "exportPdf", "exportVideo", "selectLogo"}) {
        auto cancel = chooseFile(QString());
        send({{"msgType", type}, {"strToSave", "x"}});
        QVERIFY2(cancel->seen(), type);
    }
    QCOMPARE(sent().size(), 1);
    QVERIFY(!progress());

    // A save proposes the opened file; a name typed without a type gets ".anim".
    const QString text = QString::fromUtf8("{\"caption\":\"Ciarán – 小 ⚽\"}");
    QString proposed;
    auto saver = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        proposed = QDir(d->directory()).filePath(d->selectedFiles().value(0).section('/', -1));
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(m_dir.filePath(QStringLiteral("saved")));
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    send({{"msgType", "saveAnimation"}, {"strToSave", text}});
    QCOMPARE(proposed, drill);
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("saved.anim"))), text.toUtf8());
    QCOMPARE(m_window->currentFile(), m_dir.filePath(QStringLiteral("saved.anim")));

    // A failed save says why and keeps what was there.
    writeFile(m_dir.filePath(QStringLiteral("plain.txt")), "keep me");
    QString said;
    auto box = readBox(&said);
    auto unwritable = chooseFile(m_dir.filePath(QStringLiteral("plain.txt/drill.anim")));
    send({{"msgType", "saveAnimation"}, {"strToSave", "new"}});
    QCOMPARE(said, QStringLiteral("error|Not a directory|"));
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("plain.txt"))), QByteArray("keep me"));
}

// Whatever a file or the page holds is shown literally and within bounds:
// as markup a reason could make the box load pictures from the disk (or read
// /dev/zero). Devices and pipes are refused unread (CTest's limit catches a hang).
void tst_mainWindow::reasonsShownAsPlainText()
{
    const QString markup = QStringLiteral("Object 1: unknown item \"<img src=/dev/zero>\""), opening = "Error Opening Animation File";
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.anim")), empty = m_dir.filePath(QStringLiteral("empty.anim"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    writeFile(empty, QByteArray());
    const struct { QString type; QString detail; QString shown; } rows[] = {
        {"errorOpeningFile", markup, "|" + opening + "|" + markup},
        {"errorSavingFile", "<b>bold</b>", "|Error Saving Animation File|<b>bold</b>"},
        {"errorOpeningFile", QString(5000, 'w'), "|" + opening + "|" + QString(1000, 'w') + QChar(0x2026)},
        {"open", "/dev/zero", opening + "|This is a device, not an animation file.|"},
        {"open", fifo, opening + "|This is a pipe, not an animation file.|"},
        {"open", m_dir.filePath(QStringLiteral("missing.anim")), opening + "|No such file or directory|"},
        // An empty file goes to the page, which says why it refuses it.
        {"open", empty, "|" + opening + "|Error parsing JSON"},
    };
    for (const auto &row : rows) {
        QString said;
        QList<Qt::TextFormat> formats;
        auto driver = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
            said = b->windowTitle() + '|' + b->text() + '|' + b->informativeText();
            for (QLabel *label : b->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    formats << label->textFormat();
            b->accept();
        });
        if (row.type == "open")
            m_window->openAnimation(row.detail);
        else
            send({{"msgType", row.type}, {"errorInfo", row.detail}});
        QCOMPARE(said, row.shown);
        QVERIFY(!formats.isEmpty() && !formats.contains(Qt::RichText) && !formats.contains(Qt::AutoText));
    }
    QCOMPARE(sent(), QStringList{"openAnimationResponse||"});
}

void tst_mainWindow::drop()
{
    // Qt delivers a drop only to the widget that accepted the drag's entry.
    const auto dropOnPage = [this](QMimeData *data) {
        QWidget *page = m_window->findChild<QWebView *>();
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPoint(300, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &drop);
    };
    const QString first = m_dir.filePath(QStringLiteral("first.anim"));
    writeFile(first, animationText(QStringLiteral("first")).toUtf8());
    QMimeData files, text, web;
    files.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("second.anim")))});
    text.setText(QStringLiteral("just some text"));
    // A link that is not a local file asks for a file, as the toolbar does.
    web.setUrls({QUrl(QStringLiteral("https://example.org/drill.anim"))});
    auto asked = chooseFile(QString());
    dropOnPage(&text);
    dropOnPage(&web);
    QVERIFY(asked->seen());
    dropOnPage(&files);
    QCOMPARE(sent(), QStringList{"openAnimationResponse|" + animationText(QStringLiteral("first")) + '|'});
}

void tst_mainWindow::logoAndSnapshot()
{
    silencePage();
    const QString logo = m_dir.filePath(QStringLiteral("crest.png")), text = m_dir.filePath(QStringLiteral("crest.txt"));
    plain(Qt::green, {512, 256}).save(logo);
    writeFile(text, "not a picture\n");
    QString said;
    auto chooser = chooseFile(text);
    auto box = readBox(&said);
    send({{"msgType", "selectLogo"}});
    QCOMPARE(said, QStringLiteral("Error Opening File|Unable to open the specified image file.|"));
    chooser = chooseFile(logo);
    send({{"msgType", "selectLogo"}});
    QCOMPARE(m_sent->size(), 1);
    const QString url = m_sent->first().first().toMap().value("image").toString();
    const QImage sent = QImage::fromData(QByteArray::fromBase64(url.section(',', 1).toLatin1()), "PNG");
    QVERIFY(url.startsWith("data:image/png;base64,") && sent.size() == QSize(256, 256));
    QVERIFY(qAlpha(sent.pixel(128, 10)) == 0 && qAlpha(sent.pixel(128, 128)) == 255);

    // The snapshot goes to the clipboard, or the coach is told it did not.
    const struct { QString data; QString said; QSize held; } rows[] = {
        {jpegUrl(plain(Qt::blue, {1024, 768})), "|Snapshot copied to the clipboard.|", {1024, 768}},
        {"data:image/jpeg;base64,AAAA", "|The snapshot could not be copied to the clipboard.|"
                                        "The picture of the frame could not be read.", {0, 0}},
    };
    for (const auto &row : rows) {
        QApplication::clipboard()->setText(QStringLiteral("before"));
        box = readBox(&said);
        send({{"msgType", "snapshotImage"}, {"imageData", row.data}});
        QCOMPARE(said, row.said);
        QCOMPARE(QApplication::clipboard()->image().size(), row.held);
    }
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(m_sent->size(), 1);
}

void tst_mainWindow::report()
{
    silencePage();
    const QByteArray pdf("%PDF-1.3\n1 0 obj\n<<>>\nendobj\n%%EOF\n");
    const QString pdfData = "data:application/pdf;filename=generated.pdf;base64," + QString::fromLatin1(pdf.toBase64());
    const QString old = m_dir.filePath(QStringLiteral("old.pdf"));
    writeFile(m_dir.filePath(QStringLiteral("plain.txt")), "keep me");
    writeFile(old, "earlier report");
    // Asked for by name, replacing a file only when the coach says so.
    auto chooser = chooseFile(old);
    auto replace = ModalDriver::answer<QMessageBox>([](QMessageBox *b) { b->button(QMessageBox::Yes)->click(); });
    send({{"msgType", "exportPdf"}});
    QVERIFY(replace->seen());
    QCOMPARE(sent(), QStringList{"exportPdfResponse||"});
    send({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0 / 3}});
    QCOMPARE(progress()->value(), 33);
    send({{"msgType", "writePdfData"}, {"pdfData", pdfData}});
    QCOMPARE(readFile(old), pdf);
    QVERIFY(!progress());

    enum { Never, AtProgress, WithData };
    const struct { const char *target; int cancel; QString data; QString said; } rows[] = {
        {"new.pdf", AtProgress, pdfData, QString()}, {"new.pdf", WithData, pdfData, QString()},
        {"old.pdf", Never, "data:application/pdf;base64,PGh0bWw+", "is not a PDF document"},
        {"new.pdf", Never, "garbage", "could not be saved"},
        {"plain.txt/report.pdf", Never, pdfData, "Not a directory"},
    };
    for (const auto &row : rows) {
        const QString path = m_dir.filePath(row.target);
        const QByteArray before = readFile(path);
        m_window->exportPdfTo(path);
        QPointer<QProgressDialog> running = progress();
        send({{"msgType", "updatePdfProgress"}, {"progressPercent", 50.0}});
        if (row.cancel != Never)
            running->cancel();
        // Cancelled, the report ends at its next progress step or with its data.
        if (row.cancel == AtProgress)
            send({{"msgType", "updatePdfProgress"}, {"progressPercent", 60.0}});
        QCOMPARE(running.isNull(), row.cancel == AtProgress);
        QString said;
        auto box = readBox(&said);
        send({{"msgType", "writePdfData"}, {"pdfData", row.data}});
        QVERIFY2(row.said.isEmpty() ? said.isEmpty() : said.startsWith("error|") && said.contains(row.said), qPrintable(said));
        QCOMPARE(readFile(path), before);
        QVERIFY(running.isNull());
    }
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("plain.txt"))), QByteArray("keep me"));
}

void tst_mainWindow::videoExport()
{
    silencePage();
    const QString path = m_dir.filePath(QStringLiteral("whole.mp4"));
    auto chooser = chooseFile(path);
    send({{"msgType", "exportVideo"}});
    QCOMPARE(sent(), QStringList{"exportVideoResponse||"});
    QVERIFY(progress()->isVisible() && !QFileInfo::exists(path));
    QList<int> shown;
    for (int n = 0; n <= 15; ++n) {
        send(picture(n, 15, jpegUrl(plain(colourOf(n)))));
        shown << (progress() ? progress()->value() : -1);
    }
    QCOMPARE(shown.mid(14), (QList<int>{93, -1}));

    // The title card for a second, each picture once, the last held a second.
    QCOMPARE(VideoProbe::of(path).problem(640, 480, 15 + 16 + 15), QString());
    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path, 8, 6, &error);
    for (int i = 0; i < decoded.size(); ++i)
        QVERIFY2(i < 15 ? !shows(decoded[i], colourOf(0)) : shows(decoded[i], colourOf(qMin(i - 15, 15))), qPrintable(QString::number(i)));

    // The title card: the program's logo, unscaled, upright in the middle of white.
    QImage title = plain(Qt::white);
    QPainter(&title).drawImage(192, 144, QImage(QStringLiteral(":/Resources/logos/playvaneUrl256.png")));
    const QByteArray first = VideoProbe::pictures(path, 160, 120, &error).value(0);
    const double d = VideoProbe::difference(first, VideoProbe::rgb(title, 160, 120));
    QVERIFY2(d < 3, qPrintable(QString::number(d)));
    QVERIFY(VideoProbe::difference(first, VideoProbe::rgb(title.mirrored(false, true), 160, 120)) > 2 * d + 1);
    QVERIFY(VideoProbe::difference(first, VideoProbe::rgb(title.copy(-40, 0, 640, 480), 160, 120)) > 2 * d + 1);
}

void tst_mainWindow::videoCancelledWithBadPictures()
{
    silencePage();
    const QString path = m_dir.filePath(QStringLiteral("cancelled.mp4"));
    m_window->exportVideoTo(path);
    const QString good = jpegUrl(plain(colourOf(1)));
    // Pictures that do not decode, or not to the video's size, are left out.
    const QStringList pictures = {good, "data:image/jpeg;base64,bm90IGEgcGljdHVyZQ==", jpegUrl(plain(colourOf(2), {320, 240})),
                                  jpegUrl(plain(colourOf(3), {1280, 960})), good.section(',', 1), QString(),
                                  jpegUrl(plain(colourOf(5)))};
    for (int n = 0; n < pictures.size(); ++n)
        send(picture(n, 30, pictures[n]));
    // Cancelled, the export stops at the next picture and keeps its file.
    progress()->cancel();
    QVERIFY(!progress()->isVisible());
    send(picture(7, 30, good));
    send(picture(8, 30, good));
    QCOMPARE(sent(), (QStringList{"exportVideoResponse||", "breakVideoExport||"}));
    QVERIFY(!progress());
    QString error;
    const QList<QByteArray> decoded = VideoProbe::pictures(path, 8, 6, &error);
    QCOMPARE(decoded.size(), 15 + 2);
    QVERIFY(shows(decoded[15], colourOf(1)) && shows(decoded[16], colourOf(5)));

    // The next export starts afresh, with its own title card.
    const QString next = m_dir.filePath(QStringLiteral("next.mp4"));
    m_window->exportVideoTo(next);
    send(picture(0, 0, good));
    QCOMPARE(VideoProbe::of(next).problem(640, 480, 31), QString());
    QCOMPARE(VideoProbe::pictures(path, 8, 6, &error).size(), 17);
}

// An encoder that cannot start, or a disk that fills up, ends the export
// with a message and no file; the page is stopped once.
void tst_mainWindow::videoFailures()
{
    silencePage();
    writeFile(m_dir.filePath(QStringLiteral("plain.txt")), "");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("small")));
    std::mt19937 random(11);
    QImage noise(640, 480, QImage::Format_RGB32);
    QStringList noisy;
    for (int k = 0; k < 5; ++k) {
        for (int y = 0; y < 480; ++y)
            std::generate_n(reinterpret_cast<quint32 *>(noise.scanLine(y)), 640, std::ref(random));
        noisy << jpegUrl(noise);
    }
    for (const char *target : {"plain.txt/drill.mp4", "small/drill.mp4"}) {
        const QString path = m_dir.filePath(target);
        SmallDisk disk(m_dir.filePath(QStringLiteral("small")), 96 * 1024);
        m_sent->clear();
        m_window->exportVideoTo(path);
        QString said;
        auto box = readBox(&said, 120000);
        // Noise does not compress: a few seconds of it fill the disk.
        for (int n = 0; n <= 90 && !sent().contains("breakVideoExport||"); ++n)
            send(picture(n, 90, noisy[n % 5]));
        QVERIFY2(box->seen(), target);
        QVERIFY2(said.startsWith("Error Exporting Video|") && said.contains(path)
                     && (said.contains("Not a directory") || said.contains("space") || said.contains("too large")),
                 qPrintable(said));
        QCOMPARE(sent(), (QStringList{"exportVideoResponse||", "breakVideoExport||"}));
        QVERIFY(!progress() && !QFileInfo::exists(path));
        send(picture(91, 90, noisy[0]));
        QCOMPARE(m_sent->size(), 2);
    }
}

// Exports run from the command line, where every failure is reported, not shown.
void tst_mainWindow::hiddenWindowExports()
{
    m_window.reset(new mainWindow(mainWindow::Presentation::Hidden));
    QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
    QVERIFY(loaded.wait(20000));
    QVERIFY(m_window->testAttribute(Qt::WA_DontShowOnScreen));
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished), reported(m_window.data(), &mainWindow::problemReported);
    writeFile(m_dir.filePath(QStringLiteral("plain.txt")), "keep me");
    m_window->exportPdfTo(m_dir.filePath(QStringLiteral("plain.txt/report.pdf")));
    QVERIFY(finished.wait(30000));
    // Regression: a report the page could not build, answered inside the
    // request, once left the export running for good.
    frame()->evaluateJavaScript(QStringLiteral(
        "pageShell.pdfReport.build = function (request, callbacks) { callbacks.failed(new Error('x')); return true; };"));
    m_window->exportPdfTo(m_dir.filePath(QStringLiteral("report.pdf")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
    QVERIFY(finished[0][0].toString().contains("Not a directory") && finished[1][0].toString().contains("did not deliver a PDF"));
    QVERIFY(finished[1][0].toString().contains(m_dir.filePath(QStringLiteral("report.pdf"))));
    QCOMPARE(reported.size(), 2);
    QVERIFY(!progress() && !QFile::exists(m_dir.filePath(QStringLiteral("report.pdf"))));

    // A batch in which each drill meets another fate; each later one still runs.
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkdir(QStringLiteral("a folder")));
    const struct { const char *drill; QByteArray text; const char *output; const char *failure; } rows[] = {
        {"good", "", "good.pdf", nullptr},
        // Regression: a second answer to a job once ended the next one.
        {"twice", "", "twice.pdf", nullptr},
        {"fails", "", "fails.pdf", "the encoder gave up"}, {"nothing", "", "nothing.pdf", "wrote nothing"},
        {"not json", "this is not a drill\n", "not json.pdf", "Error Opening Animation File"},
        {"other json", "{\"msgType\":\"x\"}\n", "other json.pdf", "Error Opening Animation File"},
        {"missing", QByteArray(), "missing.pdf", "No such file"},
        {"no folder", "", "no such folder/out.pdf", "does not exist"},
        {"under a file", "", "plain.txt/out.pdf", "does not exist"}, {"folder", "", "a folder", "it is a folder"},
    };
    QList<ExportJob> jobs;
    QList<QByteArray> before;
    for (const auto &row : rows) {
        ExportJob job;
        job.kind = ExportJob::Kind::Pdf;
        job.drillPath = dir.filePath(QString::fromUtf8(row.drill) + ".anim");
        job.outputPath = dir.filePath(row.output);
        if (!row.text.isNull())
            writeFile(job.drillPath, row.text.isEmpty() ? animationText(row.drill).toUtf8() : row.text);
        // An earlier export of the same name is replaced only by a finished one.
        if (QFileInfo(job.outputPath).absoluteDir() == dir && !QFileInfo(job.outputPath).isDir())
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
        QVERIFY(QFileInfo(job.outputPath).absoluteDir() == dir && job.outputPath.endsWith(".pdf")
                && !job.outputPath.endsWith("/" + drill + ".pdf"));
        if (drill != "nothing")
            writeFile(job.outputPath, "exported " + drill.toUtf8());
        done(drill == "fails" ? QStringLiteral("the encoder gave up") : QString());
        if (drill == "twice")
            done(QStringLiteral("a late second answer"));
    });
    connect(&runner, &ExportRunner::progress, [&](const QString &line) { lines << line; });
    QSignalSpy ended(&runner, &ExportRunner::finished);
    runner.start(m_window.data(), jobs);
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended[0][0].toInt(), CommandLine::ExitFailed);
    QCOMPARE(seen, (QStringList{"good", "twice", "fails", "nothing"}));
    int at = 0;
    for (int i = 0; i < jobs.size(); ++i) {
        const QString head = lines.value(at++), failure = rows[i].failure ? lines.value(at++) : QString();
        QVERIFY2(head.startsWith(QStringLiteral("[%1/10] ").arg(i + 1)), qPrintable(head));
        QVERIFY2(failure.startsWith("Failed to export") && failure.contains(rows[i].failure) || !rows[i].failure,
                 qPrintable(failure));
        QCOMPARE(readFile(jobs[i].outputPath), rows[i].failure ? before[i] : "exported " + QByteArray(rows[i].drill));
        QVERIFY(rows[i].failure || QFileInfo(jobs[i].outputPath).permissions() & QFile::ReadOther);
    }
    QCOMPARE(at, lines.size());
    QCOMPARE(dir.entryList(QDir::Hidden | QDir::Files).filter(QRegularExpression("^\\.")), QStringList());
    jobs.first().kind = ExportJob::Kind::Video;
    QVERIFY(runner.unavailableExport(jobs.mid(1)).isEmpty() && runner.unavailableExport(jobs).contains("a video"));
}

DRILLMORA_WINDOW_TEST_MAIN(tst_mainWindow)
#include "tst_mainWindow.moc"
