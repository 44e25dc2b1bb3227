// A video picture of another shape than the pitch's own 4:3 (16:9, 9:16 for
// a phone held upright, 1:1). The pitch's picture is never stretched: drawn
// at the size that fills the shape's width or its height (fitScale), it
// stands at one end of the shape, and the room it leaves is a band that
// carries the drill's name and the moment's caption in large type, so that
// a video watched on a phone reads without zooming in. The band lies below
// the pitch when the room is below it, at its right when the room is beside.
//
// The caption is the one the pitch shows on screen, set in its typeface:
// wrapped at spaces, set smaller (to half its size) rather than cut, and cut
// with an ellipsis only when even that does not hold it.
//
// Made by the video's picture stream for each shaped export; the image
// generator composes every picture through compose().
(function (window, document) {
    'use strict';

    var FONT = 'Helvetica';
    var BAND_FILL = 'white';
    var NAME_FILL = '#333333';
    var CAPTION_FILL = 'black';
    // In shares of the shape's shorter side: the band's padding, the name's
    // and the caption's size, and the gap between them.
    var PADDING = 0.04;
    var NAME_SIZE = 0.05;
    var CAPTION_SIZE = 0.06;
    var GAP = 0.02;
    var LINE_HEIGHT = 1.2;
    var SMALLEST_SHARE = 0.5;
    var STEP_SHARE = 0.9;
    // More than a band ever shows, and bounded so that a pasted essay
    // costs no more to lay out than a long caption.
    var MAX_CAPTION = 1000;

    function ShapedPicture(width, height, drillName) {
        if (!isPixels(width) || !isPixels(height)) {
            throw new Error('ShapedPicture: the width and height must be whole numbers of pixels, got ' +
                width + ' x ' + height);
        }
        this.width = width;
        this.height = height;
        this.drillName = window.printableText(String(drillName || ''));
        this.unit = Math.min(width, height);
        this.canvas = null;
        // The band as last drawn, kept while the caption stays the same.
        this.band = null;
        this.bandKey = null;
    }

    // The shape a video's request ("exportVideoResponse") names for
    // pictures `width` wide: null for none, or for the pitch's own.
    ShapedPicture.forRequest = function (width, request) {
        var height = parseInt(request.frameHeight, 10);
        if (!request.videoShape || !(height > 0) || height * 4 === width * 3) {
            return null;
        }
        return new ShapedPicture(width, height, request.drillName);
    };

    function isPixels(n) {
        return typeof n === 'number' && n > 0 && n % 1 === 0;
    }

    // By how much a pitch picture of w x h is enlarged (or reduced) to fill
    // the shape's width or height, whichever it meets first.
    ShapedPicture.prototype.fitScale = function (w, h) {
        return Math.min(this.width / w, this.height / h);
    };

    // Where a pitch picture of w x h stands ({ x, y }), centred across the
    // band's direction, and the band ({ x, y, w, h }) in the room it leaves.
    ShapedPicture.prototype.layout = function (w, h) {
        var spareX = Math.max(0, this.width - w);
        var spareY = Math.max(0, this.height - h);
        if (spareY >= spareX) {
            return { pitch: { x: Math.round(spareX / 2), y: 0 }, band: { x: 0, y: h, w: this.width, h: spareY } };
        }
        return { pitch: { x: 0, y: Math.round(spareY / 2) }, band: { x: w, y: 0, w: spareX, h: this.height } };
    };

    // The shape's picture of `pitch` (a canvas element) with `caption`: a
    // Kinetic canvas of the shape's size, the same one for every picture.
    ShapedPicture.prototype.compose = function (pitch, caption) {
        if (!this.canvas) {
            this.canvas = new window.Kinetic.SceneCanvas({ width: this.width, height: this.height, pixelRatio: 1 });
        }
        var context = this.canvas.getContext()._context;
        var placed = this.layout(pitch.width, pitch.height);
        context.fillStyle = BAND_FILL;
        context.fillRect(0, 0, this.width, this.height);
        context.drawImage(pitch, placed.pitch.x, placed.pitch.y);
        var band = placed.band;
        if (band.w > 0 && band.h > 0) {
            context.drawImage(this.bandPicture(band.w, band.h, caption || ''), band.x, band.y);
        }
        return this.canvas;
    };

    ShapedPicture.prototype.bandPicture = function (w, h, caption) {
        var key = [w, h, caption].join('|');
        if (key === this.bandKey) {
            return this.band;
        }
        this.bandKey = key;
        this.band = this.band || document.createElement('canvas');
        this.band.width = w;
        this.band.height = h;
        this.drawBand(this.band.getContext('2d'), w, h, window.drawnText(caption, MAX_CAPTION));
        return this.band;
    };

    // The name on one line at the top, the caption's lines under it; in a
    // band too short for both at full size, everything smaller alike.
    ShapedPicture.prototype.drawBand = function (context, w, h, caption) {
        var u = this.unit;
        var full = 2 * PADDING * u + LINE_HEIGHT * (NAME_SIZE + CAPTION_SIZE) * u + GAP * u;
        var k = Math.min(1, h / full);
        var pad = PADDING * u * k;
        var nameSize = NAME_SIZE * u * k;
        var width = w - 2 * pad;
        context.fillStyle = BAND_FILL;
        context.fillRect(0, 0, w, h);
        context.textBaseline = 'top';
        context.textAlign = 'center';
        context.font = 'bold ' + nameSize + 'px ' + FONT;
        context.fillStyle = NAME_FILL;
        context.fillText(fitted(context, this.drillName, width), w / 2, pad);
        var top = pad + LINE_HEIGHT * nameSize + GAP * u * k;
        var set = captionLines(context, caption, width, h - top - pad, CAPTION_SIZE * u * k);
        context.font = set.size + 'px ' + FONT;
        context.fillStyle = CAPTION_FILL;
        set.lines.forEach(function (line, i) {
            context.fillText(line, w / 2, top + i * LINE_HEIGHT * set.size);
        });
    };

    // The caption's lines at the largest size from `size` down to half of it
    // at which they fit `height`; at half size, the lines that fit, the last
    // cut with an ellipsis.
    function captionLines(context, caption, width, height, size) {
        var smallest = size * SMALLEST_SHARE;
        for (;;) {
            context.font = size + 'px ' + FONT;
            var lines = wrapped(context, caption, width);
            var room = Math.max(1, Math.floor(height / (LINE_HEIGHT * size)));
            if (lines.length <= room) {
                return { size: size, lines: lines };
            }
            if (size <= smallest) {
                var kept = lines.slice(0, room);
                kept[room - 1] = fitted(context, kept[room - 1] + '\u2026', width, true);
                return { size: size, lines: kept };
            }
            size = Math.max(size * STEP_SHARE, smallest);
        }
    }

    // `text` in lines no wider than `width`: broken where its writer broke it
    // and at spaces, a word wider than the line broken where it must.
    function wrapped(context, text, width) {
        var lines = [];
        text.split('\n').forEach(function (paragraph) {
            var line = '';
            paragraph.split(' ').forEach(function (word) {
                var tried = line ? line + ' ' + word : word;
                if (context.measureText(tried).width <= width) {
                    line = tried;
                    return;
                }
                if (line) {
                    lines.push(line);
                }
                line = word;
                while (line.length > 1 && context.measureText(line).width > width) {
                    var cut = fittingLength(context, line, width);
                    lines.push(line.slice(0, cut));
                    line = line.slice(cut);
                }
            });
            lines.push(line);
        });
        return lines.length === 1 && lines[0] === '' ? [] : lines;
    }

    // How many of `text`'s first characters fit `width` (one at least).
    function fittingLength(context, text, width) {
        var n = 1;
        while (n < text.length && context.measureText(text.slice(0, n + 1)).width <= width) {
            n += 1;
        }
        return n;
    }

    // `text`, or as much of it as fits `width` followed by an ellipsis
    // (`ends`: it ends in one already).
    function fitted(context, text, width, ends) {
        if (context.measureText(text).width <= width) {
            return text;
        }
        var body = ends ? text.slice(0, -1) : text;
        while (body.length > 0 && context.measureText(body + '\u2026').width > width) {
            body = body.slice(0, -1);
        }
        return body + '\u2026';
    }

    window.ShapedPicture = ShapedPicture;
}(window, document));
