#include "TextDecoder.h"

#include "FileNameCodec.h"

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#else
#include <QStringDecoder>
#endif

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when the
// bytes there are not one (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, truncated).
int validSequenceLength(const QByteArray &b, int at)
{
    const auto byte = [&](int i) { return static_cast<unsigned char>(b[at + i]); };
    const int left = b.size() - at;
    const unsigned char c = byte(0);
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return left >= 2 && isContinuation(byte(1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !isContinuation(byte(1)) || !isContinuation(byte(2)))
            return 0;
        if ((c == 0xE0 && byte(1) < 0xA0) || (c == 0xED && byte(1) > 0x9F))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !isContinuation(byte(1)) || !isContinuation(byte(2)) || !isContinuation(byte(3)))
            return 0;
        if ((c == 0xF0 && byte(1) < 0x90) || (c == 0xF4 && byte(1) > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

bool isValidUtf8(const QByteArray &bytes)
{
    const char *const data = bytes.constData();
    int i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(data[i]) < 0x80) {
            ++i;
            continue;
        }
        const int n = validSequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

} // namespace

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
namespace {

// A text that begins with a byte-order mark of UTF-8, UTF-16 or UTF-32,
// decoded without the mark; else null.
QString decodeMarked(const QByteArray &bytes)
{
    QTextCodec *marked = QTextCodec::codecForUtfText(bytes, nullptr);
    if (!marked)
        return QString();
    const QString text = marked->toUnicode(bytes);
    return text.isNull() ? QStringLiteral("") : text;
}

// Valid UTF-8 taken as it stands: a U+FEFF that follows invalid bytes is
// text there, not a byte-order mark.
QString decodeUtf8Run(const char *data, int length)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForMib(106)->toUnicode(data, length, &state);
}

// Bytes that are not UTF-8, in the locale's encoding (Latin-1 under a
// Latin-1 locale; U+FFFD under UTF-8, as always).
QString decodeInvalidRun(const QByteArray &bytes)
{
    return FileNameCodec::textCodecForLocale()->toUnicode(bytes);
}

} // namespace
#else
namespace {

QString decodeMarked(const QByteArray &bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    if (!encoding || *encoding == QStringConverter::System || *encoding == QStringConverter::Latin1)
        return QString();
    QStringDecoder decoder(*encoding);
    QString text = decoder.decode(bytes);
    return text.isNull() ? QStringLiteral("") : text;
}

QString decodeUtf8Run(const char *data, int length)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(data, length));
}

// Qt 6 takes every locale as UTF-8: a stray byte is shown as U+FFFD.
QString decodeInvalidRun(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace
#endif

QString TextDecoder::decode(const QByteArray &bytes)
{
    const QString marked = decodeMarked(bytes);
    if (!marked.isNull())
        return marked;

    // Nearly every file is well-formed throughout, and decoded at once
    // several times faster than run by run (no byte-order mark is left to
    // strip: a marked text was decoded above).
    // With the length: Qt 5's QString::fromUtf8(QByteArray) stops at the
    // first NUL, Qt 6's does not, and the two builds would read two texts.
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes.constData(), bytes.size());

    QString text;
    text.reserve(bytes.size());
    int runStart = 0;   // start of the current valid UTF-8 run
    int invalidStart = -1;
    int i = 0;
    const auto flushValid = [&](int end) {
        if (end > runStart)
            text += decodeUtf8Run(bytes.constData() + runStart, end - runStart);
    };
    while (i < bytes.size()) {
        const int n = validSequenceLength(bytes, i);
        if (n == 0) {
            if (invalidStart < 0) {
                flushValid(i);
                invalidStart = i;
            }
            ++i;
            continue;
        }
        if (invalidStart >= 0) {
            text += decodeInvalidRun(bytes.mid(invalidStart, i - invalidStart));
            invalidStart = -1;
            runStart = i;
        }
        i += n;
    }
    if (invalidStart >= 0)
        text += decodeInvalidRun(bytes.mid(invalidStart));
    else
        flushValid(bytes.size());
    return text;
}
