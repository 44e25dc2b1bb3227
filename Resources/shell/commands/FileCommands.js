// The page events of the drill's file: new, open, save, and a file that
// could not be opened.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    // The host first asks about unsaved changes, and answers
    // newAnimationResponse when the drill may go; without a host the page
    // clears at once.
    function onNewAnimation(shell, steps) {
        if (shell.connected) {
            shell.sendMessage({ msgType: 'newAnimation' });
        } else {
            steps.clearAnimation();
        }
    }

    // A text that opening would refuse is not offered for writing: the
    // coach is told why instead of being left with a file that no longer
    // opens. `toCurrentFile` (the save button, Ctrl+S): straight to the
    // file the drill came from, if it has one; otherwise the host asks for
    // a name.
    function onSaveAnimation(shell, steps, detail) {
        var message = steps.textMessage('saveAnimation', shell.animation.saveToString());
        var problem = window.Animation.savedTextProblem(message.strToSave);
        if (problem) {
            shell.sendMessage({ msgType: 'errorSavingFile', errorInfo: problem });
            return;
        }
        if (detail.toCurrentFile) {
            message.toCurrentFile = 1;
        }
        shell.sendMessage(message);
    }

    // The host always asks for a name (the save-as button, Ctrl+Shift+S).
    function onSaveAnimationAs(shell, steps) {
        onSaveAnimation(shell, steps, {});
    }

    function onOpenAnimation(shell, steps) {
        shell.sendMessage({ msgType: 'openAnimation' });
    }

    function onErrorOpeningFile(shell, steps, detail) {
        var message = { msgType: 'errorOpeningFile', errorInfo: detail.errorInfo };
        if (shell.openingId !== undefined) {
            message.openId = shell.openingId;
        }
        shell.sendMessage(message);
    }

    window.FileCommands = [
        { name: 'newAnimation', handle: onNewAnimation },
        { name: 'saveAnimation', handle: onSaveAnimation },
        { name: 'saveAnimationAs', handle: onSaveAnimationAs },
        { name: 'openAnimation', handle: onOpenAnimation },
        { name: 'errorOpeningFile', handle: onErrorOpeningFile }
    ];
}(window));
