// The strip along the top of the editor: one square button per command, each
// raising a page event for the page shell to act on, with the About button at
// the right end. The grid, running-line and logo buttons are toggles whose
// pressed look the shell sets from the animation's state; a click alone does
// not change it.
(function (window, Kinetic) {
    'use strict';

    var CONTAINER_ID = 'toolbarContainer';
    var GROUP_NAME = 'toolbar';
    var BACKGROUND_FILL = 'rgb(214,219,233)';
    var SEPARATOR_STROKE = 'grey';
    var SEPARATOR_WIDTH = 1;
    var SEPARATOR_INSET = 2;

    // Row order: button n stands at x = n * h. `toggle` names the toggle a
    // button is, if it is one.
    var BUTTONS = [
        { icon: 'newDocument', scale: 0.65, event: 'newAnimation' },
        { icon: 'folder', scale: 0.25, event: 'openAnimation' },
        { icon: 'save', scale: 0.27, event: 'saveAnimation' },
        { icon: 'mp4', scale: 0.7, event: 'exportVideo' },
        { icon: 'pdf', scale: 0.7, event: 'exportPdf' },
        { icon: 'copy', scale: 0.25, event: 'takeSnapshot' },
        { icon: 'soccerField', scale: 0.25, event: 'chooseBackground' },
        { icon: 'rotateAntiClock', scale: 0.3, event: 'rotateAntiClockwise' },
        { icon: 'rotateClock', scale: 0.3, event: 'rotateClockwise' },
        { icon: 'grid', scale: 0.25, event: 'toggleGrid', toggle: 'grid' },
        { icon: 'runningLines', scale: 0.25, event: 'toggleRunningLines', toggle: 'runningLines' },
        { icon: 'openLogo', scale: 0.25, event: 'selectLogo' },
        { icon: 'showLogo', scale: 0.25, event: 'toggleLogo', toggle: 'logo' }
    ];
    var ABOUT_BUTTON = { icon: 'about', scale: 0.5, event: 'showAboutInfo' };

    // Separators stand before the snapshot, background, grid and select-logo
    // buttons: at these multiples of the button size.
    var SEPARATOR_SLOTS = [5, 6, 9, 11];

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
        for (var n = 0; n < BUTTONS.length; n++) {
            var button = this.addButton(BUTTONS[n], n * h);
            this.buttons.push(button);
            if (BUTTONS[n].toggle) {
                this.toggles[BUTTONS[n].toggle] = button;
            }
        }
        this.aboutButton = this.addButton(ABOUT_BUTTON, w - h);

        this.separators = [];
        for (var i = 0; i < SEPARATOR_SLOTS.length; i++) {
            this.separators.push(this.addSeparator(SEPARATOR_SLOTS[i] * h));
        }

        this.layer.add(this.group);
        this.stage.add(this.layer);
    }

    // Group names follow the event a button raises ("newAnimationButton"),
    // so each button can be found by name.
    Toolbar.prototype.addButton = function (entry, x) {
        var button = new window.Button(x, 0, this.h, this.h, entry.event + 'Button');
        button.group.add(window.icon(entry.icon, entry.scale));
        button.group.on('click tap', function () {
            window.myDispatchEvent(entry.event, {});
        });
        this.group.add(button.group);
        return button;
    };

    Toolbar.prototype.addSeparator = function (x) {
        var line = new Kinetic.Line({
            points: [x, SEPARATOR_INSET, x, this.h - SEPARATOR_INSET],
            stroke: SEPARATOR_STROKE,
            strokeWidth: SEPARATOR_WIDTH,
            listening: false
        });
        this.group.add(line);
        return line;
    };

    // Only the strip and the About button follow the new width; the other
    // buttons keep their places (a narrow strip cuts them off).
    Toolbar.prototype.updateBounds = function (w, h) {
        this.w = w;
        this.h = h;
        this.stage.size({ width: w, height: h });
        this.group.size({ width: w, height: h });
        this.background.size({ width: w, height: h });
        this.aboutButton.group.x(w - h);
        this.layer.batchDraw();
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
