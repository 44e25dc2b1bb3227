#ifndef EDITORPAGE_H
#define EDITORPAGE_H

#include <QList>
#include <QObject>
#include <QPair>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

class FakeBridge;
class TestWebPage;

// The editor page, loaded from the program's resources into an off-screen
// web page, with a FakeBridge exposed as `cppInterface` the way the host
// exposes its bridge: again every time the window object is cleared, before
// any page script runs.
class EditorPage : public QObject
{
    Q_OBJECT
public:
    static const char *const kPageUrl;

    explicit EditorPage(const QSize &viewport, QObject *parent = nullptr);

    // Exposes `object` to the page under `name` as well, from the next load
    // on. The caller keeps ownership.
    void exposeObject(const QString &name, QObject *object);

    // Loads the page and waits for it to finish. False when loading failed
    // or took longer than `timeoutMs`.
    bool load(int timeoutMs);

    // Runs `source` in the page and returns its value. Errors in it carry no
    // file name.
    QVariant evaluate(const QString &source);

    TestWebPage *page() const { return m_page; }
    FakeBridge *bridge() const { return m_bridge; }

    // The src of every <script> of the page document that the resources do
    // not hold. The engine skips such a script without a word.
    static QStringList missingScripts();

private:
    void exposeObjects();

    TestWebPage *m_page;
    FakeBridge *m_bridge;
    QList<QPair<QString, QObject *>> m_exposed;
};

#endif // EDITORPAGE_H
