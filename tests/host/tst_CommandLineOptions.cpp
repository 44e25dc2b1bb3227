// Parsing of the command line into what the program does: the editor with
// its drill, or export jobs with their output files. Refusals are checked
// on the real program by tests/e2e/command-line-usage-test.sh.
#include "CommandLine.h"

#include <QDir>
#include <QtTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class tst_CommandLineOptions : public QObject
{
    Q_OBJECT

private slots:
    void jobs_data();
    void jobs();
    void editorOpensTheFirstDrill_data();
    void editorOpensTheFirstDrill();
};

void tst_CommandLineOptions::jobs_data()
{
    QTest::addColumn<QStringList>("arguments");
    // One "kind output frame width" per job, in order.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("video") << QStringList{"--export-video", "out.mp4", "d.anim"} << QStringList{"0 out.mp4 0 1024"};
    QTest::newRow("upper-case suffix") << QStringList{"--export-pdf", "R.PDF", "d.anim"}
                                       << QStringList{"1 R.PDF 0 1024"};
    QTest::newRow("picture with frame and width")
        << QStringList{"--export-picture", "p.jpg", "--frame", "3", "--width", "640", "d.anim"}
        << QStringList{"2 p.jpg 3 640"};
    QTest::newRow("two kinds, one drill") << QStringList{"--export-pdf", "r.pdf", "--export-video", "v.mp4", "d.anim"}
                                          << QStringList{"0 v.mp4 0 1024", "1 r.pdf 0 1024"};
    QTest::newRow("folder, drill by drill")
        << QStringList{"--output-dir", "out", "--export-picture", "png", "--export-pdf", ".pdf", "a/one.anim",
                       "b/two.drill.anim"}
        << QStringList{"1 out/one.pdf 0 1024", "2 out/one.png 0 1024", "1 out/two.drill.pdf 0 1024",
                       "2 out/two.drill.png 0 1024"};
    QTest::newRow("folder, type given as a file name")
        << QStringList{"--output-dir", "out", "--export-video", "x.mp4", "a.anim"} << QStringList{"0 out/a.mp4 0 1024"};
}

void tst_CommandLineOptions::jobs()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    const CommandLine line = CommandLine::parse(QStringList{"drillmora"} + arguments);
    QCOMPARE(line.errorText(), QString());
    QCOMPARE(line.action(), CommandLine::Action::Export);
    QVERIFY(!line.needsWindow());
    QStringList got;
    for (const ExportJob &job : line.exportJobs())
        got << QStringLiteral("%1 %2 %3 %4")
                   .arg(int(job.kind))
                   .arg(QDir::fromNativeSeparators(job.outputPath))
                   .arg(job.frame)
                   .arg(job.width);
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void tst_CommandLineOptions::editorOpensTheFirstDrill_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("drill");
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("one") << QStringList{"my drill.anim"} << "my drill.anim";
    QTest::newRow("extra ignored") << QStringList{"a.anim", "b.anim"} << "a.anim";
    QTest::newRow("after --") << QStringList{"--", "-odd.anim"} << "-odd.anim";
}

void tst_CommandLineOptions::editorOpensTheFirstDrill()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, drill);
    const CommandLine line = CommandLine::parse(QStringList{"drillmora"} + arguments);
    QCOMPARE(line.action(), CommandLine::Action::Edit);
    QVERIFY(line.needsWindow());
    QCOMPARE(line.drillToOpen(), drill);
}

QTEST_GUILESS_MAIN(tst_CommandLineOptions)
#include "tst_CommandLineOptions.moc"
