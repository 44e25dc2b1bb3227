#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "ExportJob.h"

#include <QList>
#include <QStringList>

// What the program was asked to do by its arguments: open the editor, or
// run without a window (help, version, a usage error, exports).
class CommandLine
{
public:
    enum class Action { Edit, ShowHelp, ShowVersion, Export, UsageError };

    // Exit codes of a run without a window.
    static constexpr int ExitFailed = 1;
    static constexpr int ExitUsage = 2;

    // `arguments` starts with the program path, as QCoreApplication gives it.
    static CommandLine parse(const QStringList &arguments);

    // The options and their descriptions. Needs a QCoreApplication (the
    // usage line names the program as it was started).
    static QString helpText();

    Action action() const { return m_action; }
    bool needsWindow() const { return m_action == Action::Edit; }
    // The editor and the exports load the page; help and usage errors do not.
    bool needsPage() const { return m_action == Action::Edit || m_action == Action::Export; }

    // Edit: the drill to open once the page is ready, or empty for none.
    // Further drills named are ignored, as they always were.
    QString drillToOpen() const { return m_drills.value(0); }

    // Export: one job per drill and kind asked for, drill by drill.
    QList<ExportJob> exportJobs() const { return m_jobs; }

    // UsageError: what was wrong, one sentence, for standard error.
    QString errorText() const { return m_error; }

private:
    Action m_action = Action::Edit;
    QStringList m_drills;
    QList<ExportJob> m_jobs;
    QString m_error;
};

#endif // COMMANDLINE_H
