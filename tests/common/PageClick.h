#ifndef PAGECLICK_H
#define PAGECLICK_H

#include "PageScript.h"

#include <QTest>
#include <QWindow>

// A left click at `pos` of the page's input widget (inputWidgetOf), as the
// window system delivers a real one: through the top-level window to the
// widget under the pointer, the pointer moved there first, and the release
// only once the page has seen the press. Qt WebEngine 6.8 missed, now and
// then, presses and releases sent straight to its input widget. Returns what
// the page did not see within a few seconds, empty when it saw both.
inline QString clickInPage(EditorView *view, const QPoint &pos)
{
    // Counted before any handler of the page's runs (capture on the window).
    runInPage(view, QStringLiteral(
                        "if (!window.pressesSeen) { window.pressesSeen = { mousedown: 0, mouseup: 0 };"
                        "  ['mousedown', 'mouseup'].forEach(function (kind) {"
                        "    window.addEventListener(kind, function () { pressesSeen[kind] += 1; }, true); }); }"));
    const int downs = runInPage(view, QStringLiteral("pressesSeen.mousedown")).toInt();
    const int ups = runInPage(view, QStringLiteral("pressesSeen.mouseup")).toInt();
    QWidget *input = inputWidgetOf(view);
    QWindow *window = input->window()->windowHandle();
    const QPoint at = input->mapTo(input->window(), pos);
    QTest::mouseMove(window, at);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at);
    if (!waitInPage(view, QStringLiteral("pressesSeen.mousedown > %1").arg(downs), 250))
        return QStringLiteral("the page saw no press at %1, %2").arg(pos.x()).arg(pos.y());
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, at);
    if (!waitInPage(view, QStringLiteral("pressesSeen.mouseup > %1").arg(ups), 250))
        return QStringLiteral("the page saw no release at %1, %2").arg(pos.x()).arg(pos.y());
    return QString();
}

#endif // PAGECLICK_H
