#ifndef EDITORWINDOW_H
#define EDITORWINDOW_H

#include <QSignalSpy>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

// Waits for the window's editor page to load, then collects the page's
// uncaught errors in `caughtErrors` (the page has no log of its own), so a
// test's clean-up can fail on any of them. False when loading failed.
inline bool waitForPage(QWidget *window)
{
    QWebFrame *frame = window->findChild<QWebView *>()->page()->mainFrame();
    QSignalSpy loaded(frame, &QWebFrame::loadFinished);
    if (!loaded.wait(15000) || !loaded.first().first().toBool())
        return false;
    frame->evaluateJavaScript(QStringLiteral(
        "window.caughtErrors = [];"
        "window.onerror = function (m, f, l) { caughtErrors.push(m + ' at ' + f + ':' + l); };"));
    return true;
}

// A real press and release on the web view where the page draws the toolbar
// button that raises `event` ("exportVideo", "showAboutInfo"). The button is
// found by its node's name, so a test does not break when buttons are added
// or moved along the strip.
inline void clickToolbarButton(QWebView *view, const QString &event)
{
    const QVariantList at = view->page()->mainFrame()->evaluateJavaScript(QStringLiteral(
        "(function (name) {"
        "  var t = pageShell.toolbar;"
        "  var b = t.buttons.concat([t.aboutButton]).filter(function (b) { return b.group.name() === name; })[0];"
        "  if (!b) { return []; }"
        "  var strip = document.getElementById('toolbarContainer').getBoundingClientRect();"
        "  var p = b.group.getAbsolutePosition();"
        "  return [strip.left + p.x + b.w / 2, strip.top + p.y + b.h / 2];"
        "})('%1Button')").arg(event)).toList();
    QVERIFY2(at.size() == 2, qPrintable(QStringLiteral("no toolbar button raises ") + event));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(at[0].toInt(), at[1].toInt()));
}

#endif // EDITORWINDOW_H
