// The strip along the top of the editor: one square button per command, each
// raising a page event for the page shell to act on, with the About button at
// the right end. The grid, running-line and logo buttons are toggles whose
// pressed look the shell sets from the animation's state; a click alone does
// not change it. Undo and redo are drawn faint while there is nothing to
// undo or redo. In a strip too narrow for the whole row the buttons shrink
// together rather than hide one another.
(function (window, Kinetic) {
    'use strict';

    var CONTAINER_ID = 'toolbarContainer';
    var GROUP_NAME = 'toolbar';
    var BACKGROUND_FILL = 'rgb(214,219,233)';
    var SEPARATOR_STROKE = 'grey';
    var SEPARATOR_WIDTH = 1;
    var SEPARATOR_INSET = 2;

    // Row order: button n stands at x = n * h. `detail`: what the button's
    // event carries ({} when not given); `toggle` names the toggle a
    // button is, if it is one; `opens`: the button may open a dialog or an
    // overlay, which takes the pointer away without a pointer-out.
    var BUTTONS = [
        { icon: 'newDocument', scale: 0.65, event: 'newAnimation', tip: 'New drill (Ctrl+N)', opens: true },
        { icon: 'folder', scale: 0.25, event: 'openAnimation', tip: 'Open a drill (Ctrl+O)', opens: true },
        { icon: 'save', scale: 0.27, event: 'saveAnimation', detail: { toCurrentFile: true },
            tip: 'Save the drill (Ctrl+S)', opens: true },
        { icon: 'saveAs', scale: 0.27, event: 'saveAnimationAs', tip: 'Save the drill under another name… (Ctrl+Shift+S)',
            opens: true },
        { icon: 'undo', scale: 0.25, event: 'undo', tip: 'Undo (Ctrl+Z)' },
        { icon: 'redo', scale: 0.25, event: 'redo', tip: 'Redo (Ctrl+Shift+Z)' },
        { icon: 'mp4', scale: 0.7, event: 'exportVideo', tip: 'Export an MP4 video', opens: true },
        { icon: 'gif', scale: 0.7, event: 'exportGif', tip: 'Export an animated GIF', opens: true },
        { icon: 'pdf', scale: 0.7, event: 'exportPdf', tip: 'Export a PDF report', opens: true },
        { icon: 'page', scale: 0.7, event: 'exportPage', tip: 'Export the drill as a web page that plays on any phone',
            opens: true },
        { icon: 'copy', scale: 0.25, event: 'takeSnapshot', tip: 'Copy a picture of this frame (or save it as a file)', opens: true },
        { icon: 'soccerField', scale: 0.25, event: 'chooseBackground', tip: 'Choose the sport and the pitch',
            opens: true },
        { icon: 'rotateAntiClock', scale: 0.3, event: 'rotateAntiClockwise', tip: 'Turn the pitch anticlockwise' },
        { icon: 'rotateClock', scale: 0.3, event: 'rotateClockwise', tip: 'Turn the pitch clockwise' },
        { icon: 'grid', scale: 0.25, event: 'toggleGrid', toggle: 'grid', tip: 'Show or hide the grid' },
        { icon: 'runningLines', scale: 0.25, event: 'toggleRunningLines', toggle: 'runningLines',
            tip: 'Show or hide the running lines' },
        { icon: 'openLogo', scale: 0.25, event: 'selectLogo', tip: 'Choose a club logo', opens: true },
        { icon: 'showLogo', scale: 0.25, event: 'toggleLogo', toggle: 'logo', tip: 'Show or hide the logo' }
    ];
    var ABOUT_BUTTON = { icon: 'about', scale: 0.5, event: 'showAboutInfo', tip: 'About Drillmora', opens: true };

    // Separators stand before the undo, video, snapshot, background, grid
    // and select-logo buttons: at these multiples of the button size.
    var SEPARATOR_SLOTS = [4, 6, 10, 11, 14, 16];

    function Toolbar(w, h) {
        this.w = w;
        this.h = h;

        this.stage = new Kinetic.Stage({ container: CONTAINER_ID, width: w, height: h });
        this.layer = new Kinetic.Layer();
        this.group = new Kinetic.Group({ name: GROUP_NAME, width: w, height: h });
        this.background = new Kinetic.Rect({ x: 0, y: 0, width: w, height: h, fill: BACKGROUND_FILL });
        this.group.add(this.background);

        this.buttons = [];
        this.toggles = {};
        this.byEvent = {};
        for (var n = 0; n < BUTTONS.length; n++) {
            var button = this.addButton(BUTTONS[n]);
            this.buttons.push(button);
            this.byEvent[BUTTONS[n].event] = button;
            if (BUTTONS[n].toggle) {
                this.toggles[BUTTONS[n].toggle] = button;
            }
        }
        this.aboutButton = this.addButton(ABOUT_BUTTON);

        this.separators = [];
        for (var i = 0; i < SEPARATOR_SLOTS.length; i++) {
            this.separators.push(this.addSeparator());
        }
        this.layOut();
        this.setUndoRedo(false, false);

        this.layer.add(this.group);
        this.stage.add(this.layer);
    }

    // The side of a button: the strip's height, or less when the row and
    // the About button would not fit the width.
    Toolbar.prototype.buttonSide = function () {
        return Math.min(this.h, this.w / (BUTTONS.length + 1));
    };

    Toolbar.prototype.layOut = function () {
        var side = this.buttonSide();
        var scale = side / this.h;
        var place = function (button, x) {
            button.group.position({ x: x, y: (this.h - side) / 2 });
            button.group.scale({ x: scale, y: scale });
        }.bind(this);
        this.buttons.forEach(function (button, n) {
            place(button, n * side);
        });
        place(this.aboutButton, this.w - side);
        var h = this.h;
        this.separators.forEach(function (line, i) {
            var x = SEPARATOR_SLOTS[i] * side;
            line.points([x, SEPARATOR_INSET, x, h - SEPARATOR_INSET]);
        });
    };

    // Group names follow the event a button raises ("newAnimationButton"),
    // so each button can be found by name.
    Toolbar.prototype.addButton = function (entry) {
        var button = new window.Button(0, 0, this.h, this.h, entry.event + 'Button');
        button.group.add(window.icon(entry.icon, entry.scale));
        button.setTooltip(entry.tip);
        button.group.on('click tap', function () {
            if (!button.enabled) {
                return;
            }
            window.myDispatchEvent(entry.event, Object.assign({}, entry.detail));
            if (entry.opens) {
                button.leave();
            }
        });
        this.group.add(button.group);
        return button;
    };

    Toolbar.prototype.addSeparator = function () {
        var line = new Kinetic.Line({
            points: [0, SEPARATOR_INSET, 0, this.h - SEPARATOR_INSET],
            stroke: SEPARATOR_STROKE,
            strokeWidth: SEPARATOR_WIDTH,
            listening: false
        });
        this.group.add(line);
        return line;
    };

    // The About button follows the new width; the others keep their places
    // unless the strip has become too narrow for them.
    Toolbar.prototype.updateBounds = function (w, h) {
        this.w = w;
        this.h = h;
        this.stage.size({ width: w, height: h });
        this.group.size({ width: w, height: h });
        this.background.size({ width: w, height: h });
        this.layOut();
        this.layer.batchDraw();
    };

    Toolbar.prototype.setUndoRedo = function (canUndo, canRedo) {
        this.byEvent.undo.setEnabled(canUndo);
        this.byEvent.redo.setEnabled(canRedo);
    };

    // No button keeps a highlight while the strip is deaf.
    Toolbar.prototype.leaveAll = function () {
        this.buttons.concat([this.aboutButton]).forEach(function (button) {
            button.leave();
        });
    };

    Toolbar.prototype.setToggleGrid = function (pressed) {
        this.toggles.grid.setPressed(pressed);
    };

    Toolbar.prototype.setToggleRunningLines = function (pressed) {
        this.toggles.runningLines.setPressed(pressed);
    };

    Toolbar.prototype.setToggleLogo = function (pressed) {
        this.toggles.logo.setPressed(pressed);
    };

    Toolbar.prototype.getWidth = function () {
        return this.stage.width();
    };

    window.Toolbar = Toolbar;
}(window, Kinetic));
