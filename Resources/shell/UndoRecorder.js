// Decides what is an undo step. Every page-event and host-message handler
// runs through `handleAndRecord`; a row that says it `edits` has its change
// recorded once the outermost handler is done, and one that `selects` has
// the frame shown noted. The recorder keeps the undo history (shell.history)
// in step with the screen and tells the host of every change of the text.
(function (window) {
    'use strict';

    // A message carrying the animation text `text`, with the stretch of it
    // that holds the selected frame: the host leaves that out when it
    // compares texts, so looking at frames is not a change to save.
    function textMessage(msgType, text) {
        var message = { msgType: msgType, strToSave: text };
        var span = window.Animation.selectedFrameSpan(text);
        if (span) {
            message.shownFrameAt = span.at;
            message.shownFrameLength = span.length;
        }
        return message;
    }

    // `shell`: the page-wide record (app.js), whose animation, history,
    // toolbar and sendMessage the recorder uses, and whose savedUnrecorded
    // and reportedText it keeps.
    function UndoRecorder(shell) {
        this.shell = shell;
        // How deep in page-event and host-message handling the page is: a
        // change is recorded once, when the outermost handler is done,
        // whatever handler that is. A host reply may come inside the page
        // event that asked for it, or later inside any other handler (one
        // whose message opened a dialog that ran the event loop), or on its
        // own.
        this.handlingDepth = 0;
        this.editPending = false;
        this.selectionPending = false;
    }

    UndoRecorder.textMessage = textMessage;

    UndoRecorder.prototype.handleAndRecord = function (entry, argument) {
        this.handlingDepth += 1;
        try {
            entry.handle(argument);
        } finally {
            this.handlingDepth -= 1;
            this.editPending = this.editPending || !!entry.edits;
            this.selectionPending = this.selectionPending || !!entry.selects;
        }
        if (this.handlingDepth === 0) {
            var edits = this.editPending;
            var selects = this.selectionPending;
            this.editPending = false;
            this.selectionPending = false;
            if (edits) {
                this.recordChange();
            } else if (selects) {
                this.recordSelection();
            }
            // What is selected, and in which frame, may have changed.
            if (this.shell.animation && this.shell.animation.stepBend) {
                this.shell.animation.stepBend.refresh();
            }
        }
    };

    // Looking at another frame changes nothing of the drill: the history
    // only notes the frame, for an undo to come back to, and the host is
    // not told. A change the display still held, saved into the model on
    // the way, is recorded as any other.
    UndoRecorder.prototype.recordSelection = function () {
        var shell = this.shell;
        if (shell.savedUnrecorded) {
            this.recordChange();
        } else if (!this.showsInBetween()) {
            shell.history.noteSelectedFrame(shell.animation.frameManager.selectedFrame);
        }
    };

    // Playing or scrubbing, the items stand at places the drill does not
    // hold.
    UndoRecorder.prototype.showsInBetween = function () {
        var playback = this.shell.animation.playbackManager;
        return playback.isPlaying || playback.isScrubbing;
    };

    // Notes the animation as it is now: when it changed, a new undo step,
    // and the host told. Not during playback, whose items stand at
    // in-between places.
    // Returns the parts recorded, or null during playback.
    UndoRecorder.prototype.recordChange = function () {
        if (this.showsInBetween()) {
            return null;
        }
        var shell = this.shell;
        var parts = shell.animation.textParts();
        shell.savedUnrecorded = false;
        // The host already has the text of the snapshot on screen, the
        // selected frame aside, which it does not compare.
        if (shell.history.record(parts)) {
            this.reportChange(parts);
        }
        this.refreshUndoButtons();
        return parts;
    };

    // The host compares what it is told with the drill as last saved; it
    // hears of every change of the text but for the selected frame, and of
    // nothing else.
    UndoRecorder.prototype.reportChange = function (parts) {
        var shell = this.shell;
        var message = textMessage('animationChanged', window.Animation.textFromParts(parts));
        if (message.strToSave === shell.reportedText) {
            return;
        }
        shell.reportedText = message.strToSave;
        shell.sendMessage(message);
    };

    // A fresh history with the animation on screen as its one state, which
    // the host takes as the drill as saved (a new drill, an opened file).
    // A file this editor saved reads back as the very text the host sent:
    // the host is told so rather than sent megabytes it already holds.
    // `openId`: the host's open this answers, if any.
    UndoRecorder.prototype.startHistory = function (openedText, openId) {
        var shell = this.shell;
        var parts = shell.animation.textParts();
        shell.savedUnrecorded = false;
        shell.history.reset(parts);
        var same = typeof openedText === 'string' && window.Animation.partsAreText(parts, openedText);
        var message = textMessage('animationReset', same ? openedText : window.Animation.textFromParts(parts));
        shell.reportedText = message.strToSave;
        if (same) {
            delete message.strToSave;
            message.sameAsOpened = true;
        }
        if (openId !== undefined) {
            message.openId = openId;
        }
        shell.sendMessage(message);
        this.refreshUndoButtons();
    };

    UndoRecorder.prototype.refreshUndoButtons = function () {
        var shell = this.shell;
        shell.toolbar.setUndoRedo(shell.history.canUndo(), shell.history.canRedo());
    };

    // Every release of the pointer on the pitch may have ended a change:
    // a drag, a turn, a resize, a colour, a choice of pitch.
    UndoRecorder.prototype.recordAfterPointer = function () {
        var recorder = this;
        recorder.shell.animation.stage.on('contentMouseup contentTouchend', function () {
            if (recorder.handlingDepth === 0) {
                recorder.recordChange();
            }
        });
    };

    window.UndoRecorder = UndoRecorder;
}(window));
