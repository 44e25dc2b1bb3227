#ifndef PAGEWATCH_H
#define PAGEWATCH_H

#include <QObject>
#include <QString>
#include <QTimer>

// Watches the editor page for the host while an export waits on it, so that
// no export waits for ever: one whose page reports an uncaught error, sends
// nothing for the silence limit, or loses its process (WebEngine's renderer
// killed, crashed or out of memory) is given up with the reason.
// The window starts it with each export, tells it of each message the
// export's page sends and of the export's end.
class PageWatch : public QObject
{
    Q_OBJECT
public:
    // Long enough for the largest drill's slowest picture on a busy machine.
    static constexpr int DefaultSilenceMs = 30000;

    explicit PageWatch(QObject *parent = nullptr);

    void setSilenceLimit(int ms) { m_silence.setInterval(ms); }
    void exportStarted();
    // The page sent something for the export: the silence counts afresh.
    void pageAnswered();
    void exportEnded();
    bool isWatching() const { return m_silence.isActive(); }

    // An error the page did not catch ("pageError"): ends a watched export.
    void pageFailed(const QString &error);
    // The page's process has ended, `how` as EditorView says it: ends a
    // watched export.
    void pageProcessEnded(const QString &how);

signals:
    // The export must be given up, for `reason` (a sentence).
    void exportStalled(const QString &reason);

private:
    void stall(const QString &reason);

    QTimer m_silence;
};

#endif // PAGEWATCH_H
