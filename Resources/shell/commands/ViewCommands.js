// The page events of the view and the controls: the pitch's turn, grid,
// running lines, logo and background, undo and redo, Escape, the about box,
// and the controls made deaf while an overlay is open.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    var ROTATION_STEP = 90;

    // The five layers that take pointer input.
    function setListening(shell, layerNames, listening) {
        var layers = {
            timeline: shell.timeline.layer,
            toolbar: shell.toolbar.layer,
            itemPicker: shell.itemPicker.layer,
            animation: shell.animation.animLayer,
            background: shell.animation.bgLayer
        };
        for (var i = 0; i < layerNames.length; i++) {
            layers[layerNames[i]].listening(listening);
        }
    }

    // Puts a snapshot of the history on screen, exactly as it was saved,
    // in place of `shown`, the parts on screen: only what differs is read
    // and rebuilt. Without them (during playback) the whole text is loaded.
    function showSnapshot(shell, steps, snapshot, shown) {
        var message = steps.textMessage('animationChanged', window.Animation.textFromParts(snapshot));
        if (shown) {
            shell.animation.loadParts(snapshot, shown);
        } else {
            shell.animation.loadFromString(message.strToSave, true);
        }
        steps.followAnimationSport();
        steps.refreshToolbarToggles();
        steps.updateTimelineFrameSettings();
        shell.reportedText = message.strToSave;
        shell.sendMessage(message);
        shell.recorder.refreshUndoButtons();
    }

    function onShowAboutInfo(shell, steps) {
        shell.sendMessage({ msgType: 'showAboutInfo' });
    }

    function onRotateAntiClockwise(shell, steps) {
        shell.animation.rotateEntireAnimation(-ROTATION_STEP);
    }

    function onRotateClockwise(shell, steps) {
        shell.animation.rotateEntireAnimation(ROTATION_STEP);
    }

    function onToggleGrid(shell, steps) {
        shell.animation.toggleGrid();
        shell.toolbar.setToggleGrid(steps.gridShown());
    }

    function onToggleRunningLines(shell, steps) {
        shell.animation.toggleRunningLines();
        shell.toolbar.setToggleRunningLines(steps.runningLinesShown());
        steps.redrawAnimationLayer();
    }

    function onToggleLogo(shell, steps) {
        shell.animation.toggleLogo();
        shell.toolbar.setToggleLogo(steps.logoShown());
    }

    function onSelectLogo(shell, steps) {
        shell.sendMessage({ msgType: 'selectLogo' });
    }

    function onChooseBackground(shell, steps) {
        window.BackgroundPicker(shell.animation.stage, shell.animation.sport);
    }

    // The picker has already drawn the chosen pitch.
    function onBackgroundChosen(shell, steps, detail) {
        shell.animation.sport = detail.sport;
        steps.followAnimationSport();
    }

    function onRedrawControls(shell, steps) {
        shell.toolbar.layer.batchDraw();
        shell.itemPicker.layer.batchDraw();
        shell.timeline.layer.batchDraw();
    }

    // An overlay is open: nothing else may take input, not even the
    // timeline.
    function onDisableControls(shell, steps) {
        shell.overlayOpen = true;
        shell.keyboard.setOverlayOpen(true);
        setListening(shell, ['timeline'], false);
        window.myDispatchEvent('disableNonTimelineControls', {});
    }

    // Playback raises this alone, so the timeline's stop button stays live.
    // A drawing tool does not outlast it: the items listen again after.
    function onDisableNonTimelineControls(shell, steps) {
        shell.animation.drawingEditor.leaveTool();
        shell.drawingStrip.showTool(null);
        setListening(shell, ['toolbar', 'itemPicker', 'animation', 'background'], false);
        window.Button.hideTooltip();
        shell.toolbar.leaveAll();
        shell.itemPicker.leaveAll();
    }

    function onEnableControls(shell, steps) {
        shell.overlayOpen = false;
        shell.keyboard.setOverlayOpen(false);
        setListening(shell, ['timeline', 'toolbar', 'itemPicker', 'animation', 'background'], true);
        // A layer that was deaf through a resize has an empty hit graph:
        // the bare pitch would not take a click until the next redraw.
        shell.animation.bgLayer.draw();
        shell.animation.animLayer.draw();
        window.myDispatchEvent('redrawControls', {});
    }

    function onUndo(shell, steps) {
        var shown = shell.recorder.recordChange();
        var snapshot = shell.history.undo();
        if (snapshot) {
            showSnapshot(shell, steps, snapshot, shown);
        }
    }

    function onRedo(shell, steps) {
        var shown = shell.recorder.recordChange();
        var snapshot = shell.history.redo();
        if (snapshot) {
            showSnapshot(shell, steps, snapshot, shown);
        }
    }

    // Escape leaves an open overlay unchanged; with none open it clears the
    // selection.
    function onEscapePressed(shell, steps) {
        if (shell.overlayOpen) {
            window.myDispatchEvent('closeOverlays', {});
        } else if (shell.animation.playbackManager.isPlaying) {
            window.myDispatchEvent('stop', {});
        } else {
            steps.setSelected(shell.animation.animLayer.itemGroups(), false);
            shell.animation.drawingEditor.leaveTool();
            shell.animation.drawingEditor.deselect();
            shell.drawingStrip.showTool(null);
        }
    }

    window.ViewCommands = [
        { name: 'showAboutInfo', handle: onShowAboutInfo },
        { name: 'rotateAntiClockwise', handle: onRotateAntiClockwise, edits: true },
        { name: 'rotateClockwise', handle: onRotateClockwise, edits: true },
        { name: 'toggleGrid', handle: onToggleGrid, edits: true },
        { name: 'toggleRunningLines', handle: onToggleRunningLines, edits: true },
        { name: 'toggleLogo', handle: onToggleLogo, edits: true },
        { name: 'selectLogo', handle: onSelectLogo },
        { name: 'chooseBackground', handle: onChooseBackground },
        { name: 'backgroundChosen', handle: onBackgroundChosen, edits: true },
        { name: 'redrawControls', handle: onRedrawControls },
        { name: 'disableControls', handle: onDisableControls },
        { name: 'disableNonTimelineControls', handle: onDisableNonTimelineControls },
        { name: 'enableControls', handle: onEnableControls },
        { name: 'undo', handle: onUndo },
        { name: 'redo', handle: onRedo },
        { name: 'escapePressed', handle: onEscapePressed }
    ];
}(window));
