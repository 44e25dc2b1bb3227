#ifndef EXPORTJOB_H
#define EXPORTJOB_H

#include "ReportOptions.h"
#include "VideoOptions.h"

#include <QString>

// One export asked for on the command line: one drill written to one file.
struct ExportJob
{
    enum class Kind { Video, Pdf, Picture, Gif, Page };

    Kind kind = Kind::Video;
    QString drillPath;
    // Where the finished file ends up. While an exporter runs, the runner
    // hands it a temporary file in the same folder instead (see ExportRunner).
    QString outputPath;
    // Pictures only: the frame shown, numbered from 1 as on screen (or
    // SelectedFrame, the frame the drill was saved on), and the picture's
    // width in pixels (its height follows from the pitch's 4:3).
    static constexpr int SelectedFrame = 0;
    int frame = SelectedFrame;
    int width = 1024;
    // Videos and GIFs only: picture size, rate and format.
    VideoOptions video;
    // Reports only: pictures a page, and the drills after this one that
    // the one report holds (a squad report, --export-report).
    ReportOptions report;

    // Every drill the job reads.
    QStringList drills() const { return QStringList{drillPath} + report.otherDrills; }
};

#endif // EXPORTJOB_H
