// The file named on the command line is opened once the page has loaded,
// after the splash has gone, so its errors are in view and its text reaches
// a page that is ready for it.
#include "AnimationText.h"
#include "ApplicationIdentity.h"
#include "ModalDriver.h"
#include "PrivateSettings.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QWindow>
#include <QtTest>

namespace {
enum class Case { Existing, Missing, None };
Case g_case = Case::None;
QString g_path;

bool splashShown()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QSplashScreen *>(w) && w->isVisible())
            return true;
    }
    return false;
}
} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void firstArgumentIsOpenedAfterLoading();
};

void tst_CommandLine::firstArgumentIsOpenedAfterLoading()
{
    ApplicationIdentity::apply();
    usePrivateSettings();
    bool splashAtReply = true;
    bool splashAtBox = true;
    QString boxTitle;
    auto box = ModalDriver::answer<QMessageBox>([&](QMessageBox *b) {
        splashAtBox = splashShown();
        boxTitle = b->windowTitle();
        b->accept();
    }, 8000);

    mainWindow window;
    auto *bridge = window.findChild<jsInterface *>();
    QSignalSpy sent(bridge, &jsInterface::sendMessage);
    connect(bridge, &jsInterface::sendMessage, this, [&] { splashAtReply = splashShown(); });
    QSignalSpy loaded(window.findChild<QWebView *>()->page()->mainFrame(), &QWebFrame::loadFinished);
    QVERIFY(loaded.wait(10000));

    // Once loaded, the page is told the sport to start with (none
    // remembered here), and only then is the file opened, whose sport wins.
    QTRY_VERIFY(sent.count() >= 1);
    QCOMPARE(sent.first().first().toMap().value("msgType").toString(), QStringLiteral("startAnimation"));
    QCOMPARE(sent.first().first().toMap().value("sport").toString(), QString());

    switch (g_case) {
    case Case::Existing:
        QTRY_COMPARE(sent.count(), 2);
        QCOMPARE(sent.last().first().toMap().value("msgType").toString(), QStringLiteral("openAnimationResponse"));
        QCOMPARE(sent.last().first().toMap().value("json").toString(),
                 animationText(QStringLiteral("opened from the command line")));
        QVERIFY(!splashAtReply);
        QVERIFY(!box->seen());
        QCOMPARE(window.currentFile(), QFileInfo(g_path).absoluteFilePath());
        QCOMPARE(window.windowHandle()->title(),
                 QString::fromUtf8("opened from the command line.anim \u2014 Drillmora"));
        break;
    case Case::Missing:
        QTRY_VERIFY(box->seen());
        QCOMPARE(boxTitle, QStringLiteral("Error Opening Animation File"));
        QVERIFY(!splashAtBox);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(window.currentFile(), QString());
        break;
    case Case::None:
        QTest::qWait(500);
        QVERIFY(!box->seen());
        QCOMPARE(sent.count(), 1);
        QCOMPARE(window.windowHandle()->title(), QStringLiteral("Drillmora"));
        break;
    }
}

// The case is chosen by the test's own first argument; the application
// object is given the program path plus the argument the case calls for,
// with an ignored extra one to show that only the first counts.
int main(int argc, char *argv[])
{
    const QByteArray choice = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    QTemporaryDir dir;
    QByteArray fileArgument;
    if (choice == "--open-existing") {
        g_case = Case::Existing;
        g_path = dir.filePath(QStringLiteral("opened from the command line.anim"));
        QFile f(g_path);
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(animationText(QStringLiteral("opened from the command line")).toUtf8() + "\nsecond line\n");
        f.close();
        fileArgument = QFile::encodeName(g_path);
    } else if (choice == "--open-missing") {
        g_case = Case::Missing;
        fileArgument = QFile::encodeName(dir.filePath(QStringLiteral("no such drill.anim")));
    }

    QByteArray extra("also-given-but-ignored.anim");
    char *appArgv[] = {argv[0], fileArgument.data(), extra.data(), nullptr};
    int appArgc = fileArgument.isEmpty() ? 1 : 3;
    QApplication app(appArgc, appArgv);
    tst_CommandLine test;
    char *testArgv[] = {argv[0], nullptr};
    return QTest::qExec(&test, 1, testArgv);
}

#include "tst_CommandLine.moc"
