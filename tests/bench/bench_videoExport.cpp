// Prints what a whole video export costs, page and host together, for a
// drill of 10 frames and 25 items (at 640 × 480 and 15 pictures a second,
// 136 pictures drawn, 166 in the video, 11.07 s long), at each picture size
// and rate a coach may choose, side by side: the wall time from
// "exportVideoResponse" to the file closed and its ratio to the video's
// duration, then the time per stage and the peak resident memory. Each
// export runs three times in one hidden main window with its real page;
// the stages are timed on the page by wrapping the image generator's steps,
// the host's decoding and encoding afterwards on the same pictures alone.
//
//   QT_QPA_PLATFORM=offscreen tests/bench/bench_videoExport [--default-only]
#include "ApplicationIdentity.h"
#include "EditorView.h"
#include "DataUrl.h"
#include "Mp4Encoder.h"
#include "VideoOptions.h"
#include "PageFonts.h"
#include "PageScript.h"
#include "mainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

const int kFrames = 10;
const int kRuns = 3;

QJsonObject item(const QString &type, int id, double scale, const QString &colour, const QJsonArray &frames)
{
    return {{"type", type}, {"id", id}, {"scale", scale}, {"text", ""}, {"shortLabel", QString::number(id)},
            {"z", id}, {"color", colour}, {"frames", frames}};
}

// 22 players crossing the pitch and turning, a ball, two cones; stripes,
// grid, logo and running lines on.
QByteArray drill()
{
    QJsonArray objects;
    int id = 1;
    for (int p = 0; p < 22; ++p) {
        QJsonArray frames;
        for (int f = 0; f < kFrames; ++f)
            frames.append(QJsonObject{{"x", 0.05 + 0.04 * p + 0.02 * f}, {"y", 0.1 + 0.035 * p + 0.01 * f},
                                      {"rotation", (30 * p + 20 * f) % 360}});
        objects.append(item("person", id++, 0.2, p < 11 ? "red" : "blue", frames));
    }
    QJsonArray ball;
    for (int f = 0; f < kFrames; ++f)
        ball.append(QJsonObject{{"x", 0.2 + 0.05 * f}, {"y", 0.5}, {"rotation", 0}});
    objects.append(item("gaaBall", id++, 0.11, "white", ball));
    for (int c = 0; c < 2; ++c) {
        QJsonArray cone;
        for (int f = 0; f < kFrames; ++f)
            cone.append(QJsonObject{{"x", 0.1 + 0.1 * c}, {"y", 0.9}, {"rotation", 0}});
        objects.append(item("cone", id++, 0.15, "orange", cone));
    }
    QJsonArray captions;
    for (int f = 0; f < kFrames; ++f)
        captions.append(QStringLiteral("Frame %1: switch the play").arg(f + 1));
    const QJsonObject animation{
        {"msgType", "OVRI_Animation"}, {"msgVersion", 0.1}, {"sport", "soccer"}, {"showRunningLines", true},
        {"background", QJsonObject{{"type", "fullField"}, {"showStripes", true}, {"showLogo", true},
                                   {"logoImage", "logos/ovri256x256.png"}}},
        {"rotation", 0}, {"gridVisible", true}, {"nFrames", kFrames}, {"selectedFrame", 0},
        {"objects", objects}, {"frameText", captions}};
    return QJsonDocument(animation).toJson(QJsonDocument::Compact) + '\n';
}

// Wraps the page's steps to time them: drawing the moment, composing the
// layers, the JPEG encoding inside the composing, and the bridge call (the
// host's handling included). Keeps the last run's pictures for the host
// stages.
const char *const kInstrument = R"(
(function () {
    var g = pageShell.imageGenerator, now = function () { return performance.now(); };
    window.benchTimes = { draw: [], compose: [], jpeg: [], send: [], between: [] };
    window.benchPictures = [];
    var lastDelivered = null;
    function wrap(object, name, into, before) {
        var original = object[name];
        object[name] = function () {
            if (before) { before(); }
            var start = now();
            try { return original.apply(this, arguments); } finally { into.push(now() - start); }
        };
    }
    wrap(g, 'drawInstant', benchTimes.draw, function () {
        if (lastDelivered !== null) { benchTimes.between.push(now() - lastDelivered); }
    });
    wrap(g, 'capture', benchTimes.compose);
    var canvas = g.pictureCanvas();
    wrap(canvas, 'toDataURL', benchTimes.jpeg);
    var bridge = window.cppInterface;
    window.cppInterface = { sendMessage: bridge.sendMessage, receiveMessage: function (m) {
        var start = now();
        try { return bridge.receiveMessage(m); } finally {
            benchTimes.send.push(now() - start);
            lastDelivered = now();
            if (m.msgType === 'writeVideoFrame') { benchPictures.push(m.imageData); }
        }
    } };
})();
)";

double mean(const QVariantList &values)
{
    double sum = 0;
    for (const QVariant &v : values)
        sum += v.toDouble();
    return values.isEmpty() ? 0 : sum / values.size();
}

double total(const QVariantList &values)
{
    return mean(values) * values.size();
}

long peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

QString ms(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

bool exportAt(mainWindow &window, EditorView *page, const QTemporaryDir &dir, const VideoOptions &video, QTextStream &out)
{
    const int rate = video.frameRate;
    const int pictures = (kFrames - 1) * rate + 1;
    const double seconds = double(pictures + 2 * rate) / rate;
    QStringList walls;
    for (int run = 0; run < kRuns; ++run) {
        runInPage(page, QStringLiteral("for (var k in benchTimes) { benchTimes[k].length = 0; } benchPictures = [];"));
        const QString path = dir.filePath(QStringLiteral("drill%1.mp4").arg(run));
        QString error = QStringLiteral("unfinished");
        QEventLoop exporting;
        const auto connection = QObject::connect(&window, &mainWindow::exportFinished, &exporting,
                                                 [&](const QString &e) {
                                                     error = e;
                                                     exporting.quit();
                                                 });
        QElapsedTimer clock;
        clock.start();
        window.exportVideoTo(path, video);
        exporting.exec();
        const double wall = clock.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        if (!error.isEmpty()) {
            out << "export failed: " << error << "\n";
            return false;
        }
        const QVariantMap t = runInPage(page, QStringLiteral("benchTimes")).toMap();
        out << "run " << run + 1 << ": " << QString::number(wall, 'f', 0) << " ms for "
            << QString::number(seconds, 'f', 2) << " s of video, " << QString::number(seconds * 1000 / wall, 'f', 1)
            << "x real time; file " << QFileInfo(path).size() / 1024 << " KiB\n"
            << "  page, per picture: drawing " << ms(mean(t["draw"].toList())) << " ms, composing "
            << ms(mean(t["compose"].toList()) - mean(t["jpeg"].toList())) << " ms, JPEG encoding "
            << ms(mean(t["jpeg"].toList())) << " ms\n"
            << "  bridge and host per \"writeVideoFrame\": " << ms(mean(t["send"].toList()))
            << " ms; waiting between pictures " << ms(mean(t["between"].toList())) << " ms\n"
            << "  page totals: drawing " << QString::number(total(t["draw"].toList()), 'f', 0)
            << " ms, composing and encoding " << QString::number(total(t["compose"].toList()), 'f', 0)
            << " ms, sending " << QString::number(total(t["send"].toList()), 'f', 0) << " ms\n";
        walls << QString::number(wall, 'f', 0);
    }
    out << "wall times: " << walls.join(QStringLiteral(", ")) << " ms\n"
        << "peak memory: " << peakMiB() << " MiB\n";

    // The encoder's worker on the last run's pictures alone: decoding and
    // encoding, which overlap the page's drawing during an export.
    const QStringList urls = runInPage(page, QStringLiteral("benchPictures")).toStringList();
    QElapsedTimer clock;
    clock.start();
    for (const QString &url : urls)
        DataUrl::payload(url);
    const double base64 = clock.nsecsElapsed() / 1e6 / urls.size();
    QString error;
    auto encoder = Mp4Encoder::create(video.size.width(), video.size.height(), rate, dir.filePath(QStringLiteral("alone.mp4")), &error);
    clock.restart();
    for (int i = 0; i < urls.size(); ++i)
        encoder->writeJpegDataUrl(urls.at(i), i + 1 == urls.size() ? rate + 1 : 1);
    encoder->finish();
    const double worker = clock.nsecsElapsed() / 1e6;
    out << "encoder's worker alone: " << QString::number(worker, 'f', 0) << " ms for " << urls.size() + rate
        << " pictures, of which base64 decoding " << ms(base64) << " ms a picture (" << urls.value(0).size() / 1024
        << " KiB of text); the rest JPEG decoding and H.264 encoding\n";
    return true;
}

int main(int argc, char *argv[])
{
    EditorView::prepareProcess();
    QApplication app(argc, argv);
    ApplicationIdentity::apply();
    PageFonts::install();
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString drillPath = dir.filePath(QStringLiteral("drill.anim"));
    QFile file(drillPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(drill()) < 0)
        return 1;
    file.close();

    mainWindow window(mainWindow::Presentation::Hidden);
    if (!window.isPageLoaded()) {
        QEventLoop loading;
        QObject::connect(&window, &mainWindow::pageLoaded, &loading, &QEventLoop::quit);
        loading.exec();
    }
    EditorView *page = editorViewOf(&window);
    if (!waitForPageStart(page))
        return 1;
    window.openAnimation(drillPath);
    runInPage(page, QString::fromLatin1(kInstrument));
    out << "peak memory with the page loaded, before the export: " << peakMiB() << " MiB\n";

    // --default-only: 640 x 480 at 15 alone, as the engines' comparison runs it.
    QList<VideoOptions> choices = {VideoOptions{QSize(640, 480), 15}, VideoOptions{QSize(960, 720), 25},
                                   VideoOptions{QSize(1440, 1080), 30}};
    if (app.arguments().contains(QStringLiteral("--default-only")))
        choices = choices.mid(0, 1);
    out << "engine: " << EditorView::engineName() << "\n";
    for (const VideoOptions &video : choices) {
        out << "\n== " << VideoOptions::sizeText(video.size) << " at " << video.frameRate << " pictures a second, "
            << Mp4Encoder::bitRate(video.size.width(), video.size.height(), video.frameRate) / 1000 << " kbit/s ==\n";
        if (!exportAt(window, page, dir, video, out))
            return 1;
    }
    return 0;
}
