// Toolbar commands pressed with the pointer on the real page travel to the
// host, open its dialogs, and the host's answer comes back into the page.
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "mainWindow.h"

#include <QFile>
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
    void pageRunsWithoutErrors();

private:
    QWebFrame *frame() const { return m_view->page()->mainFrame(); }
    QVariant js(const QString &script) const { return frame()->evaluateJavaScript(script); }
    QRect toolbarRect() const;
    void clickToolbarButton(int index);

    QScopedPointer<mainWindow> m_window;
    QWebView *m_view = nullptr;
    QTemporaryDir m_dir;
};

void tst_ToolbarToHost::initTestCase()
{
    ScriptEngineWorkarounds::apply();
    ApplicationIdentity::apply();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_ToolbarToHost::init()
{
    m_window.reset(new mainWindow);
    m_view = m_window->findChild<QWebView *>();
    QSignalSpy loaded(frame(), &QWebFrame::loadFinished);
    QVERIFY(loaded.wait(10000));
    QVERIFY(loaded.first().first().toBool());
    // Page errors are collected from here on; the page has no log of its own.
    js(QStringLiteral("window.caughtErrors = [];"
                      "window.onerror = function (m, f, l) { caughtErrors.push(m + ' at ' + f + ':' + l); };"));
    // Kinetic builds its hit regions on the next animation frame.
    QTest::qWait(200);
}

void tst_ToolbarToHost::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

QRect tst_ToolbarToHost::toolbarRect() const
{
    const QVariantList r = js(QStringLiteral(
        "(function () { var r = document.getElementById('toolbarContainer').getBoundingClientRect();"
        "  return [r.left, r.top, r.width, r.height]; })()")).toList();
    return r.size() == 4 ? QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt()) : QRect();
}

// A real press and release on the web view, where the page draws toolbar
// button `index`: buttons are square, as tall as the strip, in a row from the
// strip's left edge.
void tst_ToolbarToHost::clickToolbarButton(int index)
{
    const QRect strip = toolbarRect();
    QVERIFY(strip.height() > 0);
    const int side = strip.height();
    QTest::mouseClick(m_view, Qt::LeftButton, Qt::NoModifier,
                      QPoint(strip.left() + index * side + side / 2, strip.top() + side / 2));
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
    js(QStringLiteral("window.pageGot = [];"
                      "cppInterface.sendMessage.connect(function (m) { pageGot.push(m); });"));

    auto dialog = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    clickToolbarButton(1);
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
    // The About button stands alone at the right end of the strip.
    const QRect strip = toolbarRect();
    const int side = strip.height();
    QTest::mouseClick(m_view, Qt::LeftButton, Qt::NoModifier,
                      QPoint(strip.right() - side / 2, strip.top() + side / 2));
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

QTEST_MAIN(tst_ToolbarToHost)
#include "tst_ToolbarToHost.moc"
