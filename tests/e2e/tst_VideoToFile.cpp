// The video export from the toolbar's button to the file: the real main
// window, its real page drawing the pictures, the real encoder, and the
// file read back with ffprobe and ffmpeg.
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "TestFiles.h"
#include "VideoPicture.h"
#include "VideoProbe.h"
#include "WindowTestMain.h"
#include "mainWindow.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

namespace {

const int SmallW = 160;
const int SmallH = 120;

// A player running from left to right over `frames` frames, far enough
// each step for neighbouring pictures to differ, with a caption per frame.
QString runningPlayer(int frames)
{
    QStringList states;
    QStringList captions;
    for (int f = 0; f < frames; ++f) {
        states << QStringLiteral("{\"x\":%1,\"y\":0.5,\"rotation\":0}").arg(0.15 + 0.35 * f);
        captions << QStringLiteral("\"Step %1\"").arg(f + 1);
    }
    return QStringLiteral(
               "{\"msgType\":\"OVRI_Animation\",\"msgVersion\":0.1,\"sport\":\"soccer\",\"showRunningLines\":false,"
               "\"background\":{\"type\":\"fullField\",\"showStripes\":true,\"showLogo\":false,"
               "\"logoImage\":\"logos/ovri256x256.png\"},\"rotation\":0,\"gridVisible\":false,\"nFrames\":%1,"
               "\"selectedFrame\":0,\"objects\":[{\"type\":\"person\",\"id\":1,\"scale\":0.6,\"text\":\"\","
               "\"shortLabel\":\"9\",\"z\":1,\"color\":\"red\",\"frames\":[%2]}],\"frameText\":[%3]}")
        .arg(frames)
        .arg(states.join(QLatin1Char(',')), captions.join(QLatin1Char(',')));
}

QByteArray smallRgb(const QImage &picture)
{
    return VideoProbe::rgb(picture, SmallW, SmallH);
}

double difference(const QByteArray &a, const QByteArray &b)
{
    return VideoProbe::difference(a, b);
}

} // namespace

class tst_VideoToFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void picturesOfWholeExports_data();
    void picturesOfWholeExports();
    void cancelKeepsWhatWasWrittenAndNextExportStartsAfresh();

private:
    QWebFrame *frame() const { return m_view->page()->mainFrame(); }
    QVariant js(const QString &script) const { return frame()->evaluateJavaScript(script); }
    void openDrill(const QString &text);
    void pressVideoButton(const QString &path);
    QByteArray pageReference(int timeMs);
    QList<QByteArray> videoPictures(const QString &path);

    QScopedPointer<mainWindow> m_window;
    QWebView *m_view = nullptr;
    QTemporaryDir m_dir;
};

void tst_VideoToFile::initTestCase()
{
    ScriptEngineWorkarounds::apply();
    ApplicationIdentity::apply();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_VideoToFile::init()
{
    m_window.reset(new mainWindow);
    m_view = m_window->findChild<QWebView *>();
    QVERIFY(waitForPage(m_window.data()));
    js(QStringLiteral("window.pageGot = [];"
                      "cppInterface.sendMessage.connect(function (m) { pageGot.push(m.msgType); });"));
    QTest::qWait(200);
}

void tst_VideoToFile::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void tst_VideoToFile::openDrill(const QString &text)
{
    const QString path = m_dir.filePath(QStringLiteral("drill.anim"));
    writeFile(path, text.toUtf8() + '\n');
    m_window->openAnimation(path);
}

// The toolbar's video button, pressed with the pointer, and the save dialog
// answered with `path`.
void tst_VideoToFile::pressVideoButton(const QString &path)
{
    auto chooser = ModalDriver::answer<QFileDialog>([=](QFileDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    clickToolbarButton(m_view, QStringLiteral("exportVideo"));
    QTRY_VERIFY(chooser->seen());
}

// The page's own picture of the moment, drawn as the video's are.
QByteArray tst_VideoToFile::pageReference(int timeMs)
{
    js(QStringLiteral("window.reference = null;"
                      "(function (g) {"
                      "  g.loadAnimation(pageShell.animation.saveToString());"
                      "  g.configureAnimation(640, false, false, false);"
                      "  g.getImage(%1, function (url) { reference = url; });"
                      "})(pageShell.imageGenerator);")
           .arg(timeMs));
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!js(QStringLiteral("reference")).isNull(), 20000); }();
    QImage picture;
    picture.loadFromData(QByteArray::fromBase64(
                             js(QStringLiteral("reference")).toString().section(QLatin1Char(','), 1, 1).toLatin1()),
                         "JPEG");
    return smallRgb(picture);
}

QList<QByteArray> tst_VideoToFile::videoPictures(const QString &path)
{
    QString error;
    const QList<QByteArray> pictures = VideoProbe::pictures(path, SmallW, SmallH, &error);
    [&] { QVERIFY2(error.isEmpty(), qPrintable(error)); }();
    return pictures;
}

void tst_VideoToFile::picturesOfWholeExports_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("pictures");
    QTest::newRow("one frame: title, the frame, its hold") << 1 << 31;
    QTest::newRow("three frames") << 3 << 61;
}

void tst_VideoToFile::picturesOfWholeExports()
{
    QFETCH(int, frames);
    QFETCH(int, pictures);
    openDrill(runningPlayer(frames));
    const QString path = m_dir.filePath(QStringLiteral("drill %1.mp4").arg(frames));
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
    pressVideoButton(path);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toString(), QString());
    QVERIFY(!m_window->findChild<QProgressDialog *>());

    QCOMPARE(VideoProbe::of(path).problem(640, 480, pictures), QString());

    const QList<QByteArray> video = videoPictures(path);
    QCOMPARE(video.size(), pictures);
    // The title card on white, its logo centred and upright.
    const QImage card = VideoPicture::titleCard(640, 480);
    for (int i = 0; i < 15; ++i)
        QVERIFY2(difference(video.at(i), smallRgb(card)) < 4, qPrintable(QString::number(i)));
    QVERIFY(difference(video.at(0), smallRgb(card.mirrored(false, true))) > 8);
    // Each step from frame to frame is 15 pictures; picture 15k is frame k.
    for (int k = 0; k < frames; ++k) {
        const QByteArray reference = pageReference(k * 1000);
        const int at = 15 + 15 * k;
        const double here = difference(video.at(at), reference);
        const double before = difference(video.at(at - 1), reference);
        QVERIFY2(here < 5 && (k == 0 || before > here + 0.5),
                 qPrintable(QStringLiteral("frame %1: %2 there, %3 a picture before").arg(k).arg(here).arg(before)));
    }
    // The last picture is held for a second.
    for (int i = pictures - 15; i < pictures; ++i)
        QVERIFY(difference(video.at(i), video.at(pictures - 16)) < 2);
    QCOMPARE(js(QStringLiteral("pageGot.indexOf('breakVideoExport')")).toInt(), -1);
}

void tst_VideoToFile::cancelKeepsWhatWasWrittenAndNextExportStartsAfresh()
{
    openDrill(runningPlayer(5));
    const QString cancelled = m_dir.filePath(QStringLiteral("cancelled.mp4"));
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
    pressVideoButton(cancelled);
    QTRY_VERIFY_WITH_TIMEOUT(js(QStringLiteral("pageShell.frameCounter")).toInt() >= 10, 30000);
    QProgressDialog *progress = m_window->findChild<QProgressDialog *>();
    QVERIFY(progress);
    progress->cancel();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toString(), QString());
    QTRY_COMPARE(js(QStringLiteral("pageShell.videoRendering")).toBool(), false);
    QTest::qWait(300);
    // One break, and no picture after it: the one that met the cancel is
    // not written, those before it are, with no hold.
    QCOMPARE(js(QStringLiteral("pageGot.filter(function (t) { return t === 'breakVideoExport'; }).length")).toInt(), 1);
    const int sent = js(QStringLiteral("pageShell.frameCounter")).toInt();
    QVERIFY(sent < 61);
    QCOMPARE(VideoProbe::of(cancelled).problem(640, 480, 15 + sent - 1), QString());
    const QList<QByteArray> video = videoPictures(cancelled);
    QCOMPARE(video.size(), 15 + sent - 1);
    const QByteArray lastWritten = pageReference((sent - 2) * 1000 / 15);
    QVERIFY(difference(video.last(), lastWritten) < 5);
    QVERIFY(difference(video.last(), pageReference((sent - 1) * 1000 / 15)) > difference(video.last(), lastWritten));

    // The next export begins again: a new file, its own title card, all of it.
    const QString again = m_dir.filePath(QStringLiteral("again.mp4"));
    finished.clear();
    pressVideoButton(again);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toString(), QString());
    const QList<QByteArray> whole = videoPictures(again);
    QCOMPARE(whole.size(), 4 * 15 + 31);
    QVERIFY(difference(whole.at(0), smallRgb(VideoPicture::titleCard(640, 480))) < 4);
    QVERIFY(difference(whole.at(15), pageReference(0)) < 5);
    QCOMPARE(js(QStringLiteral("pageGot.filter(function (t) { return t === 'breakVideoExport'; }).length")).toInt(), 1);
}

DRILLMORA_WINDOW_TEST_MAIN(tst_VideoToFile)
#include "tst_VideoToFile.moc"
