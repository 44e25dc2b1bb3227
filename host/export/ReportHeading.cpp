#include "ReportHeading.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QString kDrillSuffix = QStringLiteral(".anim");
} // namespace

QString ReportHeading::drillName(const QString &drillFile)
{
    QString name = QFileInfo(drillFile).fileName();
    if (name.endsWith(kDrillSuffix, Qt::CaseInsensitive) && name.size() > kDrillSuffix.size())
        name.chop(kDrillSuffix.size());
    return name;
}

// A sheet dated "Monday, 7 December 2026" says the day twice over; the
// weekday goes with the punctuation that set it apart from the date. Some
// locales' short time (C's) has seconds, which nobody writes on a sheet.
QString ReportHeading::date(const QDateTime &when, const QLocale &locale)
{
    static const QRegularExpression weekday(QStringLiteral("(?<!d)d{3,4}(?!d)[,.]?"));
    static const QRegularExpression edges(QStringLiteral("^[\\s,]+|[\\s,]+$"));
    static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
    QString dateFormat = locale.dateFormat(QLocale::LongFormat);
    dateFormat.replace(weekday, QStringLiteral(" "));
    dateFormat.remove(edges);
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(seconds);
    return locale.toString(when.date(), dateFormat) + QStringLiteral(", ") + locale.toString(when.time(), timeFormat);
}
