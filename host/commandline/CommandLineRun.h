#ifndef COMMANDLINERUN_H
#define COMMANDLINERUN_H

class CommandLine;
class QString;

// Runs what the command line asked for when that is not the editor: help,
// version, a usage error, or exports in a hidden window. Results go to
// standard output (help, version) and standard error (everything else).
class CommandLineRun
{
public:
    // Needs a QApplication; returns the process's exit code.
    static int run(const CommandLine &commandLine);

    // For an editor started with nowhere to show it; returns the exit code.
    static int noDisplay();

    // For a run whose page engine cannot start (`reason`, one sentence);
    // returns the exit code.
    static int engineCannotStart(const QString &reason);
};

#endif // COMMANDLINERUN_H
