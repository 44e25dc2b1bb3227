// The editor's keys. Each key the editor knows raises a page event for the
// page shell, and its default action in the engine (scrolling, going back,
// selecting text) is stopped. While an overlay is open only Escape works,
// and during playback only Space (pause and resume) and Escape (stop); keys typed into the
// host's dialogs never arrive here, since the dialogs take them.
(function (window, document) {
    'use strict';

    var NUDGE = 1;
    var SHIFT_NUDGE = 10;
    // Degrees the selected items turn by, clockwise on screen.
    var TURN_STEP = 15;

    var KEY = {
        BACKSPACE: 8,
        ESCAPE: 27,
        SPACE: 32,
        LEFT: 37,
        UP: 38,
        RIGHT: 39,
        DOWN: 40,
        DELETE: 46,
        A: 65,
        C: 67,
        N: 78,
        O: 79,
        R: 82,
        S: 83,
        V: 86,
        Y: 89,
        Z: 90,
        // The engine's codes for "=" (with Shift "+") and "-", on the main
        // keys and on the number pad.
        EQUALS: 187,
        MINUS: 189,
        PAD_PLUS: 107,
        PAD_MINUS: 109
    };

    var ARROWS = {};
    ARROWS[KEY.LEFT] = { dx: -1, dy: 0 };
    ARROWS[KEY.UP] = { dx: 0, dy: -1 };
    ARROWS[KEY.RIGHT] = { dx: 1, dy: 0 };
    ARROWS[KEY.DOWN] = { dx: 0, dy: 1 };

    // [key, with Ctrl, with Shift (null: either), event, detail]. Ctrl
    // stands for Command on a Mac.
    var COMMANDS = [
        [KEY.DELETE, false, null, 'deleteSelectedItems'],
        [KEY.BACKSPACE, false, null, 'deleteSelectedItems'],
        [KEY.R, false, false, 'turnSelectedItems', { degrees: TURN_STEP }],
        [KEY.R, false, true, 'turnSelectedItems', { degrees: -TURN_STEP }],
        [KEY.EQUALS, false, null, 'increaseSelectedScale'],
        [KEY.PAD_PLUS, false, null, 'increaseSelectedScale'],
        [KEY.MINUS, false, null, 'decreaseSelectedScale'],
        [KEY.PAD_MINUS, false, null, 'decreaseSelectedScale'],
        [KEY.A, true, false, 'selectAllItems'],
        [KEY.C, true, false, 'copySelectedItems'],
        [KEY.V, true, false, 'pasteItems'],
        [KEY.Z, true, false, 'undo'],
        [KEY.Z, true, true, 'redo'],
        [KEY.Y, true, false, 'redo'],
        [KEY.N, true, false, 'newAnimation'],
        [KEY.O, true, false, 'openAnimation'],
        [KEY.S, true, false, 'saveAnimation', { toCurrentFile: true }],
        [KEY.S, true, true, 'saveAnimationAs']
    ];

    function Keyboard(target) {
        if (!(this instanceof Keyboard)) {
            throw new Error('Keyboard must be called with new');
        }
        var self = this;
        this.overlayOpen = false;
        this.playing = false;
        (target || document).addEventListener('keydown', function (evt) {
            var handled = self.handle(evt.keyCode, evt.ctrlKey || evt.metaKey, evt.shiftKey, evt.altKey);
            if (handled) {
                evt.preventDefault();
                evt.stopPropagation();
            }
        }, false);
    }

    Keyboard.prototype.setOverlayOpen = function (open) {
        this.overlayOpen = !!open;
    };

    Keyboard.prototype.setPlaying = function (playing) {
        this.playing = !!playing;
    };

    // The page event for a key, as [name, detail], or null.
    Keyboard.prototype.eventFor = function (keyCode, ctrl, shift, alt) {
        if (alt) {
            return null;
        }
        if (keyCode === KEY.ESCAPE && !ctrl) {
            return ['escapePressed', {}];
        }
        if (keyCode === KEY.SPACE && !ctrl) {
            return [this.playing ? 'togglePause' : 'play', {}];
        }
        if (this.playing || this.overlayOpen) {
            return null;
        }
        if (ARROWS.hasOwnProperty(keyCode) && !ctrl) {
            var step = shift ? SHIFT_NUDGE : NUDGE;
            return ['nudgeSelectedItems', { dx: ARROWS[keyCode].dx * step, dy: ARROWS[keyCode].dy * step }];
        }
        for (var i = 0; i < COMMANDS.length; i++) {
            var c = COMMANDS[i];
            if (c[0] === keyCode && c[1] === ctrl && (c[2] === null || c[2] === shift)) {
                return [c[3], c[4] || {}];
            }
        }
        return null;
    };

    // Raises the key's page event; returns whether the key was the editor's.
    Keyboard.prototype.handle = function (keyCode, ctrl, shift, alt) {
        var found = this.eventFor(keyCode, !!ctrl, !!shift, !!alt);
        if (!found) {
            return false;
        }
        // While an overlay is open Space does nothing, but is still kept
        // from the engine.
        if (found[0] === 'play' && this.overlayOpen) {
            return true;
        }
        window.myDispatchEvent(found[0], found[1]);
        return true;
    };

    window.Keyboard = Keyboard;
}(window, document));
