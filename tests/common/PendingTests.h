#ifndef PENDINGTESTS_H
#define PENDINGTESTS_H

#include <QByteArray>
#include <QObject>
#include <QtTest/QTest>

// Whether the running test function is one the engine under test does not
// pass yet: named, as "Class::function", in DRILLMORA_PENDING_TESTS, which
// tests/CMakeLists.txt sets with the reason for each. Called from init() to
// skip it there; everywhere else every test runs.
inline bool isPendingOnThisEngine(const QObject *test)
{
    const QList<QByteArray> pending = qgetenv("DRILLMORA_PENDING_TESTS").split(' ');
    return pending.contains(QByteArray(test->metaObject()->className()) + "::" + QTest::currentTestFunction());
}

#define SKIP_IF_PENDING_ON_THIS_ENGINE()                                                                   \
    do {                                                                                                  \
        if (isPendingOnThisEngine(this))                                                                  \
            QSKIP("not passed yet on this page engine (see DRILLMORA_PENDING_TESTS in tests/CMakeLists.txt)"); \
    } while (false)

#endif // PENDINGTESTS_H
