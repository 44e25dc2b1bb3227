// Prints what a whole video export costs, page and host together, for a
// drill of 10 frames and 25 items (at 640 × 480 and 15 pictures a second,
// 136 pictures drawn, 166 in the video, 11.07 s long), at each picture size
// and rate a coach may choose, or as the GIF a coach gets by default (480
// wide at 10 a second, 10.1 s long), side by side: the wall time from
// "exportVideoResponse" to the file closed and its ratio to the video's
// duration, then the time per stage and the peak resident memory of the
// exports at that size (the peak is reset before each size). Each export
// runs three times in one hidden main window with its real page; the stages
// are timed on the page by wrapping the image generator's steps, the host's
// converting and encoding afterwards, on the first pictures of a fourth
// export alone.
//
//   QT_QPA_PLATFORM=offscreen tests/bench/bench_videoExport [--default-only | --targets | --gif] [--jpeg]
#include "ApplicationIdentity.h"
#include "EditorView.h"
#include "DataUrl.h"
#include "Mp4Encoder.h"
#include "PageFonts.h"
#include "PageScript.h"
#include "ProcessMemory.h"
#include "VideoOptions.h"
#include "VideoPicture.h"
#include "jsInterface.h"
#include "mainWindow.h"

#include <QApplication>
#include <QDir>
#include <QHash>
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
#include <unistd.h>

namespace {

const int kFrames = 10;
const int kRuns = 3;
// Pictures kept from the fourth export for the encoder alone.
const int kKept = 40;

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
// layers, the JPEG encoding or pixel reading inside the composing, and the
// bridge call (the host's handling included).
const char *const kInstrument = R"(
(function () {
    var g = pageShell.imageGenerator, now = function () { return performance.now(); };
    window.benchTimes = { draw: [], compose: [], encode: [], send: [], between: [] };
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
    wrap(canvas, 'toDataURL', benchTimes.encode);
    wrap(canvas.getContext()._context, 'getImageData', benchTimes.encode);
    var bridge = window.cppInterface;
    window.cppInterface = { sendMessage: bridge.sendMessage, receiveMessage: function (m) {
        var start = now();
        try { return bridge.receiveMessage(m); } finally {
            if (m.msgType === 'writeVideoFrame') { benchTimes.send.push(now() - start); }
            lastDelivered = now();
        }
    } };
    // Pictures through the host's socket: the send is the socket's.
    var createSocket = window.createPictureSocket;
    window.createPictureSocket = function (url, token, settled) {
        if (window.benchJpegOnly) {
            setTimeout(function () { settled(false); }, 0);
            return { send: function () { return false; }, close: function () {} };
        }
        var socket = createSocket(url, token, settled);
        var send = socket.send;
        socket.send = function () {
            var start = now();
            try { return send.apply(this, arguments); } finally {
                benchTimes.send.push(now() - start);
                lastDelivered = now();
            }
        };
        return socket;
    };
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

// The peak resident memory since the last resetPeak().
long peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The processor time this process has used, all its threads (or the
// calling thread alone: the page's and the bridge's, the main thread), in ms.
double cpuMs(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The processor time of the page's processes (every process this one
// started: WebEngine's page and helper processes; none under WebKit), in ms.
double childProcessesCpuMs()
{
    const QHash<qint64, QList<QByteArray>> stats = processStats();
    const double tick = 1000.0 / sysconf(_SC_CLK_TCK);
    double total = 0;
    for (const qint64 pid : descendantsOf(getpid(), stats)) {
        const QList<QByteArray> &fields = stats.value(pid);
        if (fields.size() > 12)
            total += (fields[11].toDouble() + fields[12].toDouble()) * tick;
    }
    return total;
}

// The machine's load: the figures mean little on a busy one.
QString loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    return load.open(QIODevice::ReadOnly) ? QString::fromLatin1(load.readAll().trimmed()) : QString();
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool runExport(mainWindow &window, const QString &path, const VideoOptions &video, QString *error)
{
    *error = QStringLiteral("unfinished");
    QEventLoop exporting;
    const auto connection = QObject::connect(&window, &mainWindow::exportFinished, &exporting,
                                             [&](const QString &e) {
                                                 *error = e;
                                                 exporting.quit();
                                             });
    window.exportVideoTo(path, video);
    exporting.exec();
    QObject::disconnect(connection);
    return error->isEmpty();
}

QString ms(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

bool exportAt(mainWindow &window, EditorView *page, const QTemporaryDir &dir, const VideoOptions &video, QTextStream &out)
{
    const bool gif = video.format == VideoOptions::Format::Gif;
    const int rate = video.frameRate;
    const int pictures = (kFrames - 1) * rate + 1;
    // A second's title card where there is one, and the last picture held a second.
    const double seconds = double(pictures + (video.titleCard ? 2 : 1) * rate) / rate;
    QStringList walls, cpus;
    resetPeak();
    for (int run = 0; run < kRuns; ++run) {
        runInPage(page, QStringLiteral("for (var k in benchTimes) { benchTimes[k].length = 0; }"));
        const QString path = dir.filePath(QStringLiteral("drill%1.%2").arg(run).arg(gif ? "gif" : "mp4"));
        QString error;
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuMs(), mainBefore = cpuMs(RUSAGE_THREAD), pageBefore = childProcessesCpuMs();
        if (!runExport(window, path, video, &error)) {
            out << "export failed: " << error << "\n";
            return false;
        }
        const double wall = clock.nsecsElapsed() / 1e6;
        const double cpu = cpuMs() - cpuBefore, mainCpu = cpuMs(RUSAGE_THREAD) - mainBefore;
        const double pageCpu = childProcessesCpuMs() - pageBefore;
        // On two idle cores an export takes at least its main thread's time
        // and at least half of all its time, the page's processes' included.
        const double idleWall = qMax(mainCpu, (cpu + pageCpu) / 2);
        const QVariantMap t = runInPage(page, QStringLiteral("benchTimes")).toMap();
        out << "run " << run + 1 << ": " << QString::number(wall, 'f', 0) << " ms for "
            << QString::number(seconds, 'f', 2) << " s of video, " << QString::number(seconds * 1000 / wall, 'f', 1)
            << "x real time; file " << QFileInfo(path).size() / 1024 << " KiB\n"
            << "  processor time " << QString::number(cpu, 'f', 0) << " ms, of which the main thread "
            << QString::number(mainCpu, 'f', 0) << " ms: on two idle cores at best "
            << QString::number(seconds * 1000 / idleWall, 'f', 1) << "x real time\n"
            << "  the page's processes (WebEngine): processor time " << QString::number(pageCpu, 'f', 0) << " ms, "
            << ms(pageCpu / (pictures)) << " ms a picture\n"
            << "  page, per picture: drawing " << ms(mean(t["draw"].toList())) << " ms, composing "
            << ms(mean(t["compose"].toList()) - mean(t["encode"].toList())) << " ms, JPEG encoding or reading pixels "
            << ms(mean(t["encode"].toList())) << " ms\n"
            << "  bridge and host per \"writeVideoFrame\": " << ms(mean(t["send"].toList()))
            << " ms; waiting between pictures " << ms(mean(t["between"].toList())) << " ms\n"
            << "  page totals: drawing " << QString::number(total(t["draw"].toList()), 'f', 0)
            << " ms, composing and encoding " << QString::number(total(t["compose"].toList()), 'f', 0)
            << " ms, sending " << QString::number(total(t["send"].toList()), 'f', 0) << " ms\n";
        walls << QString::number(wall, 'f', 0);
        cpus << QString::number(cpu, 'f', 0) + QStringLiteral(" (main ") + QString::number(mainCpu, 'f', 0)
                    + QStringLiteral(", ") + QString::number(seconds * 1000 / idleWall, 'f', 1) + QStringLiteral("x)");
    }
    out << "wall times: " << walls.join(QStringLiteral(", ")) << " ms; processor times: " << cpus.join(QStringLiteral(", "))
        << " ms; load average after: " << loadAverage() << "\n"
        << "peak memory during these exports: " << peakMiB() << " MiB\n";
    if (gif)
        return true;

    // The encoder's worker on the first pictures of one more export alone:
    // converting (or decoding) and encoding, which overlap the page's
    // drawing during an export.
    QList<QVariantMap> kept;
    auto *bridge = window.findChild<jsInterface *>();
    const auto keep = [&](const QVariantMap &m) {
        if (m.value("msgType") == "writeVideoFrame" && kept.size() < kKept)
            kept << m;
    };
    const auto keeping = QObject::connect(bridge, &jsInterface::messageReceived, keep);
    const auto keepingBytes = QObject::connect(page, &EditorView::pictureReceived, keep);
    QString error;
    const bool exported = runExport(window, dir.filePath(QStringLiteral("kept.mp4")), video, &error);
    QObject::disconnect(keeping);
    QObject::disconnect(keepingBytes);
    if (!exported) {
        out << "export failed: " << error << "\n";
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    for (const QVariantMap &m : qAsConst(kept))
        DataUrl::payload(m.value("imageData").toString());
    const double base64 = clock.nsecsElapsed() / 1e6 / kept.size();
    auto encoder = Mp4Encoder::create(video.size.width(), video.size.height(), rate, dir.filePath(QStringLiteral("alone.mp4")), &error);
    clock.restart();
    for (const QVariantMap &m : qAsConst(kept))
        VideoPicture::queue(*encoder, m, 1);
    encoder->finish();
    const double worker = clock.nsecsElapsed() / 1e6;
    out << "encoder's worker alone: " << ms(worker / kept.size()) << " ms a picture ("
        << kept.size() << " pictures); of which base64 decoding " << ms(base64) << " ms (JPEG pictures only)\n";
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

    // --default-only: 640 x 480 at 15 alone; --targets: that and 960 x 720
    // at 25, as the engines' comparison runs it; --gif: the GIF a coach gets
    // by default. --jpeg: the page sends JPEG data URLs through the bridge,
    // as where no socket can be had.
    QList<VideoOptions> choices = {VideoOptions{QSize(640, 480), 15}, VideoOptions{QSize(960, 720), 25},
                                   VideoOptions{QSize(1440, 1080), 30}};
    if (app.arguments().contains(QStringLiteral("--default-only")))
        choices = choices.mid(0, 1);
    if (app.arguments().contains(QStringLiteral("--targets")))
        choices = choices.mid(0, 2);
    if (app.arguments().contains(QStringLiteral("--gif")))
        choices = {VideoOptions::gif()};
    const bool jpeg = app.arguments().contains(QStringLiteral("--jpeg"));
    if (jpeg)
        runInPage(page, QStringLiteral("window.benchJpegOnly = true;"));
    out << "engine: " << EditorView::engineName() << (jpeg ? ", pictures as JPEG through the bridge" : "") << "\n";
    for (const VideoOptions &video : choices) {
        out << "\n== " << (video.format == VideoOptions::Format::Gif ? "GIF, " : "") << VideoOptions::sizeText(video.size)
            << " at " << video.frameRate << " pictures a second";
        if (video.format == VideoOptions::Format::Mp4)
            out << ", " << Mp4Encoder::bitRate(video.size.width(), video.size.height(), video.frameRate) / 1000 << " kbit/s";
        out << " ==\n";
        if (!exportAt(window, page, dir, video, out))
            return 1;
    }
    return 0;
}
