#ifndef REPORTOPTIONS_H
#define REPORTOPTIONS_H

#include <QList>
#include <QString>
#include <QStringList>

// What a PDF report holds besides the drill on screen: how many pictures a
// page (six on portrait pages, as every report had before the coach could
// choose; four; or two on landscape pages) and the drills that follow the
// open one, each under its own heading, in the order given.
class ReportOptions
{
public:
    static QList<int> picturesPerPageChoices();
    // "4" as one of picturesPerPageChoices(); false for anything else.
    static bool parsePicturesPerPage(const QString &text, int *picturesPerPage);

    // The coach's last choice of pictures a page, kept between runs; six
    // before any (or when what was kept is no longer offered). The other
    // drills are chosen afresh for each report.
    static ReportOptions remembered();
    void remember() const;

    int picturesPerPage = 6;
    QStringList otherDrills;
};

#endif // REPORTOPTIONS_H
