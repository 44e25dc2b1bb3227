#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

const int MinWidth = 64;
const int MaxWidth = 4096;

// The parser with every option the program knows, shared by parsing and
// the help text so the two cannot drift apart.
struct Options
{
    QCommandLineOption video{QStringLiteral("export-video"),
                             QStringLiteral("Export the drill as an MP4 video to <file>."),
                             QStringLiteral("file")};
    QCommandLineOption gif{QStringLiteral("export-gif"),
                           QStringLiteral("Export the drill as a looping animated GIF to <file>."),
                           QStringLiteral("file")};
    QCommandLineOption page{QStringLiteral("export-page"),
                            QStringLiteral("Export the drill as one web page (.html) that plays it in any browser, "
                                           "with no network, to <file>; Drillmora opens the page as the drill."),
                            QStringLiteral("file")};
    QCommandLineOption gifWidth{QStringLiteral("gif-width"),
                                QStringLiteral("The width of the --export-gif GIF in pixels: 480 (default), "
                                               "640 or 800."),
                                QStringLiteral("pixels"), QStringLiteral("480")};
    QCommandLineOption gifFps{QStringLiteral("gif-fps"),
                              QStringLiteral("The pictures a second of the --export-gif GIF: 10 (default) or 15."),
                              QStringLiteral("rate"), QStringLiteral("10")};
    QCommandLineOption pdf{QStringLiteral("export-pdf"),
                           QStringLiteral("Export the drill as a PDF training report to <file>."),
                           QStringLiteral("file")};
    QCommandLineOption report{QStringLiteral("export-report"),
                              QStringLiteral("Export every drill named, in the order named, as one PDF "
                                             "report to <file>, each drill under its own heading."),
                              QStringLiteral("file")};
    QCommandLineOption perPage{QStringLiteral("pictures-per-page"),
                               QStringLiteral("The pictures a page of the --export-pdf or --export-report "
                                              "report: 6 (default), 4, or 2 on landscape pages."),
                               QStringLiteral("n"), QStringLiteral("6")};
    QCommandLineOption picture{QStringLiteral("export-picture"),
                               QStringLiteral("Export one frame of the drill as a picture to <file> "
                                              "(.png or .jpg)."),
                               QStringLiteral("file")};
    QCommandLineOption frame{QStringLiteral("frame"),
                             QStringLiteral("The frame --export-picture shows, counted from 1 (default: "
                                            "the frame selected when the drill was saved)."),
                             QStringLiteral("n")};
    QCommandLineOption width{QStringLiteral("width"),
                             QStringLiteral("The width of the --export-picture picture in pixels, a "
                                            "multiple of 4 from %1 to %2 (default 1024).")
                                 .arg(MinWidth)
                                 .arg(MaxWidth),
                             QStringLiteral("pixels"), QStringLiteral("1024")};
    QCommandLineOption videoSize{QStringLiteral("video-size"),
                                 QStringLiteral("The picture size of the --export-video video: 640x480 "
                                                "(default), 960x720 or 1440x1080 for 4:3; 1280x720 or "
                                                "1920x1080 for 16:9; 1080x1920 for 9:16; 1080x1080 for 1:1."),
                                 QStringLiteral("size"), QStringLiteral("640x480")};
    QCommandLineOption videoShape{QStringLiteral("video-shape"),
                                  QStringLiteral("The shape of the --export-video video: 4:3 (default, the pitch "
                                                 "alone), 16:9, 9:16 or 1:1 (the pitch beside a band with the "
                                                 "captions), at the shape's first size unless --video-size names "
                                                 "another."),
                                  QStringLiteral("shape")};
    QCommandLineOption fps{QStringLiteral("fps"),
                           QStringLiteral("The pictures a second of the --export-video video: 15 "
                                          "(default), 25 or 30."),
                           QStringLiteral("rate"), QStringLiteral("15")};
    QCommandLineOption outputDir{QStringLiteral("output-dir"),
                                 QStringLiteral("Export several drills into <dir>, each file named after "
                                                "its drill. The export options then take only the "
                                                "file type: --export-video mp4, --export-pdf pdf, "
                                                "--export-picture png or jpg."),
                                 QStringLiteral("dir")};
    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineParser parser;

    Options()
        : help(QStringLiteral("dummy"))
        , version(QStringLiteral("dummy"))
    {
        parser.setApplicationDescription(
            QStringLiteral("Builds animated diagrams of drills and set plays. Without an export option "
                           "the editor opens, with the drill if one is named."));
        help = parser.addHelpOption();
        version = parser.addVersionOption();
        parser.addOptions({video, gif, page, pdf, report, picture, frame, width, videoSize, videoShape, fps, gifWidth,
                           gifFps, perPage, outputDir});
        parser.addPositionalArgument(QStringLiteral("drill"), QStringLiteral("A drill (.anim file, or a web page Drillmora wrote of one)."),
                                     QStringLiteral("[drill.anim...]"));
    }

    // The options that set how an export is made, each taken once.
    QList<const QCommandLineOption *> settings() const
    {
        return {&frame, &width, &videoSize, &videoShape, &fps, &gifWidth, &gifFps, &perPage, &outputDir};
    }
};

// "a, b or c".
QString alternatives(const QStringList &choices)
{
    if (choices.size() < 2)
        return choices.join(QString());
    return choices.mid(0, choices.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + choices.last();
}

struct KindInfo
{
    ExportJob::Kind kind;
    const QCommandLineOption *option;
    QStringList suffixes;
};

class Parse
{
public:
    explicit Parse(const QStringList &arguments) { m_ok = m_options.parser.parse(arguments); }

    // Returns the usage error, or an empty string.
    QString run(CommandLine::Action *action, QStringList *drills, QList<ExportJob> *jobs)
    {
        QCommandLineParser &p = m_options.parser;
        if (p.isSet(m_options.help)) {
            *action = CommandLine::Action::ShowHelp;
            return QString();
        }
        if (p.isSet(m_options.version)) {
            *action = CommandLine::Action::ShowVersion;
            return QString();
        }
        if (!m_ok)
            return p.errorText();
        *drills = p.positionalArguments();
        const QList<KindInfo> kinds = requestedKinds();
        if (kinds.isEmpty()) {
            *action = CommandLine::Action::Edit;
            return onlyWithExport();
        }
        *action = CommandLine::Action::Export;
        QString error = checkCounts(kinds, *drills);
        if (error.isEmpty())
            error = pictureSettings();
        if (error.isEmpty())
            error = videoSettings();
        if (error.isEmpty())
            error = reportSettings();
        if (error.isEmpty())
            error = gifSettings();
        if (error.isEmpty())
            error = makeJobs(kinds, *drills, jobs);
        return error;
    }

private:
    QList<KindInfo> requestedKinds() const
    {
        const QList<KindInfo> all = {
            {ExportJob::Kind::Video, &m_options.video, {QStringLiteral("mp4")}},
            {ExportJob::Kind::Gif, &m_options.gif, {QStringLiteral("gif")}},
            {ExportJob::Kind::Page, &m_options.page, {QStringLiteral("html")}},
            {ExportJob::Kind::Pdf, &m_options.pdf, {QStringLiteral("pdf")}},
            {ExportJob::Kind::Pdf, &m_options.report, {QStringLiteral("pdf")}},
            {ExportJob::Kind::Picture, &m_options.picture,
             {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        };
        QList<KindInfo> asked;
        for (const KindInfo &k : all) {
            if (m_options.parser.isSet(*k.option))
                asked.append(k);
        }
        return asked;
    }

    QString onlyWithExport() const
    {
        for (const QCommandLineOption *o : m_options.settings()) {
            if (m_options.parser.isSet(*o))
                return QStringLiteral("--%1 goes with an export option.").arg(o->names().first());
        }
        return QString();
    }

    QString checkCounts(const QList<KindInfo> &kinds, const QStringList &drills) const
    {
        const QCommandLineParser &p = m_options.parser;
        for (const KindInfo &k : kinds) {
            if (p.values(*k.option).size() > 1)
                return QStringLiteral("--%1 is given more than once.").arg(k.option->names().first());
        }
        for (const QCommandLineOption *o : m_options.settings()) {
            if (p.values(*o).size() > 1)
                return QStringLiteral("--%1 is given more than once.").arg(o->names().first());
        }
        if (drills.isEmpty())
            return QStringLiteral("Name the drill (.anim file) to export.");
        if (p.isSet(m_options.report)) {
            if (kinds.size() > 1 || p.isSet(m_options.outputDir))
                return QStringLiteral("--export-report writes one report of all the drills named: give it "
                                      "without other exports or --output-dir.");
            return QString();
        }
        if (drills.size() > 1 && !p.isSet(m_options.outputDir))
            return QStringLiteral("To export several drills at once, name a folder with --output-dir.");
        return QString();
    }

    QString pictureSettings()
    {
        const QCommandLineParser &p = m_options.parser;
        if (!p.isSet(m_options.picture)) {
            if (p.isSet(m_options.frame) || p.isSet(m_options.width))
                return QStringLiteral("--frame and --width go with --export-picture.");
            return QString();
        }
        bool ok = false;
        if (p.isSet(m_options.frame)) {
            m_frame = p.value(m_options.frame).toInt(&ok);
            if (!ok || m_frame < 1)
                return QStringLiteral("--frame needs a frame number from 1 up, not \"%1\".")
                    .arg(p.value(m_options.frame));
        }
        m_width = p.value(m_options.width).toInt(&ok);
        if (!ok || m_width < MinWidth || m_width > MaxWidth || m_width % 4 != 0)
            return QStringLiteral("--width needs a multiple of 4 from %1 to %2, not \"%3\".")
                .arg(MinWidth)
                .arg(MaxWidth)
                .arg(p.value(m_options.width));
        return QString();
    }

    QString videoSettings()
    {
        const QCommandLineParser &p = m_options.parser;
        if (!p.isSet(m_options.video)) {
            if (p.isSet(m_options.videoSize) || p.isSet(m_options.videoShape) || p.isSet(m_options.fps))
                return QStringLiteral("--video-size, --video-shape and --fps go with --export-video.");
            return QString();
        }
        const QString shapeError = videoShapeSettings();
        if (!shapeError.isEmpty())
            return shapeError;
        if (!VideoOptions::parseFrameRate(p.value(m_options.fps), &m_video.frameRate))
            return QStringLiteral("--fps needs 15, 25 or 30, not \"%1\".").arg(p.value(m_options.fps));
        return QString();
    }

    // Without --video-shape the size says the shape; with it, the size must
    // be one of that shape's.
    QString videoShapeSettings()
    {
        const QCommandLineParser &p = m_options.parser;
        QString shape = VideoOptions::shapes().constFirst();
        const bool shapeNamed = p.isSet(m_options.videoShape);
        if (shapeNamed && !VideoOptions::parseShape(p.value(m_options.videoShape), &shape))
            return QStringLiteral("--video-shape needs %1, not \"%2\".")
                .arg(alternatives(VideoOptions::shapes()), p.value(m_options.videoShape));
        const QList<QSize> offered = shapeNamed ? VideoOptions::sizesOf(shape) : VideoOptions::sizes();
        m_video.size = offered.constFirst();
        if (!p.isSet(m_options.videoSize))
            return QString();
        QSize asked;
        if (VideoOptions::parseSize(p.value(m_options.videoSize), &asked) && offered.contains(asked)) {
            m_video.size = asked;
            return QString();
        }
        QStringList sizes;
        for (const QSize &size : offered)
            sizes.append(VideoOptions::sizeText(size));
        return QStringLiteral("--video-size needs %1%2, not \"%3\".")
            .arg(alternatives(sizes), shapeNamed ? QStringLiteral(" for --video-shape ") + shape : QString(),
                 p.value(m_options.videoSize));
    }

    QString gifSettings()
    {
        const QCommandLineParser &p = m_options.parser;
        if (!p.isSet(m_options.gif)) {
            if (p.isSet(m_options.gifWidth) || p.isSet(m_options.gifFps))
                return QStringLiteral("--gif-width and --gif-fps go with --export-gif.");
            return QString();
        }
        int width = 0;
        int rate = 0;
        if (!VideoOptions::parseGifWidth(p.value(m_options.gifWidth), &width))
            return QStringLiteral("--gif-width needs 480, 640 or 800, not \"%1\".").arg(p.value(m_options.gifWidth));
        if (!VideoOptions::parseGifFrameRate(p.value(m_options.gifFps), &rate))
            return QStringLiteral("--gif-fps needs 10 or 15, not \"%1\".").arg(p.value(m_options.gifFps));
        m_gif = VideoOptions::gif(width, rate);
        return QString();
    }

    QString reportSettings()
    {
        const QCommandLineParser &p = m_options.parser;
        if (!p.isSet(m_options.pdf) && !p.isSet(m_options.report)) {
            if (p.isSet(m_options.perPage))
                return QStringLiteral("--pictures-per-page goes with --export-pdf or --export-report.");
            return QString();
        }
        if (!ReportOptions::parsePicturesPerPage(p.value(m_options.perPage), &m_report.picturesPerPage))
            return QStringLiteral("--pictures-per-page needs 6, 4 or 2, not \"%1\".").arg(p.value(m_options.perPage));
        return QString();
    }

    // The one job of a squad report: the first drill opened, the others
    // read by the report.
    QString reportJob(const QStringList &drills, QList<ExportJob> *jobs) const
    {
        const QString value = m_options.parser.value(m_options.report);
        if (QFileInfo(value).suffix().toLower() != QLatin1String("pdf"))
            return QStringLiteral("--export-report writes .pdf files, not \"%1\".").arg(value);
        ExportJob job;
        job.kind = ExportJob::Kind::Pdf;
        job.drillPath = drills.first();
        job.outputPath = value;
        job.report = m_report;
        job.report.otherDrills = drills.mid(1);
        jobs->append(job);
        return QString();
    }

    QString makeJobs(const QList<KindInfo> &kinds, const QStringList &drills, QList<ExportJob> *jobs) const
    {
        const QCommandLineParser &p = m_options.parser;
        if (p.isSet(m_options.report))
            return reportJob(drills, jobs);
        const bool intoFolder = p.isSet(m_options.outputDir);
        const QDir folder(p.value(m_options.outputDir));
        QSet<QString> outputs;
        for (const QString &drill : drills) {
            for (const KindInfo &k : kinds) {
                const QString value = p.value(*k.option);
                // In a folder the option names only the type: "png", ".png"
                // or "x.png" all mean pictures named after each drill.
                const bool bareType = intoFolder && !value.contains(QLatin1Char('.'));
                const QString suffix = bareType ? value : QFileInfo(value).suffix();
                if (!k.suffixes.contains(suffix.toLower())) {
                    return QStringLiteral("--%1 writes %2 files, not \"%3\".")
                        .arg(k.option->names().first(), k.suffixes.join(QStringLiteral(" or .")).prepend(QLatin1Char('.')),
                             value);
                }
                ExportJob job;
                job.kind = k.kind;
                job.drillPath = drill;
                job.outputPath = intoFolder ? folder.filePath(QFileInfo(drill).completeBaseName() + QLatin1Char('.') + suffix)
                                            : value;
                job.frame = m_frame;
                job.width = m_width;
                job.video = k.kind == ExportJob::Kind::Gif ? m_gif : m_video;
                job.report = m_report;
                const QString key = QFileInfo(job.outputPath).absoluteFilePath();
                if (outputs.contains(key))
                    return QStringLiteral("Two exports would both write %1; drills exported into one "
                                          "folder need different names.")
                        .arg(QDir::toNativeSeparators(job.outputPath));
                outputs.insert(key);
                jobs->append(job);
            }
        }
        return QString();
    }

    Options m_options;
    bool m_ok = false;
    int m_frame = ExportJob::SelectedFrame;
    int m_width = 1024;
    VideoOptions m_video;
    VideoOptions m_gif = VideoOptions::gif();
    ReportOptions m_report;
};

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine result;
    Parse parse(arguments);
    result.m_error = parse.run(&result.m_action, &result.m_drills, &result.m_jobs);
    if (!result.m_error.isEmpty()) {
        result.m_action = Action::UsageError;
        result.m_jobs.clear();
    }
    return result;
}

QString CommandLine::helpText()
{
    Options options;
    return options.parser.helpText();
}
