#ifndef DRILLTEXT_H
#define DRILLTEXT_H

#include <QString>
#include <QVariantMap>

// An animation text as the page sends it, with the span of it that records
// only which frame the coach had on show. Two texts are the same drill when
// they differ at most in that span: looking at another frame changes
// nothing a coach would be asked to save. A text that came without a span
// is compared whole.
class DrillText
{
public:
    DrillText() = default;
    explicit DrillText(const QString &text, int shownFrameAt = -1, int shownFrameLength = 0);

    // From a page message: "strToSave", with "shownFrameAt" and
    // "shownFrameLength" when the page sent them. A span that does not lie
    // inside the text, or holds anything but digits, is ignored.
    static DrillText fromMessage(const QVariantMap &message);
    // The same with `text` in place of "strToSave": a message saying the
    // text is one the host already holds.
    static DrillText fromMessage(const QVariantMap &message, const QString &text);

    const QString &text() const { return m_text; }
    bool isSameDrillAs(const DrillText &other) const;

private:
    bool hasSpan() const { return m_shownFrameAt >= 0; }

    QString m_text;
    int m_shownFrameAt = -1;
    int m_shownFrameLength = 0;
};

#endif // DRILLTEXT_H
