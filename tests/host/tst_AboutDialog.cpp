// The About dialog: the information it shows, its buttons and its lifetime.
#include "AboutDialog.h"
#include "ApplicationIdentity.h"
#include "LicenseDialog.h"
#include "DialogTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const char kLicenseText[] = "Drillmora licence for tests\n";

// The paragraphs of rich text as the text engine lays them out.
QStringList paragraphsOf(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    QStringList paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        paragraphs << block.text();
    return paragraphs;
}

} // namespace

// Receives the addresses the dialog asks the desktop to open, instead of a
// browser being started.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void openUrl(const QUrl &url) { urls << url; }
};

class tst_AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void informationText();
    void placeholdersComeFromApplication_data();
    void placeholdersComeFromApplication();
    void windowForm();
    void closeHidesWithoutDeleting();
    void copyApplicationInfo();
    void webSiteLink();
    void onlineHelpOpensWebSite();
    void licenseInformationOpensLicenseDialog();

private:
    QLabel *infoLabel() const;
    QPushButton *button(const char *name) const;

    // Guarded: a dialog that deletes itself must not be deleted twice.
    QPointer<AboutDialog> m_dialog;
    QByteArray m_earlierLicense;
    bool m_hadLicense = false;
};

void tst_AboutDialog::initTestCase()
{
    quietOffscreenWarnings();
    ApplicationIdentity::apply();

    // A licence file beside the executable, so that "License Information"
    // opens without the "Not Found" box.
    QFile license(LicenseDialog::licenseFilePath());
    m_hadLicense = license.exists();
    if (m_hadLicense) {
        QVERIFY(license.open(QIODevice::ReadOnly));
        m_earlierLicense = license.readAll();
        license.close();
    }
    QVERIFY(license.open(QIODevice::WriteOnly | QIODevice::Truncate));
    license.write(kLicenseText);
}

void tst_AboutDialog::cleanupTestCase()
{
    QFile license(LicenseDialog::licenseFilePath());
    if (m_hadLicense) {
        QVERIFY(license.open(QIODevice::WriteOnly | QIODevice::Truncate));
        license.write(m_earlierLicense);
    } else {
        license.remove();
    }
}

void tst_AboutDialog::init()
{
    m_dialog = new AboutDialog;
}

void tst_AboutDialog::cleanup()
{
    delete m_dialog.data();
    ApplicationIdentity::apply();
}

QLabel *tst_AboutDialog::infoLabel() const
{
    return m_dialog->findChild<QLabel *>(QStringLiteral("appInfoLabel"));
}

QPushButton *tst_AboutDialog::button(const char *name) const
{
    return m_dialog->findChild<QPushButton *>(QLatin1String(name));
}

void tst_AboutDialog::informationText()
{
    QLabel *label = infoLabel();
    QVERIFY(label);
    QVERIFY2(!label->text().contains(QLatin1Char('$')), qPrintable(label->text()));
    QCOMPARE(label->textFormat(), Qt::RichText);

    const QStringList paragraphs = paragraphsOf(label->text());
    QCOMPARE(paragraphs.size(), 4);
    QCOMPARE(paragraphs.at(0), QStringLiteral("Drillmora"));
    QCOMPARE(paragraphs.at(1), QStringLiteral("version 1.0.1"));
    QCOMPARE(paragraphs.at(2), ApplicationIdentity::webSite().host());
    QVERIFY2(paragraphs.at(3).contains(QLatin1String("Norrick Limited")), qPrintable(paragraphs.at(3)));
}

void tst_AboutDialog::placeholdersComeFromApplication_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("organisation");

    QTest::newRow("Drillmora") << QStringLiteral("Drillmora") << QStringLiteral("1.0.1")
                               << QStringLiteral("Norrick Limited");
    // Another identity proves that the texts are read from the application
    // object when the dialog is built, not written into the form.
    QTest::newRow("another identity") << QStringLiteral("Drillmora Pro") << QStringLiteral("2.7.13")
                                      << QStringLiteral("Example Clubs Ltd");
}

void tst_AboutDialog::placeholdersComeFromApplication()
{
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(QString, organisation);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(version);
    QCoreApplication::setOrganizationName(organisation);

    AboutDialog dialog;
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("appInfoLabel"));
    QVERIFY(label);
    const QStringList paragraphs = paragraphsOf(label->text());
    QCOMPARE(paragraphs.size(), 4);
    QCOMPARE(paragraphs.at(0), name);
    QCOMPARE(paragraphs.at(1), QStringLiteral("version ") + version);
    QVERIFY2(paragraphs.at(3).contains(organisation), qPrintable(paragraphs.at(3)));
    QVERIFY(!label->text().contains(QLatin1Char('$')));
}

void tst_AboutDialog::windowForm()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("About Drillmora"));
    QVERIFY(m_dialog->isWindow());
    QCOMPARE(m_dialog->windowType(), Qt::Dialog);
    QCOMPARE(m_dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(m_dialog->minimumSize(), QSize(432, 284));
    QCOMPARE(m_dialog->maximumSize(), QSize(432, 284));

    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    QCOMPARE(m_dialog->size(), QSize(432, 284));
    QVERIFY(QApplication::activeModalWidget() == m_dialog.data());

    // The buttons a user sees, with their labels.
    const struct {
        const char *name;
        const char *text;
    } buttons[] = {{"closeButton", "Close"},
                   {"onlineHelpButton", "Online Help"},
                   {"copyInfoButton", "Copy Application Info"},
                   {"licenseInfoButton", "License Information"}};
    for (const auto &b : buttons) {
        QPushButton *found = button(b.name);
        QVERIFY2(found, b.name);
        QCOMPARE(found->text(), QString::fromLatin1(b.text));
        QVERIFY2(found->isVisible(), b.name);
    }
}

void tst_AboutDialog::closeHidesWithoutDeleting()
{
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));

    QTest::mouseClick(button("closeButton"), Qt::LeftButton);
    QVERIFY(!m_dialog.isNull());
    QVERIFY(!m_dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_dialog.isNull());

    // The main window keeps it and may show it again.
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
}

void tst_AboutDialog::copyApplicationInfo()
{
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    QApplication::clipboard()->setText(QStringLiteral("earlier clipboard content"));

    QString boxText = QStringLiteral("<no box>");
    QString boxTitle;
    QWidget *boxParent = nullptr;
    QString clipboardWhileBoxOpen;
    answerModal<QMessageBox>([&](QMessageBox *box) {
        boxText = box->text();
        boxTitle = box->windowTitle();
        boxParent = box->parentWidget();
        clipboardWhileBoxOpen = QApplication::clipboard()->text();
        box->accept();
    });
    QTest::mouseClick(button("copyInfoButton"), Qt::LeftButton);

    QCOMPARE(boxText, QStringLiteral("Information copied to the clipboard."));
    QVERIFY2(boxTitle.isEmpty(), qPrintable(boxTitle));
    QCOMPARE(boxParent, static_cast<QWidget *>(m_dialog.data()));

    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(clipboardWhileBoxOpen, copied);
    // One line per paragraph; the line break inside the notice gives a
    // further line.
    const QStringList lines = copied.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(0), QStringLiteral("Drillmora"));
    QCOMPARE(lines.at(1), QStringLiteral("version 1.0.1"));
    QCOMPARE(lines.at(2), ApplicationIdentity::webSite().host());
    QVERIFY2(lines.at(3).contains(QLatin1String("Norrick Limited")), qPrintable(lines.at(3)));
    QVERIFY(!lines.at(4).trimmed().isEmpty());
    for (const QString &line : lines)
        QCOMPARE(line, line.trimmed());
    // Plain text only: no markup, no placeholders, no paragraph or line
    // separator characters that other programs would not show as breaks.
    for (const QChar c : {QChar(u'<'), QChar(u'>'), QChar(u'$'), QChar(u'&'), QChar(QChar::ParagraphSeparator),
                          QChar(QChar::LineSeparator), QChar(u'\r')})
        QVERIFY2(!copied.contains(c), qPrintable(copied));
    const QMimeData *mime = QApplication::clipboard()->mimeData(QClipboard::Clipboard);
    QVERIFY(mime);
    QVERIFY(!mime->hasHtml());
}

void tst_AboutDialog::webSiteLink()
{
    QLabel *label = infoLabel();
    QVERIFY(label);
    QTextDocument document;
    document.setHtml(label->text());
    QStringList links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && !links.contains(format.anchorHref()))
                links << format.anchorHref();
        }
    }
    QCOMPARE(links, QStringList{ApplicationIdentity::webSite().toString()});
    // A click on it goes to the system browser, not to the label.
    QVERIFY(label->openExternalLinks());
    QVERIFY(label->textInteractionFlags() & Qt::LinksAccessibleByMouse);
}

void tst_AboutDialog::onlineHelpOpensWebSite()
{
    UrlCatcher catcher;
    const QString scheme = ApplicationIdentity::webSite().scheme();
    QDesktopServices::setUrlHandler(scheme, &catcher, "openUrl");
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));

    QTest::mouseClick(button("onlineHelpButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(scheme);

    QCOMPARE(catcher.urls, QList<QUrl>{ApplicationIdentity::webSite()});
}

void tst_AboutDialog::licenseInformationOpensLicenseDialog()
{
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    QVERIFY(m_dialog->findChildren<LicenseDialog *>().isEmpty());

    QTest::mouseClick(button("licenseInfoButton"), Qt::LeftButton);
    QList<LicenseDialog *> licenses = m_dialog->findChildren<LicenseDialog *>();
    QCOMPARE(licenses.size(), 1);
    QPointer<LicenseDialog> first(licenses.first());
    QVERIFY(first->isWindow());
    QVERIFY(first->isVisible());
    auto *browser = first->findChild<QTextBrowser *>();
    QVERIFY(browser);
    QCOMPARE(browser->toPlainText(), QString::fromLatin1(kLicenseText));

    // Each press opens another one.
    button("licenseInfoButton")->click();
    licenses = m_dialog->findChildren<LicenseDialog *>();
    QCOMPARE(licenses.size(), 2);
    QPointer<LicenseDialog> second(licenses.at(0) == first ? licenses.at(1) : licenses.at(0));

    // They go with the About dialog.
    delete m_dialog.data();
    QVERIFY(first.isNull());
    QVERIFY(second.isNull());
}

QTEST_MAIN(tst_AboutDialog)
#include "tst_AboutDialog.moc"
