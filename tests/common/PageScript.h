#ifndef PAGESCRIPT_H
#define PAGESCRIPT_H

#include "EditorView.h"

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <memory>

// Runs a script in an editor page and returns its value, on either engine:
// WebKit answers at once; WebEngine answers from the event loop, which this
// runs meanwhile (a page that never answers gives an invalid value after
// `limitMs`). Numbers come back as doubles on both.
inline QVariant runInPage(EditorView *view, const QString &script, int limitMs = 60000)
{
    struct Answer {
        bool given = false;
        QVariant value;
        QEventLoop loop;
    };
    auto answer = std::make_shared<Answer>();
    view->runScript(script, [answer](const QVariant &value) {
        answer->given = true;
        answer->value = value;
        answer->loop.quit();
    });
    if (!answer->given) {
        QTimer::singleShot(limitMs, &answer->loop, &QEventLoop::quit);
        answer->loop.exec();
    }
    return answer->value;
}

// The editor view of a main window (or any widget holding one).
inline EditorView *editorViewOf(const QObject *window)
{
    return window->findChild<EditorView *>();
}

inline QVariant runInPage(const QObject *window, const QString &script)
{
    return runInPage(editorViewOf(window), script);
}

// Waits until `condition`, a script, is true in the page. Looks `polls`
// times, 20 ms apart; returns whether it was.
inline bool waitInPage(EditorView *view, const QString &condition, int polls = 500)
{
    for (int i = 0; i < polls; ++i) {
        if (runInPage(view, condition).toBool())
            return true;
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

// Waits until the page's start function has run: WebEngine starts the page
// only once its channel is up, which may come after the load has finished.
inline bool waitForPageStart(EditorView *view, int polls = 500)
{
    return waitInPage(view, QStringLiteral("!!(window.pageShell && pageShell.toolbar)"), polls);
}

// The widget that takes the page's keys and pointer: WebEngine's view hands
// them to a child of its own once the page is shown.
inline QWidget *inputWidgetOf(EditorView *view)
{
    QWidget *proxy = view->widget()->focusProxy();
    return proxy ? proxy : view->widget();
}

#endif // PAGESCRIPT_H
