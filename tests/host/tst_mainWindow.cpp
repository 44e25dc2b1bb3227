// The main window's dispatcher and services, driven through the real bridge
// the page uses, with the real dialogs answered as a user would.
#include "AnimationText.h"
#include "TestFiles.h"
#include "ApplicationIdentity.h"
#include "ModalDriver.h"
#include "PrivateSettings.h"
#include "ShortLabelDialog.h"
#include "WindowTestMain.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>

namespace {

QVariantMap message(std::initializer_list<std::pair<QString, QVariant>> fields)
{
    QVariantMap m;
    for (const auto &f : fields)
        m.insert(f.first, f.second);
    return m;
}

// Chooses `path` in the file dialog that is about to open.
std::unique_ptr<ModalDriver> chooseFile(const QString &path, QString *title = nullptr,
                                        QString *directory = nullptr)
{
    return ModalDriver::answer<QFileDialog>([=](QFileDialog *dialog) {
        if (title)
            *title = dialog->windowTitle();
        if (directory)
            *directory = dialog->directory().absolutePath();
        // Typed into the name field, as a user would; accepting is queued so
        // a confirmation the dialog raises can be answered in turn.
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

std::unique_ptr<ModalDriver> cancelFileDialog()
{
    return ModalDriver::answer<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
}

} // namespace

class tst_mainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAndPage();
    void bridgeIsExposedToThePage();
    void replyReachesPageBeforeSendReturns();

    void textPrompts_data();
    void textPrompts();
    void promptCancelledSendsNothing();
    void promptWithMissingKeys();
    void unknownAndMistypedMessagesAreIgnored_data();
    void unknownAndMistypedMessagesAreIgnored();

    void openSendsFirstLine();
    void emptyFileEndsInPageReport();
    void openCancelledSendsNothing();
    void openMissingFileShowsReason();
    void saveWritesTextExactly();
    void saveCancelledWritesNothing();
    void saveToUnwritablePlaceShowsError();
    void lastUsedFolderFollowsPickedFiles();
    void errorOpeningFileShowsPageReason();
    void reportsAreShownAsPlainText_data();
    void reportsAreShownAsPlainText();

    void dropOpensFirstLocalFile();
    void dropWithoutUrlsIsIgnored();
    void dragOfAnyKindIsAccepted();

    void reportAsksForFileAndShowsProgress();
    void reportSaveCancelledSendsNothing();
    void reportWriting_data();
    void reportWriting();
    void hiddenReport_data();
    void hiddenReport();

    void aboutReplacesEarlierDialog();
    void logoChosenIsSentNormalised();
    void logoUnreadableIsRefused_data();
    void logoUnreadableIsRefused();
    void logoDialogCancelledSendsNothing();
    void snapshotGoesToClipboard_data();
    void snapshotGoesToClipboard();


private:
    void send(const QVariantMap &m) { m_bridge->receiveMessage(m); }
    void dropOnWindow(QMimeData *data);
    QList<QVariantMap> replies() const;

    QScopedPointer<mainWindow> m_window;
    jsInterface *m_bridge = nullptr;
    QScopedPointer<QSignalSpy> m_sent;
    QTemporaryDir m_dir;
};

void tst_mainWindow::initTestCase()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
    QVERIFY(m_dir.isValid());
}

void tst_mainWindow::init()
{
    m_window.reset(new mainWindow);
    auto *view = m_window->findChild<QWebView *>();
    QVERIFY(view);
    QSignalSpy loaded(view->page()->mainFrame(), &QWebFrame::loadFinished);
    QVERIFY(loaded.wait(10000));
    m_bridge = m_window->findChild<jsInterface *>();
    QVERIFY(m_bridge);
    m_sent.reset(new QSignalSpy(m_bridge, &jsInterface::sendMessage));
}

void tst_mainWindow::cleanup()
{
    m_sent.reset();
    m_window.reset();
}

// What the host sent the page, but for its question about the page's text
// before anything that could lose work.
QList<QVariantMap> tst_mainWindow::replies() const
{
    QList<QVariantMap> out;
    for (const QList<QVariant> &args : *m_sent) {
        const QVariantMap m = args.at(0).toMap();
        if (m.value(QStringLiteral("msgType")) != QStringLiteral("requestAnimationText"))
            out << m;
    }
    return out;
}

void tst_mainWindow::windowAndPage()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Drillmora[*]"));
    QCOMPARE(m_window->windowHandle()->title(), QStringLiteral("Drillmora"));
    QCOMPARE(m_window->minimumSize(), QSize(650, 400));
    QCOMPARE(m_window->size(), QSize(782, 600));
    QVERIFY(m_window->acceptDrops());
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->windowIcon().isNull());

    auto *view = m_window->findChild<QWebView *>();
    QCOMPARE(view->url(), QUrl(QStringLiteral("qrc:/Resources/index.html")));
    QCOMPARE(view->contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(!view->acceptDrops());
    QWebFrame *frame = view->page()->mainFrame();
    QCOMPARE(frame->scrollBarPolicy(Qt::Vertical), Qt::ScrollBarAlwaysOff);
    QCOMPARE(frame->scrollBarPolicy(Qt::Horizontal), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->geometry(), m_window->rect());

    // The splash is closed and deleted once the page has loaded.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!qobject_cast<QSplashScreen *>(w), "splash screen still exists after loading");
}

void tst_mainWindow::bridgeIsExposedToThePage()
{
    QWebFrame *frame = m_window->findChild<QWebView *>()->page()->mainFrame();
    QCOMPARE(frame->evaluateJavaScript(QStringLiteral("typeof cppInterface.receiveMessage")).toString(),
             QStringLiteral("function"));

    // A page reload clears the window object; the bridge must be there again.
    QSignalSpy loaded(frame, &QWebFrame::loadFinished);
    frame->evaluateJavaScript(QStringLiteral("location.reload()"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(frame->evaluateJavaScript(QStringLiteral("typeof cppInterface.sendMessage.connect")).toString(),
             QStringLiteral("function"));
}

void tst_mainWindow::replyReachesPageBeforeSendReturns()
{
    QWebFrame *frame = m_window->findChild<QWebView *>()->page()->mainFrame();
    auto driver = ModalDriver::answer<QInputDialog>([](QInputDialog *d) {
        d->setTextValue(QStringLiteral("Kick-off drill"));
        d->accept();
    });
    // The page's receiver runs nested inside its own send call; the id goes
    // over as a number and must come back as its decimal digits.
    const QVariant result = frame->evaluateJavaScript(QStringLiteral(
        "(function () {"
        "  var got = null;"
        "  function receiver(m) { got = m; }"
        "  cppInterface.sendMessage.connect(receiver);"
        "  cppInterface.receiveMessage({msgType: 'promptForItemLabel', displayMessage: 'Label?',"
        "                               defaultText: '', id: 37, extra: 'ignored'});"
        "  cppInterface.sendMessage.disconnect(receiver);"
        "  return got && [got.msgType, got.text, got.id, typeof got.id, parseInt(got.id, 10)].join('|');"
        "})()"));
    QVERIFY(driver->seen());
    QCOMPARE(result.toString(), QStringLiteral("itemLabelResponse|Kick-off drill|37|string|37"));
}

void tst_mainWindow::textPrompts_data()
{
    QTest::addColumn<QVariantMap>("request");
    QTest::addColumn<QString>("dialogClass");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QString>("expectedField");
    QTest::addColumn<QString>("typed");     // replaces the field; null keeps it
    QTest::addColumn<QVariantMap>("expectedReply");

    QTest::newRow("frame caption changed")
        << message({{"msgType", "promptForFrameLabel"}, {"displayMessage", "Enter a caption for this frame: "},
                    {"defaultText", "Warm-up"}})
        << "QInputDialog" << "Enter Text" << "Warm-up" << "Pass and move, Ciarán!"
        << message({{"msgType", "frameLabelResponse"}, {"text", "Pass and move, Ciarán!"}});
    QTest::newRow("frame caption unchanged")
        << message({{"msgType", "promptForFrameLabel"}, {"displayMessage", "x"}, {"defaultText", "Warm-up"}})
        << "QInputDialog" << "Enter Text" << "Warm-up" << QString()
        << message({{"msgType", "frameLabelResponse"}, {"text", "Warm-up"}});
    QTest::newRow("frame caption cleared")
        << message({{"msgType", "promptForFrameLabel"}, {"displayMessage", "x"}, {"defaultText", "Warm-up"}})
        << "QInputDialog" << "Enter Text" << "Warm-up" << ""
        << message({{"msgType", "frameLabelResponse"}, {"text", ""}});
    const QString longLabel = QString(300, QLatin1Char('w'));
    QTest::newRow("item label of any length, numeric id")
        << message({{"msgType", "promptForItemLabel"}, {"displayMessage", "Enter a label for this item: "},
                    {"defaultText", ""}, {"id", 12.0}})
        << "QInputDialog" << "Enter Label" << "" << longLabel
        << message({{"msgType", "itemLabelResponse"}, {"text", longLabel}, {"id", "12"}});
    QTest::newRow("short label cut to four")
        << message({{"msgType", "promptForItemShortLabel"},
                    {"displayMessage", "<html><head/><body><p>Enter a short label for this player:<br/>"
                                       "(maximum 4 characters)</p></body></html>"},
                    {"defaultText", "ABCDEF"}, {"id", 37.0}})
        << "ShortLabelDialog" << "Enter Label" << "ABCD" << QString()
        << message({{"msgType", "itemShortLabelResponse"}, {"text", "ABCD"}, {"id", "37"}});
}

void tst_mainWindow::textPrompts()
{
    QFETCH(QVariantMap, request);
    QFETCH(QString, dialogClass);
    QFETCH(QString, expectedTitle);
    QFETCH(QString, expectedField);
    QFETCH(QString, typed);
    QFETCH(QVariantMap, expectedReply);

    QString className, title, label, field;
    QWidget *parent = nullptr;
    auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
        className = QString::fromLatin1(d->metaObject()->className());
        title = d->windowTitle();
        label = d->labelText();
        field = d->findChild<QLineEdit *>()->text();
        parent = d->parentWidget();
        if (!typed.isNull())
            d->setTextValue(typed);
        d->accept();
    });
    send(request);

    QVERIFY(driver->seen());
    QCOMPARE(className, dialogClass);
    QCOMPARE(title, expectedTitle);
    QCOMPARE(label, request.value("displayMessage").toString());
    QCOMPARE(field, expectedField);
    QCOMPARE(parent, m_window->findChild<QWebView *>());
    QCOMPARE(replies().size(), 1);
    QCOMPARE(replies().first(), expectedReply);
    QVERIFY(!replies().first().value("text").toString().isNull());
}

void tst_mainWindow::promptCancelledSendsNothing()
{
    for (const char *type : {"promptForFrameLabel", "promptForItemLabel", "promptForItemShortLabel"}) {
        auto driver = ModalDriver::answer<QInputDialog>([](QInputDialog *d) {
            d->setTextValue(QStringLiteral("typed, then cancelled"));
            d->reject();
        });
        send(message({{"msgType", type}, {"displayMessage", "?"}, {"defaultText", "old"}, {"id", 3.0}}));
        QVERIFY2(driver->seen(), type);
    }
    QCOMPARE(replies().size(), 0);
}

void tst_mainWindow::promptWithMissingKeys()
{
    QString label = QStringLiteral("<not set>");
    auto driver = ModalDriver::answer<QInputDialog>([&](QInputDialog *d) {
        label = d->labelText();
        d->accept();
    });
    send(message({{"msgType", "promptForItemLabel"}}));
    QVERIFY(driver->seen());
    QCOMPARE(label, QString());
    QCOMPARE(replies().size(), 1);
    QCOMPARE(replies().first().value("id").toString(), QString());
    QCOMPARE(replies().first().value("text").toString(), QString());
}

void tst_mainWindow::unknownAndMistypedMessagesAreIgnored_data()
{
    QTest::addColumn<QVariantMap>("request");
    QTest::newRow("letter case differs")
        << message({{"msgType", "PromptForFrameLabel"}, {"displayMessage", "x"}});
    QTest::newRow("all lower case") << message({{"msgType", "showaboutinfo"}});
    QTest::newRow("no msgType") << message({{"displayMessage", "x"}});
    QTest::newRow("msgType not a string") << message({{"msgType", 7.0}});
    QTest::newRow("service not offered") << message({{"msgType", "exportVideoResponse"}});
}

void tst_mainWindow::unknownAndMistypedMessagesAreIgnored()
{
    QFETCH(QVariantMap, request);
    auto driver = ModalDriver::answer<QDialog>([](QDialog *d) { d->reject(); }, 300);
    send(request);
    QTest::qWait(350);
    QVERIFY(!driver->seen());
    QCOMPARE(replies().size(), 0);
    QVERIFY(!m_window->findChild<QWidget *>(QStringLiteral("aboutDialog")));
}

void tst_mainWindow::openSendsFirstLine()
{
    const QString path = m_dir.filePath(QStringLiteral("Übung ä.anim"));
    const QString first = animationText(QStringLiteral("Müller 小"));
    writeFile(path, first.toUtf8() + "\r\nsecond line\n");

    QString title, directory;
    auto driver = chooseFile(path, &title, &directory);
    send(message({{"msgType", "openAnimation"}}));

    QVERIFY(driver->seen());
    QCOMPARE(title, QStringLiteral("Open Animation"));
    QCOMPARE(replies().size(), 1);
    QCOMPARE(replies().first().value("msgType").toString(), QStringLiteral("openAnimationResponse"));
    QCOMPARE(replies().first().value("json").toString(), first);
}

void tst_mainWindow::emptyFileEndsInPageReport()
{
    // An empty file still answers, with empty text, which the page rejects
    // and reports back; the user sees its reason.
    const QString empty = m_dir.filePath(QStringLiteral("empty.anim"));
    writeFile(empty, QByteArray());
    QString text, detail;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        text = b->text();
        detail = b->informativeText();
        b->accept();
    });
    m_window->openAnimation(empty);
    QVERIFY(box->seen());
    QCOMPARE(replies().size(), 1);
    QCOMPARE(replies().last().value("json").toString(), QStringLiteral(""));
    QVERIFY(!replies().last().value("json").toString().isNull());
    QCOMPARE(text, QStringLiteral("Error Opening Animation File"));
    QCOMPARE(detail, QStringLiteral("Error parsing JSON"));
}

void tst_mainWindow::openCancelledSendsNothing()
{
    auto driver = cancelFileDialog();
    const QString before = m_window->lastUsedFolder();
    send(message({{"msgType", "openAnimation"}}));
    QVERIFY(driver->seen());
    QCOMPARE(replies().size(), 0);
    QCOMPARE(m_window->lastUsedFolder(), before);
}

void tst_mainWindow::openMissingFileShowsReason()
{
    QString title, text;
    auto driver = ModalDriver::answer<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    m_window->openAnimation(m_dir.filePath(QStringLiteral("no-such-drill.anim")));
    QVERIFY(driver->seen());
    QCOMPARE(title, QStringLiteral("Error Opening Animation File"));
    QVERIFY2(text.contains(QStringLiteral("No such file")), qPrintable(text));
    QCOMPARE(replies().size(), 0);

    // A folder is no animation file either.
    auto second = ModalDriver::answer<QMessageBox>([](QMessageBox *box) { box->accept(); });
    m_window->openAnimation(m_dir.path());
    QVERIFY(second->seen());
    QCOMPARE(replies().size(), 0);
}

void tst_mainWindow::saveWritesTextExactly()
{
    const QString path = m_dir.filePath(QStringLiteral("saved drill.anim"));
    const QString text = QString::fromUtf8("{\"signature\":\"OVRI_Animation\",\"caption\":\"Ciarán – 小 ⚽\"}");
    QString title, directory;
    auto driver = chooseFile(path, &title, &directory);
    send(message({{"msgType", "saveAnimation"}, {"strToSave", text}}));

    QVERIFY(driver->seen());
    QCOMPARE(title, QStringLiteral("Save Animation"));
    QCOMPARE(readFile(path), text.toUtf8());
    QCOMPARE(replies().size(), 0); // a good save is silent
}

void tst_mainWindow::saveCancelledWritesNothing()
{
    auto driver = cancelFileDialog();
    send(message({{"msgType", "saveAnimation"}, {"strToSave", "x"}}));
    QVERIFY(driver->seen());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("untitled")).size(), 0);
}

void tst_mainWindow::saveToUnwritablePlaceShowsError()
{
    // Root ignores permissions, so the target lies under a regular file.
    const QString plain = m_dir.filePath(QStringLiteral("plain.txt"));
    writeFile(plain, "keep me");
    const QString target = plain + QStringLiteral("/drill.anim");

    QString title;
    auto errorBox = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        title = b->windowTitle();
        b->accept();
    });
    auto chooser = chooseFile(target);
    send(message({{"msgType", "saveAnimation"}, {"strToSave", "new text"}}));
    QVERIFY(chooser->seen());
    QVERIFY(errorBox->seen());
    QCOMPARE(title, QStringLiteral("error"));
    QCOMPARE(readFile(plain), QByteArray("keep me"));
}

void tst_mainWindow::lastUsedFolderFollowsPickedFiles()
{
    const QStringList documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    QCOMPARE(m_window->lastUsedFolder(), documents.value(0));

    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("club/drills")));
    const QString drill = m_dir.filePath(QStringLiteral("club/drills/corner.anim"));
    writeFile(drill, animationText(QStringLiteral("Corner")).toUtf8());
    m_window->openAnimation(drill);
    QCOMPARE(m_window->lastUsedFolder(), m_dir.filePath(QStringLiteral("club/drills")));

    // The next save proposes the opened file itself: the drill is its.
    QString proposed;
    auto driver = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        proposed = QDir(d->directory()).filePath(d->selectedFiles().value(0).section(QLatin1Char('/'), -1));
        d->reject();
    });
    send(message({{"msgType", "saveAnimation"}, {"strToSave", "x"}}));
    QVERIFY(driver->seen());
    QCOMPARE(proposed, drill);
    QCOMPARE(m_window->currentFile(), drill);
}

void tst_mainWindow::errorOpeningFileShowsPageReason()
{
    QString text, detail;
    QWidget *parent = nullptr;
    auto driver = ModalDriver::answer<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        detail = box->informativeText();
        parent = box->parentWidget();
        box->accept();
    });
    send(message({{"msgType", "errorOpeningFile"}, {"errorInfo", "Error parsing JSON"}}));
    QVERIFY(driver->seen());
    QCOMPARE(text, QStringLiteral("Error Opening Animation File"));
    QCOMPARE(detail, QStringLiteral("Error parsing JSON"));
    QCOMPARE(parent, m_window.data());
    QCOMPARE(replies().size(), 0);
}

// Whatever a file or the page holds is shown literally and within bounds:
// markup would otherwise make the box load pictures from the disk (or read
// /dev/zero), and a long reason would make it as wide as the text. Devices
// and pipes are refused by the box at once, unread (CTest's time limit
// catches a hang).
void tst_mainWindow::reportsAreShownAsPlainText_data()
{
    QTest::addColumn<QString>("msgType");  // a page report, or "open" for a path
    QTest::addColumn<QString>("detail");   // the report's errorInfo, or the path
    QTest::addColumn<QString>("text");     // the box's main text
    QTest::addColumn<QString>("shown");    // what it shows as the reason

    const QString markup = QStringLiteral("Object 1: unknown item type \"<img src=/dev/zero>\"");
    const QString opening = QStringLiteral("Error Opening Animation File");
    QTest::newRow("page report with markup") << "errorOpeningFile" << markup << opening << markup;
    QTest::newRow("refused save with markup") << "errorSavingFile" << QStringLiteral("<b>bold</b>")
                                              << QStringLiteral("Error Saving Animation File")
                                              << QStringLiteral("<b>bold</b>");
    const QString longReason(5000, QLatin1Char('w'));
    QTest::newRow("a reason of 5000 characters") << "errorOpeningFile" << longReason << opening
                                                 << longReason.left(1000) + QChar(0x2026);
    QTest::newRow("/dev/zero") << "open" << QStringLiteral("/dev/zero") << QStringLiteral("This is a device, not an animation file.") << QString();
    QTest::newRow("a FIFO with no writer") << "open" << QStringLiteral("@fifo")
                                           << QStringLiteral("This is a pipe, not an animation file.") << QString();
}

void tst_mainWindow::reportsAreShownAsPlainText()
{
    QFETCH(QString, msgType);
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QString boxText, boxDetail;
    QList<Qt::TextFormat> formats;
    auto driver = ModalDriver::answer<QMessageBox>([&](QMessageBox *box) {
        boxText = box->text();
        boxDetail = box->informativeText();
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (!label->text().isEmpty() && label->pixmap() == nullptr)
                formats << label->textFormat();
        }
        box->accept();
    });
    if (msgType == QLatin1String("open")) {
        if (detail == QLatin1String("@fifo")) {
            detail = m_dir.filePath(QStringLiteral("pipe.anim"));
            QCOMPARE(::mkfifo(QFile::encodeName(detail).constData(), 0644), 0);
        }
        m_window->openAnimation(detail);
    } else {
        send(message({{"msgType", msgType}, {"errorInfo", detail}}));
    }
    QVERIFY(driver->seen());
    QCOMPARE(boxText, text);
    QCOMPARE(boxDetail, shown);
    QVERIFY(!formats.isEmpty());
    for (Qt::TextFormat format : formats)
        QCOMPARE(format, Qt::PlainText);
    QCOMPARE(m_sent->count(), 0);
}

// Qt delivers a drop only to the widget that accepted the drag's entry, as
// the window system would; the drop lands on the page area.
void tst_mainWindow::dropOnWindow(QMimeData *data)
{
    QWidget *page = m_window->findChild<QWebView *>();
    const QPoint onPage(300, 300);
    QDragEnterEvent enter(onPage, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &enter);
    QDropEvent drop(onPage, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &drop);
}

void tst_mainWindow::dropOpensFirstLocalFile()
{
    const QString first = m_dir.filePath(QStringLiteral("first.anim"));
    const QString second = m_dir.filePath(QStringLiteral("second.anim"));
    writeFile(first, animationText(QStringLiteral("first")).toUtf8() + "\nrest");
    writeFile(second, animationText(QStringLiteral("second")).toUtf8());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    dropOnWindow(&data);

    QCOMPARE(replies().size(), 1);
    QCOMPARE(replies().first().value("json").toString(), animationText(QStringLiteral("first")));
    QCOMPARE(m_window->lastUsedFolder(), m_dir.path());
}

void tst_mainWindow::dropWithoutUrlsIsIgnored()
{
    QMimeData data;
    data.setText(QStringLiteral("just some text"));
    auto driver = ModalDriver::answer<QDialog>([](QDialog *d) { d->reject(); }, 300);
    dropOnWindow(&data);
    QTest::qWait(350);
    QVERIFY(!driver->seen());
    // Gone, so that on a busy machine it cannot take the next dialog.
    driver.reset();
    QCOMPARE(replies().size(), 0);

    // A link that is not a local file becomes an empty path: the user is
    // asked for a file, as with the toolbar's open command.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/drill.anim"))});
    auto asked = cancelFileDialog();
    dropOnWindow(&web);
    QVERIFY(asked->seen());
    QCOMPARE(replies().size(), 0);
}

void tst_mainWindow::dragOfAnyKindIsAccepted()
{
    QMimeData data;
    data.setText(QStringLiteral("plain text"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(m_window.data(), &enter);
    QVERIFY(enter.isAccepted());
}

void tst_mainWindow::reportAsksForFileAndShowsProgress()
{
    const QString path = m_dir.filePath(QStringLiteral("reports/Under 12s.pdf"));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("reports")));
    QString title, proposed, filter;
    auto driver = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        proposed = QDir(d->directory()).filePath(d->selectedFiles().value(0).section(QLatin1Char('/'), -1));
        filter = d->nameFilters().join(QLatin1Char(';'));
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    const QString startFolder = m_window->lastUsedFolder();
    send(message({{"msgType", "exportPdf"}}));

    QVERIFY(driver->seen());
    QCOMPARE(title, QStringLiteral("Save Report"));
    QCOMPARE(QFileInfo(proposed), QFileInfo(startFolder + QStringLiteral("/Report.pdf")));
    QCOMPARE(filter, QStringLiteral("PDF Files (*.pdf)"));
    QCOMPARE(replies(), QList<QVariantMap>() << message({{"msgType", "exportPdfResponse"}}));
    QCOMPARE(m_window->lastUsedFolder(), m_dir.filePath(QStringLiteral("reports")));

    auto *progress = m_window->findChild<QProgressDialog *>();
    QVERIFY(progress);
    QCOMPARE(progress->parentWidget(), m_window->findChild<QWebView *>());
    QCOMPARE(progress->labelText(), QStringLiteral("Generating PDF report..."));
    QCOMPARE(progress->findChild<QPushButton *>()->text(), QStringLiteral("Cancel"));
    QCOMPARE(progress->windowModality(), Qt::WindowModal);
    QCOMPARE(progress->minimumDuration(), 500);
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 0);

    // The page's share of pictures done, read as a whole number.
    send(message({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0 / 3}}));
    QCOMPARE(progress->value(), 33);
}

void tst_mainWindow::reportSaveCancelledSendsNothing()
{
    auto driver = cancelFileDialog();
    send(message({{"msgType", "exportPdf"}}));
    QVERIFY(driver->seen());
    QCOMPARE(m_sent->count(), 0);
    QVERIFY(!m_window->findChild<QProgressDialog *>());
}

namespace {
const QByteArray Pdf("%PDF-1.3\n1 0 obj\n<<>>\nendobj\n%%EOF\n");
const QString PdfDataUrl = QStringLiteral("data:application/pdf;filename=generated.pdf;base64,")
    + QString::fromLatin1(Pdf.toBase64());
enum class Cancel { Never, BeforeProgress, BeforeData };
} // namespace
Q_DECLARE_METATYPE(Cancel)

void tst_mainWindow::reportWriting_data()
{
    QTest::addColumn<bool>("exportRunning");
    QTest::addColumn<Cancel>("cancel");
    QTest::addColumn<QString>("target");      // in a folder holding "old.pdf" and "plain.txt"
    QTest::addColumn<QString>("pdfData");
    QTest::addColumn<QString>("errorShown");  // part of the "error" box's text; empty: no box
    QTest::addColumn<bool>("written");

    QTest::newRow("written over an earlier report")
        << true << Cancel::Never << "old.pdf" << PdfDataUrl << "" << true;
    QTest::newRow("cancelled, noticed at a progress step")
        << true << Cancel::BeforeProgress << "old.pdf" << PdfDataUrl << "" << false;
    QTest::newRow("cancelled, noticed with the document")
        << true << Cancel::BeforeData << "new.pdf" << PdfDataUrl << "" << false;
    QTest::newRow("no export running") << false << Cancel::Never << "old.pdf" << PdfDataUrl << "" << false;
    QTest::newRow("not a PDF data URL")
        << true << Cancel::Never << "old.pdf" << "data:application/pdf;base64,PGh0bWw+"
        << "not a PDF document" << false;
    QTest::newRow("no comma") << true << Cancel::Never << "new.pdf" << "garbage" << "could not be saved" << false;
    QTest::newRow("a folder that is a file")
        << true << Cancel::Never << "plain.txt/report.pdf" << PdfDataUrl << "Not a directory" << false;
}

void tst_mainWindow::reportWriting()
{
    QFETCH(bool, exportRunning);
    QFETCH(Cancel, cancel);
    QFETCH(QString, target);
    QFETCH(QString, pdfData);
    QFETCH(QString, errorShown);
    QFETCH(bool, written);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("old.pdf")), "earlier report");
    writeFile(dir.filePath(QStringLiteral("plain.txt")), "keep me");
    const QString path = dir.filePath(target);
    const QByteArray before = readFile(path);
    const bool existed = QFileInfo::exists(path);

    if (exportRunning) {
        auto chooser = chooseFile(path);
        // The file dialog asks before it lets an existing file be replaced.
        auto replace = ModalDriver::answer<QMessageBox>([](QMessageBox *b) {
            b->button(QMessageBox::Yes)->click();
        }, existed ? 5000 : 0);
        send(message({{"msgType", "exportPdf"}}));
        QVERIFY(chooser->seen());
        QCOMPARE(replace->seen(), existed);
    }
    QPointer<QProgressDialog> progress = m_window->findChild<QProgressDialog *>();
    QCOMPARE(!progress.isNull(), exportRunning);

    send(message({{"msgType", "updatePdfProgress"}, {"progressPercent", 50.0}}));
    if (cancel == Cancel::BeforeProgress) {
        progress->cancel();
        send(message({{"msgType", "updatePdfProgress"}, {"progressPercent", 100.0}}));
        QVERIFY2(progress.isNull(), "a cancelled export ends at the next progress step");
    }
    if (cancel == Cancel::BeforeData)
        progress->cancel();

    QString title, text;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        title = b->windowTitle();
        text = b->text();
        b->accept();
    }, errorShown.isEmpty() ? 300 : 5000);
    send(message({{"msgType", "writePdfData"}, {"pdfData", pdfData}}));
    QTest::qWait(errorShown.isEmpty() ? 350 : 0);

    QCOMPARE(box->seen(), !errorShown.isEmpty());
    if (box->seen()) {
        QCOMPARE(title, QStringLiteral("error"));
        QVERIFY2(text.contains(errorShown), qPrintable(text));
    }
    QCOMPARE(readFile(path), written ? Pdf : before);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("keep me"));
    QVERIFY(progress.isNull());
    QCOMPARE(m_sent->count(), exportRunning ? 1 : 0);
}

// The command line's report (whose files the end-to-end tests read): a
// failure ends it through exportFinished(), not a message box nobody sees.
void tst_mainWindow::hiddenReport_data()
{
    QTest::addColumn<QString>("target");     // in a folder holding "plain.txt"
    QTest::addColumn<bool>("pageFailsAtOnce");
    QTest::addColumn<QString>("error");      // part of exportFinished's text

    QTest::newRow("a report the page cannot build, answered inside the request")
        << "report.pdf" << true << "did not deliver a PDF document";
    QTest::newRow("a folder that is a file") << "plain.txt/report.pdf" << false << "Not a directory";
}

void tst_mainWindow::hiddenReport()
{
    QFETCH(QString, target);
    QFETCH(bool, pageFailsAtOnce);
    QFETCH(QString, error);

    m_window.reset(new mainWindow(mainWindow::Presentation::Hidden));
    QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
    QVERIFY(loaded.wait(20000));
    if (pageFailsAtOnce) {
        m_window->findChild<QWebView *>()->page()->mainFrame()->evaluateJavaScript(QStringLiteral(
            "pageShell.pdfReport.build = function (request, callbacks) {"
            "    callbacks.failed(new Error('no jsPDF')); return true; };"));
    }
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain.txt")), "keep me");
    const QString path = dir.filePath(target);
    QSignalSpy finished(m_window.data(), &mainWindow::exportFinished);
    QSignalSpy reported(m_window.data(), &mainWindow::problemReported);

    m_window->exportPdfTo(path);
    QVERIFY(finished.count() == 1 || finished.wait(30000));
    QTest::qWait(50);

    QCOMPARE(finished.count(), 1);
    const QString said = finished.first().first().toString();
    QVERIFY2(said.contains(error) && said.contains(QDir::toNativeSeparators(path)), qPrintable(said));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(reported.count(), 1);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("keep me"));
    QVERIFY(!m_window->findChild<QProgressDialog *>());
}

void tst_mainWindow::aboutReplacesEarlierDialog()
{
    send(message({{"msgType", "showAboutInfo"}}));
    QPointer<QWidget> first = m_window->findChild<QWidget *>(QStringLiteral("aboutDialog"));
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowTitle(), QStringLiteral("About Drillmora"));
    first->hide();

    send(message({{"msgType", "showAboutInfo"}}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    const auto dialogs = m_window->findChildren<QWidget *>(QStringLiteral("aboutDialog"));
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(dialogs.first()->isVisible());
    QCOMPARE(replies().size(), 0);
}

namespace {

QByteArray encodedPicture(const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Answers the message box about to open with OK, recording its texts.
std::unique_ptr<ModalDriver> acceptBox(QStringList *texts)
{
    return ModalDriver::answer<QMessageBox>([texts](QMessageBox *box) {
        *texts << box->windowTitle() << box->text();
        box->accept();
    });
}

} // namespace

void tst_mainWindow::logoChosenIsSentNormalised()
{
    const QString path = m_dir.filePath(QStringLiteral("crest.png"));
    writeFile(path, encodedPicture({512, 256}, "PNG"));
    QString title;
    auto dialog = chooseFile(path, &title);
    send(message({{"msgType", "selectLogo"}}));
    QVERIFY(dialog->seen());
    QCOMPARE(title, QStringLiteral("Open Logo Image"));
    QCOMPARE(m_window->lastUsedFolder(), m_dir.path());

    QCOMPARE(m_sent->count(), 1);
    const QVariantMap reply = replies().first();
    QCOMPARE(reply.value("msgType").toString(), QStringLiteral("setLogoImage"));
    const QString url = reply.value("image").toString();
    QVERIFY(url.startsWith(QStringLiteral("data:image/png;base64,")));
    QImage logo;
    QVERIFY(logo.loadFromData(QByteArray::fromBase64(url.mid(url.indexOf(',') + 1).toLatin1()), "PNG"));
    QCOMPARE(logo.size(), QSize(256, 256));
    QCOMPARE(qAlpha(logo.pixel(128, 10)), 0);
    QCOMPARE(qAlpha(logo.pixel(128, 128)), 255);
}

void tst_mainWindow::logoUnreadableIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QByteArray("not a picture\n");
    QTest::newRow("truncated JPEG") << encodedPicture({64, 64}, "JPEG").left(100);
}

void tst_mainWindow::logoUnreadableIsRefused()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("crest.txt"));
    writeFile(path, bytes);
    auto dialog = chooseFile(path);
    QStringList texts;
    auto box = acceptBox(&texts);
    send(message({{"msgType", "selectLogo"}}));
    QVERIFY(dialog->seen());
    QVERIFY(box->seen());
    QCOMPARE(texts, QStringList({"Error Opening File", "Unable to open the specified image file."}));
    QCOMPARE(m_sent->count(), 0);
}

void tst_mainWindow::logoDialogCancelledSendsNothing()
{
    auto dialog = cancelFileDialog();
    send(message({{"msgType", "selectLogo"}}));
    QVERIFY(dialog->seen());
    QCOMPARE(m_sent->count(), 0);
}

void tst_mainWindow::snapshotGoesToClipboard_data()
{
    QTest::addColumn<QString>("imageData");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QSize>("onClipboard");

    const QString jpeg = QStringLiteral("data:image/jpeg;base64,")
        + QString::fromLatin1(encodedPicture({1024, 768}, "JPEG").toBase64());
    QTest::newRow("a picture") << jpeg << "Snapshot copied to the clipboard." << QSize(1024, 768);
    QTest::newRow("not a picture") << "data:image/jpeg;base64,AAAA"
                                   << "The snapshot could not be copied to the clipboard." << QSize();
    QTest::newRow("no payload") << "" << "The snapshot could not be copied to the clipboard." << QSize();
}

void tst_mainWindow::snapshotGoesToClipboard()
{
    QFETCH(QString, imageData);
    QFETCH(QString, boxText);
    QFETCH(QSize, onClipboard);

    QApplication::clipboard()->setText(QStringLiteral("before"));
    QStringList texts;
    auto box = acceptBox(&texts);
    send(message({{"msgType", "snapshotImage"}, {"frameWidth", 1024.0}, {"frameHeight", 768.0},
                  {"imageData", imageData}}));
    QVERIFY(box->seen());
    QCOMPARE(texts.value(1), boxText);
    const QImage held = QApplication::clipboard()->image();
    QCOMPARE(held.isNull() ? QSize() : held.size(), onClipboard);
    if (onClipboard.isEmpty())
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(m_sent->count(), 0);
}

DRILLMORA_WINDOW_TEST_MAIN(tst_mainWindow)
#include "tst_mainWindow.moc"
