// The page events of the menu a right-click on the pitch opens: the menu
// itself, with the commands that fit the selection, and bringing the
// selection to the front, which only the menu offers.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    var TURN_STEP = 15;

    function entry(text, event, detail, keys) {
        return { text: text, event: event, detail: detail || {}, keys: keys || '' };
    }

    // The selected items' commands: the label for one alone, turning for
    // those that turn, colour for those coloured, the same kind and colour
    // for one alone, the front, deleting.
    function itemEntries(shell, groups) {
        var entries = [];
        var one = groups.length === 1 ? groups[0] : null;
        if (one) {
            entries.push(entry('Label\u2026', 'getLabelForItem', { id: one._id, currentLabel: one.itemText.getText() }));
        }
        if (groups.some(function (g) { return g.getFieldItem().canRotate; })) {
            entries.push(entry('Turn clockwise', 'turnSelectedItems', { degrees: TURN_STEP }, 'R'));
            entries.push(entry('Turn anticlockwise', 'turnSelectedItems', { degrees: -TURN_STEP }, 'Shift+R'));
        }
        if (groups.some(function (g) { return g.getFieldItem().nColors > 0; })) {
            entries.push(entry('Colour\u2026', 'colorSelectedItems'));
        }
        if (one && one.getFieldItem().nColors > 0) {
            entries.push(entry('Select all like this', 'selectItemsAlike', { id: one._id }, 'Ctrl+double-click'));
        }
        var frames = shell.animation.frameManager;
        var holder = givenTo(groups);
        if (holder && frames.ballToGive(holder.getAttr('id'))) {
            entries.push(entry('Give the ball', 'giveBall', { id: holder.getAttr('id') }));
        }
        if (frames.selectedFrame < frames.nFrames - 1) {
            entries.push(entry('Leave after this frame', 'leaveAfterFrame'));
        }
        return entries;
    }

    // The player a ball can be given to: one selected alone, or with the
    // ball he is to have.
    function givenTo(groups) {
        var types = window.FrameManager;
        var players = groups.filter(function (g) { return types.HOLDER_TYPES.indexOf(g.getFieldItem().type) !== -1; });
        var balls = groups.filter(function (g) { return types.BALL_TYPES.indexOf(g.getFieldItem().type) !== -1; });
        return players.length === 1 && balls.length <= 1 && players.length + balls.length === groups.length ?
            players[0] : null;
    }

    // The selected drawings' commands: a lone note's text, the next colour.
    function drawingEntries(shell, drawings) {
        var entries = [];
        if (drawings.length === 1 && drawings[0].kind === 'note') {
            entries.push(entry('Edit text\u2026', 'editDrawingNote',
                { index: shell.animation.drawingLayer.model.drawings.indexOf(drawings[0]) }));
        }
        entries.push(entry('Next colour', 'nextDrawingColor'));
        if (drawings.length === 1 && shell.animation.frameManager.itemAtStartOf(drawings[0])) {
            entries.push(entry('Move along this line', 'moveAlongDrawing'));
        }
        return entries;
    }

    // `kind`: what was right-clicked, 'items' or 'drawings'; (clientX,
    // clientY): where, in page pixels.
    function onOpenSelectionMenu(shell, steps, detail) {
        var groups = steps.selectedGroups();
        var drawings = shell.animation.drawingLayer.selectedDrawings();
        var entries = detail.kind === 'items' ? itemEntries(shell, groups) : detail.kind === 'drawings' &&
            drawings.length > 0 ? drawingEntries(shell, drawings) : null;
        if (!entries || (detail.kind === 'items' && groups.length === 0)) {
            return;
        }
        entries.push(entry('Bring to front', 'bringSelectedToFront'));
        entries.push(entry('Delete', 'deleteSelectedItems', {}, 'Delete'));
        shell.selectionMenu.open(entries, detail.clientX, detail.clientY);
    }

    // The selected items come over the others, in the order they stood,
    // and so do the selected drawings over the other drawings.
    function onBringSelectedToFront(shell, steps) {
        steps.selectedGroups().forEach(function (group) {
            group.moveToTop();
        });
        shell.animation.drawingEditor.bringSelectedToFront();
        steps.redrawAnimationLayer();
    }

    window.MenuCommands = [
        { name: 'openSelectionMenu', handle: onOpenSelectionMenu },
        { name: 'bringSelectedToFront', handle: onBringSelectedToFront, edits: true }
    ];
}(window));
