#ifndef REPORTHEADING_H
#define REPORTHEADING_H

#include <QDateTime>
#include <QLocale>
#include <QString>

// What the host tells the page for the head and foot of a PDF report: the
// page knows neither the drill's file nor the coach's locale, and its
// engine writes dates only in one fixed English form.
class ReportHeading
{
public:
    // The drill's name as the report prints it: its file's name without
    // ".anim". Empty for a drill that has no file yet.
    static QString drillName(const QString &drillFile);

    // `when` as a person of `locale` writes it: the locale's long date
    // without the day of the week, then its short time, 24- or 12-hour as
    // the locale has it ("7 December 2026, 18:04" in en_GB).
    static QString date(const QDateTime &when, const QLocale &locale);
};

#endif // REPORTHEADING_H
