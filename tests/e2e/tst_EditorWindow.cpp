// The real main window with its real page, real files and real dialogs
// answered as a coach would: a drill saved and reopened by a second process
// of this program, the unsaved-changes question on every way out, and the
// toolbar's snapshot, video and report read back with the tools a coach's
// computer would trust (ffprobe, ffmpeg, pdfinfo, pdftotext, pdfimages).
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "PrivateSettings.h"
#include "ScriptEngineWorkarounds.h"
#include "TestFiles.h"
#include "VideoPicture.h"
#include "VideoProbe.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QSettings>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

namespace {

const QString Prompt = QStringLiteral("Save changes to the drill?");
const QString Dash = QString::fromUtf8(" \u2014 Drillmora");
QString g_openedPath; // the file the second process was given

std::unique_ptr<ModalDriver> answerPrompt(int button)
{
    return ModalDriver::answerWhere<QMessageBox>([](QMessageBox *b) { return b->text() == Prompt; },
        [=](QMessageBox *b) { b->button(QMessageBox::StandardButton(button))->click(); });
}

// A file dialog answered by typing `path`, as the real dialog is used.
std::unique_ptr<ModalDriver> chooseFile(const QString &path)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
}

bool splashUp()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QSplashScreen *>(w) && w->isVisible())
            return true;
    return false;
}

// Pictures are compared small, as RGB bytes, by their mean difference.
QByteArray small(const QImage &picture) { return VideoProbe::rgb(picture, 160, 120); }

QString run(const QString &program, const QStringList &arguments)
{
    QString error;
    const QByteArray out = VideoProbe::run(program, arguments, &error);
    return error.isEmpty() ? QString::fromUtf8(out) : error;
}

// A player running from side to side of a soccer pitch and down it over
// `frames` frames (13 at most), far enough each step for neighbouring
// pictures to differ, a caption on each.
QString runningPlayer(int frames, int selected = 0)
{
    QStringList states, captions;
    for (int f = 0; f < frames; ++f) {
        states << QStringLiteral("{\"x\":%1,\"y\":%2,\"rotation\":0}").arg(f % 2 ? 0.8 : 0.2).arg(0.15 + 0.05 * f);
        captions << QStringLiteral("\"Step %1\"").arg(f + 1);
    }
    return animationText(QStringLiteral("x"))
        .replace(QStringLiteral("\"gaa\""), QStringLiteral("\"soccer\""))
        .replace(QStringLiteral("\"nFrames\":1,\"selectedFrame\":0"),
                 QStringLiteral("\"nFrames\":%1,\"selectedFrame\":%2").arg(frames).arg(selected))
        .replace(QStringLiteral("[]"), QStringLiteral("[{\"type\":\"person\",\"id\":1,\"scale\":0.6,\"text\":\"\","
                                                      "\"shortLabel\":\"9\",\"z\":1,\"color\":\"red\",\"frames\":[%1]}]")
                                           .arg(states.join(QLatin1Char(','))))
        .replace(QStringLiteral("[\"x\"]"), QLatin1Char('[') + captions.join(QLatin1Char(',')) + QLatin1Char(']'));
}

} // namespace

class tst_EditorWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QSettings().clear(); startWindow(); }
    void cleanup();

    void drillSavedByToolbarReopensInSecondProcess();
    void promptOnEveryWayOut_data();
    void promptOnEveryWayOut();
    void ctrlSSavesToTheCurrentFile();
    void rememberedSportComesBack();
    void cameraButtonCopiesSelectedFrame();
    void videoButtonWritesWholeExport_data();
    void videoButtonWritesWholeExport();
    void reportButtonWritesPdf_data();
    void reportButtonWritesPdf();
    // Run by the second process only.
    void firstArgumentOpensOnceLoaded();

private:
    QVariant js(const QString &script) const { return m_view->page()->mainFrame()->evaluateJavaScript(script); }
    QString pageText() const { return js(QStringLiteral("pageShell.animation.saveToString()")).toString(); }
    QString title() const { return m_window->windowHandle()->title(); }
    void addItem() const { js(QStringLiteral("myDispatchEvent('addItem', { type: 'person', col1: 'blue', col2: 'default', scale: 'default' })")); }
    void startWindow();
    void openDrill(const QString &text);
    void pressButton(const QString &event, const QString &path);
    QList<QByteArray> ownPictures(int fromMs, int count, int width, bool print = false);

    QScopedPointer<mainWindow> m_window;
    QWebView *m_view = nullptr;
    QTemporaryDir m_dir;
    // The messages the host sent, and whether the splash was up at the last;
    // the title of a message box the second process was shown.
    QVariantList m_sent;
    bool m_splashAtLast = false;
    QString m_box;
    std::unique_ptr<ModalDriver> m_boxAnswer;
};

void tst_EditorWindow::initTestCase()
{
    ScriptEngineWorkarounds::apply();
    ApplicationIdentity::apply();
    usePrivateSettings();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
    // A box the second process shows while it opens the file: before the page
    // counts as loaded.
    if (!g_openedPath.isEmpty())
        m_boxAnswer = ModalDriver::answer<QMessageBox>([this](QMessageBox *b) {
            m_box = b->windowTitle() + (splashUp() ? QStringLiteral(", over the splash") : QString());
            b->accept();
        }, 30000);
}

void tst_EditorWindow::startWindow()
{
    m_sent.clear();
    m_window.reset(new mainWindow);
    m_view = m_window->findChild<QWebView *>();
    connect(m_window->findChild<jsInterface *>(), &jsInterface::sendMessage, this, [this](const QVariantMap &m) {
        m_sent << m.value(QStringLiteral("msgType"));
        m_splashAtLast = splashUp();
    });
    QVERIFY(waitForPage(m_window.data()));
    // Kinetic builds its hit regions on the next animation frame.
    QTest::qWait(200);
}

void tst_EditorWindow::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void tst_EditorWindow::openDrill(const QString &text)
{
    writeFile(m_dir.filePath(QStringLiteral("drill.anim")), text.toUtf8() + '\n');
    m_window->openAnimation(m_dir.filePath(QStringLiteral("drill.anim")));
}

// The toolbar button that raises `event`, pressed with the pointer, and the
// file dialog it opens answered with `path`.
void tst_EditorWindow::pressButton(const QString &event, const QString &path)
{
    auto chooser = chooseFile(path);
    clickToolbarButton(m_view, event);
    QTRY_VERIFY(chooser->seen());
}

// The page's own pictures of the drill on display, a second apart from
// `fromMs`, drawn as the exports draw theirs.
QList<QByteArray> tst_EditorWindow::ownPictures(int fromMs, int count, int width, bool print)
{
    js(QStringLiteral("window.own = []; (function (g, from, n) { var a = pageShell.animation; g.loadAnimation(a.saveToString());"
                      "  g.configureAnimation(%3, %4, a.animLayer.showRunningLines, a.bgLayer.gridVisibility());"
                      "  function next(url) { own.push(url); if (own.length < n) { g.getImage(from + 1000 * own.length, next); } }"
                      "  g.getImage(from, next); })(pageShell.imageGenerator, %1, %2);")
           .arg(fromMs).arg(count).arg(width).arg(print ? "true" : "false"));
    QList<QByteArray> pictures;
    [&] { QTRY_COMPARE_WITH_TIMEOUT(js(QStringLiteral("own.length")).toInt(), count, 60000); }();
    for (const QString &url : js(QStringLiteral("own")).toStringList())
        pictures << small(QImage::fromData(QByteArray::fromBase64(url.section(QLatin1Char(','), 1).toLatin1())));
    return pictures;
}

// ---- Files -------------------------------------------------------------------

// Made with the page's own commands (the pitch turned, grid and running
// lines on, eight items over three frames), captioned and labelled through
// the real prompts, saved with the toolbar's button: a second process opens
// it from its command line and must show it and save it to the same text. A
// missing file there is an error.
void tst_EditorWindow::drillSavedByToolbarReopensInSecondProcess()
{
    QCOMPARE(js(QStringLiteral(
        "myDispatchEvent('rotateAntiClockwise', {}); myDispatchEvent('toggleGrid', {}); myDispatchEvent('toggleRunningLines', {});"
        "['person', 'person', 'gaaBall', 'cone', 'cone', 'goal', 'agilityLadder', 'person'].forEach(function (k, i) {"
        "  myDispatchEvent('addItem', { type: k, col1: ['red', 'orange', 'yellow'][i % 3], col2: 'default', scale: 'default' }); });"
        "var layer = pageShell.animation.animLayer;"
        "[0, 1, 2].forEach(function (f) { if (f) { myDispatchEvent('addFrame', {}); }"
        "  layer.itemGroups().forEach(function (g, i) { if (!g.getFieldItem().posIsFixed) {"
        "    g.updatePosition(layer.pixelPos({ x: 0.15 + 0.1 * i + 0.1 * f, y: 0.25 + 0.2 * f }), 30 * f); } }); });"
        "myDispatchEvent('selectedFrame', { frameNumber: 1 }); layer.itemGroups().length")).toInt(), 8);
    // Controls are built when an item is selected, as a coach does first.
    const QString prompts[][2] = {{QString(), QString::fromUtf8("Ćúinne – 1ú ⚽ \"overlap\" 𝄞")},
                                  {QStringLiteral("1, 'LabelControl'"), QString::fromUtf8("Seán, full back")},
                                  {QStringLiteral("2, 'ShortLabelControl'"), QStringLiteral("123456")}};
    for (const auto &p : prompts) {
        auto answer = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) { d->setTextValue(p[1]); d->accept(); });
        js(p[0].isEmpty() ? QStringLiteral("myDispatchEvent('addFrameCaption', {})")
                          : QStringLiteral("(function (l, id, name) { var g = l.childWithId(id); l.select(g._id);"
                                           "  g.find('.' + name)[0].fire('click'); })(pageShell.animation.animLayer, %1)").arg(p[0]));
        QVERIFY2(answer->seen(), qPrintable(p[1]));
    }
    const QString path = m_dir.filePath(QStringLiteral("drill saved by the toolbar.anim"));
    pressButton(QStringLiteral("saveAnimation"), path);
    const QByteArray bytes = readFile(path);
    QVERIFY(!bytes.contains('\n') && !bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes), pageText());
    // A short label holds four characters at most.
    for (const char *saved : {"\"rotation\":-90", "\"text\":\"Seán, full back\"", "\"shortLabel\":\"1234\"",
                              "\"Ćúinne – 1ú ⚽ \\\"overlap\\\" 𝄞\""})
        QVERIFY2(bytes.contains(saved), saved);
    for (const QString &file : {path, m_dir.filePath(QStringLiteral("no such drill.anim"))}) {
        QProcess second;
        second.setProcessChannelMode(QProcess::MergedChannels);
        second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), file});
        // Its event loop and this one are separate: wait without starving this window.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 120000);
        const QByteArray output = second.readAll();
        QVERIFY2(second.exitCode() == 0 && output.contains("PASS   : tst_EditorWindow::firstArgument"), output.constData());
    }
}

// The page is told the sport to start with, and only then is the file on
// the command line opened, after the splash has gone, so its errors are in
// view; what is on display follows the file, down to the saved text.
void tst_EditorWindow::firstArgumentOpensOnceLoaded()
{
    if (g_openedPath.isEmpty())
        QSKIP("run by the second process");
    const bool exists = QFile::exists(g_openedPath);
    QTRY_COMPARE(m_sent.size(), exists ? 2 : 1);
    QCOMPARE(m_sent.first().toString(), QStringLiteral("startAnimation"));
    QTRY_COMPARE_WITH_TIMEOUT(m_box, exists ? QString() : QStringLiteral("Error Opening Animation File"), 30000);
    QVERIFY(!exists || !m_splashAtLast);
    QCOMPARE(title(), exists ? QFileInfo(g_openedPath).fileName() + Dash : QStringLiteral("Drillmora"));
    if (!exists)
        return;
    QCOMPARE(m_sent.last().toString(), QStringLiteral("openAnimationResponse"));
    QCOMPARE(js(QStringLiteral("(function (a, t) { return [a.animLayer.rotation(), a.bgLayer.rotation(), t.grid.group.isSetPressed,"
                               "  t.runningLines.group.isSetPressed, pageShell.timeline.nFrames, pageShell.timeline.selectedFrame,"
                               "  a.frameManager.selectedFrame]; })(pageShell.animation, pageShell.toolbar.toggles)")).toList(),
             QVariantList({-90, -90, true, true, 3, 1, 1}));
    QCOMPARE(pageText(), QString::fromUtf8(readFile(g_openedPath)));
}

// ---- Nothing lost without a question ----------------------------------------

void tst_EditorWindow::promptOnEveryWayOut_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("answer");
    for (const char *way : {"new", "open", "drop", "close"}) {
        QTest::addRow("%s Save", way) << way << int(QMessageBox::Save);
        QTest::addRow("%s Discard", way) << way << int(QMessageBox::Discard);
        QTest::addRow("%s Cancel", way) << way << int(QMessageBox::Cancel);
    }
    QTest::newRow("close when the change is undone: no question") << "close" << 0;
}

// A saved drill changed again; each way out asks, and the answer is followed
// to its end in the file, the page and the title. New and Open are pressed
// on the toolbar. A change undone leaves nothing to ask about.
void tst_EditorWindow::promptOnEveryWayOut()
{
    QFETCH(QString, way);
    QFETCH(int, answer);
    const QString drill = m_dir.filePath(QStringLiteral("drill %1 %2.anim").arg(way).arg(answer));
    const QString other = m_dir.filePath(QStringLiteral("other é.anim"));
    writeFile(other, animationText(QStringLiteral("the other drill")).toUtf8() + "\nignored second line\n");
    addItem();
    auto dialog = chooseFile(drill);
    js(QStringLiteral("myDispatchEvent('saveAnimation', {})"));
    QVERIFY(dialog->seen());
    const QByteArray saved = readFile(drill);
    QCOMPARE(title(), QFileInfo(drill).fileName() + Dash);
    addItem();
    QTRY_COMPARE(title(), QFileInfo(drill).fileName() + QLatin1Char('*') + Dash);
    if (!answer)
        js(QStringLiteral("myDispatchEvent('undo', {})"));
    QTRY_COMPARE(m_window->isWindowModified(), answer != 0);
    const QString changed = pageText();

    auto prompt = answerPrompt(answer);
    auto openDialog = chooseFile(other);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(other)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (way == QLatin1String("drop")) {
        QApplication::sendEvent(m_window.data(), &enter);
        QVERIFY(enter.isAccepted());
        QApplication::sendEvent(m_window.data(), &drop);
    } else if (way == QLatin1String("close")) {
        m_window->close();
    } else {
        clickToolbarButton(m_view, way + QStringLiteral("Animation"));
    }
    QCOMPARE(prompt->seen(), answer != 0);
    const bool goesOn = answer != QMessageBox::Cancel;
    QCOMPARE(openDialog->seen(), way == QLatin1String("open") && goesOn);
    QCOMPARE(readFile(drill), answer == QMessageBox::Save ? changed.toUtf8() : saved);
    if (!goesOn) {
        QCOMPARE(pageText(), changed);
        QVERIFY(m_window->isVisible() && m_window->isWindowModified());
        QCOMPARE(m_window->currentFile(), drill);
    } else if (way == QLatin1String("close")) {
        QVERIFY(!m_window->isVisible());
    } else {
        const bool isNew = way == QLatin1String("new");
        QTRY_COMPARE(title(), isNew ? QStringLiteral("Drillmora") : QFileInfo(other).fileName() + Dash);
        QCOMPARE(js(QStringLiteral("pageShell.animation.animLayer.getFrameText()")).toString(),
                 isNew ? QString() : QStringLiteral("the other drill"));
        QCOMPARE(js(QStringLiteral("pageShell.animation.animLayer.itemGroups().length")).toInt(), 0);
        QVERIFY(!m_window->isWindowModified());
    }
}

// Ctrl+S asks for a name the first time (one typed without an extension gets
// ".anim"), then saves straight to the drill's file; Ctrl+Shift+S always asks.
void tst_EditorWindow::ctrlSSavesToTheCurrentFile()
{
    const QString drill = m_dir.filePath(QStringLiteral("keyboard.anim"));
    addItem();
    auto named = chooseFile(m_dir.filePath(QStringLiteral("keyboard")));
    m_view->setFocus();
    QTest::keyClick(m_view, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(named->seen() && !QFile::exists(m_dir.filePath(QStringLiteral("keyboard"))));
    QCOMPARE(m_window->currentFile(), drill);
    addItem();
    QTRY_VERIFY(m_window->isWindowModified());
    auto noDialog = ModalDriver::answer<QDialog>([](QDialog *d) { d->reject(); }, 500);
    QTest::keyClick(m_view, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(drill), pageText().toUtf8());
    QVERIFY(!m_window->isWindowModified());
    QTest::qWait(600);
    QVERIFY(!noDialog->seen());
    // Gone, so that on a busy machine it cannot take the next dialog.
    noDialog.reset();
    QString offered;
    auto saveAs = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) { offered = d->selectedFiles().value(0); d->reject(); });
    QTest::keyClick(m_view, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(saveAs->seen());
    QCOMPARE(offered, drill);
}

// Chosen in the background picker, the sport comes back at the next start,
// as a drill not changed yet.
void tst_EditorWindow::rememberedSportComesBack()
{
    const QString sport = QStringLiteral(
        "[pageShell.animation.sport, pageShell.itemPicker.sport, pageShell.animation.bgLayer.sportType].join()");
    QCOMPARE(js(sport).toString(), QStringLiteral("gaa,gaa,gaa"));
    js(QStringLiteral("myDispatchEvent('chooseBackground', {}); pageShell.animation.stage.find('.bgSportButton').toArray()"
                      "  .filter(function (b) { return b.sport === 'rugby'; })[0].fire('click');"
                      "pageShell.animation.stage.find('.bgThumbnail')[0].fire('click');"));
    QCOMPARE(js(sport).toString(), QStringLiteral("rugby,rugby,rugby"));
    auto prompt = answerPrompt(QMessageBox::Discard);
    m_window->close();
    QVERIFY(prompt->seen());
    cleanup();
    startWindow();
    QCOMPARE(js(sport).toString(), QStringLiteral("rugby,rugby,rugby"));
    QVERIFY(!m_window->isWindowModified());
    QCOMPARE(js(QStringLiteral("pageShell.itemPicker.itemTypes[1]")).toString(), QStringLiteral("rugbyBall"));
}

// ---- Exports -------------------------------------------------------------

// The selected frame lands on the clipboard as the page draws it, and the
// editor keeps its frame. Text is drawn in the bundled face, not in the
// engine's serif fallback.
void tst_EditorWindow::cameraButtonCopiesSelectedFrame()
{
    QCOMPARE(js(QStringLiteral("(function () { var c = document.createElement('canvas').getContext('2d');"
                               "  function w(font) { c.font = '16px ' + font; return c.measureText('Drillmora 1234 Wg').width; }"
                               "  return [w('Helvetica') === w('\"Liberation Sans\"'), w('Helvetica') !== w('serif')]; })()")).toList(),
             QVariantList({true, true}));
    openDrill(runningPlayer(3, 1));
    QApplication::clipboard()->clear();
    QString text;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) { text = b->text(); b->accept(); }, 20000);
    clickToolbarButton(m_view, QStringLiteral("takeSnapshot"));
    QTRY_COMPARE_WITH_TIMEOUT(text, QStringLiteral("Snapshot copied to the clipboard."), 20000);
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(1024, 768));
    const QList<QByteArray> own = ownPictures(0, 2, 1024);
    const double toShown = VideoProbe::difference(small(copied), own[1]), toOther = VideoProbe::difference(small(copied), own[0]);
    QVERIFY2(toShown < 3 && toOther > 0.5, qPrintable(QStringLiteral("%1 to frame 2, %2 to frame 1").arg(toShown).arg(toOther)));
    QCOMPARE(js(QStringLiteral("pageShell.animation.frameManager.selectedFrame")).toInt(), 1);
}

void tst_EditorWindow::videoButtonWritesWholeExport_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("cancelFirst");
    QTest::newRow("one frame: title, the frame, its hold") << 1 << false;
    QTest::newRow("three frames") << 3 << false;
    QTest::newRow("five frames, after one cancelled mid-way") << 5 << true;
}

// A title card, upright, then each frame 15 pictures after the one before,
// the last held for a second, each against the page's own picture. One
// cancelled keeps the pictures written before, without a hold, and the next
// starts afresh.
void tst_EditorWindow::videoButtonWritesWholeExport()
{
    QFETCH(int, frames);
    QFETCH(bool, cancelFirst);
    openDrill(runningPlayer(frames));
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
    const QString breaks = QStringLiteral("pageGot.filter(function (t) { return t === 'breakVideoExport'; }).length");
    js(QStringLiteral("window.pageGot = []; cppInterface.sendMessage.connect(function (m) { pageGot.push(m.msgType); });"));
    if (cancelFirst) {
        pressButton(QStringLiteral("exportVideo"), m_dir.filePath(QStringLiteral("cancelled.mp4")));
        QTRY_VERIFY_WITH_TIMEOUT(js(QStringLiteral("pageShell.frameCounter")).toInt() >= 10, 60000);
        m_window->findChild<QProgressDialog *>()->cancel();
        QVERIFY(finished.wait(60000));
        QTRY_COMPARE(js(QStringLiteral("pageShell.videoRendering")).toBool(), false);
        QTest::qWait(300);
        const int sent = js(QStringLiteral("pageShell.frameCounter")).toInt();
        QVERIFY(sent < 61 && js(breaks).toInt() == 1);
        // The picture that met the cancel is not written.
        QCOMPARE(VideoProbe::of(m_dir.filePath(QStringLiteral("cancelled.mp4"))).problem(640, 480, 15 + sent - 1), QString());
        finished.clear();
    }
    const QString path = m_dir.filePath(QStringLiteral("drill %1.mp4").arg(frames));
    const int pictures = 15 * frames + 16;
    pressButton(QStringLiteral("exportVideo"), path);
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().toString(), QString());
    QVERIFY(!m_window->findChild<QProgressDialog *>());
    QCOMPARE(VideoProbe::of(path).problem(640, 480, pictures), QString());
    QString error;
    const QList<QByteArray> video = VideoProbe::pictures(path, 160, 120, &error);
    QCOMPARE(video.size(), pictures);
    const QImage card = VideoPicture::titleCard(640, 480);
    for (int i = 0; i < 15; ++i)
        QVERIFY2(VideoProbe::difference(video.at(i), small(card)) < 4, qPrintable(QString::number(i)));
    QVERIFY(VideoProbe::difference(video.at(0), small(card.mirrored(false, true))) > 8);
    const QList<QByteArray> own = ownPictures(0, frames, 640);
    for (int k = 0; k < frames; ++k) {
        const double here = VideoProbe::difference(video.at(15 + 15 * k), own.at(k));
        const double before = VideoProbe::difference(video.at(14 + 15 * k), own.at(k));
        QVERIFY2(here < 5 && (k == 0 || before > here + 0.5),
                 qPrintable(QStringLiteral("frame %1: %2 there, %3 a picture before").arg(k).arg(here).arg(before)));
    }
    for (int i = pictures - 15; i < pictures; ++i)
        QVERIFY(VideoProbe::difference(video.at(i), video.at(pictures - 16)) < 2);
    QCOMPARE(js(breaks).toInt(), cancelFirst ? 1 : 0);
}

void tst_EditorWindow::reportButtonWritesPdf_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("1 frame") << 1 << false << false << false;
    QTest::newRow("7 frames start page 2") << 7 << false << true << false;
    QTest::newRow("13 frames, turned pitch") << 13 << true << false << false;
    QTest::newRow("cancelled: nothing written") << 7 << false << false << true;
    QTest::newRow("cancelled: the earlier file stays") << 7 << false << true << true;
}

// The report read back with poppler: pages,
// paper, title, a heading and page number on each page, six frames a page,
// each its own picture, beside one logo shared by every page; the first
// frame is the page's own picture of it. Cancelled as soon as the progress
// shows, nothing is written and the page is free for the next report.
void tst_EditorWindow::reportButtonWritesPdf()
{
    QFETCH(int, frames);
    QFETCH(bool, turned);
    QFETCH(bool, replacing);
    QFETCH(bool, cancelled);
    const int pages = (frames + 5) / 6;
    const QString path = m_dir.filePath(QStringLiteral("Report %1.pdf").arg(QTest::currentDataTag()));
    if (replacing)
        writeFile(path, "an earlier report");
    const QString drill = runningPlayer(frames);
    openDrill(turned ? QString(drill).replace(QStringLiteral("\"rotation\":0,\"grid"), QStringLiteral("\"rotation\":90,\"grid")) : drill);
    QTRY_VERIFY_WITH_TIMEOUT(js(QStringLiteral("pageShell.reportLogoSettled")).toBool(), 10000);
    auto replace = ModalDriver::answer<QMessageBox>([](QMessageBox *b) { b->button(QMessageBox::Yes)->click(); },
                                                    replacing ? 5000 : 0);
    pressButton(QStringLiteral("exportPdf"), path);
    QTRY_COMPARE(replace->seen(), replacing);
    if (cancelled)
        m_window->findChild<QProgressDialog *>()->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!js(QStringLiteral("pageShell.pdfReport.isBusy()")).toBool()
                                 && !m_window->findChild<QProgressDialog *>(), 120000);
    if (cancelled) {
        QCOMPARE(readFile(path), replacing ? QByteArray("an earlier report") : QByteArray("<unreadable>"));
        return;
    }
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    for (const QString &line : {QStringLiteral("Pages:\\s+%1\\n").arg(pages), QStringLiteral("Title:\\s+Norrick Playvane Report\\n"),
                                QStringLiteral("Page size:\\s+595.28 x 841.89 pts \\(A4\\)")})
        QVERIFY2(info.contains(QRegularExpression(line)), qPrintable(info));
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QCOMPARE(text.count(QStringLiteral("Training Report")), pages);
    for (int p = 1; p <= pages; ++p)
        QVERIFY2(text.contains(QStringLiteral("Page %1 / %2").arg(p).arg(pages)), qPrintable(text));
    // Extracted as they are stored, numbered as listed.
    const QString prefix = m_dir.filePath(QStringLiteral("report%1").arg(frames));
    run(QStringLiteral("pdfimages"), {QStringLiteral("-j"), path, prefix});
    QMap<int, int> perPage;
    QSet<QString> logos;
    QStringList pictures;
    QSet<QByteArray> distinct;
    for (const QString &line : run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path}).split('\n')) {
        const QStringList c = line.simplified().split(' ');
        if (c.size() < 12 || !c[0].toInt())
            continue;
        if (c[3] != QLatin1String("720"))
            logos << c[10];
        else if (++perPage[c[0].toInt()])
            pictures << prefix + QStringLiteral("-%1.jpg").arg(c[1].toInt(), 3, 10, QLatin1Char('0'));
    }
    for (int p = 1; p <= pages; ++p)
        QCOMPARE(perPage.value(p), qMin(6, frames - (p - 1) * 6));
    QCOMPARE(logos.size(), 1);
    for (const QString &picture : pictures)
        distinct << readFile(picture);
    QCOMPARE(distinct.size(), frames);
    const double toOwn = VideoProbe::difference(small(QImage(pictures.value(0))), ownPictures(0, 1, 720, true)[0]);
    QVERIFY2(toOwn < 3, qPrintable(QString::number(toOwn)));
}

// Without options: the window's tests; the window opens its first process
// argument, so the application gets none of the test selection arguments.
// With "--open FILE": the second process, whose application is given FILE
// and a further argument that is ignored, as a user's command line would.
int main(int argc, char *argv[])
{
    const bool second = argc > 2 && qstrcmp(argv[1], "--open") == 0;
    char extra[] = "also-given-but-ignored.anim";
    char test[] = "firstArgumentOpensOnceLoaded";
    char *appArgv[] = {argv[0], second ? argv[2] : nullptr, extra, nullptr};
    char *testArgv[] = {argv[0], test, nullptr};
    int appArgc = second ? 3 : 1;
    QApplication app(appArgc, appArgv);
    g_openedPath = second ? QString::fromLocal8Bit(argv[2]) : QString();
    tst_EditorWindow tests;
    QTEST_SET_MAIN_SOURCE_PATH
    return second ? QTest::qExec(&tests, 2, testArgv) : QTest::qExec(&tests, argc, argv);
}

#include "tst_EditorWindow.moc"
