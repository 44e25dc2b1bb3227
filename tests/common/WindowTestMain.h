#ifndef WINDOWTESTMAIN_H
#define WINDOWTESTMAIN_H

#include <QApplication>
#include <QtTest>

// The main function of a test that builds the real main window. The window
// opens its first process argument as an animation file, so the
// application object gets none of the test selection arguments.
#define DRILLMORA_WINDOW_TEST_MAIN(TestClass)         \
    int main(int argc, char *argv[])                  \
    {                                                 \
        int appArgc = 1;                              \
        QApplication app(appArgc, argv);              \
        TestClass test;                               \
        QTEST_SET_MAIN_SOURCE_PATH                    \
        return QTest::qExec(&test, argc, argv);       \
    }

#endif // WINDOWTESTMAIN_H
