// The video's pictures, one at a time: each is sent to the host, and the
// next is drawn only once the host says it has taken it
// ("videoFrameWritten"), whether that answer comes inside the send or
// later. So at most one picture is on its way, and a "breakVideoExport"
// stops the export before another is drawn. The animation is copied into the image
// generator as it stands now, so the coach may go on editing meanwhile.
// An answer that comes while an earlier export's pictures are still
// being drawn is dropped: the two would share the one picture counter.
// Everything is drawn at the picture's own size, so a larger video is
// sharper rather than enlarged. Pictures go as the canvas's pixels where
// the host asks for them (`request`'s pictureForm): a JPEG cost the page more to
// encode than the host to use them as they are, and the host as much
// again to decode. A socket is connected to before the first picture is
// drawn, and nothing is drawn meanwhile.
//
// Made once by app.js over the animation on display, the image generator
// and the bridge's send; the host messages of the video export
// (shell/commands/HostMessages.js) call start, stop and pictureTaken.
(function (window) {
    'use strict';

    function VideoPictureStream(animation, generator, sendMessage) {
        var stream = this;
        this.animation = animation;
        this.generator = generator;
        this.sendMessage = sendMessage;
        // The host has stopped the export ("breakVideoExport").
        this.stopped = false;
        // Whether the export's pictures are being drawn.
        this.drawing = false;
        // How many pictures the host has taken: the number of the one being
        // drawn or sent. The host counts them by frameNumber up to
        // lastPicture, the last frame's picture, which it holds; the
        // messages name that number nFrames.
        this.picturesTaken = 0;
        this.lastPicture = 0;
        // The moment of each picture.
        this.pictureTimes = [];
        this.width = 0;
        this.rate = 0;
        // The video's shape when not the pitch's (a ShapedPicture).
        this.shape = null;
        // The club logo its title card shows ('' for none).
        this.clubLogo = '';
        // The image generator's chain, held while the host takes a
        // picture, and the socket the pictures go through, if any.
        this.chain = null;
        this.socket = null;
        this.pictureDrawn = function (pixels, refusal) {
            stream.sendPicture(pixels, refusal);
        };
    }

    // `width` and `rate`: the pictures' width and pictures per second;
    // `request`: the host's "exportVideoResponse", whose pictureForm says
    // how the pictures go and whose videoShape their shape (ShapedPicture);
    // `shows`: { runningLines, grid } as on screen.
    VideoPictureStream.prototype.start = function (width, rate, request, shows) {
        if (this.drawing) {
            return;
        }
        var stream = this;
        var animation = this.animation;
        var generator = this.generator;
        var text = animation.saveToString();
        var start = function (form) {
            if (stream.stopped) {
                stream.drawing = false;
                return;
            }
            generator.loadAnimation(text);
            generator.configureAnimation(width, false, shows.runningLines, shows.grid);
            generator.configureShape(stream.shape);
            (form === 'jpeg' ? generator.getImage : generator.getPixels).call(generator, 0, stream.pictureDrawn);
        };
        this.stopped = false;
        this.picturesTaken = 0;
        this.width = width;
        this.rate = rate;
        this.shape = window.ShapedPicture.forRequest(width, request);
        this.pictureTimes = window.FrameTiming.pictureTimes(animation.frameManager.frameDurations, rate);
        this.lastPicture = this.pictureTimes.length - 1;
        this.drawing = true;
        // For the title card, which the host draws.
        this.clubLogo = animation.shownClubLogo();
        if (this.socket) {
            this.socket.close();
        }
        this.socket = null;
        if (request.pictureForm === 'socket') {
            this.socket = window.createPictureSocket(request.pictureSocket, request.pictureToken,
                function (opened) { start(opened ? 'socket' : 'jpeg'); });
        } else {
            start(request.pictureForm === 'pixels' ? 'pixels' : 'jpeg');
        }
    };

    // The picture is canvas pixels or a JPEG data URL (sent as `pixels` or
    // `imageData`). A drill the generator refused ends the export with the reason. The
    // chain is held for the host's answer before the picture is sent: the
    // answer may come inside the send.
    VideoPictureStream.prototype.sendPicture = function (pixels, refusal) {
        if (this.stopped) {
            this.drawing = false;
            return;
        }
        if (!pixels) {
            this.drawing = false;
            this.sendMessage({ msgType: 'writeVideoFrame', frameNumber: this.picturesTaken, nFrames: this.lastPicture,
                errorInfo: refusal });
            return;
        }
        var last = this.picturesTaken >= this.lastPicture;
        if (last) {
            this.drawing = false;
        } else {
            this.chain = this.generator.holdChain();
        }
        // The aspect ratio is read for each picture, as the editor has it then.
        var picture = {
            msgType: 'writeVideoFrame',
            frameWidth: this.width,
            frameHeight: this.shape ? this.shape.height : this.width / this.animation.aspectRatio,
            frameNumber: this.picturesTaken,
            nFrames: this.lastPicture,
            frameRate: this.rate
        };
        if (this.picturesTaken === 0 && this.clubLogo) {
            picture.clubLogo = this.clubLogo;
        }
        if (typeof pixels === 'string' || !this.socket) {
            picture[typeof pixels === 'string' ? 'imageData' : 'pixels'] = pixels;
            this.sendMessage(picture);
        } else if (!this.socket.send(picture, pixels)) {
            // The host has closed it, and ends the export through the bridge.
            this.stop();
        }
    };

    // The host has stopped the export: a picture being drawn is not sent,
    // and a chain waiting for the host is let go.
    VideoPictureStream.prototype.stop = function () {
        this.stopped = true;
        if (this.socket) {
            this.socket.close();
        }
        var chain = this.chain;
        if (chain) {
            this.chain = null;
            this.drawing = false;
            chain.release();
        }
    };

    // The host has taken picture `frameNumber`: the next one is drawn. An
    // answer about any other picture (of an export already over) is stale.
    VideoPictureStream.prototype.pictureTaken = function (message) {
        var chain = this.chain;
        if (!chain || parseInt(message.frameNumber, 10) !== this.picturesTaken) {
            return;
        }
        this.chain = null;
        this.picturesTaken += 1;
        chain.next(this.pictureTimes[this.picturesTaken], this.pictureDrawn);
    };

    window.VideoPictureStream = VideoPictureStream;
}(window));
