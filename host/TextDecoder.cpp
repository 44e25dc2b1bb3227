#include "TextDecoder.h"

#include "FileNameCodec.h"

#include <QTextCodec>

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

QString TextDecoder::decode(const QByteArray &bytes)
{
    if (QTextCodec *marked = QTextCodec::codecForUtfText(bytes, nullptr))
        return marked->toUnicode(bytes);

    // Nearly every file is well-formed throughout, and decoded at once
    // several times faster than run by run (no byte-order mark is left to
    // strip: a marked text was decoded above).
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);

    QTextCodec *locale = FileNameCodec::textCodecForLocale();
    QTextCodec *utf8 = QTextCodec::codecForMib(106);
    QString text;
    text.reserve(bytes.size());
    int runStart = 0;   // start of the current valid UTF-8 run
    int invalidStart = -1;
    int i = 0;
    const auto flushValid = [&](int end) {
        // A fresh state for each run: a run that follows invalid bytes may
        // start with U+FEFF, which is text there, not a byte-order mark.
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        if (end > runStart)
            text += utf8->toUnicode(bytes.constData() + runStart, end - runStart, &state);
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
            text += locale->toUnicode(bytes.mid(invalidStart, i - invalidStart));
            invalidStart = -1;
            runStart = i;
        }
        i += n;
    }
    if (invalidStart >= 0)
        text += locale->toUnicode(bytes.mid(invalidStart));
    else
        flushValid(bytes.size());
    return text;
}
