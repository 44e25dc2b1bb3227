#ifndef HEADLESSPLATFORM_H
#define HEADLESSPLATFORM_H

class CommandLine;

// Lets the runs that show no window (help, version, exports) work whatever
// the display, and the editor say so when it has none, instead of Qt ending
// the process when it cannot reach the display it was given.
class HeadlessPlatform
{
public:
    // Chooses Qt's platform from what the command line asks for. Must run
    // before the application object exists, which is when Qt reads the
    // choice. Help, version and exports run offscreen and never connect to
    // a display; anything else gets the usual platform, or a platform named
    // in QT_QPA_PLATFORM, with offscreen to fall back on.
    static void choose(const CommandLine &commandLine);

    // After the application object exists: whether windows can be shown,
    // that is, a display was reached or offscreen was asked for by name.
    static bool canShowWindows();

    // After the application object exists: gives QT_QPA_PLATFORM back its
    // value from before choose(), for the programs the editor starts (the
    // web browser of the About box).
    static void restoreEnvironment();
};

#endif // HEADLESSPLATFORM_H
