#include "TerminalText.h"

#include <QDir>
#include <QRegularExpression>

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

QString escape(char16_t c)
{
    switch (c) {
    case '\t':
        return QStringLiteral("\\t");
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    if (c < 0x100)
        return QStringLiteral("\\%1").arg(int(c), 3, 8, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
}

QString escaped(const QString &text, bool backslashToo)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (isControl(c))
            out += escape(c);
        else if (backslashToo && c == '\\')
            out += QStringLiteral("\\\\");
        else
            out += ch;
    }
    return out;
}

} // namespace

QString TerminalText::name(const QString &path)
{
    return escaped(QDir::toNativeSeparators(path), true);
}

QString TerminalText::line(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return escaped(QString(text).replace(breaks, QStringLiteral(" ")).trimmed(), false);
}
