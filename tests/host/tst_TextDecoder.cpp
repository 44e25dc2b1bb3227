// How the bytes of a text file become text: byte-order marks, UTF-8 under
// any locale, and the locale fallback for byte runs that are not UTF-8.
#include "TextDecoder.h"

#include <QTextCodec>
#include <QtTest>

namespace {

// Expected values are spelled as UTF-16 code units so that they do not come
// from the UTF-8 decoder under test.
QString u16(const char16_t *units)
{
    return QString::fromUtf16(units);
}

} // namespace

class tst_TextDecoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void byteOrderMarkSelectsEncoding_data();
    void byteOrderMarkSelectsEncoding();
    void utf8DecodesUnderAnyLocale_data();
    void utf8DecodesUnderAnyLocale();
    void invalidRunsFallBackToLocale_data();
    void invalidRunsFallBackToLocale();
    void malformedSequencesAreInvalid_data();
    void malformedSequencesAreInvalid();
    void boundarySequencesAreValid_data();
    void boundarySequencesAreValid();

private:
    void useLocaleCodec(const QByteArray &name);

    QTextCodec *m_originalLocaleCodec = nullptr;
};

void tst_TextDecoder::initTestCase()
{
    m_originalLocaleCodec = QTextCodec::codecForLocale();
}

void tst_TextDecoder::cleanup()
{
    QTextCodec::setCodecForLocale(m_originalLocaleCodec);
}

void tst_TextDecoder::useLocaleCodec(const QByteArray &name)
{
    QTextCodec *codec = QTextCodec::codecForName(name);
    QVERIFY2(codec, name.constData());
    QTextCodec::setCodecForLocale(codec);
}

void tst_TextDecoder::byteOrderMarkSelectsEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    // A legacy locale is set in the test: bytes such as 0xFF 0xFE would
    // otherwise decode as "ÿþ".
    QTest::newRow("UTF-8 BOM")
        << QByteArray("\xEF\xBB\xBF" "Ciar\xC3\xA1n") << u16(u"Ciar\u00E1n");
    QTest::newRow("UTF-8 BOM, two lines")
        << QByteArray("\xEF\xBB\xBF" "a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("UTF-16 LE BOM")
        << QByteArray("\xFF\xFE" "M\0\xFC\0l\0l\0e\0r\0", 14) << u16(u"M\u00FCller");
    QTest::newRow("UTF-16 BE BOM")
        << QByteArray("\xFE\xFF" "\0M\0\xFC\0l\0l\0e\0r", 14) << u16(u"M\u00FCller");
    QTest::newRow("UTF-16 LE BOM, CJK and emoji")
        << QByteArray("\xFF\xFE" "\x0F\x5C" "\x3C\xD8\xC9\xDF", 8) << u16(u"\u5C0F\U0001F3C9");
    QTest::newRow("UTF-16 BE BOM, line break")
        << QByteArray("\xFE\xFF" "\0x\0\n\0y", 8) << QStringLiteral("x\ny");
    QTest::newRow("UTF-8 BOM only") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("UTF-16 LE BOM only") << QByteArray("\xFF\xFE") << QString();
    // Not at the start, the same bytes are an ordinary (zero-width) character.
    QTest::newRow("UTF-8 BOM bytes mid-text")
        << QByteArray("ab\xEF\xBB\xBF" "c") << u16(u"ab\uFEFFc");
}

void tst_TextDecoder::byteOrderMarkSelectsEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    useLocaleCodec("ISO-8859-1");

    const QString text = TextDecoder::decode(bytes);
    QCOMPARE(text, expected);
}

void tst_TextDecoder::utf8DecodesUnderAnyLocale_data()
{
    QTest::addColumn<QByteArray>("localeCodec");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const struct {
        const char *name;
        QByteArray bytes;
        QString expected;
    } texts[] = {
        {"ASCII", QByteArray("{\"OVRI_Animation\":1}"), QStringLiteral("{\"OVRI_Animation\":1}")},
        {"Irish name", QByteArray("Ciar\xC3\xA1n"), u16(u"Ciar\u00E1n")},
        {"German name", QByteArray("M\xC3\xBCller"), u16(u"M\u00FCller")},
        {"CJK", QByteArray("\xE5\xB0\x8F"), u16(u"\u5C0F")},
        {"emoji outside the BMP", QByteArray("\xF0\x9F\x8F\x89"), u16(u"\U0001F3C9")},
        {"mixed caption", QByteArray("Pass \xE2\x86\x92 Ciar\xC3\xA1n \xE5\xB0\x8F \xE2\x9A\xBD\xF0\x9F\x8F\x89!"),
         u16(u"Pass \u2192 Ciar\u00E1n \u5C0F \u26BD\U0001F3C9!")},
        {"empty", QByteArray(), QString()},
    };
    // Legacy single-byte and multi-byte locales, whose own reading of these
    // bytes would differ from UTF-8.
    for (const char *codec : {"ISO-8859-1", "windows-1252", "KOI8-R", "Shift_JIS", "GBK", "UTF-8"}) {
        for (const auto &t : texts)
            QTest::addRow("%s under %s", t.name, codec) << QByteArray(codec) << t.bytes << t.expected;
    }
}

void tst_TextDecoder::utf8DecodesUnderAnyLocale()
{
    QFETCH(QByteArray, localeCodec);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    useLocaleCodec(localeCodec);

    QCOMPARE(TextDecoder::decode(bytes), expected);
}

void tst_TextDecoder::invalidRunsFallBackToLocale_data()
{
    QTest::addColumn<QByteArray>("localeCodec");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Latin-1 word") << QByteArray("ISO-8859-1") << QByteArray("caf\xE9") << u16(u"caf\u00E9");
    QTest::newRow("Latin-1 at start and end")
        << QByteArray("ISO-8859-1") << QByteArray("\xE9t\xE9") << u16(u"\u00E9t\u00E9");
    QTest::newRow("two Latin-1 bytes in a row")
        << QByteArray("ISO-8859-1") << QByteArray("\xAB\xBB") << u16(u"\u00AB\u00BB");
    QTest::newRow("Latin-1 with valid UTF-8 after")
        << QByteArray("ISO-8859-1") << QByteArray("caf\xE9 Ciar\xC3\xA1n \xE5\xB0\x8F")
        << u16(u"caf\u00E9 Ciar\u00E1n \u5C0F");
    QTest::newRow("valid UTF-8 before Latin-1")
        << QByteArray("ISO-8859-1") << QByteArray("\xF0\x9F\x8F\x89 M\xFCller")
        << u16(u"\U0001F3C9 M\u00FCller");
    QTest::newRow("valid UTF-8 between Latin-1 runs")
        << QByteArray("ISO-8859-1") << QByteArray("\xA9\xC3\xA1\xA9") << u16(u"\u00A9\u00E1\u00A9");
    // windows-1252 reads 0x80 as the euro sign, Latin-1 as a control
    // character: the result shows which codec decoded the run.
    QTest::newRow("windows-1252 euro")
        << QByteArray("windows-1252") << QByteArray("5 \x80 \xE2\x82\xAC") << u16(u"5 \u20AC \u20AC");
    // Multi-byte legacy characters only decode when their bytes are handed
    // to the locale codec together, not one by one.
    QTest::newRow("Shift_JIS pair of characters")
        << QByteArray("Shift_JIS") << QByteArray("a\x82\xA0\x82\xA2" "b") << u16(u"a\u3042\u3044b");
    QTest::newRow("GBK word")
        << QByteArray("GBK") << QByteArray("\xC4\xE3\xBA\xC3 \xE5\xB0\x8F") << u16(u"\u4F60\u597D \u5C0F");
    QTest::newRow("UTF-8 locale replaces only the bad byte")
        << QByteArray("UTF-8") << QByteArray("caf\xE9 \xC3\xA1") << u16(u"caf\uFFFD \u00E1");
    // The three bytes after the Latin-1 byte are a valid UTF-8 U+FEFF in
    // the middle of the text and must be kept like any other character.
    QTest::newRow("U+FEFF right after a Latin-1 byte")
        << QByteArray("ISO-8859-1") << QByteArray("caf\xE9\xEF\xBB\xBFx") << u16(u"caf\u00E9\uFEFFx");
}

void tst_TextDecoder::invalidRunsFallBackToLocale()
{
    QFETCH(QByteArray, localeCodec);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    useLocaleCodec(localeCodec);

    QCOMPARE(TextDecoder::decode(bytes), expected);
}

void tst_TextDecoder::malformedSequencesAreInvalid_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    // With a Latin-1 locale every invalid byte shows as the code point of
    // the same value, so each expected text tells which bytes were rejected.
    QTest::newRow("overlong 2-byte '/'") << QByteArray("a\xC0\xAF" "b") << u16(u"a\u00C0\u00AFb");
    QTest::newRow("overlong 2-byte C1") << QByteArray("\xC1\xBF") << u16(u"\u00C1\u00BF");
    QTest::newRow("overlong 3-byte") << QByteArray("\xE0\x80\xAF") << u16(u"\u00E0\u0080\u00AF");
    QTest::newRow("overlong 3-byte U+07FF") << QByteArray("\xE0\x9F\xBF") << u16(u"\u00E0\u009F\u00BF");
    QTest::newRow("overlong 4-byte") << QByteArray("\xF0\x80\x80\xAF") << u16(u"\u00F0\u0080\u0080\u00AF");
    QTest::newRow("overlong 4-byte U+FFFF") << QByteArray("\xF0\x8F\xBF\xBF") << u16(u"\u00F0\u008F\u00BF\u00BF");
    QTest::newRow("high surrogate") << QByteArray("\xED\xA0\x80") << u16(u"\u00ED\u00A0\u0080");
    QTest::newRow("low surrogate") << QByteArray("\xED\xBF\xBF") << u16(u"\u00ED\u00BF\u00BF");
    QTest::newRow("surrogate pair encoded as CESU-8")
        << QByteArray("\xED\xA0\xBC\xED\xBF\x89") << u16(u"\u00ED\u00A0\u00BC\u00ED\u00BF\u0089");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u16(u"\u00F4\u0090\u0080\u0080");
    QTest::newRow("lead byte F5") << QByteArray("\xF5\x80\x80\x80") << u16(u"\u00F5\u0080\u0080\u0080");
    QTest::newRow("byte FF") << QByteArray("x\xFFy") << u16(u"x\u00FFy");
    QTest::newRow("stray continuation") << QByteArray("\x80" "a\xBF") << u16(u"\u0080a\u00BF");
    QTest::newRow("truncated 2-byte at end") << QByteArray("ab\xC3") << u16(u"ab\u00C3");
    QTest::newRow("truncated 3-byte before ASCII") << QByteArray("\xE5\xB0" "x") << u16(u"\u00E5\u00B0x");
    QTest::newRow("truncated 4-byte at end") << QByteArray("\xF0\x9F\x8F") << u16(u"\u00F0\u009F\u008F");
    QTest::newRow("truncated 3-byte before a whole one")
        << QByteArray("\xE2\x82\xE2\x82\xAC") << u16(u"\u00E2\u0082\u20AC");
    QTest::newRow("lead byte followed by a lead byte")
        << QByteArray("\xC3\xC3\xA1") << u16(u"\u00C3\u00E1");
}

void tst_TextDecoder::malformedSequencesAreInvalid()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    useLocaleCodec("ISO-8859-1");

    QCOMPARE(TextDecoder::decode(bytes), expected);
}

void tst_TextDecoder::boundarySequencesAreValid_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    // The smallest and largest code points of each sequence length, and the
    // code points right next to the surrogate range: none may be rejected.
    QTest::newRow("U+0080") << QByteArray("\xC2\x80") << u16(u"\u0080");
    QTest::newRow("U+07FF") << QByteArray("\xDF\xBF") << u16(u"\u07FF");
    QTest::newRow("U+0800") << QByteArray("\xE0\xA0\x80") << u16(u"\u0800");
    QTest::newRow("U+D7FF") << QByteArray("\xED\x9F\xBF") << u16(u"\uD7FF");
    QTest::newRow("U+E000") << QByteArray("\xEE\x80\x80") << u16(u"\uE000");
    QTest::newRow("U+FFFD") << QByteArray("\xEF\xBF\xBD") << u16(u"\uFFFD");
    QTest::newRow("U+10000") << QByteArray("\xF0\x90\x80\x80") << u16(u"\U00010000");
    QTest::newRow("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << u16(u"\U0010FFFF");
}

void tst_TextDecoder::boundarySequencesAreValid()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    useLocaleCodec("ISO-8859-1");

    QCOMPARE(TextDecoder::decode(bytes), expected);
    // Between legacy bytes too, the sequence stays one character.
    QCOMPARE(TextDecoder::decode("\xE9" + bytes + "\xE9"), u16(u"\u00E9") + expected + u16(u"\u00E9"));
}

QTEST_GUILESS_MAIN(tst_TextDecoder)
#include "tst_TextDecoder.moc"
