#ifndef COMMANDLINEEXPORTS_H
#define COMMANDLINEEXPORTS_H

class ExportRunner;

// The one place where each export offered on the command line is plugged
// into the runner. An export registers here a function that drives the same
// page and host code as its toolbar button, in the runner's hidden window
// (see ExportRunner::Exporter); kinds not registered are refused with a
// clear message before any window is made.
class CommandLineExports
{
public:
    static void install(ExportRunner &runner);
};

#endif // COMMANDLINEEXPORTS_H
