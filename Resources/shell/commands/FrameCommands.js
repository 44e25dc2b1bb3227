// The page events of the frames: the frame shown, a frame added or
// removed, a step's hold, and the prompt for a frame's caption.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done; `selects`: another frame is shown
// (UndoRecorder's recordSelection).
(function (window) {
    'use strict';

    var FRAME_CAPTION_PROMPT = 'Enter a caption for this frame: ';

    // Also for the frame already selected: that saves and reloads it. A
    // frame the model does not have (a timeline out of step) is ignored.
    // Whether saving the display changed the model is kept for
    // recordSelection.
    function onSelectedFrame(shell, steps, detail) {
        var n = detail.frameNumber;
        if (typeof n !== 'number' || n % 1 !== 0 || n < 0 || n >= shell.animation.frameManager.nFrames) {
            return;
        }
        if (shell.animation.frameManager.saveFrame()) {
            shell.savedUnrecorded = true;
        }
        shell.animation.frameManager.loadFrame(detail.frameNumber);
        steps.updateTimelineFrameSettings();
    }

    function onAddFrame(shell, steps) {
        if (!steps.mayGrow(0, 1)) {
            return;
        }
        shell.animation.frameManager.addFrame();
        steps.redrawAnimationLayer();
        steps.updateTimelineFrameSettings();
    }

    function onRemoveFrame(shell, steps) {
        shell.animation.frameManager.removeSelectedFrame();
        steps.redrawAnimationLayer();
        steps.updateTimelineFrameSettings();
    }

    // The step from the selected frame (from the last, the step into it)
    // takes the next hold on offer.
    function onHoldStep(shell, steps) {
        var frames = shell.animation.frameManager;
        if (frames.nFrames < 2) {
            return;
        }
        var step = Math.min(frames.selectedFrame, frames.nFrames - 2);
        frames.setStepDuration(step, window.FrameTiming.nextChoice(frames.frameDurations[step]));
        steps.updateTimelineFrameSettings();
    }

    function onAddFrameCaption(shell, steps) {
        shell.sendMessage({
            msgType: 'promptForFrameLabel',
            displayMessage: FRAME_CAPTION_PROMPT,
            defaultText: shell.animation.animLayer.getCaption()
        });
    }

    window.FrameCommands = [
        { name: 'selectedFrame', handle: onSelectedFrame, selects: true },
        { name: 'addFrame', handle: onAddFrame, edits: true },
        { name: 'removeFrame', handle: onRemoveFrame, edits: true },
        { name: 'holdStep', handle: onHoldStep, edits: true },
        { name: 'addFrameCaption', handle: onAddFrameCaption, edits: true }
    ];
}(window));
