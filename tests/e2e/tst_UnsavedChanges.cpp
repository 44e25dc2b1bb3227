// Nothing is lost without a question: the real main window with its real
// page. A drill saved to a file and changed again is the starting point of
// every case; New, Open, a drop and closing the window then ask "Save
// changes to the drill?", and each answer is followed to its end in the
// file, the page and the window's title. Ctrl+S, typed on the page, saves
// straight to the drill's file; the sport the coach last used comes back
// at the next start.
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "PrivateSettings.h"
#include "mainWindow.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QWindow>
#include <QtTest>

namespace {

const QString kPrompt = QStringLiteral("Save changes to the drill?");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::unique_ptr<ModalDriver> answerPrompt(QMessageBox::StandardButton button, QString *title = nullptr)
{
    return ModalDriver::answerWhere<QMessageBox>(
        [](QMessageBox *b) { return b->text() == kPrompt; },
        [=](QMessageBox *b) {
            if (title)
                *title = b->windowTitle();
            b->button(button)->click();
        });
}

std::unique_ptr<ModalDriver> chooseFile(const QString &typed)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
}

} // namespace

class tst_UnsavedChanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void promptOnEveryWayOut_data();
    void promptOnEveryWayOut();
    void unchangedDrillGoesWithoutQuestion();
    void savingANewDrillAsksForAName();
    void ctrlSSavesToTheCurrentFile();
    void rememberedSportComesBack();

private:
    QWebView *view() const { return m_window->findChild<QWebView *>(); }
    QVariant js(const QString &script) const { return view()->page()->mainFrame()->evaluateJavaScript(script); }
    QString title() const { return m_window->windowHandle()->title(); }
    int itemCount() const { return js(QStringLiteral("pageShell.animation.animLayer.itemGroups().length")).toInt(); }
    QString pageText() const { return js(QStringLiteral("pageShell.animation.saveToString()")).toString(); }
    void addItem() const;
    void startWindow();
    void saveDrillAs(const QString &path);

    QScopedPointer<mainWindow> m_window;
    QTemporaryDir m_dir;
};

void tst_UnsavedChanges::initTestCase()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_UnsavedChanges::startWindow()
{
    m_window.reset(new mainWindow);
    QVERIFY(waitForPage(m_window.data()));
    QTest::qWait(200);
}

void tst_UnsavedChanges::init()
{
    QSettings().clear();
    startWindow();
}

void tst_UnsavedChanges::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void tst_UnsavedChanges::addItem() const
{
    js(QStringLiteral("myDispatchEvent('addItem', { type: 'person', col1: 'blue', col2: 'default', scale: 'default' })"));
}

// Through the toolbar's save command and the real save dialog.
void tst_UnsavedChanges::saveDrillAs(const QString &path)
{
    auto dialog = chooseFile(path);
    js(QStringLiteral("myDispatchEvent('saveAnimation', {})"));
    QVERIFY(dialog->seen());
    QCOMPARE(m_window->currentFile(), path);
}

void tst_UnsavedChanges::promptOnEveryWayOut_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("answer");
    const QStringList ways = {QStringLiteral("new"), QStringLiteral("open"), QStringLiteral("drop"),
                              QStringLiteral("close")};
    const QList<QPair<const char *, int>> answers = {{"Save", QMessageBox::Save},
                                                      {"Discard", QMessageBox::Discard},
                                                      {"Cancel", QMessageBox::Cancel}};
    for (const QString &way : ways) {
        for (const auto &answer : answers)
            QTest::newRow(qPrintable(way + QLatin1Char(' ') + QLatin1String(answer.first))) << way << answer.second;
    }
}

void tst_UnsavedChanges::promptOnEveryWayOut()
{
    QFETCH(QString, way);
    QFETCH(int, answer);
    const QString drill = m_dir.filePath(QStringLiteral("drill %1 %2.anim").arg(way).arg(answer));
    const QString other = m_dir.filePath(QStringLiteral("other.anim"));
    {
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(animationText(QStringLiteral("the other drill")).toUtf8());
    }

    addItem();
    saveDrillAs(drill);
    const QByteArray saved = readAll(drill);
    QCOMPARE(title(), QFileInfo(drill).fileName() + QString::fromUtf8(" \u2014 Drillmora"));
    QVERIFY(!m_window->isWindowModified());

    addItem();
    QTRY_VERIFY(m_window->isWindowModified());
    QCOMPARE(title(), QFileInfo(drill).fileName() + QString::fromUtf8("* \u2014 Drillmora"));
    const QString changed = pageText();

    QString promptTitle;
    auto prompt = answerPrompt(QMessageBox::StandardButton(answer), &promptTitle);
    auto openDialog = chooseFile(other);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(other)});
    if (way == QLatin1String("new")) {
        js(QStringLiteral("myDispatchEvent('newAnimation', {})"));
    } else if (way == QLatin1String("open")) {
        js(QStringLiteral("myDispatchEvent('openAnimation', {})"));
    } else if (way == QLatin1String("drop")) {
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.data(), &enter);
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.data(), &drop);
    } else {
        m_window->close();
    }
    QVERIFY(prompt->seen());
    QCOMPARE(promptTitle, QStringLiteral("Drillmora"));

    const bool goesOn = answer != QMessageBox::Cancel;
    QCOMPARE(readAll(drill), answer == QMessageBox::Save ? changed.toUtf8() : saved);
    QCOMPARE(openDialog->seen(), way == QLatin1String("open") && goesOn);
    if (!goesOn) {
        QCOMPARE(pageText(), changed);
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->isWindowModified());
        QCOMPARE(m_window->currentFile(), drill);
        return;
    }
    if (way == QLatin1String("close")) {
        QVERIFY(!m_window->isVisible());
        return;
    }
    QVERIFY(!m_window->isWindowModified());
    if (way == QLatin1String("new")) {
        QCOMPARE(itemCount(), 0);
        QCOMPARE(title(), QStringLiteral("Drillmora"));
    } else {
        QCOMPARE(js(QStringLiteral("pageShell.animation.animLayer.getFrameText()")).toString(),
                 QStringLiteral("the other drill"));
        QCOMPARE(title(), QString::fromUtf8("other.anim \u2014 Drillmora"));
    }
}

void tst_UnsavedChanges::unchangedDrillGoesWithoutQuestion()
{
    auto prompt = answerPrompt(QMessageBox::Cancel);
    js(QStringLiteral("myDispatchEvent('newAnimation', {})"));
    addItem();
    // Undone, the drill is what it was: nothing to ask about.
    js(QStringLiteral("myDispatchEvent('undo', {})"));
    QCOMPARE(itemCount(), 0);
    QTRY_VERIFY(!m_window->isWindowModified());
    m_window->close();
    QVERIFY(!prompt->seen());
    QVERIFY(!m_window->isVisible());
}

void tst_UnsavedChanges::savingANewDrillAsksForAName()
{
    addItem();
    // No file yet: Save asks for a name; cancelling that cancels the close.
    auto prompt = answerPrompt(QMessageBox::Save);
    auto cancelled = ModalDriver::answer<QFileDialog>([](QFileDialog *d) { d->reject(); });
    m_window->close();
    QVERIFY(prompt->seen());
    QVERIFY(cancelled->seen());
    QVERIFY(m_window->isVisible());

    // A name typed without an extension gets ".anim".
    auto again = answerPrompt(QMessageBox::Save);
    auto named = chooseFile(m_dir.filePath(QStringLiteral("no extension")));
    m_window->close();
    QVERIFY(again->seen());
    QVERIFY(named->seen());
    QVERIFY(!m_window->isVisible());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("no extension"))));
    QCOMPARE(readAll(m_dir.filePath(QStringLiteral("no extension.anim"))), pageText().toUtf8());
}

void tst_UnsavedChanges::ctrlSSavesToTheCurrentFile()
{
    const QString drill = m_dir.filePath(QStringLiteral("keyboard.anim"));
    addItem();
    saveDrillAs(drill);
    addItem();
    QTRY_VERIFY(m_window->isWindowModified());

    // Straight to the file: any dialog would fail the test.
    auto noDialog = ModalDriver::answer<QDialog>([](QDialog *d) { d->reject(); }, 500);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readAll(drill), pageText().toUtf8());
    QVERIFY(!m_window->isWindowModified());
    QTest::qWait(600);
    QVERIFY(!noDialog->seen());
    // Gone, so that on a busy machine it cannot take the next dialog.
    noDialog.reset();

    // Ctrl+Shift+S always asks, offering the drill's own name.
    QString offered;
    auto saveAs = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        offered = d->selectedFiles().value(0);
        d->reject();
    });
    QTest::keyClick(view(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(saveAs->seen());
    QCOMPARE(offered, drill);
}

void tst_UnsavedChanges::rememberedSportComesBack()
{
    const auto sport = [this] { return js(QStringLiteral("[pageShell.animation.sport, pageShell.itemPicker.sport,"
                                                       " pageShell.animation.bgLayer.sportType].join()")).toString(); };
    QCOMPARE(sport(), QStringLiteral("gaa,gaa,gaa"));
    // The coach chooses rugby in the background picker.
    js(QStringLiteral("myDispatchEvent('chooseBackground', {});"
                      "var picker = pageShell.animation.stage.find('.bgSportButton').toArray()"
                      "    .filter(function (b) { return b.sport === 'rugby'; })[0];"
                      "picker.fire('click');"
                      "pageShell.animation.stage.find('.bgThumbnail')[0].fire('click');"));
    QCOMPARE(sport(), QStringLiteral("rugby,rugby,rugby"));
    QCOMPARE(QSettings().value(QStringLiteral("sport")).toString(), QStringLiteral("rugby"));

    // The next start begins with rugby, as a drill not changed yet.
    auto prompt = answerPrompt(QMessageBox::Discard);
    m_window->close();
    QVERIFY(prompt->seen());
    cleanup();
    startWindow();
    QCOMPARE(sport(), QStringLiteral("rugby,rugby,rugby"));
    QVERIFY(!m_window->isWindowModified());
    QCOMPARE(js(QStringLiteral("pageShell.itemPicker.itemTypes[1]")).toString(), QStringLiteral("rugbyBall"));
}

QTEST_MAIN(tst_UnsavedChanges)
#include "tst_UnsavedChanges.moc"
