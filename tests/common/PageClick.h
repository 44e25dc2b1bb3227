#ifndef PAGECLICK_H
#define PAGECLICK_H

#include "PageScript.h"

#include <QTest>
#include <QWindow>

// Counts the presses and releases the page sees, before any handler of the
// page's runs (capture on the window); returns the counts so far.
inline QPair<int, int> pressesSeenInPage(EditorView *view)
{
    runInPage(view, QStringLiteral(
                        "if (!window.pressesSeen) { window.pressesSeen = { mousedown: 0, mouseup: 0 };"
                        "  ['mousedown', 'mouseup'].forEach(function (kind) {"
                        "    window.addEventListener(kind, function () { pressesSeen[kind] += 1; }, true); }); }"));
    return qMakePair(runInPage(view, QStringLiteral("pressesSeen.mousedown")).toInt(),
                     runInPage(view, QStringLiteral("pressesSeen.mouseup")).toInt());
}

// A click of `button` at `pos` of the page's input widget (inputWidgetOf), as
// the window system delivers a real one: through the top-level window to the
// widget under the pointer, the pointer moved there first, and the release
// only once the page has seen the press. Qt WebEngine 6.8 missed, now and
// then, presses and releases sent straight to its input widget. Returns what
// the page did not see within a few seconds, empty when it saw both.
inline QString clickInPage(EditorView *view, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton)
{
    const QPair<int, int> seen = pressesSeenInPage(view);
    QWidget *input = inputWidgetOf(view);
    QWindow *window = input->window()->windowHandle();
    const QPoint at = input->mapTo(input->window(), pos);
    QTest::mouseMove(window, at);
    QTest::mousePress(window, button, Qt::NoModifier, at);
    if (!waitInPage(view, QStringLiteral("pressesSeen.mousedown > %1").arg(seen.first), 250))
        return QStringLiteral("the page saw no press at %1, %2").arg(pos.x()).arg(pos.y());
    QTest::mouseRelease(window, button, Qt::NoModifier, at);
    if (!waitInPage(view, QStringLiteral("pressesSeen.mouseup > %1").arg(seen.second), 250))
        return QStringLiteral("the page saw no release at %1, %2").arg(pos.x()).arg(pos.y());
    return QString();
}

// A press of the left button at `from`, the pointer moved to `to` in
// `steps` moves with the button held, and the release there, each press
// and release waited for as clickInPage waits.
inline QString dragInPage(EditorView *view, const QPoint &from, const QPoint &to, int steps = 8)
{
    const QPair<int, int> seen = pressesSeenInPage(view);
    QWidget *input = inputWidgetOf(view);
    QWindow *window = input->window()->windowHandle();
    QTest::mouseMove(window, input->mapTo(input->window(), from));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, input->mapTo(input->window(), from));
    if (!waitInPage(view, QStringLiteral("pressesSeen.mousedown > %1").arg(seen.first), 250))
        return QStringLiteral("the page saw no press at %1, %2").arg(from.x()).arg(from.y());
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(window, input->mapTo(input->window(), from + (to - from) * i / steps));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, input->mapTo(input->window(), to));
    if (!waitInPage(view, QStringLiteral("pressesSeen.mouseup > %1").arg(seen.second), 250))
        return QStringLiteral("the page saw no release at %1, %2").arg(to.x()).arg(to.y());
    return QString();
}

#endif // PAGECLICK_H
