#ifndef TERMINALTEXT_H
#define TERMINALTEXT_H

#include <QString>

// What the command line writes to a terminal: file names and messages with
// their control characters escaped, as ls does, so that no name can move the
// cursor, recolour the terminal or begin a line of its own, and each line
// written says exactly one thing.
class TerminalText
{
public:
    // `path` with native separators; a backslash, a tab, a line break and
    // every other control character written as a C escape ("\\", "\t",
    // "\n", "\033"), so that two names never read the same.
    static QString name(const QString &path);
    // `text` on one line: its own line breaks (between sentences) become a
    // space, and any other control character is escaped as in name().
    // Names inside it must already have gone through name().
    static QString line(const QString &text);
};

#endif // TERMINALTEXT_H
