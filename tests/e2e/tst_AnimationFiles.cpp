// Animation files end to end, with the real main window and its real page:
// a drill made on the page, captioned and labelled through the real
// prompts, is saved through the toolbar's save button and the real save
// dialog; a second process of this program, given the file on its command
// line, must show it and save it to exactly the same text. A picture
// dropped onto the window ends in the page's report, shown by the host.
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "PrivateSettings.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QAbstractButton>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

namespace {

const char OPEN_OPTION[] = "--open";

// The file the second process was given on its command line.
QString g_openedPath;

QWebFrame *pageOf(mainWindow *window)
{
    return window->findChild<QWebView *>()->page()->mainFrame();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types `text` into `edit` key by key, as a keyboard whose keys give those
// characters would (QTest's key helpers know only ASCII).
void typeInto(QLineEdit *edit, const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const int length = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString typed = text.mid(i, length);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
        i += length - 1;
    }
}

// A small picture as the page's logo message carries one.
QString logoDataUrl()
{
    QImage logo(256, 256, QImage::Format_ARGB32);
    logo.fill(QColor(20, 60, 160));
    for (int y = 64; y < 192; ++y) {
        for (int x = 64; x < 192; ++x)
            logo.setPixelColor(x, y, QColor(250, 210, 0));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace

// ---- The first process: making, prompting, saving, dropping ----------------

class tst_AnimationFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionPromptAnsweredAndCancelled();
    void drillSavedByToolbarOpensFromCommandLineOfSecondProcess();
    void droppedPictureEndsInPageReport();

private:
    QVariant js(const QString &script) const { return pageOf(m_window.data())->evaluateJavaScript(script); }
    QString caption() const { return js(QStringLiteral("pageShell.animation.animLayer.getFrameText()")).toString(); }
    void makeDrill();

    QScopedPointer<mainWindow> m_window;
    QTemporaryDir m_dir;
};

void tst_AnimationFiles::initTestCase()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_AnimationFiles::init()
{
    m_window.reset(new mainWindow);
    QVERIFY(waitForPage(m_window.data()));
    // Kinetic builds its hit regions on the next animation frame.
    QTest::qWait(200);
}

void tst_AnimationFiles::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

// The page's own commands: the pitch turned anticlockwise, grid and running
// lines on, a logo from the host shown, eight items of six kinds over three
// frames, the second frame selected.
void tst_AnimationFiles::makeDrill()
{
    QVariantMap logo;
    logo.insert(QStringLiteral("msgType"), QStringLiteral("setLogoImage"));
    logo.insert(QStringLiteral("image"), logoDataUrl());
    emit m_window->findChild<jsInterface *>()->sendMessage(logo);

    const QVariant items = js(QStringLiteral(
        "(function () {"
        "  myDispatchEvent('rotateAntiClockwise', {});"
        "  myDispatchEvent('toggleGrid', {});"
        "  myDispatchEvent('toggleRunningLines', {});"
        "  var kinds = [['person', 'blue'], ['person', 'red'], ['person', 'red'], ['gaaBall', 'default'],"
        "      ['cone', 'orange'], ['cone', 'yellow'], ['goal', 'default'], ['agilityLadder', 'default']];"
        "  kinds.forEach(function (k) {"
        "    myDispatchEvent('addItem', { type: k[0], col1: k[1], col2: 'default', scale: 'default' });"
        "  });"
        "  var layer = pageShell.animation.animLayer;"
        "  function step(f) {"
        "    layer.itemGroups().forEach(function (g, i) {"
        "      if (!g.getFieldItem().posIsFixed) {"
        "        g.updatePosition(layer.pixelPos({ x: 0.15 + 0.2 * i + 0.1 * f, y: 0.25 + 0.2 * f }), 30 * f);"
        "      }"
        "    });"
        "  }"
        "  step(0);"
        "  myDispatchEvent('addFrame', {});"
        "  step(1);"
        "  myDispatchEvent('addFrame', {});"
        "  step(2);"
        "  myDispatchEvent('selectedFrame', { frameNumber: 1 });"
        "  return layer.itemGroups().length;"
        "})()"));
    QCOMPARE(items.toInt(), 8);
}

void tst_AnimationFiles::captionPromptAnsweredAndCancelled()
{
    QString title, label, offered;
    const QString typed = QString::fromUtf8("Ćúinne – 1ú ⚽ \"overlap\" 𝄞");
    auto answer = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
        title = d->windowTitle();
        label = d->labelText();
        offered = d->textValue();
        auto *edit = d->findChild<QLineEdit *>();
        edit->clear();
        typeInto(edit, typed);
        d->accept();
    });
    js(QStringLiteral("myDispatchEvent('addFrameCaption', {})"));
    QVERIFY(answer->seen());
    QCOMPARE(title, QStringLiteral("Enter Text"));
    QCOMPARE(label, QStringLiteral("Enter a caption for this frame: "));
    QCOMPARE(offered, QString());
    QCOMPARE(caption(), typed);

    auto cancel = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
        offered = d->textValue();
        d->findChild<QLineEdit *>()->setText(QStringLiteral("thrown away"));
        d->reject();
    });
    js(QStringLiteral("myDispatchEvent('addFrameCaption', {})"));
    QVERIFY(cancel->seen());
    QCOMPARE(offered, typed);
    QCOMPARE(caption(), typed);
}

void tst_AnimationFiles::drillSavedByToolbarOpensFromCommandLineOfSecondProcess()
{
    makeDrill();

    // The caption of the selected frame, the label of an item and the
    // short label of a player, each through its prompt.
    auto captionPrompt = ModalDriver::answer<QInputDialog>([](QInputDialog *d) {
        d->setTextValue(QString::fromUtf8("Zweite Welle – Überzahl"));
        d->accept();
    });
    js(QStringLiteral("myDispatchEvent('addFrameCaption', {})"));
    QVERIFY(captionPrompt->seen());

    QString labelTitle;
    auto labelPrompt = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
        labelTitle = d->windowTitle();
        d->setTextValue(QString::fromUtf8("Seán, full back"));
        d->accept();
    });
    js(QStringLiteral("(function (g) { pageShell.animation.animLayer.select(g._id); return g; }(pageShell.animation.animLayer.childWithId(1))).find('.LabelControl')[0].fire('click')"));
    QVERIFY(labelPrompt->seen());
    QCOMPARE(labelTitle, QStringLiteral("Enter Label"));

    auto shortLabelPrompt = ModalDriver::answer<QInputDialog>([](QInputDialog *d) {
        auto *edit = d->findChild<QLineEdit *>();
        edit->clear();
        typeInto(edit, QStringLiteral("123456"));
        d->accept();
    });
    js(QStringLiteral("(function (g) { pageShell.animation.animLayer.select(g._id); return g; }(pageShell.animation.animLayer.childWithId(2))).find('.ShortLabelControl')[0].fire('click')"));
    QVERIFY(shortLabelPrompt->seen());
    QCOMPARE(js(QStringLiteral("[pageShell.animation.animLayer.childWithId(1).itemText.text.text(),"
                               " pageShell.animation.animLayer.childWithId(2).shortLabelText.text.text()]"))
                 .toStringList(),
             QStringList({QString::fromUtf8("Seán, full back"), QStringLiteral("1234")}));

    // Saved with the toolbar's save button and the real save dialog.
    const QString path = m_dir.filePath(QStringLiteral("drill saved by the toolbar.anim"));
    QString dialogTitle;
    auto saveDialog = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        dialogTitle = d->windowTitle();
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    clickToolbarButton(m_window->findChild<QWebView *>(), QStringLiteral("saveAnimation"));
    QTRY_VERIFY(saveDialog->seen());
    QCOMPARE(dialogTitle, QStringLiteral("Save Animation"));
    QTRY_VERIFY(QFile::exists(path));

    const QByteArray bytes = readAll(path);
    const QString saved = QString::fromUtf8(bytes);
    QVERIFY(!bytes.contains('\n'));
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(saved, js(QStringLiteral("pageShell.animation.saveToString()")).toString());
    const QJsonObject drill = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(drill.value(QStringLiteral("rotation")).toInt(), -90);
    QCOMPARE(drill.value(QStringLiteral("objects")).toArray().size(), 8);
    QCOMPARE(drill.value(QStringLiteral("frameText")).toArray().at(1).toString(),
             QString::fromUtf8("Zweite Welle – Überzahl"));
    QVERIFY(drill.value(QStringLiteral("background")).toObject().value(QStringLiteral("logoImage")).toString()
                .startsWith(QStringLiteral("data:image/png;base64,")));

    // A second process of this program, with the file on its command line.
    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(OPEN_OPTION), path});
    QVERIFY(second.waitForStarted());
    // Its event loop and this one are separate: wait here without
    // starving this window.
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 90000);
    const QByteArray output = second.readAll();
    QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : tst_OpenedFromCommandLine::openedFileShowsAsSaved()"), output.constData());
}

void tst_AnimationFiles::droppedPictureEndsInPageReport()
{
    makeDrill();
    const QString before = js(QStringLiteral("pageShell.animation.saveToString()")).toString();
    const QString picture = m_dir.filePath(QStringLiteral("pitch photo.png"));
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 40));
    QVERIFY(image.save(picture, "PNG"));

    // The drill is not saved: the coach is asked first, and lets it go.
    auto prompt = ModalDriver::answerWhere<QMessageBox>(
        [](QMessageBox *b) { return b->text() == QStringLiteral("Save changes to the drill?"); },
        [](QMessageBox *b) { b->button(QMessageBox::Discard)->click(); });
    QString title, text, detail;
    auto box = ModalDriver::answerWhere<QMessageBox>(
        [](QMessageBox *b) { return b->text() != QStringLiteral("Save changes to the drill?"); },
        [&](QMessageBox *b) {
            title = b->windowTitle();
            text = b->text();
            detail = b->informativeText();
            b->accept();
        });
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(picture)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.data(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.data(), &drop);

    QTRY_VERIFY(box->seen());
    QVERIFY(prompt->seen());
    QCOMPARE(text, QStringLiteral("Error Opening Animation File"));
    QCOMPARE(detail, QStringLiteral("Error parsing JSON"));
    QCOMPARE(js(QStringLiteral("pageShell.animation.saveToString()")).toString(), before);
    QCOMPARE(m_window->lastUsedFolder(), m_dir.path());
}

// ---- The second process: the file named on the command line ----------------

class tst_OpenedFromCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void openedFileShowsAsSaved();
};

void tst_OpenedFromCommandLine::openedFileShowsAsSaved()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
    PageFonts::install();
    QString boxText;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        boxText = b->text() + QStringLiteral(": ") + b->informativeText();
        b->accept();
    }, 20000);

    mainWindow window;
    QSignalSpy sent(window.findChild<jsInterface *>(), &jsInterface::sendMessage);
    QVERIFY(waitForPage(&window));
    // The sport to start with, then the file.
    QTRY_COMPARE(sent.count(), 2);
    QCOMPARE(sent.first().first().toMap().value(QStringLiteral("msgType")).toString(),
             QStringLiteral("startAnimation"));
    QCOMPARE(sent.last().first().toMap().value(QStringLiteral("msgType")).toString(),
             QStringLiteral("openAnimationResponse"));
    QTest::qWait(100);
    QVERIFY2(!box->seen(), qPrintable(boxText));

    const QByteArray bytes = readAll(g_openedPath);
    const QJsonObject drill = QJsonDocument::fromJson(bytes).object();
    QVERIFY(!drill.isEmpty());
    auto js = [&](const char *script) { return pageOf(&window)->evaluateJavaScript(QString::fromUtf8(script)); };

    // What the page shows is what was saved...
    const int selected = drill.value(QStringLiteral("selectedFrame")).toInt();
    QCOMPARE(js("pageShell.animation.frameManager.selectedFrame").toInt(), selected);
    QCOMPARE(js("pageShell.animation.animLayer.getFrameText()").toString(),
             drill.value(QStringLiteral("frameText")).toArray().at(selected).toString());
    QCOMPARE(js("pageShell.animation.animLayer.itemGroups().length").toInt(),
             drill.value(QStringLiteral("objects")).toArray().size());
    QCOMPARE(js("[pageShell.animation.animLayer.rotation(), pageShell.animation.bgLayer.rotation()]").toList(),
             QVariantList({-90, -90}));
    QCOMPARE(js("pageShell.animation.animLayer.childWithId(1).itemText.text.text()").toString(),
             QString::fromUtf8("Seán, full back"));
    QCOMPARE(js("pageShell.animation.animLayer.childWithId(2).shortLabelText.text.text()").toString(),
             QStringLiteral("1234"));
    QCOMPARE(js("pageShell.animation.bgLayer.logoImage").toString(),
             drill.value(QStringLiteral("background")).toObject().value(QStringLiteral("logoImage")).toString());
    // ... with the toolbar's toggles and the timeline following it...
    QCOMPARE(js("(function (t) { return [t.grid.group.isSetPressed, t.runningLines.group.isSetPressed,"
                " t.logo.group.isSetPressed]; })(pageShell.toolbar.toggles)").toList(),
             QVariantList({true, true, true}));
    QCOMPARE(js("[pageShell.timeline.nFrames, pageShell.timeline.selectedFrame]").toList(),
             QVariantList({3, selected}));
    // ... and saving it again gives the very same text.
    QCOMPARE(js("pageShell.animation.saveToString()").toString(), QString::fromUtf8(bytes));

    const QStringList errors = js("caughtErrors").toStringList();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

// Without options: the first process's tests. With "--open FILE": the
// second process, whose application is given FILE as its first argument,
// as a user's command line would give it.
int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], OPEN_OPTION) == 0) {
        char *appArgv[] = {argv[0], argv[2], nullptr};
        int appArgc = 2;
        QApplication app(appArgc, appArgv);
        g_openedPath = QString::fromLocal8Bit(argv[2]);
        tst_OpenedFromCommandLine test;
        char *testArgv[] = {argv[0], nullptr};
        return QTest::qExec(&test, 1, testArgv);
    }
    QApplication app(argc, argv);
    tst_AnimationFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AnimationFiles.moc"
