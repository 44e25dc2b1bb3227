// The page events of the items: adding an item (a click on the palette, or
// a drag from it) or a team, deleting, scaling, nudging, turning and
// recolouring the selection, copy and paste, select all (or all of one
// kind and colour), and the prompts for an item's labels.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    var ITEM_LABEL_PROMPT = 'Enter a label for this item: ';
    var ITEM_SHORT_LABEL_PROMPT = '<html><head/><body><p>Enter a short label for this player:' +
        '<br/>(maximum 4 characters)</p></body></html>';
    // Pasted items stand this far (a fraction of the pitch) below and to
    // the right of the copied ones.
    var PASTE_OFFSET = 0.03;
    // The colour chooser for the selection grows from a disc of a colour
    // button's size.
    var CHOOSER_START_RADIUS = 12;
    // What a team is made of.
    var TEAM_ITEM_TYPE = 'person';

    // (-180, 180], as the rotate handle turns items.
    function normalRotation(degrees) {
        var r = degrees % 360;
        if (r > 180) {
            r -= 360;
        } else if (r <= -180) {
            r += 360;
        }
        return r;
    }

    // The first colours of the selected items that have colours, each once,
    // in the order their items are stacked.
    function coloursOfSelection(groups) {
        var colours = [];
        groups.forEach(function (group) {
            (group.getFieldItem().availableCols1 || []).forEach(function (colour) {
                if (colours.indexOf(colour) === -1) {
                    colours.push(colour);
                }
            });
        });
        return colours.slice(0, window.createColorChooser.MAX_COLORS);
    }

    function colouredSelection(steps) {
        return steps.selectedGroups().filter(function (group) {
            return group.getFieldItem().nColors > 0;
        });
    }

    // The new item comes selected, ready to be dragged into place.
    function onAddItem(shell, steps, detail) {
        if (!steps.mayGrow(1, 0)) {
            return;
        }
        var group = shell.animation.addItem(detail.type, detail.col1, detail.col2, detail.scale);
        shell.animation.animLayer.select(group._id);
        steps.redrawAnimationLayer();
    }

    // An item dragged from the palette stands where it was let go over the
    // pitch (or its margin, taken to the edge); let go elsewhere, nothing
    // is added.
    function onDropItem(shell, steps, detail) {
        var at = shell.animation.pitchPointAt(detail.clientX, detail.clientY);
        if (!at || !steps.mayGrow(1, 0)) {
            return;
        }
        var group = shell.animation.addItem(detail.type, detail.col1, detail.col2, detail.scale, at);
        shell.animation.animLayer.select(group._id);
        steps.redrawAnimationLayer();
    }

    function onGetLabelForItem(shell, steps, detail) {
        shell.sendMessage({
            msgType: 'promptForItemLabel',
            displayMessage: ITEM_LABEL_PROMPT,
            defaultText: detail.currentLabel,
            id: detail.id
        });
    }

    function onGetShortLabelForItem(shell, steps, detail) {
        shell.sendMessage({
            msgType: 'promptForItemShortLabel',
            displayMessage: ITEM_SHORT_LABEL_PROMPT,
            defaultText: detail.currentLabel,
            id: detail.id
        });
    }

    function onDeleteSelectedItems(shell, steps) {
        shell.animation.frameManager.removeSelectedObjects();
        shell.animation.drawingEditor.deleteSelected();
    }

    function onIncreaseSelectedScale(shell, steps) {
        shell.animation.frameManager.increaseSelectedScale();
    }

    // A substitution, or a player gone off the screen: from the next frame
    // on the selected items are off the pitch.
    function onLeaveAfterFrame(shell, steps) {
        shell.animation.frameManager.toggleLeavingAfterSelected();
    }

    // The ball is the player's from the frame on show, as if dragged onto him.
    function onGiveBall(shell, steps, detail) {
        if (shell.animation.frameManager.giveBall(detail.id)) {
            steps.redrawAnimationLayer();
        }
    }

    function onDecreaseSelectedScale(shell, steps) {
        shell.animation.frameManager.decreaseSelectedScale();
    }

    // The kit colours offered are a player's; the one the palette would
    // give the next player comes first.
    function onChooseTeam(shell, steps) {
        var button = shell.itemPicker.buttonFor(TEAM_ITEM_TYPE);
        var player = button ? button.fieldItem :
            new window.FieldItem(0, 0, 0, 'default', TEAM_ITEM_TYPE, 'default', 'default', 1);
        window.TeamPicker(shell.animation.stage, shell.animation.sport,
            { colors: player.availableCols1, color: player.getCol(1), view: shell.animation.bgLayer.bgType });
    }

    // The team (or set piece) comes whole or not at all, numbered, at the
    // player's own size, and selected alone so that it moves (or changes
    // kit) as one.
    function onAddTeam(shell, steps, detail) {
        var animation = shell.animation;
        var placement = new window.TeamPlacement(animation.sport, animation.bgLayer.bgType, animation.aspectRatio);
        var players = window.SetPieces.isSetPiece(detail.formation) ?
            placement.placeSetPiece(detail.formation, detail.half, detail.side, detail.count) :
            placement.place(detail.formation, detail.half);
        if (!steps.mayGrow(players.length, 0)) {
            return;
        }
        steps.setSelected(shell.animation.animLayer.itemGroups(), false);
        var team = players.map(function (player) {
            return shell.animation.addItemLike({
                type: TEAM_ITEM_TYPE, rotation: player.rotation, scale: 'default', col1: detail.color,
                col2: detail.color, text: '', shortLabel: player.shortLabel
            }, player);
        });
        steps.setSelected(team, true);
    }

    // `id`: the node identifier of an item's group. Every item of its kind
    // in its colours is selected, and nothing else: a team added whole
    // comes in one kit, so this selects the team (as Ctrl+double-click on
    // a player does).
    function onSelectItemsAlike(shell, steps, detail) {
        var groups = shell.animation.animLayer.itemGroups();
        var model = groups.filter(function (group) { return group._id === detail.id; })[0];
        if (!model) {
            return;
        }
        var like = model.getProperties();
        var two = model.getFieldItem().nColors > 1;
        steps.setSelected(groups, false);
        steps.setSelected(groups.filter(function (group) {
            var props = group.getProperties();
            return props.type === like.type && props.col1 === like.col1 && (!two || props.col2 === like.col2);
        }), true);
        shell.animation.drawingEditor.deselect();
    }

    // The drawings shown in the frame too.
    function onSelectAllItems(shell, steps) {
        steps.setSelected(shell.animation.animLayer.itemGroups(), true);
        shell.animation.drawingEditor.selectAll();
    }

    // The selected items and the selected drawings are copied together,
    // each replacing what was copied before.
    function onCopySelectedItems(shell, steps) {
        var groups = steps.selectedGroups();
        var drawings = shell.animation.drawingEditor.copySelected();
        if (groups.length > 0 || drawings.length > 0) {
            shell.copiedItems = groups.map(function (group) { return group.getProperties(); });
            shell.copiedDrawings = drawings;
        }
    }

    // The copies stand a little below and right of the copied items (kept
    // on the pitch), the same in every frame, and come selected alone.
    function onPasteItems(shell, steps) {
        var copied = shell.copiedItems || [];
        var drawings = shell.copiedDrawings || [];
        if (copied.length + drawings.length === 0) {
            return;
        }
        // The copies are selected alone, drawings with items.
        shell.animation.drawingEditor.paste(drawings);
        if (copied.length === 0 || !steps.mayGrow(copied.length, 0)) {
            steps.setSelected(shell.animation.animLayer.itemGroups(), false);
            return;
        }
        steps.setSelected(shell.animation.animLayer.itemGroups(), false);
        var pasted = copied.map(function (props) {
            var pos = {
                x: Math.min(1, props.x + PASTE_OFFSET),
                y: Math.min(1, props.y + PASTE_OFFSET)
            };
            return shell.animation.addItemLike(props, pos);
        });
        steps.setSelected(pasted, true);
    }

    // (dx, dy): screen pixels; the pitch may be turned, and items are kept
    // on it. The selected drawings go along.
    function onNudgeSelectedItems(shell, steps, detail) {
        var layer = shell.animation.animLayer;
        var d = window.rotatePos({ x: detail.dx, y: detail.dy }, -layer.rotation());
        var groups = steps.selectedGroups();
        shell.animation.drawingEditor.moveSelectedBy(d);
        if (groups.length === 0) {
            return;
        }
        groups.forEach(function (group) {
            var item = group.getFieldItem().group;
            var to = layer.clipToBounds({ x: item.x() + d.x, y: item.y() + d.y });
            group.updatePosition(to, group.getItemRotation());
            group.setControlsPosition();
        });
        shell.animation.frameManager.saveFrame();
        shell.animation.frameManager.updateRunningLines(shell.animation.frameManager.selectedFrame);
        steps.redrawAnimationLayer();
    }

    // `degrees`: clockwise on screen. Items that do not turn (balls,
    // markers, rings) stay as they are.
    function onTurnSelectedItems(shell, steps, detail) {
        var groups = steps.selectedGroups().filter(function (group) {
            return group.getFieldItem().canRotate;
        });
        if (groups.length === 0 || typeof detail.degrees !== 'number') {
            return;
        }
        groups.forEach(function (group) {
            group.updatePosition(group.getPosAbs(), normalRotation(group.getItemRotation() + detail.degrees));
            group.setControlsPosition();
        });
        shell.animation.frameManager.saveFrame();
        shell.animation.frameManager.updateRunningLines(shell.animation.frameManager.selectedFrame);
        steps.redrawAnimationLayer();
    }

    // The colour chooser for every selected item with a colour, offering
    // the colours any of them can take; it grows from the middle of them.
    function onColorSelectedItems(shell, steps) {
        var groups = colouredSelection(steps);
        var colours = coloursOfSelection(groups);
        if (colours.length === 0) {
            return;
        }
        var layer = shell.animation.animLayer;
        var sum = { x: 0, y: 0 };
        groups.forEach(function (group) {
            var at = window.layerPosToStage(group.getPosAbs(), layer);
            sum.x += at.x;
            sum.y += at.y;
        });
        var start = { x: sum.x / groups.length, y: sum.y / groups.length };
        window.createColorChooser(shell.animation.stage, start, CHOOSER_START_RADIUS, colours, function (colour) {
            window.myDispatchEvent('recolorSelectedItems', { color: colour });
        }, function () { steps.redrawAnimationLayer(); });
    }

    // Each selected item whose kind offers the colour takes it, as its
    // colour button would give it; the others keep theirs. One step.
    function onRecolorSelectedItems(shell, steps, detail) {
        var types = [];
        colouredSelection(steps).forEach(function (group) {
            var item = group.getFieldItem();
            if ((item.availableCols1 || []).indexOf(detail.color) === -1) {
                return;
            }
            group.setColor(detail.color, 1);
            if (types.indexOf(item.type) === -1) {
                types.push(item.type);
            }
        });
        types.forEach(function (type) {
            window.myDispatchEvent('setItemDefaultColor', { itemType: type, color: detail.color, colNumber: 1 });
        });
        steps.redrawAnimationLayer();
    }

    window.ItemCommands = [
        { name: 'addItem', handle: onAddItem, edits: true },
        { name: 'dropItem', handle: onDropItem, edits: true },
        { name: 'getLabelForItem', handle: onGetLabelForItem, edits: true },
        { name: 'getShortLabelForItem', handle: onGetShortLabelForItem, edits: true },
        { name: 'deleteSelectedItems', handle: onDeleteSelectedItems, edits: true },
        { name: 'leaveAfterFrame', handle: onLeaveAfterFrame, edits: true },
        { name: 'giveBall', handle: onGiveBall, edits: true },
        { name: 'increaseSelectedScale', handle: onIncreaseSelectedScale, edits: true },
        { name: 'decreaseSelectedScale', handle: onDecreaseSelectedScale, edits: true },
        { name: 'chooseTeam', handle: onChooseTeam },
        { name: 'addTeam', handle: onAddTeam, edits: true },
        { name: 'selectAllItems', handle: onSelectAllItems },
        { name: 'selectItemsAlike', handle: onSelectItemsAlike },
        { name: 'copySelectedItems', handle: onCopySelectedItems },
        { name: 'pasteItems', handle: onPasteItems, edits: true },
        { name: 'nudgeSelectedItems', handle: onNudgeSelectedItems, edits: true },
        { name: 'turnSelectedItems', handle: onTurnSelectedItems, edits: true },
        { name: 'colorSelectedItems', handle: onColorSelectedItems },
        { name: 'recolorSelectedItems', handle: onRecolorSelectedItems, edits: true }
    ];
}(window));
