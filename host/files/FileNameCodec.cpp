#include "FileNameCodec.h"

#include <QStringList>

#include <clocale>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)

void FileNameCodec::install()
{
    std::setlocale(LC_ALL, "");
}

QStringList FileNameCodec::arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

#else

namespace {

// No registered encoding has this number: the codec is only ever found as
// the locale's, never by a look-up for UTF-8.
const int PrivateMib = -106;
const int Utf8Mib = 106;
const ushort EscapeBase = 0xDC00;

bool isContinuation(uchar c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence `lead` starts, or 0 for a byte that
// starts none.
int sequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether the `have` bytes at `s` (have <= the sequence's length) can begin
// a well-formed sequence: no overlong form, no surrogate, nothing past U+10FFFF.
bool validPrefix(const uchar *s, int have)
{
    for (int i = 1; i < have; ++i) {
        if (!isContinuation(s[i]))
            return false;
    }
    if (have < 2)
        return true;
    return !((s[0] == 0xE0 && s[1] < 0xA0) || (s[0] == 0xED && s[1] > 0x9F) || (s[0] == 0xF0 && s[1] < 0x90)
             || (s[0] == 0xF4 && s[1] > 0x8F));
}

uint decodeSequence(const uchar *s, int length)
{
    static const uchar leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint code = s[0] & leadMask[length];
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (s[i] & 0x3F);
    return code;
}

void appendUtf8(QByteArray &out, uint code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

void FileNameCodec::install()
{
    std::setlocale(LC_ALL, "");
    if (QTextCodec::codecForLocale()->mibEnum() == Utf8Mib)
        QTextCodec::setCodecForLocale(new FileNameCodec); // Qt owns every codec made
}

QTextCodec *FileNameCodec::textCodecForLocale()
{
    QTextCodec *locale = QTextCodec::codecForLocale();
    return locale->mibEnum() == PrivateMib ? QTextCodec::codecForMib(Utf8Mib) : locale;
}

QStringList FileNameCodec::arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QByteArray FileNameCodec::name() const
{
    return QByteArrayLiteral("UTF-8 with escaped bytes");
}

int FileNameCodec::mibEnum() const
{
    return PrivateMib;
}

// A sequence cut at the end of a piece waits in the state for the next piece.
QString FileNameCodec::convertToUnicode(const char *in, int length, ConverterState *state) const
{
    QByteArray bytes;
    for (int k = 0; state && k < state->remainingChars; ++k)
        bytes += char(state->state_data[k]);
    bytes.append(in, length);
    if (state)
        state->remainingChars = 0;
    const auto *s = reinterpret_cast<const uchar *>(bytes.constData());
    const int size = bytes.size();
    QString text;
    text.reserve(size);
    int i = 0;
    while (i < size) {
        const int n = sequenceLength(s[i]);
        const int have = qMin(n, size - i);
        if (n > 0 && validPrefix(s + i, have)) {
            if (have == n) {
                const uint code = decodeSequence(s + i, n);
                if (QChar::requiresSurrogates(code)) {
                    text += QChar(QChar::highSurrogate(code));
                    text += QChar(QChar::lowSurrogate(code));
                } else {
                    text += QChar(ushort(code));
                }
                i += n;
                continue;
            }
            if (state) {
                for (int k = 0; k < have; ++k)
                    state->state_data[k] = s[i + k];
                state->remainingChars = have;
                break;
            }
        }
        text += QChar(ushort(EscapeBase + s[i]));
        ++i;
    }
    return text;
}

// A high surrogate at the end of a piece waits in the state for its partner.
QByteArray FileNameCodec::convertFromUnicode(const QChar *in, int length, ConverterState *state) const
{
    QString text;
    if (state && state->remainingChars > 0)
        text += QChar(ushort(state->state_data[0]));
    text.append(in, length);
    if (state)
        state->remainingChars = 0;
    QByteArray out;
    out.reserve(text.size() * 3);
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                appendUtf8(out, QChar::surrogateToUcs4(c, text.at(i + 1).unicode()));
                ++i;
            } else if (i + 1 == text.size() && state) {
                state->state_data[0] = c;
                state->remainingChars = 1;
            } else {
                out += '?';
                if (state)
                    ++state->invalidChars;
            }
        } else if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF) {
            out += char(c - EscapeBase);
        } else if (QChar::isLowSurrogate(c)) {
            out += '?';
            if (state)
                ++state->invalidChars;
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

#endif
