#ifndef RECOVERYSTORE_H
#define RECOVERYSTORE_H

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>
#include <memory>

// A drill as a recovery copy keeps it: its text, and the file it was last
// opened from or saved to (empty for a drill never saved).
struct RecoveredDrill
{
    QString text;
    QString file;
};

// Keeps a copy of a drill with unsaved changes in the user's data folder, so
// that a crash or a killed session loses at most the last few seconds of
// work. Each running program has a copy of its own, guarded by a lock file
// held for as long as the copy exists: a program that finds a copy whose
// lock nobody holds knows its program is gone, and may offer it.
class RecoveryStore : public QObject
{
    Q_OBJECT
public:
    // The longest a change waits before it is in the copy.
    static constexpr int DefaultInterval = 3000;

    // "recovery" in the user's data folder.
    static QString defaultFolder();

    explicit RecoveryStore(const QString &folder = defaultFolder(), int intervalMs = DefaultInterval,
                           QObject *parent = nullptr);
    // Leaves the copy for the next start to offer: only the coach's save or
    // close says its changes may go.
    ~RecoveryStore() override;

    // Called on every change the page reports, with whether the drill now
    // differs from its saved state. Only holds the text: the copy is written
    // at most once an interval, and only when the text changed since the last
    // copy. A drill back at its saved state has its copy removed at once.
    void drillChanged(const QString &text, const QString &file, bool unsaved);
    // Writes the copy at once (a recovered drill is kept from its first
    // moment). Returns whether it was written.
    bool keepNow(const QString &text, const QString &file);
    // The drill was saved, or closed by the coach: the copy goes.
    void discard();
    // Where this program's copy is, or would be.
    QString copyPath() const { return m_copyPath; }

    // Copies left by programs no longer running, newest first. Each is held
    // by this store, so that no other program offers it too, until it is
    // removed or released. Temporaries that such a program left half
    // written are removed first.
    QStringList claimOrphans();
    void removeClaimed(const QString &copyPath);
    void releaseClaims();

    // Reads a copy; false when it is not one this program wrote.
    static bool read(const QString &copyPath, RecoveredDrill *drill);

private:
    void writePending();
    void removeStaleTemporaries();
    bool write();

    QString m_folder;
    QString m_copyPath;
    QLockFile m_lock;
    QTimer m_timer;
    RecoveredDrill m_drill;
    bool m_pending = false;
    std::map<QString, std::unique_ptr<QLockFile>> m_claims;
};

#endif // RECOVERYSTORE_H
