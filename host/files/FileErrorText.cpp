#include "FileErrorText.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// The page's reasons for a text that is no animation at all, as opposed to
// an animation it found damaged.
bool isNoDrill(const QString &detail)
{
    static const QStringList reasons = {QStringLiteral("Error parsing JSON"),
                                        QStringLiteral("Not an OVRI Animation file")};
    return reasons.contains(detail);
}

} // namespace

QString FileErrorText::shownName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        name = QDir::toNativeSeparators(path);
    return shortened(name, MaxNameLength);
}

QString FileErrorText::shortened(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    int cut = length;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

QString FileErrorText::notOpened(const QString &path)
{
    return tr("\u201C%1\u201D could not be opened.").arg(shownName(path));
}

QString FileErrorText::refused(const QString &path, const QString &detail)
{
    if (!isNoDrill(detail))
        return notOpened(path);
    return tr("\u201C%1\u201D is not a %2 drill.").arg(shownName(path), QCoreApplication::applicationName());
}
