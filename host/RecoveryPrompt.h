#ifndef RECOVERYPROMPT_H
#define RECOVERYPROMPT_H

struct RecoveredDrill;
class QWidget;

// The question at start-up about a drill a program that is gone left
// unsaved, answered Recover or Discard; it cannot be dismissed otherwise.
class RecoveryPrompt
{
public:
    // Runs the box modally over `parent`; true for Recover.
    static bool askToRecover(QWidget *parent, const RecoveredDrill &drill);
};

#endif // RECOVERYPROMPT_H
