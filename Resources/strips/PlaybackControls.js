// The speed and loop buttons beside the timeline's play button. They change
// only how the drill is watched, never the drill: each click raises a page
// event (`setPlaybackSpeed` with `speed`, `toggleLoop`), and the page shell
// shows the result back through `show`. They stay live during playback.
// Their own group lies on the timeline's layer, over the strip, so that
// the strip's rebuilds leave them alone; the strip keeps their width free.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'playbackControls';
    var SPEED_BUTTON_NAME = 'speedButton';
    var LOOP_BUTTON_NAME = 'loopButton';
    var BUTTON_WIDTH = 40;
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
        return 2 * BUTTON_WIDTH;
    };

    // Right of the play button, as high as the strip: built again when the
    // strip's height changes.
    PlaybackControls.prototype.updateBounds = function () {
        var h = this.timeline.h;
        this.group.x(h);
        if (h !== this.builtHeight) {
            this.builtHeight = h;
            this.group.destroyChildren();
            this.speedButton = this.addButton(0, SPEED_BUTTON_NAME, 'Playback speed', function () {
                window.myDispatchEvent('setPlaybackSpeed', { speed: nextSpeed(this.speed) });
            });
            this.loopButton = this.addButton(BUTTON_WIDTH, LOOP_BUTTON_NAME, 'Play round and round',
                function () {
                    window.myDispatchEvent('toggleLoop', {});
                });
            this.show(this.speed, this.loop);
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
