#ifndef TERMINATIONSIGNALS_H
#define TERMINATIONSIGNALS_H

#include <QObject>

class QSocketNotifier;

// Brings SIGINT, SIGTERM and SIGHUP into the event loop, so the program can
// end as it ends normally, taking unfinished files with it, instead of dying
// wherever the signal found it. The handler only writes the signal's number
// into a pipe; everything else happens when the loop reads it. A signal the
// program was started ignoring (nohup, a background job) stays ignored.
// One object at a time; it needs the application object.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    // Gives the signals back to their default action.
    ~TerminationSignals() override;

    // The exit status of a program ended by `signal`, as shells report it.
    static int exitCode(int signal) { return 128 + signal; }
    // What the program does on received(): every event loop returns, the
    // innermost first (a question on screen closes unanswered), and what
    // they held is destroyed as at a normal end.
    static void endApplication(int signal);

signals:
    // Once, for the first signal; a second one then ends the program at once.
    void received(int signal);

private:
    void readSignal();
    void restoreDefaults();

    QSocketNotifier *m_notifier = nullptr;
};

#endif // TERMINATIONSIGNALS_H
