#include "DrillText.h"

#include <algorithm>

static bool isNumber(QStringView digits)
{
    return std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

DrillText::DrillText(const QString &text, int shownFrameAt, int shownFrameLength)
    : m_text(text)
{
    // Only a number is a selected frame: a span over anything else would hide a real change.
    if (shownFrameAt >= 0 && shownFrameLength > 0 && shownFrameAt <= text.size() - shownFrameLength
        && isNumber(QStringView(text).mid(shownFrameAt, shownFrameLength))) {
        m_shownFrameAt = shownFrameAt;
        m_shownFrameLength = shownFrameLength;
    }
}

DrillText DrillText::fromMessage(const QVariantMap &message)
{
    return fromMessage(message, message.value(QStringLiteral("strToSave")).toString());
}

DrillText DrillText::fromMessage(const QVariantMap &message, const QString &text)
{
    const QVariant at = message.value(QStringLiteral("shownFrameAt"));
    const QVariant length = message.value(QStringLiteral("shownFrameLength"));
    if (!at.isValid() || !length.isValid())
        return DrillText(text);
    return DrillText(text, at.toInt(), length.toInt());
}

// Compared piece by piece, without copying texts that may be megabytes long.
bool DrillText::isSameDrillAs(const DrillText &other) const
{
    if (!hasSpan() || !other.hasSpan())
        return m_text == other.m_text;
    const int tail = m_text.size() - m_shownFrameAt - m_shownFrameLength;
    const int otherTail = other.m_text.size() - other.m_shownFrameAt - other.m_shownFrameLength;
    return m_shownFrameAt == other.m_shownFrameAt && tail == otherTail &&
           QStringView(m_text).left(m_shownFrameAt) == QStringView(other.m_text).left(other.m_shownFrameAt) &&
           QStringView(m_text).right(tail) == QStringView(other.m_text).right(otherTail);
}
