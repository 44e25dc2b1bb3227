// The page events of the drawings: the tool and colour in hand, a
// drawing's span and fill, the prompt for a note (new, or a note's text
// afresh), and the drawings that follow the items' selection.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    var DRAWING_NOTE_PROMPT = 'Enter a note for the pitch (one or two lines): ';

    // The tool in hand again leaves it.
    function onChooseDrawingTool(shell, steps, detail) {
        shell.animation.drawingEditor.chooseTool(detail.kind, detail.style);
        shell.drawingStrip.showTool(shell.animation.drawingEditor.tool());
    }

    function onNextDrawingColor(shell, steps) {
        shell.drawingStrip.showColor(shell.animation.drawingEditor.nextColor());
    }

    function onChangeDrawingSpan(shell, steps, detail) {
        shell.animation.drawingEditor.changeSpan(detail.by, !!detail.atStart);
    }

    function onGetTextForNote(shell, steps) {
        shell.sendMessage({ msgType: 'promptForDrawingNote', displayMessage: DRAWING_NOTE_PROMPT, defaultText: '' });
    }

    // `index`: the note's place among the drill's drawings. The host's
    // answer (drawingNoteResponse) replaces its text.
    function onEditDrawingNote(shell, steps, detail) {
        var d = shell.animation.drawingLayer.model.drawings[detail.index];
        if (!d || d.kind !== 'note') {
            return;
        }
        shell.animation.drawingEditor.editNote(d);
        shell.sendMessage({ msgType: 'promptForDrawingNote', displayMessage: DRAWING_NOTE_PROMPT, defaultText: d.text });
    }

    function onNextZoneFill(shell, steps) {
        shell.animation.drawingEditor.nextZoneFill();
    }

    // The span and fill shown are those of a drawing selected alone.
    function onDrawingSelectionChanged(shell, steps) {
        var d = shell.animation.drawingLayer.selectedDrawing();
        shell.drawingStrip.showSpan(d ? { first: d.first, last: d.last } : null);
        shell.drawingStrip.showFill(d && d.kind === 'zone' ? d.fill : null);
        shell.drawingStrip.showFollow(!!shell.animation.frameManager.itemAtStartOf(d));
    }

    // Drawing a run and animating it are one gesture: the item at the
    // arrow's start moves along it to the next frame.
    function onMoveAlongDrawing(shell, steps) {
        var d = shell.animation.drawingLayer.selectedDrawing();
        if (d && shell.animation.frameManager.moveAlong(d)) {
            steps.updateTimelineFrameSettings();
        }
    }

    function onSelectedItemsDragged(shell, steps, detail) {
        shell.animation.drawingEditor.moveSelectedBy({ x: detail.dx, y: detail.dy });
    }

    function onItemSelectedAlone(shell, steps) {
        shell.animation.drawingEditor.deselect();
    }

    window.DrawingCommands = [
        { name: 'chooseDrawingTool', handle: onChooseDrawingTool },
        { name: 'nextDrawingColor', handle: onNextDrawingColor, edits: true },
        { name: 'changeDrawingSpan', handle: onChangeDrawingSpan, edits: true },
        { name: 'getTextForNote', handle: onGetTextForNote, edits: true },
        { name: 'editDrawingNote', handle: onEditDrawingNote, edits: true },
        { name: 'nextZoneFill', handle: onNextZoneFill, edits: true },
        { name: 'moveAlongDrawing', handle: onMoveAlongDrawing, edits: true },
        { name: 'drawingSelectionChanged', handle: onDrawingSelectionChanged },
        { name: 'selectedItemsDragged', handle: onSelectedItemsDragged },
        { name: 'itemSelectedAlone', handle: onItemSelectedAlone }
    ];
}(window));
