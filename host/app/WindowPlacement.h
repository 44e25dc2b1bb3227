#ifndef WINDOWPLACEMENT_H
#define WINDOWPLACEMENT_H

class QWidget;

// The editor window's size, place and maximised state, kept in the user's
// settings from one run to the next.
class WindowPlacement
{
public:
    // Gives the window, not yet shown, the placement last saved, or leaves
    // it as it is when none was. A place off every screen of today (a
    // monitor unplugged since) is brought back onto one by Qt.
    static void restore(QWidget *window);
    // Saves the window's placement; called as it closes.
    static void save(const QWidget *window);
};

#endif // WINDOWPLACEMENT_H
