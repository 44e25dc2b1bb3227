// The command-line export runner in a real hidden window with its real
// page, driven by stand-in exporters: what reaches the exporter, what ends
// up on disk after success and after every kind of failure, and batches.
#include "AnimationText.h"
#include "CommandLine.h"
#include "ExportRunner.h"
#include "TestFiles.h"
#include "mainWindow.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Behaviour { Write, WriteThenFail, WriteNothing, AnswerTwice };

} // namespace

class tst_ExportRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void oneDrill_data();
    void oneDrill();
    void batchGoesOnAfterAFailure();
    void unregisteredKindIsNamed();

private:
    int run(const QList<ExportJob> &jobs, Behaviour behaviour);

    QScopedPointer<mainWindow> m_window;
    QScopedPointer<QTemporaryDir> m_dir;
    QList<ExportJob> m_seen;
    QStringList m_lines;
};

void tst_ExportRunner::initTestCase()
{
    m_window.reset(new mainWindow(mainWindow::Presentation::Hidden));
    QSignalSpy loaded(m_window.data(), &mainWindow::pageLoaded);
    QVERIFY(loaded.wait(20000));
    QVERIFY(!m_window->isVisible() || m_window->testAttribute(Qt::WA_DontShowOnScreen));
}

void tst_ExportRunner::init()
{
    m_dir.reset(new QTemporaryDir);
    m_seen.clear();
    m_lines.clear();
}

int tst_ExportRunner::run(const QList<ExportJob> &jobs, Behaviour behaviour)
{
    ExportRunner runner;
    runner.setExporter(ExportJob::Kind::Pdf, [&](mainWindow *, const ExportJob &job, const ExportRunner::Done &done) {
        m_seen.append(job);
        if (behaviour != Behaviour::WriteNothing)
            writeFile(job.outputPath, "exported " + QFileInfo(job.drillPath).fileName().toUtf8());
        done(behaviour == Behaviour::WriteThenFail ? QStringLiteral("the encoder gave up") : QString());
        if (behaviour == Behaviour::AnswerTwice)
            done(QStringLiteral("a late second answer"));
    });
    connect(&runner, &ExportRunner::progress, this, [this](const QString &line) { m_lines.append(line); });
    QSignalSpy finished(&runner, &ExportRunner::finished);
    runner.start(m_window.data(), jobs);
    if (!finished.wait(20000))
        return -1;
    QTest::qWait(50); // a second answer would arrive now
    return finished.count() == 1 ? finished.first().first().toInt() : -2;
}

void tst_ExportRunner::oneDrill_data()
{
    QTest::addColumn<QByteArray>("drill");      // empty: no drill file at all
    QTest::addColumn<QString>("output");        // relative to the test folder
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("exporterCalled");
    QTest::addColumn<QString>("message");       // empty: success

    const QByteArray good = animationText(QStringLiteral("c")).toUtf8() + '\n';
    const int write = int(Behaviour::Write);
    QTest::newRow("success") << good << "out.pdf" << write << true << "";
    QTest::newRow("answered twice") << good << "out.pdf" << int(Behaviour::AnswerTwice) << true << "";
    QTest::newRow("export fails") << good << "out.pdf" << int(Behaviour::WriteThenFail) << true
                                  << "the encoder gave up";
    QTest::newRow("nothing written") << good << "out.pdf" << int(Behaviour::WriteNothing) << true
                                     << "wrote nothing";
    QTest::newRow("not JSON") << QByteArray("this is not a drill\n") << "out.pdf" << write << false
                              << "Error Opening Animation File";
    QTest::newRow("another program's JSON") << QByteArray("{\"msgType\":\"x\"}\n") << "out.pdf" << write
                                            << false << "Error Opening Animation File";
    QTest::newRow("no drill file") << QByteArray() << "out.pdf" << write << false << "drill.anim";
    QTest::newRow("missing folder") << good << "no such folder/out.pdf" << write << false << "does not exist";
    QTest::newRow("folder under a file") << good << "plain file/out.pdf" << write << false << "does not exist";
    QTest::newRow("output is a folder") << good << "a folder" << write << false << "it is a folder";
}

void tst_ExportRunner::oneDrill()
{
    QFETCH(QByteArray, drill);
    QFETCH(QString, output);
    QFETCH(int, behaviour);
    QFETCH(bool, exporterCalled);
    QFETCH(QString, message);

    const QDir dir(m_dir->path());
    const QString drillPath = dir.filePath(QStringLiteral("drill.anim"));
    if (!drill.isEmpty())
        writeFile(drillPath, drill);
    writeFile(dir.filePath(QStringLiteral("plain file")), "x");
    QVERIFY(dir.mkdir(QStringLiteral("a folder")));
    const QString outputPath = dir.filePath(output);
    // An earlier export of the same name is replaced only by a finished one.
    if (output == QLatin1String("out.pdf"))
        writeFile(outputPath, "earlier export");

    ExportJob job;
    job.kind = ExportJob::Kind::Pdf;
    job.drillPath = drillPath;
    job.outputPath = outputPath;
    const int exitCode = run({job}, Behaviour(behaviour));

    QCOMPARE(exitCode, message.isEmpty() ? 0 : CommandLine::ExitFailed);
    QCOMPARE(m_seen.size(), exporterCalled ? 1 : 0);
    if (exporterCalled) {
        const QFileInfo staged(m_seen.first().outputPath);
        QVERIFY(staged.absoluteFilePath() != QFileInfo(outputPath).absoluteFilePath());
        QCOMPARE(staged.absolutePath(), QFileInfo(outputPath).absolutePath());
        QCOMPARE(staged.suffix(), QStringLiteral("pdf"));
    }
    QVERIFY(!m_lines.isEmpty());
    QVERIFY(m_lines.first().contains(QStringLiteral("[1/1]")));
    if (message.isEmpty()) {
        QCOMPARE(readFile(outputPath), QByteArray("exported drill.anim"));
        QVERIFY(QFileInfo(outputPath).permissions() & QFile::ReadOther);
        QCOMPARE(m_lines.size(), 1);
    } else {
        QCOMPARE(m_lines.size(), 2);
        QVERIFY2(m_lines.last().contains(message), qPrintable(m_lines.last()));
        if (output == QLatin1String("out.pdf"))
            QCOMPARE(readFile(outputPath), QByteArray("earlier export"));
    }
    // No temporary file is left behind, whatever happened.
    const QStringList hidden = dir.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".out."));
    QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(QLatin1Char(' '))));
}

void tst_ExportRunner::batchGoesOnAfterAFailure()
{
    const QDir dir(m_dir->path());
    QList<ExportJob> jobs;
    for (const QString &name : {QStringLiteral("first"), QStringLiteral("broken"), QStringLiteral("third")}) {
        const QString drill = dir.filePath(name + QStringLiteral(".anim"));
        writeFile(drill, name == QLatin1String("broken") ? QByteArray("{") : animationText(name).toUtf8());
        ExportJob job;
        job.kind = ExportJob::Kind::Pdf;
        job.drillPath = drill;
        job.outputPath = dir.filePath(name + QStringLiteral(".pdf"));
        jobs.append(job);
    }
    QCOMPARE(run(jobs, Behaviour::Write), CommandLine::ExitFailed);
    QCOMPARE(m_seen.size(), 2);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("first.pdf"))), QByteArray("exported first.anim"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("third.pdf"))), QByteArray("exported third.anim"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("broken.pdf"))));
    QCOMPARE(m_lines.filter(QStringLiteral("/3] ")).size(), 3);
    QCOMPARE(m_lines.filter(QStringLiteral("Failed to export")).size(), 1);
}

void tst_ExportRunner::unregisteredKindIsNamed()
{
    ExportRunner runner;
    runner.setExporter(ExportJob::Kind::Pdf, [](mainWindow *, const ExportJob &, const ExportRunner::Done &) {});
    ExportJob pdf;
    pdf.kind = ExportJob::Kind::Pdf;
    ExportJob video;
    video.kind = ExportJob::Kind::Video;
    QCOMPARE(runner.unavailableExport({pdf}), QString());
    QVERIFY(runner.unavailableExport({pdf, video}).contains(QStringLiteral("a video")));
}

QTEST_MAIN(tst_ExportRunner)
#include "tst_ExportRunner.moc"
