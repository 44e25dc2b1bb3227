// The host's messages about the drill on display: the texts the host asked
// the coach for, an opened file, the start, a new drill, the text to save
// and a new club logo.
// Each row: `msgType`, the host's message; `handle(shell, steps, message)`,
// run through the undo recorder (app.js binds the shell and its steps and
// runs every row whose msgType the message has; the names differ, so at
// most one matches); `edits`: the animation may have changed, to be
// recorded for undo once the handler is done.
(function (window) {
    'use strict';

    // The sports the page draws pitches for.
    var SPORTS = ['gaa', 'soccer', 'rugby'];

    function onFrameLabelResponse(shell, steps, message) {
        shell.animation.setCaption(message.text);
        steps.redrawAnimationLayer();
    }

    function onItemLabelResponse(shell, steps, message) {
        shell.animation.setItemLabel(parseInt(message.id, 10), message.text);
        steps.redrawAnimationLayer();
    }

    function onDrawingNoteResponse(shell, steps, message) {
        shell.animation.drawingEditor.addNote(message.text);
    }

    function onItemShortLabelResponse(shell, steps, message) {
        shell.animation.setShortItemLabel(parseInt(message.id, 10), message.text);
        steps.redrawAnimationLayer();
    }

    // A file that is not an animation is reported by loadFromString itself;
    // the toggles and the timeline are refreshed either way and then show the
    // unchanged animation.
    // A file loaded is a fresh start: its own history, and the host takes
    // it as the drill as saved.
    // The answer, "animationReset" or "errorOpeningFile", carries the
    // host's `openId`, so that the host knows which of its opens it ends
    // whenever it arrives.
    function onOpenAnimationResponse(shell, steps, message) {
        shell.openingId = message.openId;
        try {
            var loaded = shell.animation.loadFromString(message.json);
            steps.followAnimationSport();
            steps.refreshToolbarToggles();
            steps.updateTimelineFrameSettings();
            if (loaded) {
                shell.recorder.startHistory(message.json, message.openId);
            }
        } finally {
            shell.openingId = undefined;
        }
    }

    // The host's remembered sport, sent once the page has loaded and before
    // any file named on the command line (whose sport then wins). An empty
    // or unknown sport keeps the page's own.
    function onStartAnimation(shell, steps, message) {
        var sport = message.sport;
        if (SPORTS.indexOf(sport) !== -1 && sport !== shell.animation.sport) {
            steps.switchSport(sport);
        }
        shell.recorder.startHistory();
    }

    // New, once the host has made sure nothing unsaved is lost.
    function onNewAnimationResponse(shell, steps) {
        steps.clearAnimation();
    }

    // With the reason why saving it would be refused, if it would: the
    // host's own Save, in its unsaved-changes question, must not write a
    // file that no longer opens either.
    function onRequestAnimationText(shell, steps) {
        var message = steps.textMessage('animationText', shell.animation.saveToString());
        message.saveProblem = window.Animation.savedTextProblem(message.strToSave);
        shell.sendMessage(message);
    }

    // A new logo is meant to be seen: show it if it was hidden.
    function onSetLogoImage(shell, steps, message) {
        shell.animation.setLogoImage(message.image);
        if (!steps.logoShown()) {
            shell.animation.toggleLogo();
        }
        shell.toolbar.setToggleLogo(steps.logoShown());
    }

    window.HostMessages = [
        { msgType: 'frameLabelResponse', handle: onFrameLabelResponse, edits: true },
        { msgType: 'itemLabelResponse', handle: onItemLabelResponse, edits: true },
        { msgType: 'drawingNoteResponse', handle: onDrawingNoteResponse, edits: true },
        { msgType: 'itemShortLabelResponse', handle: onItemShortLabelResponse, edits: true },
        { msgType: 'openAnimationResponse', handle: onOpenAnimationResponse },
        { msgType: 'setLogoImage', handle: onSetLogoImage, edits: true },
        { msgType: 'startAnimation', handle: onStartAnimation },
        { msgType: 'newAnimationResponse', handle: onNewAnimationResponse },
        { msgType: 'requestAnimationText', handle: onRequestAnimationText }
    ];
}(window));
