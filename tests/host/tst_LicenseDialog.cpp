// The licence-text dialog with a real "license.txt" beside the executable:
// what it shows, what happens without the file, and its lifetime.
#include "LicenseDialog.h"
#include "DialogTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QString u16(const char16_t *units)
{
    return QString::fromUtf16(units);
}

QTextBrowser *browserOf(QWidget *dialog)
{
    return dialog->findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
}

QPushButton *closeButtonOf(QWidget *dialog)
{
    return dialog->findChild<QPushButton *>(QStringLiteral("closeButton"));
}

} // namespace

class tst_LicenseDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void textShown_data();
    void textShown();
    void htmlShownFormatted_data();
    void htmlShownFormatted();
    void missingFile_data();
    void missingFile();
    void closeButtonDeletes();
    void windowCloseOnlyHides();
    void windowForm();
    void fileFoundWhereInstalled_data();
    void fileFoundWhereInstalled();

private:
    void writeLicense(const QByteArray &bytes);

    QTextCodec *m_originalLocaleCodec = nullptr;
    QByteArray m_earlierLicense;
    bool m_hadLicense = false;
};

void tst_LicenseDialog::initTestCase()
{
    quietOffscreenWarnings();
    m_originalLocaleCodec = QTextCodec::codecForLocale();

    // A licence file left beside the executable by a build is put back at
    // the end.
    QFile license(LicenseDialog::licenseFilePath());
    m_hadLicense = QFileInfo(license).isFile();
    if (m_hadLicense) {
        QVERIFY(license.open(QIODevice::ReadOnly));
        m_earlierLicense = license.readAll();
    }
}

void tst_LicenseDialog::cleanupTestCase()
{
    if (m_hadLicense)
        writeLicense(m_earlierLicense);
}

void tst_LicenseDialog::cleanup()
{
    cancelPendingAnswers();
    QTextCodec::setCodecForLocale(m_originalLocaleCodec);
    const QString path = LicenseDialog::licenseFilePath();
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

void tst_LicenseDialog::writeLicense(const QByteArray &bytes)
{
    QFile license(LicenseDialog::licenseFilePath());
    QVERIFY(license.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(license.write(bytes), qint64(bytes.size()));
}

void tst_LicenseDialog::textShown_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain text") << QByteArray("Drillmora\nCopyright (c) 2026 Norrick Limited\n\nPermission is granted.")
                                << QStringLiteral("Drillmora\nCopyright (c) 2026 Norrick Limited\n\nPermission is granted.");
    QTest::newRow("Windows line endings") << QByteArray("Drillmora\r\nCopyright (c) 2026\r\n\r\nPermission.\r\n")
                                          << QStringLiteral("Drillmora\nCopyright (c) 2026\n\nPermission.\n");
    // Tags further down (as in the GPL's "<name of author>") do not make a
    // plain licence rich text.
    QTest::newRow("angle brackets after the first line")
        << QByteArray("Notices\nCopyright (C) <year> <name of author>\n<https://www.gnu.org/licenses/>")
        << QStringLiteral("Notices\nCopyright (C) <year> <name of author>\n<https://www.gnu.org/licenses/>");
    QTest::newRow("UTF-8 names") << QByteArray("\xC2\xA9 Ciar\xC3\xA1n M\xC3\xBCller \xE5\xB0\x8F")
                                 << u16(u"\u00A9 Ciar\u00E1n M\u00FCller \u5C0F");
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBFLicence\r\n") << QStringLiteral("Licence\n");
    QTest::newRow("UTF-16 LE BOM, Windows line endings")
        << QByteArray("\xFF\xFE" "a\0\r\0\n\0\xE9\0", 10) << u16(u"a\n\u00E9");
    QTest::newRow("legacy Latin-1") << QByteArray("\xA9 2026 Norrick\r\n") << u16(u"\u00A9 2026 Norrick\n");
}

void tst_LicenseDialog::textShown()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    writeLicense(bytes);

    LicenseDialog dialog;
    QTextBrowser *browser = browserOf(&dialog);
    QVERIFY(browser);
    QCOMPARE(browser->toPlainText(), expected);
    QVERIFY(!browser->toPlainText().contains(QLatin1Char('\r')));
    QVERIFY(browser->isReadOnly());
}

void tst_LicenseDialog::htmlShownFormatted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("HTML document")
        << QByteArray("<html><body><h1>Licence</h1><p>Use <b>freely</b> &amp; share.</p></body></html>")
        << QStringLiteral("Licence\nUse freely & share.");
    QTest::newRow("HTML fragment, Windows line endings")
        << QByteArray("<p>Use <b>freely</b>.</p>\r\n<p>Second paragraph.</p>")
        << QStringLiteral("Use freely.\nSecond paragraph.");
    QTest::newRow("UTF-8 BOM before the markup")
        << QByteArray("\xEF\xBB\xBF<p>Use <b>freely</b>, Ciar\xC3\xA1n.</p>") << u16(u"Use freely, Ciar\u00E1n.");
}

void tst_LicenseDialog::htmlShownFormatted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    writeLicense(bytes);

    LicenseDialog dialog;
    QTextBrowser *browser = browserOf(&dialog);
    QVERIFY(browser);
    QCOMPARE(browser->toPlainText(), expected);

    const QTextCursor word = browser->document()->find(QStringLiteral("freely"));
    QVERIFY(!word.isNull());
    QCOMPARE(word.charFormat().fontWeight(), int(QFont::Bold));
    const QTextCursor plain = browser->document()->find(QStringLiteral("Use"));
    QVERIFY(!plain.isNull());
    QCOMPARE(plain.charFormat().fontWeight(), int(QFont::Normal));
}

void tst_LicenseDialog::missingFile_data()
{
    QTest::addColumn<bool>("folderInTheWay");

    QTest::newRow("no file") << false;
    QTest::newRow("a folder named license.txt") << true;
}

void tst_LicenseDialog::missingFile()
{
    QFETCH(bool, folderInTheWay);
    if (folderInTheWay)
        QVERIFY(QDir().mkpath(LicenseDialog::licenseFilePath()));

    int boxes = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QWidget *parent = nullptr;
    answerModal<QMessageBox>([&](QMessageBox *box) {
        ++boxes;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        parent = box->parentWidget();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        if (box->buttons().size() == 1)
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
    });

    QScopedPointer<LicenseDialog> dialog(new LicenseDialog);
    QCOMPARE(boxes, 1);
    QCOMPARE(title, QStringLiteral("Not Found"));
    QCOMPARE(text, QStringLiteral("Error: License file not found"));
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(parent, static_cast<QWidget *>(dialog.data()));

    // The dialog still opens, empty.
    QTextBrowser *browser = browserOf(dialog.data());
    QVERIFY(browser);
    QVERIFY(browser->document()->isEmpty());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
}

void tst_LicenseDialog::closeButtonDeletes()
{
    writeLicense("Licence\n");
    QWidget about;
    QPointer<LicenseDialog> dialog = new LicenseDialog(&about);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));

    QTest::mouseClick(closeButtonOf(dialog), Qt::LeftButton);
    QVERIFY(!dialog.isNull());
    QVERIFY(!dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void tst_LicenseDialog::windowCloseOnlyHides()
{
    writeLicense("Licence\n");
    QWidget about;
    QPointer<LicenseDialog> dialog = new LicenseDialog(&about);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));

    // The window's own close button: hidden, and deleted only with its
    // parent.
    QVERIFY(dialog->close());
    QVERIFY(!dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!dialog.isNull());
}

void tst_LicenseDialog::windowForm()
{
    writeLicense("Licence\n");
    QWidget about;
    LicenseDialog *dialog = new LicenseDialog(&about);

    QCOMPARE(dialog->windowTitle(), QStringLiteral("License Information"));
    // Its own window even though the About dialog owns it.
    QVERIFY(dialog->isWindow());
    QCOMPARE(dialog->parentWidget(), &about);
    QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog->minimumSize(), QSize(401, 430));
    QCOMPARE(dialog->maximumSize(), QSize(401, 430));
    QPushButton *close = closeButtonOf(dialog);
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Close"));

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->size(), QSize(401, 430));
    QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget *>(dialog));
}

QTEST_MAIN(tst_LicenseDialog)
// A build keeps the file beside the program; an installed program
// (prefix/bin) finds it in prefix/share/drillmora.
void tst_LicenseDialog::fileFoundWhereInstalled_data()
{
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beside only") << true << false << "bin/license.txt";
    QTest::newRow("installed only") << false << true << "share/drillmora/license.txt";
    QTest::newRow("both: beside wins") << true << true << "bin/license.txt";
    QTest::newRow("neither: reported beside") << false << false << "bin/license.txt";
}

void tst_LicenseDialog::fileFoundWhereInstalled()
{
    QFETCH(bool, beside);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")) && root.mkpath(QStringLiteral("share/drillmora")));
    for (const auto &file : {qMakePair(beside, QStringLiteral("bin/license.txt")),
                             qMakePair(installed, QStringLiteral("share/drillmora/license.txt"))}) {
        QFile f(root.filePath(file.second));
        if (file.first)
            QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(LicenseDialog::licenseFilePathFor(root.filePath(QStringLiteral("bin"))), root.filePath(expected));
}

#include "tst_LicenseDialog.moc"
