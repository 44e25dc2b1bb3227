// Toolbar commands pressed with the pointer on the real page travel to the
// host, open its dialogs, and the host's answer comes back into the page.
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "PrivateSettings.h"
#include "ScriptEngineWorkarounds.h"
#include "mainWindow.h"

#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

class tst_ToolbarToHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openButtonBringsFileIntoPage();
    void aboutButtonShowsAboutDialog();
    void cameraButtonCopiesSelectedFrame();
    void pageRunsWithoutErrors();

private:
    QWebFrame *frame() const { return m_view->page()->mainFrame(); }
    QVariant js(const QString &script) const { return frame()->evaluateJavaScript(script); }

    QScopedPointer<mainWindow> m_window;
    QWebView *m_view = nullptr;
    QTemporaryDir m_dir;
};

void tst_ToolbarToHost::initTestCase()
{
    ScriptEngineWorkarounds::apply();
    ApplicationIdentity::apply();
    usePrivateSettings();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_ToolbarToHost::init()
{
    m_window.reset(new mainWindow);
    m_view = m_window->findChild<QWebView *>();
    QVERIFY(waitForPage(m_window.data()));
    // Kinetic builds its hit regions on the next animation frame.
    QTest::qWait(200);
}

void tst_ToolbarToHost::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void tst_ToolbarToHost::openButtonBringsFileIntoPage()
{
    const QString path = m_dir.filePath(QStringLiteral("Corner routine é.anim"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(animationText(QString::fromUtf8("Corner routine, café")).toUtf8() + "\nignored second line\n");
    }
    // Listen on the page's side of the bridge, next to the page's own receiver.
    // (The host's question about unsaved changes comes first; it is not
    // counted.)
    js(QStringLiteral("window.pageGot = [];"
                      "cppInterface.sendMessage.connect(function (m) {"
                      "  if (m.msgType !== 'requestAnimationText') { pageGot.push(m); } });"));

    auto dialog = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    clickToolbarButton(m_view, QStringLiteral("openAnimation"));
    QTRY_VERIFY(dialog->seen());
    QTRY_COMPARE(js(QStringLiteral("pageGot.length")).toInt(), 1);
    QCOMPARE(js(QStringLiteral("pageGot[0].msgType")).toString(), QStringLiteral("openAnimationResponse"));
    QCOMPARE(js(QStringLiteral("pageGot[0].json")).toString(), animationText(QString::fromUtf8("Corner routine, café")));
    // The page loaded it: its caption is on display.
    QCOMPARE(js(QStringLiteral("pageShell.animation.animLayer.getFrameText()")).toString(),
             QString::fromUtf8("Corner routine, café"));
    QCOMPARE(m_window->lastUsedFolder(), m_dir.path());
}

void tst_ToolbarToHost::aboutButtonShowsAboutDialog()
{
    clickToolbarButton(m_view, QStringLiteral("showAboutInfo"));
    QTRY_VERIFY(m_window->findChild<QWidget *>(QStringLiteral("aboutDialog")));
    QWidget *about = m_window->findChild<QWidget *>(QStringLiteral("aboutDialog"));
    QTRY_VERIFY(about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About Drillmora"));
}

void tst_ToolbarToHost::pageRunsWithoutErrors()
{
    // The page's start function ran to its end and connected to the bridge.
    QCOMPARE(js(QStringLiteral("pageShell.connected")).toBool(), true);
    QCOMPARE(js(QStringLiteral("typeof pageShell.toolbar")).toString(), QStringLiteral("object"));
    // Canvas text in "Helvetica" is drawn in the bundled face, not in the
    // engine's serif fallback.
    const QVariantList widths = js(QStringLiteral(
        "(function () { var c = document.createElement('canvas').getContext('2d');"
        "  function w(font) { c.font = font; return c.measureText('Drillmora 1234 Wg').width; }"
        "  return [w('16px Helvetica'), w('16px \"Liberation Sans\"'), w('16px serif')]; })()")).toList();
    QCOMPARE(widths.size(), 3);
    QCOMPARE(widths[0].toDouble(), widths[1].toDouble());
    QVERIFY(widths[0].toDouble() != widths[2].toDouble());
}

namespace {

// Three frames of a player running across a pitch with the grid and the
// running lines on, frame 2 (index 1) selected.
const char *const ThreeFrames =
    "{\"msgType\":\"OVRI_Animation\",\"msgVersion\":0.1,\"sport\":\"soccer\",\"showRunningLines\":true,"
    "\"background\":{\"type\":\"fullField\",\"showStripes\":true,\"showLogo\":false,"
    "\"logoImage\":\"logos/ovri256x256.png\"},\"rotation\":0,\"gridVisible\":true,\"nFrames\":3,"
    "\"selectedFrame\":1,\"objects\":[{\"type\":\"person\",\"id\":1,\"scale\":0.3,\"text\":\"\","
    "\"shortLabel\":\"9\",\"z\":1,\"color\":\"red\",\"frames\":[{\"x\":0.2,\"y\":0.3,\"rotation\":0},"
    "{\"x\":0.5,\"y\":0.5,\"rotation\":45},{\"x\":0.8,\"y\":0.7,\"rotation\":90}]}],"
    "\"frameText\":[\"Start\",\"Cut inside\",\"Shoot\"]}";

// The share of pixels of `a` and `b` (same size) that differ by more than 48
// in a channel.
double differingShare(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            if (qAbs(qRed(p) - qRed(q)) > 48 || qAbs(qGreen(p) - qGreen(q)) > 48 || qAbs(qBlue(p) - qBlue(q)) > 48)
                ++differing;
        }
    }
    return double(differing) / (x.width() * x.height());
}

} // namespace

// The camera button on the real page: the selected frame, with the grid and
// the running lines as the editor shows them, lands on the clipboard.
void tst_ToolbarToHost::cameraButtonCopiesSelectedFrame()
{
    js(QStringLiteral("window.e2eText = '%1';").arg(QString::fromLatin1(ThreeFrames)));
    js(QStringLiteral("pageShell.receiveMessage({msgType: 'openAnimationResponse', json: window.e2eText});"));
    QCOMPARE(js(QStringLiteral("pageShell.animation.animLayer.getFrameText()")).toString(), QStringLiteral("Cut inside"));
    QApplication::clipboard()->clear();

    QString text;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        text = b->text();
        b->accept();
    });
    clickToolbarButton(m_view, QStringLiteral("takeSnapshot"));
    QTRY_VERIFY_WITH_TIMEOUT(box->seen(), 20000);
    QCOMPARE(text, QStringLiteral("Snapshot copied to the clipboard."));
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(1024, 768));

    // The same frame drawn by the page with the grid and the lines on, and
    // with both off: the copy is the first, not the second.
    js(QStringLiteral(
        "window.references = [];"
        "(function (g) {"
        "  g.loadAnimation(pageShell.animation.saveToString());"
        "  g.configureAnimation(1024, false, true, true);"
        "  g.getImage(1000, function (on) {"
        "    references.push(on);"
        "    g.configureAnimation(1024, false, false, false);"
        "    g.getImage(1000, function (off) { references.push(off); });"
        "  });"
        "})(pageShell.imageGenerator);"));
    QTRY_COMPARE_WITH_TIMEOUT(js(QStringLiteral("references.length")).toInt(), 2, 20000);
    QImage withBoth;
    QImage withNeither;
    const QStringList urls = js(QStringLiteral("references")).toStringList();
    QVERIFY(withBoth.loadFromData(QByteArray::fromBase64(urls[0].section(QLatin1Char(','), 1, 1).toLatin1()), "JPEG"));
    QVERIFY(withNeither.loadFromData(QByteArray::fromBase64(urls[1].section(QLatin1Char(','), 1, 1).toLatin1()), "JPEG"));
    QVERIFY(differingShare(copied, withBoth) < 0.001);
    QVERIFY(differingShare(copied, withNeither) > 0.003);
    // The editor still shows the frame it showed.
    QCOMPARE(js(QStringLiteral("pageShell.animation.frameManager.selectedFrame")).toInt(), 1);
}

QTEST_MAIN(tst_ToolbarToHost)
#include "tst_ToolbarToHost.moc"
