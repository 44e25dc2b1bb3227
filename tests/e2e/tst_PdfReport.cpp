// The PDF report through the real window and page: the toolbar's report
// button, the real save dialog, the page's pictures and jsPDF, the host's
// writer; the files are read back with poppler's own tools.
#include "ApplicationIdentity.h"
#include "EditorWindow.h"
#include "ModalDriver.h"
#include "PageFonts.h"
#include "ScriptEngineWorkarounds.h"
#include "mainWindow.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

namespace {

const double PointsPerMm = 72 / 25.4;
const int RenderDpi = 100;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage jpegOf(const QString &dataUrl)
{
    QImage image;
    image.loadFromData(QByteArray::fromBase64(dataUrl.section(QLatin1Char(','), 1).toLatin1()), "JPEG");
    return image;
}

// Where jsPDF drew each picture, in millimetres from the top left of its
// page, in drawing order: "w 0 0 h x y cm /In Do" in the content streams
// (y counted from the bottom, in points).
struct Placement {
    QRectF mm;
    int image;
};

QList<Placement> placements(const QByteArray &pdf, double pageHeightPt)
{
    QList<Placement> out;
    static const QRegularExpression drawn(QStringLiteral(
        "([\\d.]+) 0 0 ([\\d.]+) ([\\d.-]+) ([\\d.-]+) cm\\s*/I(\\d+) Do"));
    auto it = drawn.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        const auto m = it.next();
        const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
        const double x = m.captured(3).toDouble(), y = m.captured(4).toDouble();
        out << Placement{QRectF(x / PointsPerMm, (pageHeightPt - y - h) / PointsPerMm, w / PointsPerMm, h / PointsPerMm),
                         m.captured(5).toInt()};
    }
    return out;
}

// A picture as the page shows it in the area `mm` of the rendered page, and
// a picture scaled to the same size (a small margin left out on all sides).
QImage shownIn(const QImage &page, const QRectF &mm)
{
    const double pxPerMm = RenderDpi / 25.4;
    const QRect area(qRound(mm.x() * pxPerMm) + 2, qRound(mm.y() * pxPerMm) + 2,
                     qRound(mm.width() * pxPerMm) - 4, qRound(mm.height() * pxPerMm) - 4);
    return page.copy(area).convertToFormat(QImage::Format_RGB32);
}

QImage scaledTo(const QImage &picture, const QRectF &mm)
{
    const double pxPerMm = RenderDpi / 25.4;
    const QSize size(qRound(mm.width() * pxPerMm), qRound(mm.height() * pxPerMm));
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .copy(2, 2, size.width() - 4, size.height() - 4)
        .convertToFormat(QImage::Format_RGB32);
}

int distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

// How far `shown` is from each of two pictures, as a mean difference per
// colour channel (0 to 255), taken only where the two pictures differ
// clearly from each other: at the places where their players stand.
QPair<double, double> differences(const QImage &shown, const QImage &a, const QImage &b)
{
    double toA = 0, toB = 0;
    int places = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (distance(a.pixel(x, y), b.pixel(x, y)) < 150)
                continue;
            ++places;
            toA += distance(shown.pixel(x, y), a.pixel(x, y));
            toB += distance(shown.pixel(x, y), b.pixel(x, y));
        }
    }
    if (places < 50)
        return qMakePair(-1.0, -1.0);
    return qMakePair(toA / (3.0 * places), toB / (3.0 * places));
}

} // namespace

class tst_PdfReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void report_data();
    void report();
    void cancelWritesNothing();

private:
    QWebFrame *frame() const { return m_view->page()->mainFrame(); }
    QVariant js(const QString &script) const { return frame()->evaluateJavaScript(script); }
    void makeAnimation(int frames, bool turned);
    void pressReportButton(const QString &path, bool replacing);
    QStringList ownPictures(const QList<int> &frames);

    QScopedPointer<mainWindow> m_window;
    QWebView *m_view = nullptr;
    QTemporaryDir m_dir;
};

void tst_PdfReport::initTestCase()
{
    ScriptEngineWorkarounds::apply();
    ApplicationIdentity::apply();
    PageFonts::install();
    QVERIFY(m_dir.isValid());
}

void tst_PdfReport::init()
{
    m_window.reset(new mainWindow);
    m_view = m_window->findChild<QWebView *>();
    QVERIFY(waitForPage(m_window.data()));
    QTRY_VERIFY_WITH_TIMEOUT(js(QStringLiteral("pageShell.reportLogoSettled")).toBool(), 10000);
    // Kinetic builds its hit regions on the next animation frame.
    QTest::qWait(200);
}

void tst_PdfReport::cleanup()
{
    const QStringList errors = js(QStringLiteral("caughtErrors")).toStringList();
    m_window.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

// Four players of four colours that move across the pitch from frame to
// frame, so that no two frames look alike; each frame has its caption.
void tst_PdfReport::makeAnimation(int frames, bool turned)
{
    js(QStringLiteral(
           "(function (n, turned) {"
           "  var a = pageShell.animation, fm = a.frameManager;"
           "  if (turned) { myDispatchEvent('rotateClockwise', {}); }"
           "  var colours = ['red', 'blue', 'black', 'orange'];"
           "  colours.forEach(function (c) { a.addItem('person', c, 'default', 'default'); });"
           "  for (var k = 0; k < n; k++) {"
           "    if (k > 0) { fm.addFrame(); }"
           "    a.animLayer.itemGroups().forEach(function (g, i) {"
           "      g.updatePosition({ x: a.animLayer.layerWidth * (0.1 + 0.8 * ((k * 5 + i * 3) % 11) / 10),"
           "                         y: a.animLayer.layerHeight * (0.15 + 0.23 * i) },"
           "                       g.getFieldItem().group.rotation());"
           "    });"
           "    a.setFrameText('Frame ' + (k + 1));"
           "    fm.saveFrame();"
           "  }"
           "})(%1, %2);")
           .arg(frames)
           .arg(turned ? QStringLiteral("true") : QStringLiteral("false")));
    QCOMPARE(js(QStringLiteral("pageShell.animation.frameManager.nFrames")).toInt(), frames);
}

// A real click on the toolbar's report button, then the name typed into
// the real save dialog.
void tst_PdfReport::pressReportButton(const QString &path, bool replacing)
{
    auto chooser = ModalDriver::answer<QFileDialog>([&](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    auto replace = ModalDriver::answer<QMessageBox>([](QMessageBox *b) {
        b->button(QMessageBox::Yes)->click();
    }, replacing ? 5000 : 0);
    clickToolbarButton(m_view, QStringLiteral("exportPdf"));
    QTRY_VERIFY(chooser->seen());
    QTRY_COMPARE(replace->seen(), replacing);
}

// The given frames drawn by the page's image generator as the report draws
// them (720 wide, for print), as JPEG data URLs.
QStringList tst_PdfReport::ownPictures(const QList<int> &frames)
{
    QStringList times;
    for (int f : frames)
        times << QString::number(f * 1000);
    js(QStringLiteral(
           "window.ownPictures = [];"
           "(function (g, times) {"
           "  var a = pageShell.animation;"
           "  g.loadAnimation(a.saveToString());"
           "  g.configureAnimation(720, true, a.animLayer.showRunningLines, a.bgLayer.gridVisibility());"
           "  function next(url) {"
           "    ownPictures.push(url);"
           "    if (ownPictures.length < times.length) { g.getImage(times[ownPictures.length], next); }"
           "  }"
           "  g.getImage(times[0], next);"
           "})(pageShell.imageGenerator, [%1]);")
           .arg(times.join(QLatin1Char(','))));
    [&] { QTRY_COMPARE_WITH_TIMEOUT(js(QStringLiteral("ownPictures.length")).toInt(), frames.size(), 20000); }();
    return js(QStringLiteral("ownPictures")).toStringList();
}

void tst_PdfReport::report_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<bool>("replacing");

    QTest::newRow("1 frame") << 1 << false << false;
    QTest::newRow("6 frames fill a page") << 6 << false << false;
    QTest::newRow("7 frames start page 2") << 7 << false << true;
    QTest::newRow("13 frames") << 13 << false << false;
    QTest::newRow("turned pitch") << 8 << true << false;
}

void tst_PdfReport::report()
{
    QFETCH(int, frames);
    QFETCH(bool, turned);
    QFETCH(bool, replacing);
    const int pages = (frames + 5) / 6;
    const QString path = m_dir.filePath(QStringLiteral("Report %1%2.pdf").arg(frames).arg(turned ? "t" : ""));
    if (replacing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier report");
    }
    makeAnimation(frames, turned);
    pressReportButton(path, replacing);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QProgressDialog *>(), 60000);
    QVERIFY(!js(QStringLiteral("pageShell.pdfReport.isBusy()")).toBool());

    const QByteArray pdf = readFile(path);
    QVERIFY(pdf.startsWith("%PDF-"));

    const QString info = run(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595.28 x 841.89 pts \\(A4\\)"))),
             qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Norrick Playvane Report\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+Norrick Limited\\n"))), qPrintable(info));

    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QCOMPARE(text.count(QStringLiteral("Training Report")), pages);
    QCOMPARE(text.count(QStringLiteral("www.drillmora.com")), pages);
    for (int p = 1; p <= pages; ++p)
        QVERIFY2(text.contains(QStringLiteral("Page %1 / %2").arg(p).arg(pages)), qPrintable(text));

    // pdfimages: per page its frames and the logo; every frame a picture
    // object of its own, the logo one object shared by every page.
    QMap<int, int> perPage;
    QSet<QString> frameObjects, logoObjects;
    for (const QString &line : run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path}).split('\n')) {
        const QStringList c = line.simplified().split(' ');
        if (c.size() < 12 || !c[0].toInt())
            continue;
        ++perPage[c[0].toInt()];
        (c[3] == QLatin1String("720") ? frameObjects : logoObjects) << c[10];
    }
    for (int p = 1; p <= pages; ++p)
        QCOMPARE(perPage.value(p), qMin(6, frames - (p - 1) * 6) + 1);
    QCOMPARE(frameObjects.size(), frames);
    QCOMPARE(logoObjects.size(), 1);

    // Layout: three rows of two, the columns touching on a turned pitch.
    const QList<Placement> drawn = placements(pdf, 841.89);
    QCOMPARE(drawn.size(), frames + pages);
    QList<QRectF> placed;
    for (const Placement &p : drawn) {
        if (p.mm.width() > 40)
            placed << p.mm;
    }
    QCOMPARE(placed.size(), frames);
    const double width = turned ? 91.0 : 85.75;
    QVERIFY2(qAbs(placed[0].width() - width) < 0.05, qPrintable(QString::number(placed[0].width())));
    QVERIFY(qAbs(placed[0].left() - 14.0) < 0.05 && qAbs(placed[0].top() - 37) < 0.05);
    if (frames > 1)
        QVERIFY2(qAbs(placed[1].left() - (turned ? placed[0].right() : 110.25)) < 0.05,
                 qPrintable(QString::number(placed[1].left())));

    // The rendered first page shows each frame's own picture in its slot.
    const QString prefix = m_dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(RenderDpi), QStringLiteral("-png"),
                                     QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                     QStringLiteral("1"), QStringLiteral("-singlefile"), path, prefix});
    const QImage page(prefix + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    // Two slots, the first and the last of page 1, each compared with the
    // frame's own picture and with the other frame's picture.
    const int second = qMin(frames, 6) - 1;
    const QStringList own = ownPictures({0, second});
    const QImage first = jpegOf(own[0]), last = jpegOf(own[1]);
    QCOMPARE(first.size(), QSize(720, 540));
    if (second > 0) {
        for (int slot : {0, second}) {
            const QImage a = scaledTo(first, placed[slot]), b = scaledTo(last, placed[slot]);
            const auto d = differences(shownIn(page, placed[slot]), a, b);
            const double toOwn = slot == 0 ? d.first : d.second;
            const double toOther = slot == 0 ? d.second : d.first;
            QVERIFY2(toOwn >= 0 && toOwn < 40 && toOther > 3 * toOwn,
                     qPrintable(QStringLiteral("slot %1: %2 to its own, %3 to the other").arg(slot).arg(toOwn).arg(toOther)));
        }
    }
    if (turned) {
        // White bands beside the turned pitch, at a tenth of the picture's
        // width in from either side, half-way down.
        const double pxPerMm = RenderDpi / 25.4;
        for (double at : {0.1, 0.9}) {
            const QRgb band = page.pixel(qRound((placed[0].left() + at * placed[0].width()) * pxPerMm),
                                         qRound(placed[0].center().y() * pxPerMm));
            QVERIFY2(qRed(band) > 240 && qGreen(band) > 240 && qBlue(band) > 240,
                     qPrintable(QString::number(band, 16)));
        }
    }
}

// Cancel as soon as the progress shows: nothing is written, an earlier file
// stays as it was, and the page is free for the next report once its
// pictures are drawn.
void tst_PdfReport::cancelWritesNothing()
{
    const QString existing = m_dir.filePath(QStringLiteral("kept.pdf"));
    const QString fresh = m_dir.filePath(QStringLiteral("never.pdf"));
    {
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier report");
    }
    makeAnimation(7, false);
    for (const QString &path : {existing, fresh}) {
        pressReportButton(path, path == existing);
        QProgressDialog *progress = m_window->findChild<QProgressDialog *>();
        QVERIFY(progress);
        progress->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!js(QStringLiteral("pageShell.pdfReport.isBusy()")).toBool(), 60000);
        QTest::qWait(100);
        QVERIFY(!m_window->findChild<QProgressDialog *>());
    }
    QCOMPARE(readFile(existing), QByteArray("an earlier report"));
    QVERIFY(!QFile::exists(fresh));
}

// The window opens its first process argument as an animation file, so the
// application object gets none of the test selection arguments.
int main(int argc, char *argv[])
{
    int appArgc = 1;
    QApplication app(appArgc, argv);
    tst_PdfReport test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_PdfReport.moc"
