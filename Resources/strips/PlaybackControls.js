// The stop, step, speed and loop buttons beside the timeline's play button.
// They change only how the drill is watched, never the drill: each click
// raises a page event (`stop`; `stepFrame` with `direction`, -1 or 1, and
// `fine`, Shift held, for a tenth of a second instead of a frame;
// `setPlaybackSpeed` with `speed`, `toggleLoop`), and the page shell shows
// the result back through `show` and `showPlaying`. They stay live during
// playback; stop is faint while nothing plays.
// Their own group lies on the timeline's layer, over the strip, so that
// the strip's rebuilds leave them alone; the strip keeps their width free.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'playbackControls';
    var SPEED_BUTTON_NAME = 'speedButton';
    var LOOP_BUTTON_NAME = 'loopButton';
    var STOP_BUTTON_NAME = 'stopButton';
    var STEP_BUTTON_NAME = 'stepButton';
    var BUTTON_WIDTH = 40;
    var SYMBOL_WIDTH = 30;
    var STOP_FILL = 'red';
    var STEP_FILL = 'rgb(40,60,120)';
    var SYMBOL_STROKE = 'black';
    // Half the symbols' size, as a share of the strip's height.
    var SYMBOL_RADIUS = 0.2;
    var SPEED_TEXTS = { 0.5: '\u00bd\u00d7', 1: '1\u00d7', 2: '2\u00d7' };
    var LOOP_TEXT = 'Loop';
    // A light frame around each caption, so that the captions read as
    // buttons and not as labels of the strip.
    var FRAME_INSET = 6;
    var FRAME_STROKE = 'grey';
    var FRAME_CORNER = 4;

    // The speed after `speed` in the round ½× → 1× → 2× → ½×.
    function nextSpeed(speed) {
        var speeds = window.PlaybackManager.SPEEDS;
        return speeds[(speeds.indexOf(speed) + 1) % speeds.length];
    }

    function PlaybackControls(timeline) {
        if (!timeline || !timeline.layer || !timeline.stage) {
            throw new Error('createPlaybackControls: the timeline is needed');
        }
        this.timeline = timeline;
        this.speed = 1;
        this.loop = false;
        this.group = new Kinetic.Group({ name: GROUP_NAME });
        timeline.layer.add(this.group);
        timeline.setLeadWidth(this.width());
        this.updateBounds();
    }

    PlaybackControls.prototype.width = function () {
        return 3 * SYMBOL_WIDTH + 2 * BUTTON_WIDTH;
    };

    // Right of the play button, as high as the strip: built again when the
    // strip's height changes.
    PlaybackControls.prototype.updateBounds = function () {
        var h = this.timeline.h;
        this.group.x(h);
        if (h !== this.builtHeight) {
            this.builtHeight = h;
            this.group.destroyChildren();
            this.addTransportButtons(h);
            var x = 3 * SYMBOL_WIDTH;
            this.speedButton = this.addButton(x, SPEED_BUTTON_NAME, 'Playback speed', function () {
                window.myDispatchEvent('setPlaybackSpeed', { speed: nextSpeed(this.speed) });
            });
            this.loopButton = this.addButton(x + BUTTON_WIDTH, LOOP_BUTTON_NAME, 'Play round and round',
                function () {
                    window.myDispatchEvent('toggleLoop', {});
                });
            this.show(this.speed, this.loop);
            this.showPlaying(!!this.playing);
        }
        this.group.moveToTop();
        this.timeline.layer.batchDraw();
    };

    // onClick is called with this object as `this`.
    PlaybackControls.prototype.addButton = function (x, name, tip, onClick) {
        var self = this;
        var h = this.timeline.h;
        var button = new window.Button(x, 0, BUTTON_WIDTH, h, name);
        button.group.add(new Kinetic.Rect({
            x: -BUTTON_WIDTH / 2 + FRAME_INSET / 2,
            y: -h / 2 + FRAME_INSET,
            width: BUTTON_WIDTH - FRAME_INSET,
            height: Math.max(0, h - 2 * FRAME_INSET),
            stroke: FRAME_STROKE,
            strokeWidth: 1,
            cornerRadius: FRAME_CORNER,
            listening: false
        }));
        button.setTooltip(tip);
        button.group.on('click tap', function () {
            onClick.call(self);
        });
        this.group.add(button.group);
        return button;
    };

    // Stop, then a frame back and a frame on.
    PlaybackControls.prototype.addTransportButtons = function (h) {
        var r = h * SYMBOL_RADIUS;
        this.stopButton = this.addSymbolButton(0, STOP_BUTTON_NAME, 'Stop (Esc)', [new Kinetic.Rect({
            x: -r * 0.8, y: -r * 0.8, width: 1.6 * r, height: 1.6 * r, fill: STOP_FILL, stroke: SYMBOL_STROKE,
            strokeWidth: 1, listening: false
        })], function () {
            if (this.playing) {
                window.myDispatchEvent('stop', {});
            }
        });
        this.stepButtons = [-1, 1].map(function (direction, i) {
            var tip = direction < 0 ? 'Back a frame (Shift: a tenth of a second)' :
                'On a frame (Shift: a tenth of a second)';
            return this.addSymbolButton((i + 1) * SYMBOL_WIDTH, STEP_BUTTON_NAME, tip, stepSymbol(direction, r),
                function (evt) {
                    this.step(direction, !!(evt.evt && evt.evt.shiftKey));
                });
        }, this);
    };

    // A bar and a triangle pointing away from it: |◀ or ▶|.
    function stepSymbol(direction, r) {
        return [new Kinetic.Rect({
            x: direction < 0 ? -r : r - 0.35 * r, y: -r, width: 0.35 * r, height: 2 * r, fill: STEP_FILL,
            listening: false
        }), new Kinetic.RegularPolygon({
            x: direction * -0.15 * r, sides: 3, radius: 0.9 * r, rotation: direction < 0 ? -90 : 90, fill: STEP_FILL,
            listening: false
        })];
    }

    // onClick is called with this object as `this` and Kinetic's event.
    PlaybackControls.prototype.addSymbolButton = function (x, name, tip, shapes, onClick) {
        var self = this;
        var button = new window.Button(x, 0, SYMBOL_WIDTH, this.timeline.h, name);
        shapes.forEach(function (shape) { button.group.add(shape); });
        button.setTooltip(tip);
        button.group.on('click tap', function (evt) {
            onClick.call(self, evt);
        });
        this.group.add(button.group);
        return button;
    };

    // A whole frame's step on a stopped drill selects the frame beside.
    PlaybackControls.prototype.step = function (direction, fine) {
        var timeline = this.timeline;
        if (this.playing || fine) {
            window.myDispatchEvent('stepFrame', { direction: direction, fine: fine });
            return;
        }
        var n = timeline.selectedFrame + direction;
        if (n >= 0 && n < timeline.nFrames) {
            window.myDispatchEvent('selectedFrame', { frameNumber: n });
        }
    };

    // Stop is for a drill that plays.
    PlaybackControls.prototype.showPlaying = function (playing) {
        this.playing = !!playing;
        this.stopButton.setEnabled(this.playing);
    };

    PlaybackControls.prototype.show = function (speed, loop) {
        if (!SPEED_TEXTS.hasOwnProperty(speed)) {
            throw new Error('PlaybackControls.show: unknown speed ' + speed);
        }
        this.speed = speed;
        this.loop = !!loop;
        this.speedButton.setText(SPEED_TEXTS[speed]);
        this.loopButton.setText(LOOP_TEXT);
        this.loopButton.setPressed(this.loop);
    };

    window.createPlaybackControls = function (timeline) {
        return new PlaybackControls(timeline);
    };
}(window, Kinetic));
