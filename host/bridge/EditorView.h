#ifndef EDITORVIEW_H
#define EDITORVIEW_H

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QSize;
class QUrl;
class QWidget;

// The web view that shows the editor page, and everything about it that
// depends on the engine the program was built with: Qt 5's WebKit, where
// host objects are page globals and a script's answer comes at once, or
// Qt 6's WebEngine (Chromium in a process of its own), where host objects
// reach the page through a web channel and every answer comes later.
// The rest of the program sees only this class.
class EditorView : public QObject
{
    Q_OBJECT
public:
    using ScriptResult = std::function<void(const QVariant &)>;

    // How grave a page console message is, as the engine reports it: an
    // uncaught exception or console.error is an Error; the engine's advice
    // (Chromium's on canvas read-backs, say) a Warning.
    enum class ConsoleLevel { Info, Warning, Error };

    // Once per process, before the application object: the engine's own
    // switches (WebKit: its optimising JIT off; WebEngine: shared GL
    // contexts, and Chromium's log kept off standard error).
    static void prepareProcess();

    // For runs whose standard error carries the program's own lines (the
    // command line's exports): the engine's diagnostics are dropped there.
    static void quietEngineMessages();

    // "webkit" or "webengine": the engine this program was built with.
    static QString engineName();

    // Why the engine cannot start in this process, one sentence naming the
    // way out, or empty when it can (Chromium refuses root with its sandbox
    // on, and would end the program without a word).
    static QString cannotStartReason();

    // The form in which the page should send a video picture
    // ("pictureForm" in "exportVideoResponse"): "pixels", the canvas's bytes
    // as they are, where host objects take bytes from the page (WebKit);
    // "jpeg", a JPEG data URL, where a web channel carries only text and
    // numbers and would spell every byte out as a number.
    static QString videoPictureForm();

    // Creates the view as a child of `parent` (no scroll bars, no context
    // menu, drops left to the parent).
    explicit EditorView(QWidget *parent);
    ~EditorView() override;

    // The view's widget, parent of the host's dialogs.
    QWidget *widget() const;

    // Makes `object` the page global `name`. With WebKit call it on each
    // windowObjectCleared(); with WebEngine once, before load(): the page's
    // `main` then waits until the channel has brought it.
    void exposeObject(const QString &name, QObject *object);

    // Script run in every page loaded from now on, before the page's own.
    void addStartScript(const QString &source);

    void load(const QUrl &url);

    // Runs `script` in the page. `done`, when given, gets its value (a
    // number, string, bool, list or map; invalid for undefined or a thrown
    // exception): WebKit before this returns, WebEngine later, from the
    // event loop. Callers must work either way.
    void runScript(const QString &script, const ScriptResult &done = ScriptResult());

    // For one video export: opens a way for the page to send pictures of
    // `size` as bytes beside the messages, where the bridge carries none
    // (WebEngine: a web socket on the loopback interface, PictureChannel),
    // and returns what "exportVideoResponse" tells the page of it
    // (`pictureForm` "socket", `pictureSocket` and `pictureToken`). Empty
    // where the bridge carries bytes itself (WebKit) or the way could not
    // open: the page then sends as videoPictureForm() says. A way still
    // open is closed first.
    QVariantMap openPictureChannel(const QSize &size);
    // Closes it: nothing more comes through, and the page's connection ends.
    void closePictureChannel();

signals:
    // A new document is about to run its scripts (WebKit: expose objects now).
    void windowObjectCleared();
    void loadFinished(bool ok);
    // A console message or uncaught exception from the page, at its level.
    void consoleMessage(EditorView::ConsoleLevel level, const QString &message, int line,
                        const QString &source);
    // The page's own process has ended under it, `how` in a few words ("it
    // was killed"): WebEngine only, whose page runs in a process of its
    // own. The view is blank until the next load().
    void pageProcessEnded(const QString &how);
    // A picture that came through the picture channel, as the whole
    // "writeVideoFrame" message it stands for (its bytes in `pixels`).
    void pictureReceived(const QVariantMap &message);
    // The page's picture connection broke off or broke its rules (the
    // channel is closed): one sentence.
    void pictureChannelFailed(const QString &reason);

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
};

#endif // EDITORVIEW_H
