#ifndef RECOVERYPROMPT_H
#define RECOVERYPROMPT_H

struct RecoveredDrill;
class QWidget;

// The question at start-up about a drill a program that is gone left
// unsaved, answered Recover or Discard; the coach cannot dismiss it
// otherwise, but the program may end while it is asked (a signal).
class RecoveryPrompt
{
public:
    enum class Answer { Recover, Discard, Unanswered };

    // Runs the box modally over `parent`. Unanswered when it closed without
    // the coach's choice: only Discard may cost the coach the copy.
    static Answer askToRecover(QWidget *parent, const RecoveredDrill &drill);
};

#endif // RECOVERYPROMPT_H
