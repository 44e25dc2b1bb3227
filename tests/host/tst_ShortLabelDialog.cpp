// The short-label prompt, run for real and answered from a timer the way a
// user would answer it.
#include "ShortLabelDialog.h"
#include "DialogTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const char *const kShortLabelMessage =
    "<html><body><p>Enter a short label for this player:<br>(maximum 4 characters)</p></body></html>";

QLineEdit *lineEditOf(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly);
}

void clickButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>();
    QPushButton *button = box ? box->button(which) : nullptr;
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

QString u16(const char16_t *units)
{
    return QString::fromUtf16(units);
}

bool hasUnpairedSurrogate(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace

class tst_ShortLabelDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultTextIsCutToFour_data();
    void defaultTextIsCutToFour();
    void typingStopsAtFour_data();
    void typingStopsAtFour();
    void longerInputKeepsFour_data();
    void longerInputKeepsFour();
    void limitDoesNotSplitACharacter_data();
    void limitDoesNotSplitACharacter();
    void okWithEmptyFieldReturnsEmptyText();
    void refusalReturnsEmptyText_data();
    void refusalReturnsEmptyText();
    void parentDestroyedWhileOpen();
    void ownMetaObject();
    void titleLabelAndEcho_data();
    void titleLabelAndEcho();

private:
    // The prompt as the main window runs it, with `defaultText` in the field.
    QString askShortLabel(const QString &defaultText, bool *ok)
    {
        return ShortLabelDialog::getText(m_parent.data(), QStringLiteral("Enter Label"),
                                         QStringLiteral("Short label:"), QLineEdit::Normal, defaultText, ok);
    }

    QScopedPointer<QWidget> m_parent;
};

void tst_ShortLabelDialog::initTestCase()
{
    quietOffscreenWarnings();
}

void tst_ShortLabelDialog::init()
{
    m_parent.reset(new QWidget);
    m_parent->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_parent.data()));
}

void tst_ShortLabelDialog::cleanup()
{
    m_parent.reset();
}

void tst_ShortLabelDialog::defaultTextIsCutToFour_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("6 characters") << QStringLiteral("ABCDEF") << QStringLiteral("ABCD");
    QTest::newRow("5 characters") << QStringLiteral("12345") << QStringLiteral("1234");
    QTest::newRow("6 non-ASCII characters") << u16(u"M\u00FCller") << u16(u"M\u00FCll");
    QTest::newRow("exactly 4") << QStringLiteral("Nr 9") << QStringLiteral("Nr 9");
    QTest::newRow("fewer than 4") << QStringLiteral("10") << QStringLiteral("10");
    QTest::newRow("empty") << QString() << QString();
}

void tst_ShortLabelDialog::defaultTextIsCutToFour()
{
    QFETCH(QString, defaultText);
    QFETCH(QString, expected);

    QString shown = QStringLiteral("<not shown>");
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        if (QLineEdit *edit = lineEditOf(dialog))
            shown = edit->text();
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    bool ok = false;
    const QString result = ShortLabelDialog::getText(m_parent.data(), QStringLiteral("Enter Label"),
                                                     QString::fromLatin1(kShortLabelMessage), QLineEdit::Normal,
                                                     defaultText, &ok);
    QCOMPARE(shown, expected);
    QVERIFY(ok);
    QCOMPARE(result, expected);
}

void tst_ShortLabelDialog::typingStopsAtFour_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fifth character refused") << QStringLiteral("ABCD") << QStringLiteral("E") << QStringLiteral("ABCD");
    QTest::newRow("typing into an empty field") << QString() << QStringLiteral("ABCDE") << QStringLiteral("ABCD");
    QTest::newRow("appending to a default") << QStringLiteral("12") << QStringLiteral("345") << QStringLiteral("1234");
    QTest::newRow("within the limit") << QString() << QStringLiteral("7") << QStringLiteral("7");
}

void tst_ShortLabelDialog::typingStopsAtFour()
{
    QFETCH(QString, defaultText);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    QString shown;
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        QLineEdit *edit = lineEditOf(dialog);
        QVERIFY(edit);
        edit->end(false);
        QTest::keyClicks(edit, typed);
        shown = edit->text();
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    bool ok = false;
    const QString result = askShortLabel(defaultText, &ok);
    QCOMPARE(shown, expected);
    QVERIFY(ok);
    QCOMPARE(result, expected);
}

void tst_ShortLabelDialog::longerInputKeepsFour_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paste over a selection") << "paste" << QStringLiteral("AB") << QStringLiteral("WXYZ99")
                                            << QStringLiteral("WXYZ");
    QTest::newRow("paste at the end") << "paste at end" << QStringLiteral("AB") << QStringLiteral("CDEF")
                                      << QStringLiteral("ABCD");
    QTest::newRow("insert over a selection") << "insert" << QStringLiteral("10") << QStringLiteral("123456")
                                             << QStringLiteral("1234");
    QTest::newRow("text set directly") << "setText" << QStringLiteral("10") << QStringLiteral("LONGER")
                                       << QStringLiteral("LONG");
}

void tst_ShortLabelDialog::longerInputKeepsFour()
{
    QFETCH(QString, how);
    QFETCH(QString, defaultText);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    QString shown;
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        QLineEdit *edit = lineEditOf(dialog);
        QVERIFY(edit);
        if (how == QLatin1String("paste") || how == QLatin1String("paste at end")) {
            QApplication::clipboard()->setText(input);
            if (how == QLatin1String("paste"))
                edit->selectAll();
            else
                edit->end(false);
            edit->paste();
        } else if (how == QLatin1String("insert")) {
            edit->selectAll();
            edit->insert(input);
        } else {
            edit->setText(input);
        }
        shown = edit->text();
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    bool ok = false;
    const QString result = askShortLabel(defaultText, &ok);
    QCOMPARE(shown, expected);
    QVERIFY(ok);
    QCOMPARE(result, expected);
}

void tst_ShortLabelDialog::limitDoesNotSplitACharacter_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("inserted");

    // A character outside the Basic Multilingual Plane is two UTF-16 code
    // units; cutting between them leaves half a character, which cannot be
    // encoded for the page.
    QTest::newRow("default with emoji across the limit") << u16(u"ABC\U0001F3C9") << QString();
    QTest::newRow("emoji typed as fourth character") << QStringLiteral("ABC") << u16(u"\U0001F3C9");
}

void tst_ShortLabelDialog::limitDoesNotSplitACharacter()
{
    QFETCH(QString, defaultText);
    QFETCH(QString, inserted);

    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        QLineEdit *edit = lineEditOf(dialog);
        QVERIFY(edit);
        edit->end(false);
        edit->insert(inserted);
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    bool ok = false;
    const QString result = askShortLabel(defaultText, &ok);
    QVERIFY(ok);
    QVERIFY2(!hasUnpairedSurrogate(result), qPrintable(QStringLiteral("%1 code units").arg(result.size())));
}

void tst_ShortLabelDialog::okWithEmptyFieldReturnsEmptyText()
{
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        QLineEdit *edit = lineEditOf(dialog);
        QVERIFY(edit);
        edit->clear();
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    bool ok = false;
    const QString result = askShortLabel(QStringLiteral("9"), &ok);
    // Confirmed empty text clears the label on the page, unlike a refusal.
    QVERIFY(ok);
    QVERIFY(result.isEmpty());
}

void tst_ShortLabelDialog::refusalReturnsEmptyText_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("window closed") << "close";
}

void tst_ShortLabelDialog::refusalReturnsEmptyText()
{
    QFETCH(QString, how);

    bool answered = false;
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        answered = true;
        QLineEdit *edit = lineEditOf(dialog);
        QVERIFY(edit);
        edit->setText(QStringLiteral("77"));
        if (how == QLatin1String("cancel"))
            clickButton(dialog, QDialogButtonBox::Cancel);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            dialog->close();
    });
    bool ok = true;
    const QString result = askShortLabel(QStringLiteral("9"), &ok);
    QVERIFY(answered);
    QVERIFY(!ok);
    QCOMPARE(result, QString());
}

void tst_ShortLabelDialog::parentDestroyedWhileOpen()
{
    // The parent (the web view) can go away while the prompt's nested event
    // loop runs; the prompt must then report a refusal, not touch the dead
    // dialog.
    QPointer<QWidget> parent = new QWidget;
    parent->show();
    answerModal<QInputDialog>([&](QInputDialog *) { delete parent.data(); });
    bool ok = true;
    const QString result = ShortLabelDialog::getText(parent.data(), QStringLiteral("Enter Label"),
                                                     QStringLiteral("Short label:"), QLineEdit::Normal,
                                                     QStringLiteral("9"), &ok);
    QVERIFY(parent.isNull());
    QVERIFY(!ok);
    QCOMPARE(result, QString());
}

void tst_ShortLabelDialog::ownMetaObject()
{
    QCOMPARE(ShortLabelDialog::staticMetaObject.className(), "ShortLabelDialog");
    QCOMPARE(ShortLabelDialog::staticMetaObject.superClass(), &QInputDialog::staticMetaObject);

    QByteArray runningClass;
    QWidget *runningParent = nullptr;
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        runningClass = dialog->metaObject()->className();
        runningParent = dialog->parentWidget();
        dialog->reject();
    });
    ShortLabelDialog::getText(m_parent.data(), QStringLiteral("Enter Label"), QStringLiteral("Short label:"));
    QCOMPARE(runningClass, QByteArray("ShortLabelDialog"));
    QCOMPARE(runningParent, m_parent.data());
}

void tst_ShortLabelDialog::titleLabelAndEcho_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("echo");
    QTest::addColumn<int>("shownLines");

    QTest::newRow("rich-text label") << QStringLiteral("Enter Label") << QString::fromLatin1(kShortLabelMessage)
                                     << int(QLineEdit::Normal) << 2;
    QTest::newRow("plain label") << QStringLiteral("Shirt") << QStringLiteral("Number:") << int(QLineEdit::Normal) << 1;
    QTest::newRow("password echo") << QStringLiteral("Enter Label") << QStringLiteral("Code:")
                                   << int(QLineEdit::Password) << 1;
}

void tst_ShortLabelDialog::titleLabelAndEcho()
{
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(int, echo);
    QFETCH(int, shownLines);

    QString shownTitle;
    QString shownLabel;
    int labelHeight = 0;
    int lineHeight = 0;
    int shownEcho = -1;
    answerModal<QInputDialog>([&](QInputDialog *dialog) {
        shownTitle = dialog->windowTitle();
        if (auto *text = dialog->findChild<QLabel *>()) {
            shownLabel = text->text();
            labelHeight = text->sizeHint().height();
            lineHeight = text->fontMetrics().height();
        }
        if (QLineEdit *edit = lineEditOf(dialog))
            shownEcho = edit->echoMode();
        dialog->reject();
    });
    ShortLabelDialog::getText(m_parent.data(), title, label, QLineEdit::EchoMode(echo), QStringLiteral("9"));

    QCOMPARE(shownTitle, title);
    QCOMPARE(shownLabel, label);
    // Marked-up text shows its <br> as a second line, not as "<br>".
    QVERIFY2(lineHeight > 0 && qRound(double(labelHeight) / lineHeight) == shownLines,
             qPrintable(QStringLiteral("label %1 px high, line %2 px").arg(labelHeight).arg(lineHeight)));
    QCOMPARE(shownEcho, echo);
}

QTEST_MAIN(tst_ShortLabelDialog)
#include "tst_ShortLabelDialog.moc"
