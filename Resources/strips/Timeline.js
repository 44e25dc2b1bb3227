// The strip along the bottom of the editor: a play/pause button, one numbered
// box per frame, as wide as its step lasts, over a ruler of seconds
// (Timeline.times.js), with the selected one highlighted, an add-frame
// button right after the selected box, and step-hold (StepHoldButton.js),
// remove-frame and add-caption buttons at the right end. While playback
// runs the play button offers pause, the buttons that change the frames
// are hidden and a marker shows the moment played. It keeps no animation
// state beyond the frame count, selection and step times the page shell
// pushes to it; every user action leaves as a page event.
//
// Playing or not is held in `isPlaying`, not only in what is on screen,
// because every change of size or frames rebuilds the whole strip: a window
// resized during playback must not bring back the stopped look (whose play
// button would start playback a second time). So a rebuild while playing
// draws the playing look again, the marker where it was. `playbackStarted`
// sets the flag; `playbackStopped` clears it without redrawing, and the
// shell's `updateFrameSettings` that follows it is the redraw that brings
// the buttons back. The play button, the playing look and its flags'
// changes are in Timeline.playback.js.
(function (window, Kinetic) {
    'use strict';

    var CONTAINER_ID = 'timelineContainer';
    var GROUP_NAME = 'timelineGroup';
    var BACKGROUND_FILL = 'rgb(214,219,233)';
    var PAD = 5;

    var FRAME_STRIP_NAME = 'frameStrip';
    var SELECTED_FRAME_FILL = 'lime';
    var FRAME_FILL = 'green';
    // The box is drawn this far inside its place, so that the light of a
    // box under the pointer shows as a border around it.
    var FRAME_INSET = 2;
    var FRAME_FONT_FAMILY = 'Helvetica';
    var FRAME_FONT_SIZE = 16;
    var FRAME_TEXT_FILL = 'black';
    // A box under the pointer is lit as a button is.
    var LIT_FILL = 'yellow';
    var LIT_STROKE = '#459A00';
    var LIT_STROKE_WIDTH = 2;
    var MAX_FRAME_WIDTH = 60;
    var NUMBER_FIT_STEPS = 5;
    var NUMBER_FIT_SHRINK = 0.98;

    var ADD_FRAME_BUTTON_NAME = 'addFrameButton';
    var ADD_FRAME_WIDTH = 20;
    var ADD_FRAME_GAP = 2;
    var ADD_FRAME_RADIUS = 10;
    var ADD_FRAME_FILL = 'white';
    var ADD_FRAME_STROKE = 'black';
    var ADD_FRAME_STROKE_WIDTH = 1;
    var ADD_FRAME_ICON = 'plus';
    var ADD_FRAME_ICON_SCALE = 0.25;

    var REMOVE_FRAME_BUTTON_NAME = 'remFrameButton';
    var REMOVE_FRAME_ICON = 'deleteFrame';
    var REMOVE_FRAME_ICON_SCALE = 0.28;

    var ADD_CAPTION_BUTTON_NAME = 'addCaptionButton';
    var ADD_CAPTION_ICON = 'addCaption';
    var ADD_CAPTION_ICON_SCALE = 0.25;

    function checkSize(operation, w, h) {
        if (!window.isPositiveNumber(w) || !window.isPositiveNumber(h)) {
            throw new Error(operation + ': the width and height must be positive numbers, got ' +
                w + ' x ' + h);
        }
    }

    // A second's width of the frame boxes when boxes of `seconds` in all
    // and the add-frame button, with a gap on either side, share
    // xMin..xMax; never wider than MAX_FRAME_WIDTH, and zero rather than
    // negative when nothing is left.
    function secondWidth(xMin, xMax, seconds) {
        var room = xMax - xMin - ADD_FRAME_WIDTH - 2 * ADD_FRAME_GAP;
        return Math.min(MAX_FRAME_WIDTH, Math.max(0, room / seconds));
    }

    // A box too narrow for its number gets a smaller one: every box is
    // numbered, and no number spills into its neighbours. Text does not
    // shrink quite in proportion to its font, so a few steps may be needed.
    // Numbers as wide at the full size (digits are all alike wide) end at
    // the same size in the same room, found once.
    var fullWidths = {};
    var fittedSizes = {};

    function fontOfSize(size) {
        return 'normal normal ' + size + 'px ' + FRAME_FONT_FAMILY;
    }

    function textWidth(text, size) {
        return window.textWidth(fontOfSize(size), text);
    }

    // { size, width } of `text` fitted into a box `b` wide.
    function fittedNumber(text, b) {
        var room = Math.max(0, b - 2 * FRAME_INSET);
        if (!fullWidths.hasOwnProperty(text)) {
            fullWidths[text] = textWidth(text, FRAME_FONT_SIZE);
        }
        var key = fullWidths[text] + ':' + room;
        if (!fittedSizes.hasOwnProperty(key)) {
            var size = FRAME_FONT_SIZE;
            var width = fullWidths[text];
            for (var step = 0; step < NUMBER_FIT_STEPS && width > room; step++) {
                size = size * room / width * NUMBER_FIT_SHRINK;
                width = textWidth(text, size);
            }
            fittedSizes[key] = { size: size, width: width };
        }
        return fittedSizes[key];
    }

    function Timeline(w, h) {
        checkSize('Timeline', w, h);
        this.w = w;
        this.h = h;
        this.pad = PAD;
        this.nFrames = 1;
        this.selectedFrame = 0;
        this.stepMs = 1000;
        this.setStepTimes([]);
        // The moment the marker shows, while playing or scrubbing; else null.
        this.markerTime = null;
        this.isPlaying = false;
        this.isPaused = false;
        // The frame whose box is under the pointer, or null.
        this.litFrame = null;
        // Room kept free right of the play button for controls of others.
        this.leadWidth = 0;

        this.stage = new Kinetic.Stage({ container: CONTAINER_ID, width: w, height: h });
        // Every click on a frame moves boxes and redraws the strip.
        this.layer = window.drawHitWhenAsked(new Kinetic.Layer());
        this.group = new Kinetic.Group({ name: GROUP_NAME, width: w, height: h });
        this.layer.add(this.group);
        this.stage.add(this.layer);

        this.drawTimeline();
    }

    Timeline.prototype.updateBounds = function (w, h) {
        checkSize('Timeline.updateBounds', w, h);
        this.w = w;
        this.h = h;
        this.stage.size({ width: w, height: h });
        this.group.size({ width: w, height: h });
        this.drawTimeline();
    };

    // Keeps `width` pixels after the play button free: the frame boxes
    // start after them.
    Timeline.prototype.setLeadWidth = function (width) {
        if (typeof width !== 'number' || !isFinite(width) || width < 0) {
            throw new Error('Timeline.setLeadWidth: the width must be a number of at least 0, got ' + width);
        }
        this.leadWidth = width;
        this.builtWidth = null;
        this.drawTimeline();
    };

    // `stepMs`: how long the step from the selected frame (from the last
    // frame, the step into it) takes; a second when not given; `durations`,
    // every step's, a second each when not given.
    Timeline.prototype.updateFrameSettings = function (nFrames, selectedFrame, stepMs, durations) {
        if (!isWholeNumber(nFrames) || nFrames < 1) {
            throw new Error('Timeline.updateFrameSettings: nFrames must be a whole number of at least 1, got ' +
                nFrames);
        }
        if (!isWholeNumber(selectedFrame) || selectedFrame < 0 || selectedFrame >= nFrames) {
            throw new Error('Timeline.updateFrameSettings: selectedFrame must be a frame index from 0 to ' +
                (nFrames - 1) + ', got ' + selectedFrame);
        }
        this.nFrames = nFrames;
        this.selectedFrame = selectedFrame;
        this.stepMs = typeof stepMs === 'number' ? stepMs : window.FrameTiming.STEP_MS;
        this.setStepTimes(durations);
        this.drawTimeline();
    };

    // Brings the strip up to date in the look `isPlaying` asks for. The
    // parts that depend only on the size are built once per size; the
    // frame boxes are one drawing, whatever their number, so that opening
    // a drill or choosing a frame costs little more with many frames than
    // with a few.
    Timeline.prototype.drawTimeline = function () {
        var w = this.w;
        var h = this.h;

        if (this.builtWidth !== w || this.builtHeight !== h) {
            this.buildFixedParts();
        }
        this.forgetPointer();
        this.showStoppedLook();
        this.addCaptionButton.group.visible(true);

        var xMin = h + this.leadWidth;
        var xMax = w - h;
        // A single frame cannot be removed.
        if (this.nFrames > 1) {
            if (!this.remFrameButton) {
                this.remFrameButton = this.addIconButton(w - 2 * h, REMOVE_FRAME_BUTTON_NAME,
                    REMOVE_FRAME_ICON, REMOVE_FRAME_ICON_SCALE, 'removeFrame', 'Remove this frame');
            }
            this.remFrameButton.group.visible(true);
            if (!this.stepHoldButton) {
                this.stepHoldButton = window.createStepHoldButton(w - 3 * h, h);
                this.group.add(this.stepHoldButton.group);
            }
            this.stepHoldButton.group.visible(true);
            this.stepHoldButton.showStep(Math.min(this.selectedFrame, this.nFrames - 2), this.stepMs);
            xMax = w - 3 * h;
        } else if (this.remFrameButton) {
            this.remFrameButton.group.destroy();
            this.remFrameButton = null;
            this.stepHoldButton.group.destroy();
            this.stepHoldButton = null;
        }
        this.placeFrameBoxes(xMin, xMax);

        if (this.isPlaying) {
            this.showPlayingLook();
        }
        this.layer.batchDraw();
    };

    // Background, frame boxes, play button and caption button; every other
    // part goes and is built again by drawTimeline.
    Timeline.prototype.buildFixedParts = function () {
        var w = this.w;
        var h = this.h;
        this.group.destroyChildren();
        this.remFrameButton = null;
        this.stepHoldButton = null;
        this.addFrameButton = null;
        this.group.add(new Kinetic.Rect({ x: 0, y: 0, width: w, height: h, fill: BACKGROUND_FILL }));
        this.addFrameStrip();
        this.addPlayButton();
        this.addCaptionButton = this.addIconButton(w - h, ADD_CAPTION_BUTTON_NAME,
            ADD_CAPTION_ICON, ADD_CAPTION_ICON_SCALE, 'addFrameCaption', 'Caption this frame');
        this.builtWidth = w;
        this.builtHeight = h;
    };

    // Buttons kept from before may have been moved from under the pointer:
    // none stays highlighted, and the next move highlights what is under
    // it, as it does over buttons built afresh.
    Timeline.prototype.forgetPointer = function () {
        if (this.litFrame !== null) {
            window.Button.hideTooltip();
            this.litFrame = null;
        }
        var buttons = [this.playButton, this.addFrameButton, this.remFrameButton, this.stepHoldButton,
            this.addCaptionButton];
        for (var i = 0; i < buttons.length; i++) {
            if (buttons[i] && buttons[i].isPointerOver) {
                buttons[i].leave();
            }
        }
    };

    // A square h x h button at (x, 0) showing an icon and raising `eventName`.
    Timeline.prototype.addIconButton = function (x, groupName, iconType, iconScale, eventName, tip) {
        var button = new window.Button(x, 0, this.h, this.h, groupName);
        button.group.add(window.icon(iconType, iconScale));
        button.setTooltip(tip);
        button.group.on('click tap', function () {
            window.myDispatchEvent(eventName, {});
        });
        this.group.add(button.group);
        return button;
    };

    // Boxes from xMin rightwards, with the add-frame button squeezed in right
    // after the selected one, so that a new frame visibly goes after it.
    Timeline.prototype.placeFrameBoxes = function (xMin, xMax) {
        this.boxesFrom = xMin;
        this.boxWidth = secondWidth(xMin, xMax, this.boxSeconds());
        this.frameStrip.visible(true);
        // While playing the boxes show the drill's time, and take no click.
        this.frameStrip.listening(!this.isPlaying);
        var x = this.frameBoxX(this.selectedFrame) + this.frameBoxWidth(this.selectedFrame) + ADD_FRAME_GAP;
        if (!this.addFrameButton) {
            this.addFrameButton = this.addAddFrameButton(x);
        }
        this.addFrameButton.group.x(x);
        this.addFrameButton.group.visible(true);
    };

    Timeline.prototype.addFrameGap = function () {
        return ADD_FRAME_WIDTH + 2 * ADD_FRAME_GAP;
    };

    // Every frame's box is drawn by one shape and found by where the
    // pointer is: a drill of hundreds of frames would otherwise open with
    // hundreds of buttons to build, each a group of shapes and a text.
    Timeline.prototype.addFrameStrip = function () {
        var self = this;
        var strip = new Kinetic.Shape({
            name: FRAME_STRIP_NAME,
            sceneFunc: function (context) {
                self.drawFrameBoxes(context._context);
            },
            hitFunc: function (context) {
                if (!(self.boxWidth > 0)) {
                    return;
                }
                context.beginPath();
                for (var n = 0; n < self.nFrames; n++) {
                    context.rect(self.frameBoxX(n), 0, self.frameBoxWidth(n), self.h);
                }
                context.closePath();
                context.fillShape(this);
            }
        });
        strip.on('mouseover mousemove touchstart', function () {
            self.lightFrame(self.frameAt(self.pointerX()));
        });
        strip.on('mouseout touchend', function () {
            self.lightFrame(null);
        });
        strip.on('mousedown', window.Button.hideTooltip);
        strip.on('click tap', function () {
            var n = self.frameAt(self.pointerX());
            if (n !== null) {
                window.myDispatchEvent('selectedFrame', { frameNumber: n });
            }
        });
        this.group.add(strip);
        this.frameStrip = strip;
    };

    Timeline.prototype.pointerX = function () {
        var pointer = this.stage.getPointerPosition();
        return pointer ? this.frameStrip.getAbsoluteTransform().copy().invert().point(pointer).x : NaN;
    };

    // Lights frame n's box (none for null) and offers its tooltip, as a
    // button would.
    Timeline.prototype.lightFrame = function (n) {
        if (n === this.litFrame) {
            return;
        }
        this.litFrame = n;
        window.Button.hideTooltip();
        if (n !== null) {
            var self = this;
            window.Button.showTooltipSoon({ tooltipPlace: function () { return self.frameTooltipPlace(n); } });
        }
        this.layer.batchDraw();
    };

    // Null once the box is no longer where the pointer rested.
    Timeline.prototype.frameTooltipPlace = function (n) {
        if (n !== this.litFrame || !this.frameStrip.isVisible()) {
            return null;
        }
        var transform = this.frameStrip.getAbsoluteTransform();
        var topLeft = transform.point({ x: this.frameBoxX(n), y: 0 });
        var bottom = transform.point({ x: this.frameBoxX(n), y: this.h });
        return { stage: this.stage, left: topLeft.x, top: topLeft.y, bottom: bottom.y, text: 'Frame ' + (n + 1) };
    };

    // The boxes stand above the ruler; each number in the middle of its box.
    Timeline.prototype.drawFrameBoxes = function (context) {
        var h = this.h;
        if (!(this.boxWidth > 0)) {
            return;
        }
        if (this.litFrame !== null) {
            var lit = this.litFrame;
            context.fillStyle = LIT_FILL;
            context.strokeStyle = LIT_STROKE;
            context.lineWidth = LIT_STROKE_WIDTH;
            context.fillRect(this.frameBoxX(lit), 0, this.frameBoxWidth(lit), h);
            context.strokeRect(this.frameBoxX(lit), 0, this.frameBoxWidth(lit), h);
        }
        var boxHeight = Math.max(0, h - Timeline.RULER_HEIGHT);
        var innerHeight = Math.max(0, boxHeight - 2 * FRAME_INSET);
        for (var n = 0; n < this.nFrames; n++) {
            context.fillStyle = n === this.selectedFrame ? SELECTED_FRAME_FILL : FRAME_FILL;
            context.fillRect(this.frameBoxX(n) + FRAME_INSET, FRAME_INSET,
                Math.max(0, this.frameBoxWidth(n) - 2 * FRAME_INSET), innerHeight);
        }
        context.fillStyle = FRAME_TEXT_FILL;
        context.textBaseline = 'middle';
        context.textAlign = 'left';
        var font = null;
        for (n = 0; n < this.nFrames; n++) {
            var number = this.frameNumberLook(n);
            if (number.size > 0) {
                var wanted = fontOfSize(number.size);
                if (wanted !== font) {
                    font = wanted;
                    context.font = font;
                }
                context.fillText(String(n + 1), this.frameBoxX(n) + (this.frameBoxWidth(n) - number.width) / 2,
                    boxHeight / 2);
            }
        }
        this.drawRuler(context);
        this.drawMomentMarker(context);
    };

    // { size, width } of frame n's number in its box.
    Timeline.prototype.frameNumberLook = function (n) {
        return fittedNumber(String(n + 1), this.frameBoxWidth(n));
    };

    Timeline.prototype.addAddFrameButton = function (x) {
        var button = new window.Button(x, 0, ADD_FRAME_WIDTH, this.h, ADD_FRAME_BUTTON_NAME);
        button.group.add(new Kinetic.Circle({
            radius: ADD_FRAME_RADIUS,
            fill: ADD_FRAME_FILL,
            stroke: ADD_FRAME_STROKE,
            strokeWidth: ADD_FRAME_STROKE_WIDTH,
            listening: false
        }));
        button.group.add(window.icon(ADD_FRAME_ICON, ADD_FRAME_ICON_SCALE));
        button.setTooltip('Add a frame after this one');
        button.group.on('click tap', function () {
            window.myDispatchEvent('addFrame', {});
        });
        this.group.add(button.group);
        return button;
    };

    window.Timeline = Timeline;
}(window, Kinetic));
