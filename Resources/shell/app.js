// The page's composition root. `main` sizes the four visible areas, creates
// the components in order, connects to the host's bridge object and holds the
// handlers that turn page events into calls on the components or into
// messages to the host.
//
// Everything `main` keeps lives in one page-wide record, `window.pageShell`
// (also returned by `main`): the sport, the layout constants and area sizes,
// the components, the bridge state, the video-export break flag and the
// report logo. Components never reach into it; they raise page events. It is
// public so that the page tests, and anyone debugging the page, can see the
// shell's state and call its bridge functions.
(function (window, document, Kinetic) {
    'use strict';

    var SPORT = 'gaa';
    var SPORTS = ['gaa', 'soccer', 'rugby'];
    var MARGIN = 5;
    var MIN_APP_WIDTH = 200;
    var MIN_APP_HEIGHT = 150;
    // What the window keeps beside the application area: the left margin
    // and some slack across; the margins above the three rows down.
    var WINDOW_WIDTH_ALLOWANCE = 10;
    var WINDOW_HEIGHT_ALLOWANCE = 15;
    var STRIP_HEIGHT = 45;
    var ITEM_PICKER_WIDTH = 135;

    var REPORT_LOGO_SRC = 'logos/playvane256.png';
    var REPORT_LOGO_CONTAINER = 'offscreenContainer1';
    var REPORT_LOGO_BACKING = 'white';
    // A JPEG, because PNG pictures come out washed out in the PDF report.
    var REPORT_LOGO_MIME_TYPE = 'image/jpeg';
    var REPORT_LOGO_QUALITY = 1.0;
    var PDF_LIBRARY = 'jspdf.js';
    var REPORT_FONTS = { normal: 'fonts/LiberationSans-Regular.ttf', bold: 'fonts/LiberationSans-Bold.ttf' };

    var FRAME_CAPTION_PROMPT = 'Enter a caption for this frame: ';
    var ITEM_LABEL_PROMPT = 'Enter a label for this item: ';
    var DRAWING_NOTE_PROMPT = 'Enter a note for the pitch (one or two lines): ';
    var ITEM_SHORT_LABEL_PROMPT = '<html><head/><body><p>Enter a short label for this player:' +
        '<br/>(maximum 4 characters)</p></body></html>';

    var SNAPSHOT_WIDTH = 1024;
    // The video's picture width and pictures per second (a step of a second
    // has that many pictures, a held one more) when the host asks for no other.
    var VIDEO_WIDTH = 640;
    var VIDEO_FPS = 15;

    var ROTATION_STEP = 90;
    // Pasted items stand this far (a fraction of the pitch) below and to
    // the right of the copied ones.
    var PASTE_OFFSET = 0.03;
    // The colour chooser for the selection grows from a disc of a colour
    // button's size.
    var CHOOSER_START_RADIUS = 12;
    var HISTORY_MAX_BYTES = 32 * 1024 * 1024;
    // What a team is made of.
    var TEAM_ITEM_TYPE = 'person';
    var ANIM_CONTAINER = 'animContainer';

    var shell = null;
    var textMessage = window.UndoRecorder.textMessage;

    // ---- Layout ---------------------------------------------------------

    // Area sizes for a window whose inner size is windowWidth x windowHeight.
    // The application area never shrinks below MIN_APP_WIDTH x
    // MIN_APP_HEIGHT; a smaller window shows only part of the page.
    function calcContainerSizes(windowWidth, windowHeight) {
        var appWidth = Math.max(MIN_APP_WIDTH, windowWidth - WINDOW_WIDTH_ALLOWANCE);
        var appHeight = Math.max(MIN_APP_HEIGHT, windowHeight - WINDOW_HEIGHT_ALLOWANCE);
        var itemPickerHeight = appHeight - STRIP_HEIGHT - STRIP_HEIGHT - 2 * MARGIN;
        return {
            appWidth: appWidth,
            appHeight: appHeight,
            toolbarWidth: appWidth,
            toolbarHeight: STRIP_HEIGHT,
            timelineWidth: appWidth,
            timelineHeight: STRIP_HEIGHT,
            itemPickerWidth: ITEM_PICKER_WIDTH,
            itemPickerHeight: itemPickerHeight,
            animMaxWidth: appWidth - ITEM_PICKER_WIDTH - 2 * MARGIN,
            animMaxHeight: itemPickerHeight
        };
    }

    function windowSizes() {
        return calcContainerSizes(window.innerWidth, window.innerHeight);
    }

    // The viewport size the page was last laid out for.
    var laidOutFor = '';

    function viewportSize() {
        return window.innerWidth + 'x' + window.innerHeight;
    }

    // Chromium (Qt WebEngine 6.8) may size the view while the page starts
    // and send no resize event after the first layout, which then stays at
    // the old size, buttons and all. Where the engine has a ResizeObserver,
    // it tells of each size of the page's root, the first at once. The new
    // layout waits for the next display frame: laid out within the
    // observer's own call, it resized what the observer watches, and
    // Chromium 122 (Qt 6.8) raised that as an uncaught error, which ended
    // any export under way.
    function watchViewport() {
        if (!window.ResizeObserver) {
            return;
        }
        new window.ResizeObserver(function () {
            window.requestAnimationFrame(function () {
                if (viewportSize() !== laidOutFor) {
                    onWindowResize();
                }
            });
        }).observe(document.documentElement);
    }

    // One line per component, in this order: the toolbar, the item picker,
    // the timeline, the animation (in animContainer), the image generator
    // (with its own off-screen animation) and the report builder that draws
    // through it.
    function createComponents() {
        var s = shell.sizes;
        shell.toolbar = new window.Toolbar(s.toolbarWidth, s.toolbarHeight);
        shell.itemPicker = new window.ItemPicker(s.itemPickerWidth, s.itemPickerHeight, shell.sport);
        shell.drawingStrip = window.createDrawingStrip(shell.itemPicker.layer, s.itemPickerWidth, s.itemPickerHeight);
        shell.timeline = new window.Timeline(s.timelineWidth, s.timelineHeight);
        shell.playbackControls = window.createPlaybackControls(shell.timeline);
        shell.timelineScrub = window.createTimelineScrub(shell.timeline);
        shell.animation = new window.Animation(s.animMaxWidth, s.animMaxHeight, ANIM_CONTAINER);
        shell.imageGenerator = new window.ImageGenerator();
        shell.pdfReport = new window.PdfReport(shell.imageGenerator, loadPdfLibrary,
            window.createReportFonts(REPORT_FONTS).load);
        shell.keyboard = new window.Keyboard(document);
        shell.history = new window.EditHistory(HISTORY_MAX_BYTES);
    }

    // jsPDF, loaded from the page's resources at the first report. Reports
    // asked for while it loads wait for it with the first.
    var pdfLibraryWaiters = null;

    function loadPdfLibrary(callback) {
        if (window.jsPDF) {
            callback(window.jsPDF);
            return;
        }
        if (pdfLibraryWaiters) {
            pdfLibraryWaiters.push(callback);
            return;
        }
        pdfLibraryWaiters = [callback];
        var script = document.createElement('script');
        var settle = function () {
            var waiters = pdfLibraryWaiters;
            pdfLibraryWaiters = null;
            if (!window.jsPDF) {
                document.head.removeChild(script);
            }
            waiters.forEach(function (waiter) { waiter(window.jsPDF || null); });
        };
        script.onload = settle;
        script.onerror = settle;
        script.src = PDF_LIBRARY;
        document.head.appendChild(script);
    }

    function onWindowResize() {
        laidOutFor = viewportSize();
        shell.sizes = windowSizes();
        var s = shell.sizes;
        shell.animation.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight);
        shell.drawingStrip.place(s.itemPickerHeight);
        shell.itemPicker.updateBounds(s.itemPickerWidth, s.itemPickerHeight);
        shell.toolbar.updateBounds(s.toolbarWidth, s.toolbarHeight);
        shell.timeline.updateBounds(s.timelineWidth, s.timelineHeight);
        shell.playbackControls.updateBounds();
    }

    // ---- Bridge ---------------------------------------------------------

    // Without a host (a plain browser) there is no bridge: the page then
    // works on its own and host-bound messages are lost.
    function connectSlots() {
        if (shell.connected) {
            return;
        }
        try {
            window.cppInterface.sendMessage.connect(receiveMessage);
            shell.connected = true;
        } catch (e) {
            shell.connected = false;
        }
    }

    // The host may handle the message, dialogs included, before this
    // returns, its replies running receiveMessage nested inside this call;
    // or it may answer later, from the event loop. Nothing here depends on
    // which: every answer the page waits for is a message of its own.
    function sendMessage(message) {
        try {
            window.cppInterface.receiveMessage(message);
        } catch (e) {
            // No host, or it refused the message: the message is lost.
        }
    }

    // An error nothing on the page caught: the host ends any export waiting
    // for the page, which would otherwise wait for a picture that never
    // comes. Listened for, not set as window.onerror, which a page may own.
    function reportUncaughtError(event) {
        var where = event.filename ? ' (' + event.filename.replace(/^.*\//, '') + ':' + event.lineno + ')' : '';
        sendMessage({ msgType: 'pageError', errorInfo: String(event.message || 'an error') + where });
    }

    function receiveMessage(message) {
        if (!message) {
            return;
        }
        for (var i = 0; i < HOST_MESSAGES.length; i++) {
            if (message.msgType === HOST_MESSAGES[i].msgType) {
                shell.recorder.handleAndRecord(HOST_MESSAGES[i], message);
            }
        }
    }

    // ---- Host messages --------------------------------------------------

    function redrawAnimationLayer() {
        shell.animation.animLayer.batchDraw();
    }

    function onFrameLabelResponse(message) {
        shell.animation.setFrameText(message.text);
        redrawAnimationLayer();
    }

    function onItemLabelResponse(message) {
        shell.animation.setItemLabel(parseInt(message.id, 10), message.text);
        redrawAnimationLayer();
    }

    function onDrawingNoteResponse(message) {
        shell.animation.drawingEditor.addNote(message.text);
    }

    function onItemShortLabelResponse(message) {
        shell.animation.setShortItemLabel(parseInt(message.id, 10), message.text);
        redrawAnimationLayer();
    }

    // A file that is not an animation is reported by loadFromString itself;
    // the toggles and the timeline are refreshed either way and then show the
    // unchanged animation.
    // A file loaded is a fresh start: its own history, and the host takes
    // it as the drill as saved.
    // The answer, "animationReset" or "errorOpeningFile", carries the
    // host's `openId`, so that the host knows which of its opens it ends
    // whenever it arrives.
    function onOpenAnimationResponse(message) {
        shell.openingId = message.openId;
        try {
            var loaded = shell.animation.loadFromString(message.json);
            followAnimationSport();
            refreshToolbarToggles();
            updateTimelineFrameSettings();
            if (loaded) {
                shell.recorder.startHistory(message.json, message.openId);
            }
        } finally {
            shell.openingId = undefined;
        }
    }

    // The host's remembered sport, sent once the page has loaded and before
    // any file named on the command line (whose sport then wins). An empty
    // or unknown sport keeps the page's own.
    function onStartAnimation(message) {
        var sport = message.sport;
        if (SPORTS.indexOf(sport) !== -1 && sport !== shell.animation.sport) {
            switchSport(sport);
        }
        shell.recorder.startHistory();
    }

    // New, once the host has made sure nothing unsaved is lost.
    function onNewAnimationResponse() {
        clearAnimation();
    }

    // With the reason why saving it would be refused, if it would: the
    // host's own Save, in its unsaved-changes question, must not write a
    // file that no longer opens either.
    function onRequestAnimationText() {
        var message = textMessage('animationText', shell.animation.saveToString());
        message.saveProblem = window.Animation.savedTextProblem(message.strToSave);
        sendMessage(message);
    }

    // The report of the animation as it stands now; the pictures follow one
    // by one, and the host hears of each. A report that cannot be built
    // still ends the host's export, with the reason instead of a document,
    // rather than leaving its progress dialog waiting. So does one asked
    // for while an earlier report is still being drawn.
    function onExportPdfResponse(message) {
        var animation = shell.animation;
        // First: it stores what the editor shows into the model.
        var text = animation.saveToString();
        var captions = [];
        for (var f = 0; f < animation.frameManager.nFrames; f++) {
            captions.push(animation.frameManager.captionOf(f));
        }
        var refused = function (error) {
            sendMessage({ msgType: 'writePdfData', pdfData: '',
                errorInfo: error ? error.message : 'An earlier report is still being drawn.' });
        };
        var started = shell.pdfReport.build({
            animationText: text,
            nFrames: animation.frameManager.nFrames,
            rotated: animation.isRotated,
            showRunningLines: runningLinesShown(),
            showGrid: gridShown(),
            drillName: message.drillName || '',
            captions: captions,
            // The host writes it in the coach's locale; this engine has
            // only its own fixed English form.
            date: message.date || new Date().toString(),
            waitForLogo: whenReportLogoSettled
        }, {
            progress: function (percent) {
                sendMessage({ msgType: 'updatePdfProgress', progressPercent: percent });
            },
            // What the report's font could not print is the host's to tell.
            finished: function (dataUrl, leftOut) {
                sendMessage({ msgType: 'writePdfData', pdfData: dataUrl, leftOut: leftOut.join('') });
            },
            failed: refused
        });
        if (!started) {
            refused();
        }
    }

    // The host says in which form it takes the pictures: "pixels", the
    // canvas's bytes as they are, in the message; "socket", the same bytes
    // through the socket it names (PictureSocket.js), or a JPEG data URL
    // where that cannot connect; or (by default) a JPEG data URL.
    function onExportVideoResponse(message) {
        var width = parseInt(message.frameWidth, 10);
        var rate = parseInt(message.frameRate, 10);
        saveToVideo(width > 0 ? width : VIDEO_WIDTH, rate > 0 ? rate : VIDEO_FPS, message);
    }

    // The host has stopped the export: a picture being drawn is not sent,
    // and a chain waiting for the host is let go.
    function onBreakVideoExport() {
        shell.breakVideoExport = true;
        if (shell.pictureSocket) {
            shell.pictureSocket.close();
        }
        var chain = shell.videoChain;
        if (chain) {
            shell.videoChain = null;
            shell.videoRendering = false;
            chain.release();
        }
    }

    // The host has taken picture `frameNumber`: the next one is drawn. An
    // answer about any other picture (of an export already over) is stale.
    function onVideoFrameWritten(message) {
        var chain = shell.videoChain;
        if (!chain || parseInt(message.frameNumber, 10) !== shell.frameCounter) {
            return;
        }
        shell.videoChain = null;
        shell.frameCounter += 1;
        chain.next(shell.videoTimes[shell.frameCounter], sendVideoPicture);
    }

    // The coach cancelled the report: no more of it is drawn.
    function onBreakPdfExport() {
        shell.pdfReport.cancel();
    }

    // A new logo is meant to be seen: show it if it was hidden.
    function onSetLogoImage(message) {
        shell.animation.setLogoImage(message.image);
        if (!logoShown()) {
            shell.animation.toggleLogo();
        }
        shell.toolbar.setToggleLogo(logoShown());
    }

    // Tested in this order; the names differ, so at most one matches.
    // `edits`: the animation may have changed, to be recorded for undo.
    var HOST_MESSAGES = [
        { msgType: 'frameLabelResponse', handle: onFrameLabelResponse, edits: true },
        { msgType: 'itemLabelResponse', handle: onItemLabelResponse, edits: true },
        { msgType: 'drawingNoteResponse', handle: onDrawingNoteResponse, edits: true },
        { msgType: 'itemShortLabelResponse', handle: onItemShortLabelResponse, edits: true },
        { msgType: 'openAnimationResponse', handle: onOpenAnimationResponse },
        { msgType: 'exportPdfResponse', handle: onExportPdfResponse },
        { msgType: 'exportVideoResponse', handle: onExportVideoResponse },
        { msgType: 'breakVideoExport', handle: onBreakVideoExport },
        { msgType: 'videoFrameWritten', handle: onVideoFrameWritten },
        { msgType: 'breakPdfExport', handle: onBreakPdfExport },
        { msgType: 'setLogoImage', handle: onSetLogoImage, edits: true },
        { msgType: 'exportPictureResponse', handle: onExportPictureResponse },
        { msgType: 'startAnimation', handle: onStartAnimation },
        { msgType: 'newAnimationResponse', handle: onNewAnimationResponse },
        { msgType: 'requestAnimationText', handle: onRequestAnimationText }
    ];

    // ---- Video export ---------------------------------------------------

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
    function saveToVideo(width, rate, request) {
        if (shell.videoRendering) {
            return;
        }
        var animation = shell.animation;
        var generator = shell.imageGenerator;
        var text = animation.saveToString();
        var lines = runningLinesShown();
        var grid = gridShown();
        var start = function (form) {
            if (shell.breakVideoExport) {
                shell.videoRendering = false;
                return;
            }
            generator.loadAnimation(text);
            generator.configureAnimation(width, false, lines, grid);
            (form === 'jpeg' ? generator.getImage : generator.getPixels).call(generator, 0, sendVideoPicture);
        };
        shell.breakVideoExport = false;
        shell.frameCounter = 0;
        shell.videoWidth = width;
        shell.videoRate = rate;
        // The host counts the pictures by frameNumber up to nFrames, the
        // last frame's picture, which it holds.
        shell.videoTimes = window.FrameTiming.pictureTimes(animation.frameManager.frameDurations, rate);
        shell.nFrames = shell.videoTimes.length - 1;
        shell.videoRendering = true;
        // For the title card, which the host draws.
        shell.videoClubLogo = animation.shownClubLogo();
        if (shell.pictureSocket) {
            shell.pictureSocket.close();
        }
        shell.pictureSocket = null;
        if (request.pictureForm === 'socket') {
            shell.pictureSocket = window.createPictureSocket(request.pictureSocket, request.pictureToken,
                function (opened) { start(opened ? 'socket' : 'jpeg'); });
        } else {
            start(request.pictureForm === 'pixels' ? 'pixels' : 'jpeg');
        }
    }

    // The picture is canvas pixels or a JPEG data URL (sent as `pixels` or
    // `imageData`). A drill the generator refused ends the export with the reason. The
    // chain is held for the host's answer before the picture is sent: the
    // answer may come inside the send.
    function sendVideoPicture(pixels, refusal) {
        if (shell.breakVideoExport) {
            shell.videoRendering = false;
            return;
        }
        if (!pixels) {
            shell.videoRendering = false;
            sendMessage({ msgType: 'writeVideoFrame', frameNumber: shell.frameCounter, nFrames: shell.nFrames,
                errorInfo: refusal });
            return;
        }
        var last = shell.frameCounter >= shell.nFrames;
        if (last) {
            shell.videoRendering = false;
        } else {
            shell.videoChain = shell.imageGenerator.holdChain();
        }
        var picture = {
            msgType: 'writeVideoFrame',
            frameWidth: shell.videoWidth,
            frameHeight: shell.videoWidth / shell.animation.aspectRatio,
            frameNumber: shell.frameCounter,
            nFrames: shell.nFrames,
            frameRate: shell.videoRate
        };
        if (shell.frameCounter === 0 && shell.videoClubLogo) {
            picture.clubLogo = shell.videoClubLogo;
        }
        if (typeof pixels === 'string' || !shell.pictureSocket) {
            picture[typeof pixels === 'string' ? 'imageData' : 'pixels'] = pixels;
            sendMessage(picture);
        } else if (!shell.pictureSocket.send(picture, pixels)) {
            // The host has closed it, and ends the export through the bridge.
            onBreakVideoExport();
        }
    }

    // ---- Picture export -------------------------------------------------

    // One frame of the animation on display as a picture of the given width
    // (the command line's picture export): frameNumber counts from 1, "0"
    // meaning the selected frame. The answer is always "writePictureData",
    // with the picture or with the reason there is none.
    function onExportPictureResponse(message) {
        var animation = shell.animation;
        var frames = animation.frameManager.nFrames;
        var frame = parseInt(message.frameNumber, 10);
        var width = parseInt(message.frameWidth, 10);
        if (frame === 0) {
            frame = animation.frameManager.selectedFrame + 1;
        }
        if (!(frame >= 1 && frame <= frames)) {
            sendMessage({ msgType: 'writePictureData', errorInfo: 'there is no frame ' + message.frameNumber +
                ' in this drill, which has ' + frames + (frames === 1 ? ' frame.' : ' frames.') });
            return;
        }
        if (!(width > 0)) {
            sendMessage({ msgType: 'writePictureData', errorInfo: 'no picture is ' + message.frameWidth +
                ' pixels wide.' });
            return;
        }
        var generator = shell.imageGenerator;
        generator.loadAnimation(animation.saveToString());
        generator.configureAnimation(width, false, runningLinesShown(), gridShown());
        generator.getFrameImage(frame - 1, function (dataUrl, refusal) {
            if (!dataUrl) {
                sendMessage({ msgType: 'writePictureData', errorInfo: refusal });
                return;
            }
            sendMessage({
                msgType: 'writePictureData',
                frameWidth: width,
                frameHeight: width / animation.aspectRatio,
                frameNumber: frame,
                imageData: dataUrl
            });
        });
    }

    // ---- Shared steps of the handlers -----------------------------------

    function gridShown() {
        return shell.animation.bgLayer.gridVisibility();
    }

    function runningLinesShown() {
        return shell.animation.animLayer.showRunningLines;
    }

    function logoShown() {
        return shell.animation.bgLayer.doShowLogo;
    }

    function refreshToolbarToggles() {
        shell.toolbar.setToggleGrid(gridShown());
        shell.toolbar.setToggleRunningLines(runningLinesShown());
        shell.toolbar.setToggleLogo(logoShown());
    }

    function updateTimelineFrameSettings() {
        var frames = shell.animation.frameManager;
        shell.timeline.updateFrameSettings(frames.nFrames, frames.selectedFrame,
            frames.frameDurations[Math.min(frames.selectedFrame, frames.nFrames - 2)]);
    }

    // The five layers that take pointer input.
    function setListening(layerNames, listening) {
        var layers = {
            timeline: shell.timeline.layer,
            toolbar: shell.toolbar.layer,
            itemPicker: shell.itemPicker.layer,
            animation: shell.animation.animLayer,
            background: shell.animation.bgLayer
        };
        for (var i = 0; i < layerNames.length; i++) {
            layers[layerNames[i]].listening(listening);
        }
    }

    // ---- Undo and redo --------------------------------------------------

    // Puts a snapshot of the history on screen, exactly as it was saved,
    // in place of `shown`, the parts on screen: only what differs is read
    // and rebuilt. Without them (during playback) the whole text is loaded.
    function showSnapshot(snapshot, shown) {
        var message = textMessage('animationChanged', window.Animation.textFromParts(snapshot));
        if (shown) {
            shell.animation.loadParts(snapshot, shown);
        } else {
            shell.animation.loadFromString(message.strToSave, true);
        }
        followAnimationSport();
        refreshToolbarToggles();
        updateTimelineFrameSettings();
        shell.reportedText = message.strToSave;
        sendMessage(message);
        shell.recorder.refreshUndoButtons();
    }

    function onUndo() {
        var shown = shell.recorder.recordChange();
        var snapshot = shell.history.undo();
        if (snapshot) {
            showSnapshot(snapshot, shown);
        }
    }

    function onRedo() {
        var shown = shell.recorder.recordChange();
        var snapshot = shell.history.redo();
        if (snapshot) {
            showSnapshot(snapshot, shown);
        }
    }

    // ---- Sport ------------------------------------------------------------

    // The pitch of `sport` in the view on show, or its full field when the
    // sport does not offer that view; the palette follows.
    function switchSport(sport) {
        var bg = shell.animation.bgLayer;
        var view = bg.bgTypes[sport].indexOf(bg.bgType) !== -1 ? bg.bgType : bg.bgTypes[sport][0];
        bg.setBackground(sport, view, bg.showStripes);
        shell.animation.sport = sport;
        followAnimationSport();
    }

    // The palette and the page's sport follow the animation's, and the host
    // remembers it for the next start.
    function followAnimationSport() {
        var sport = shell.animation.sport;
        if (shell.itemPicker.sport !== sport) {
            shell.itemPicker.setSport(sport);
        }
        if (shell.sport !== sport) {
            shell.sport = sport;
            sendMessage({ msgType: 'sportChanged', sport: sport });
        }
    }

    // ---- Page events ----------------------------------------------------

    // A drill may grow only as far as a file can hold it: the coach is told
    // why nothing was added. True when it may grow.
    function mayGrow(items, frames) {
        var problem = shell.animation.growthProblem(items, frames);
        if (problem) {
            sendMessage({ msgType: 'drillLimitReached', errorInfo: problem });
        }
        return !problem;
    }

    // The new item comes selected, ready to be dragged into place.
    function onAddItem(detail) {
        if (!mayGrow(1, 0)) {
            return;
        }
        var group = shell.animation.addItem(detail.type, detail.col1, detail.col2, detail.scale);
        shell.animation.animLayer.select(group._id);
        redrawAnimationLayer();
    }

    function onPlay() {
        shell.recorder.recordChange();
        shell.animation.drawingEditor.deselect();
        shell.keyboard.setPlaying(true);
        shell.timeline.playbackStarted();
        shell.animation.playbackManager.startPlayback();
    }

    function onStop() {
        shell.animation.playbackManager.stop();
    }

    // Pausing, speed and loop are how the drill is watched: no step, no
    // message.
    function onTogglePause() {
        shell.animation.playbackManager.togglePause();
    }

    function onSetPlaybackSpeed(detail) {
        shell.animation.playbackManager.setSpeed(detail.speed);
        showPlaybackSettings();
    }

    function onToggleLoop() {
        var playback = shell.animation.playbackManager;
        playback.setLoop(!playback.loop);
        showPlaybackSettings();
    }

    function showPlaybackSettings() {
        var playback = shell.animation.playbackManager;
        shell.playbackControls.show(playback.speed, playback.loop);
    }

    // A change the display still holds is recorded first, as before
    // playback: the scrub saves the display on its way in.
    function onScrubTimeline(detail) {
        var playback = shell.animation.playbackManager;
        if (!playback.isScrubbing && !playback.isPlaying) {
            shell.recorder.recordChange();
            shell.animation.drawingEditor.deselect();
        }
        playback.scrubTo(detail.position);
    }

    function onScrubEnded() {
        shell.animation.playbackManager.endScrub();
        redrawAnimationLayer();
    }

    function onPlaybackEnded() {
        shell.keyboard.setPlaying(false);
        shell.timeline.playbackStopped();
        updateTimelineFrameSettings();
    }

    function onUpdateTimelineProgress(detail) {
        shell.timeline.updatePlaybackIndicator(detail.percent);
    }

    function onDrawFrame(detail) {
        shell.animation.playbackManager.drawFrame(detail.time);
    }

    function onGetLabelForItem(detail) {
        sendMessage({
            msgType: 'promptForItemLabel',
            displayMessage: ITEM_LABEL_PROMPT,
            defaultText: detail.currentLabel,
            id: detail.id
        });
    }

    function onGetShortLabelForItem(detail) {
        sendMessage({
            msgType: 'promptForItemShortLabel',
            displayMessage: ITEM_SHORT_LABEL_PROMPT,
            defaultText: detail.currentLabel,
            id: detail.id
        });
    }

    // Also for the frame already selected: that saves and reloads it. A
    // frame the model does not have (a timeline out of step) is ignored.
    // Whether saving the display changed the model is kept for
    // recordSelection.
    function onSelectedFrame(detail) {
        var n = detail.frameNumber;
        if (typeof n !== 'number' || n % 1 !== 0 || n < 0 || n >= shell.animation.frameManager.nFrames) {
            return;
        }
        if (shell.animation.frameManager.saveFrame()) {
            shell.savedUnrecorded = true;
        }
        shell.animation.frameManager.loadFrame(detail.frameNumber);
        updateTimelineFrameSettings();
    }

    function onAddFrame() {
        if (!mayGrow(0, 1)) {
            return;
        }
        shell.animation.frameManager.addFrame();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
    }

    // The step from the selected frame (from the last, the step into it)
    // takes the next hold on offer.
    function onHoldStep() {
        var frames = shell.animation.frameManager;
        if (frames.nFrames < 2) {
            return;
        }
        var step = Math.min(frames.selectedFrame, frames.nFrames - 2);
        frames.setStepDuration(step, window.FrameTiming.nextChoice(frames.frameDurations[step]));
        updateTimelineFrameSettings();
    }

    function onRemoveFrame() {
        shell.animation.frameManager.removeSelectedFrame();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
    }

    // The host first asks about unsaved changes, and answers
    // newAnimationResponse when the drill may go; without a host the page
    // clears at once.
    function onNewAnimation() {
        if (shell.connected) {
            sendMessage({ msgType: 'newAnimation' });
        } else {
            clearAnimation();
        }
    }

    // Only the items, frames and captions go; the pitch and its settings
    // stay, and so does the sport the pitch is drawn for. Putting the page's
    // own sport back here would leave, say, an opened soccer pitch on screen
    // that the next save names a Gaelic one, and reopens as such.
    function clearAnimation() {
        shell.animation.playbackManager.stop();
        shell.animation.frameManager.clearAnimation();
        shell.animation.bgLayer.batchDraw();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
        shell.recorder.startHistory();
    }

    // A text that opening would refuse is not offered for writing: the
    // coach is told why instead of being left with a file that no longer
    // opens. `toCurrentFile` (Ctrl+S): straight to the file the drill came
    // from, if it has one; otherwise the host asks for a name.
    function onSaveAnimation(detail) {
        var message = textMessage('saveAnimation', shell.animation.saveToString());
        var problem = window.Animation.savedTextProblem(message.strToSave);
        if (problem) {
            sendMessage({ msgType: 'errorSavingFile', errorInfo: problem });
            return;
        }
        if (detail.toCurrentFile) {
            message.toCurrentFile = 1;
        }
        sendMessage(message);
    }

    function onOpenAnimation() {
        sendMessage({ msgType: 'openAnimation' });
    }

    function onErrorOpeningFile(detail) {
        var message = { msgType: 'errorOpeningFile', errorInfo: detail.errorInfo };
        if (shell.openingId !== undefined) {
            message.openId = shell.openingId;
        }
        sendMessage(message);
    }

    // While an export is being drawn (the coach pressed again before the
    // page heard of a cancel) the press is dropped rather than starting a
    // second export over the first. A cancelled export is over at once: the
    // picture it may still have in the generator delays the next export's
    // first by that picture only.
    function onExportVideo() {
        if (shell.videoRendering || shell.pdfReport.isBusy()) {
            return;
        }
        sendMessage({ msgType: 'exportVideo' });
    }

    function onExportPdf() {
        if (shell.videoRendering || shell.pdfReport.isBusy()) {
            return;
        }
        sendMessage({ msgType: 'exportPdf' });
    }

    // The selected frame as the editor shows it (grid and running lines as
    // on screen), on grass, for the clipboard. The picture comes later; the
    // editor stays usable meanwhile, and what is copied is the animation as
    // it stood when the button was pressed.
    function onTakeSnapshot() {
        var animation = shell.animation;
        var generator = shell.imageGenerator;
        var height = SNAPSHOT_WIDTH / animation.aspectRatio;
        generator.loadAnimation(animation.saveToString());
        generator.configureAnimation(SNAPSHOT_WIDTH, false, runningLinesShown(), gridShown());
        generator.getFrameImage(animation.frameManager.selectedFrame, function (dataUrl, refusal) {
            if (!dataUrl) {
                sendMessage({ msgType: 'snapshotImage', errorInfo: refusal });
                return;
            }
            sendMessage({
                msgType: 'snapshotImage',
                frameWidth: SNAPSHOT_WIDTH,
                frameHeight: height,
                imageData: dataUrl
            });
        });
    }

    function onShowAboutInfo() {
        sendMessage({ msgType: 'showAboutInfo' });
    }

    function onRotateAntiClockwise() {
        shell.animation.rotateEntireAnimation(-ROTATION_STEP);
    }

    function onRotateClockwise() {
        shell.animation.rotateEntireAnimation(ROTATION_STEP);
    }

    function onToggleGrid() {
        shell.animation.toggleGrid();
        shell.toolbar.setToggleGrid(gridShown());
    }

    function onToggleRunningLines() {
        shell.animation.toggleRunningLines();
        shell.toolbar.setToggleRunningLines(runningLinesShown());
        redrawAnimationLayer();
    }

    function onToggleLogo() {
        shell.animation.toggleLogo();
        shell.toolbar.setToggleLogo(logoShown());
    }

    function onSelectLogo() {
        sendMessage({ msgType: 'selectLogo' });
    }

    function onChooseBackground() {
        window.BackgroundPicker(shell.animation.stage, shell.animation.sport);
    }

    // The picker has already drawn the chosen pitch.
    function onBackgroundChosen(detail) {
        shell.animation.sport = detail.sport;
        followAnimationSport();
    }

    function onDeleteSelectedItems() {
        shell.animation.frameManager.removeSelectedObjects();
        shell.animation.drawingEditor.deleteSelected();
    }

    // The tool in hand again leaves it.
    function onChooseDrawingTool(detail) {
        shell.animation.drawingEditor.chooseTool(detail.kind, detail.style);
        shell.drawingStrip.showTool(shell.animation.drawingEditor.tool());
    }

    function onGetTextForNote() {
        sendMessage({ msgType: 'promptForDrawingNote', displayMessage: DRAWING_NOTE_PROMPT, defaultText: '' });
    }

    function onChangeDrawingSpan(detail) {
        shell.animation.drawingEditor.changeSpan(detail.by, !!detail.atStart);
    }

    function onNextZoneFill() {
        shell.animation.drawingEditor.nextZoneFill();
    }

    // The span and fill shown are those of a drawing selected alone.
    function onDrawingSelectionChanged() {
        var d = shell.animation.drawingLayer.selectedDrawing();
        shell.drawingStrip.showSpan(d ? { first: d.first, last: d.last } : null);
        shell.drawingStrip.showFill(d && d.kind === 'zone' ? d.fill : null);
    }

    function onSelectedItemsDragged(detail) {
        shell.animation.drawingEditor.moveSelectedBy({ x: detail.dx, y: detail.dy });
    }

    function onItemSelectedAlone() {
        shell.animation.drawingEditor.deselect();
    }

    function onNextDrawingColor() {
        shell.drawingStrip.showColor(shell.animation.drawingEditor.nextColor());
    }

    function onIncreaseSelectedScale() {
        shell.animation.frameManager.increaseSelectedScale();
    }

    function onDecreaseSelectedScale() {
        shell.animation.frameManager.decreaseSelectedScale();
    }

    // The kit colours offered are a player's; the one the palette would
    // give the next player comes first.
    function onChooseTeam() {
        var button = shell.itemPicker.buttonFor(TEAM_ITEM_TYPE);
        var player = button ? button.fieldItem :
            new window.FieldItem(0, 0, 0, 'default', TEAM_ITEM_TYPE, 'default', 'default', 1);
        window.TeamPicker(shell.animation.stage, shell.animation.sport,
            { colors: player.availableCols1, color: player.getCol(1) });
    }

    // The team comes whole or not at all, numbered, at the player's own
    // size, and selected alone so that it moves (or changes kit) as one.
    function onAddTeam(detail) {
        var players = window.Formations.placed(detail.formation, detail.half);
        if (!mayGrow(players.length, 0)) {
            return;
        }
        setSelected(shell.animation.animLayer.itemGroups(), false);
        var team = players.map(function (player) {
            return shell.animation.addItemLike({
                type: TEAM_ITEM_TYPE, rotation: player.rotation, scale: 'default', col1: detail.color,
                col2: detail.color, text: '', shortLabel: player.shortLabel
            }, player);
        });
        setSelected(team, true);
    }

    function onAddFrameCaption() {
        sendMessage({
            msgType: 'promptForFrameLabel',
            displayMessage: FRAME_CAPTION_PROMPT,
            defaultText: shell.animation.animLayer.getFrameText()
        });
    }

    function selectedGroups() {
        return shell.animation.animLayer.itemGroups().filter(function (group) {
            return group.isSelected;
        });
    }

    function setSelected(groups, selected) {
        groups.forEach(function (group) {
            group.selectFunc(selected);
        });
        redrawAnimationLayer();
    }

    // The drawings shown in the frame too.
    function onSelectAllItems() {
        setSelected(shell.animation.animLayer.itemGroups(), true);
        shell.animation.drawingEditor.selectAll();
    }

    // The selected items and the selected drawings are copied together,
    // each replacing what was copied before.
    function onCopySelectedItems() {
        var groups = selectedGroups();
        var drawings = shell.animation.drawingEditor.copySelected();
        if (groups.length > 0 || drawings.length > 0) {
            shell.copiedItems = groups.map(function (group) { return group.getProperties(); });
            shell.copiedDrawings = drawings;
        }
    }

    // The copies stand a little below and right of the copied items (kept
    // on the pitch), the same in every frame, and come selected alone.
    function onPasteItems() {
        var copied = shell.copiedItems || [];
        var drawings = shell.copiedDrawings || [];
        if (copied.length + drawings.length === 0) {
            return;
        }
        // The copies are selected alone, drawings with items.
        shell.animation.drawingEditor.paste(drawings);
        if (copied.length === 0 || !mayGrow(copied.length, 0)) {
            setSelected(shell.animation.animLayer.itemGroups(), false);
            return;
        }
        setSelected(shell.animation.animLayer.itemGroups(), false);
        var pasted = copied.map(function (props) {
            var pos = {
                x: Math.min(1, props.x + PASTE_OFFSET),
                y: Math.min(1, props.y + PASTE_OFFSET)
            };
            return shell.animation.addItemLike(props, pos);
        });
        setSelected(pasted, true);
    }

    // (dx, dy): screen pixels; the pitch may be turned, and items are kept
    // on it. The selected drawings go along.
    function onNudgeSelectedItems(detail) {
        var layer = shell.animation.animLayer;
        var d = window.rotatePos({ x: detail.dx, y: detail.dy }, -layer.rotation());
        var groups = selectedGroups();
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
        redrawAnimationLayer();
    }

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

    // `degrees`: clockwise on screen. Items that do not turn (balls,
    // markers, rings) stay as they are.
    function onTurnSelectedItems(detail) {
        var groups = selectedGroups().filter(function (group) {
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
        redrawAnimationLayer();
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

    function colouredSelection() {
        return selectedGroups().filter(function (group) {
            return group.getFieldItem().nColors > 0;
        });
    }

    // The colour chooser for every selected item with a colour, offering
    // the colours any of them can take; it grows from the middle of them.
    function onColorSelectedItems() {
        var groups = colouredSelection();
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
        }, redrawAnimationLayer);
    }

    // Each selected item whose kind offers the colour takes it, as its
    // colour button would give it; the others keep theirs. One step.
    function onRecolorSelectedItems(detail) {
        var types = [];
        colouredSelection().forEach(function (group) {
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
        redrawAnimationLayer();
    }

    // Escape leaves an open overlay unchanged; with none open it clears the
    // selection.
    function onEscapePressed() {
        if (shell.overlayOpen) {
            window.myDispatchEvent('closeOverlays', {});
        } else if (shell.animation.playbackManager.isPlaying) {
            window.myDispatchEvent('stop', {});
        } else {
            setSelected(shell.animation.animLayer.itemGroups(), false);
            shell.animation.drawingEditor.leaveTool();
            shell.animation.drawingEditor.deselect();
            shell.drawingStrip.showTool(null);
        }
    }

    function onRedrawControls() {
        shell.toolbar.layer.batchDraw();
        shell.itemPicker.layer.batchDraw();
        shell.timeline.layer.batchDraw();
    }

    // An overlay is open: nothing else may take input, not even the
    // timeline.
    function onDisableControls() {
        shell.overlayOpen = true;
        shell.keyboard.setOverlayOpen(true);
        setListening(['timeline'], false);
        window.myDispatchEvent('disableNonTimelineControls', {});
    }

    // Playback raises this alone, so the timeline's stop button stays live.
    // A drawing tool does not outlast it: the items listen again after.
    function onDisableNonTimelineControls() {
        shell.animation.drawingEditor.leaveTool();
        shell.drawingStrip.showTool(null);
        setListening(['toolbar', 'itemPicker', 'animation', 'background'], false);
        window.Button.hideTooltip();
        shell.toolbar.leaveAll();
    }

    function onEnableControls() {
        shell.overlayOpen = false;
        shell.keyboard.setOverlayOpen(false);
        setListening(['timeline', 'toolbar', 'itemPicker', 'animation', 'background'], true);
        // A layer that was deaf through a resize has an empty hit graph:
        // the bare pitch would not take a click until the next redraw.
        shell.animation.bgLayer.draw();
        shell.animation.animLayer.draw();
        window.myDispatchEvent('redrawControls', {});
    }

    // The shell's handlers, in the order of the event catalogue, then those
    // of the editing keys. The item picker registers its own two
    // (setItemDefaultColor, setItemDefaultScale); the overlays listen for
    // closeOverlays. `edits`: the animation may have changed, to be
    // recorded for undo once the handler is done; `selects`: another frame
    // is shown (recordSelection).
    var PAGE_EVENTS = [
        { name: 'addItem', handle: onAddItem, edits: true },
        { name: 'play', handle: onPlay },
        { name: 'stop', handle: onStop },
        { name: 'togglePause', handle: onTogglePause },
        { name: 'setPlaybackSpeed', handle: onSetPlaybackSpeed },
        { name: 'toggleLoop', handle: onToggleLoop },
        { name: 'scrubTimeline', handle: onScrubTimeline },
        { name: 'scrubEnded', handle: onScrubEnded },
        { name: 'playbackEnded', handle: onPlaybackEnded },
        { name: 'updateTimelineProgress', handle: onUpdateTimelineProgress },
        { name: 'drawFrame', handle: onDrawFrame },
        { name: 'getLabelForItem', handle: onGetLabelForItem, edits: true },
        { name: 'getShortLabelForItem', handle: onGetShortLabelForItem, edits: true },
        { name: 'selectedFrame', handle: onSelectedFrame, selects: true },
        { name: 'addFrame', handle: onAddFrame, edits: true },
        { name: 'removeFrame', handle: onRemoveFrame, edits: true },
        { name: 'holdStep', handle: onHoldStep, edits: true },
        { name: 'newAnimation', handle: onNewAnimation },
        { name: 'saveAnimation', handle: onSaveAnimation },
        { name: 'openAnimation', handle: onOpenAnimation },
        { name: 'errorOpeningFile', handle: onErrorOpeningFile },
        { name: 'exportVideo', handle: onExportVideo },
        { name: 'exportPdf', handle: onExportPdf },
        { name: 'takeSnapshot', handle: onTakeSnapshot },
        { name: 'showAboutInfo', handle: onShowAboutInfo },
        { name: 'rotateAntiClockwise', handle: onRotateAntiClockwise, edits: true },
        { name: 'rotateClockwise', handle: onRotateClockwise, edits: true },
        { name: 'toggleGrid', handle: onToggleGrid, edits: true },
        { name: 'toggleRunningLines', handle: onToggleRunningLines, edits: true },
        { name: 'toggleLogo', handle: onToggleLogo, edits: true },
        { name: 'selectLogo', handle: onSelectLogo },
        { name: 'chooseBackground', handle: onChooseBackground },
        { name: 'backgroundChosen', handle: onBackgroundChosen, edits: true },
        { name: 'deleteSelectedItems', handle: onDeleteSelectedItems, edits: true },
        { name: 'increaseSelectedScale', handle: onIncreaseSelectedScale, edits: true },
        { name: 'decreaseSelectedScale', handle: onDecreaseSelectedScale, edits: true },
        { name: 'addFrameCaption', handle: onAddFrameCaption, edits: true },
        { name: 'chooseTeam', handle: onChooseTeam },
        { name: 'addTeam', handle: onAddTeam, edits: true },
        { name: 'redrawControls', handle: onRedrawControls },
        { name: 'disableControls', handle: onDisableControls },
        { name: 'disableNonTimelineControls', handle: onDisableNonTimelineControls },
        { name: 'enableControls', handle: onEnableControls },
        { name: 'undo', handle: onUndo },
        { name: 'redo', handle: onRedo },
        { name: 'selectAllItems', handle: onSelectAllItems },
        { name: 'copySelectedItems', handle: onCopySelectedItems },
        { name: 'pasteItems', handle: onPasteItems, edits: true },
        { name: 'nudgeSelectedItems', handle: onNudgeSelectedItems, edits: true },
        { name: 'turnSelectedItems', handle: onTurnSelectedItems, edits: true },
        { name: 'colorSelectedItems', handle: onColorSelectedItems },
        { name: 'recolorSelectedItems', handle: onRecolorSelectedItems, edits: true },
        { name: 'escapePressed', handle: onEscapePressed },
        { name: 'chooseDrawingTool', handle: onChooseDrawingTool },
        { name: 'nextDrawingColor', handle: onNextDrawingColor, edits: true },
        { name: 'changeDrawingSpan', handle: onChangeDrawingSpan, edits: true },
        { name: 'getTextForNote', handle: onGetTextForNote, edits: true },
        { name: 'nextZoneFill', handle: onNextZoneFill, edits: true },
        { name: 'drawingSelectionChanged', handle: onDrawingSelectionChanged },
        { name: 'selectedItemsDragged', handle: onSelectedItemsDragged },
        { name: 'itemSelectedAlone', handle: onItemSelectedAlone }
    ];

    function installPageEventHandlers() {
        for (var i = 0; i < PAGE_EVENTS.length; i++) {
            document.addEventListener(PAGE_EVENTS[i].name, detailHandler(PAGE_EVENTS[i]), false);
        }
    }

    function detailHandler(entry) {
        return function (evt) {
            shell.recorder.handleAndRecord(entry, evt.detail || {});
        };
    }

    // ---- Report logo ----------------------------------------------------

    // Reports asked for before the logo has settled, waiting for it.
    var reportLogoWaiters = [];

    // Calls `callback` with the report logo ({dataUrl, width, height}), or
    // with null when it could not be prepared, as soon as that is known.
    function whenReportLogoSettled(callback) {
        if (shell.reportLogoSettled) {
            callback(reportLogo());
        } else {
            reportLogoWaiters.push(callback);
        }
    }

    function reportLogo() {
        if (!shell.logoDataUrl) {
            return null;
        }
        return { dataUrl: shell.logoDataUrl, width: shell.logoWidth, height: shell.logoHeight };
    }

    function settleReportLogo() {
        shell.reportLogoSettled = true;
        var waiting = reportLogoWaiters;
        reportLogoWaiters = [];
        for (var i = 0; i < waiting.length; i++) {
            waiting[i](reportLogo());
        }
    }

    // The PDF report wants the product logo as a JPEG data URL on white; the
    // picture is drawn once, on a throw-away stage, as soon as it has loaded.
    // A logo that cannot load leaves the reports without one.
    function prepareReportLogo() {
        var picture = new window.Image();
        picture.onerror = settleReportLogo;
        picture.onload = function () {
            var w = picture.width;
            var h = picture.height;
            shell.logoWidth = w;
            shell.logoHeight = h;

            var stage = new Kinetic.Stage({ container: REPORT_LOGO_CONTAINER, width: w, height: h });
            var layer = new Kinetic.Layer();
            layer.add(new Kinetic.Rect({ x: 0, y: 0, width: w, height: h, fill: REPORT_LOGO_BACKING }));
            layer.add(new Kinetic.Image({ image: picture, x: 0, y: 0, width: w, height: h }));
            stage.add(layer);
            stage.toDataURL({
                mimeType: REPORT_LOGO_MIME_TYPE,
                quality: REPORT_LOGO_QUALITY,
                callback: function (dataUrl) {
                    shell.logoDataUrl = dataUrl;
                    stage.destroy();
                    settleReportLogo();
                }
            });
        };
        picture.src = REPORT_LOGO_SRC;
    }

    // ---- Start ----------------------------------------------------------

    function main() {
        if (shell) {
            throw new Error('main: the page has already been started');
        }
        // Kinetic copies a layer's methods into each kind of layer, the page's own too.
        [Kinetic.Layer, Kinetic.FastLayer, window.AnimationLayer, window.BackgroundLayer,
            window.DrawingLayer].forEach(function (kind) {
            window.batchDrawOncePerFrame(kind.prototype);
        });
        window.readHitCanvasesOften(Kinetic);
        shell = {
            sport: SPORT,
            margin: MARGIN,
            minAppWidth: MIN_APP_WIDTH,
            minAppHeight: MIN_APP_HEIGHT,
            sizes: null,
            breakVideoExport: false,
            // The video export's picture counter and last picture number,
            // the moment of each picture, whether its pictures are being
            // drawn, and the club logo its title card shows ('' for none).
            frameCounter: 0,
            nFrames: 0,
            videoTimes: [],
            videoRendering: false,
            // The image generator's chain, held while the host takes a
            // picture, and the socket the pictures go through, if any.
            videoChain: null,
            pictureSocket: null,
            // The host's open being answered (onOpenAnimationResponse).
            openingId: undefined,
            videoClubLogo: '',
            logoDataUrl: '',
            logoWidth: 0,
            logoHeight: 0,
            reportLogoSettled: false,
            connected: false,

            toolbar: null,
            itemPicker: null,
            timeline: null,
            animation: null,
            imageGenerator: null,
            pdfReport: null,
            keyboard: null,
            history: null,
            // Every handler runs through it (UndoRecorder.js).
            recorder: null,
            overlayOpen: false,
            copiedItems: [],
            reportedText: '',
            // A frame selection saved a change of the display that the
            // history has not taken yet.
            savedUnrecorded: false,

            calcContainerSizes: calcContainerSizes,
            connectSlots: connectSlots,
            sendMessage: sendMessage,
            receiveMessage: receiveMessage
        };
        window.pageShell = shell;

        laidOutFor = viewportSize();
        shell.sizes = windowSizes();
        shell.recorder = new window.UndoRecorder(shell);
        createComponents();
        connectSlots();
        prepareReportLogo();
        window.addEventListener('resize', onWindowResize, false);
        window.addEventListener('error', reportUncaughtError, false);
        watchViewport();
        installPageEventHandlers();
        shell.recorder.recordAfterPointer();
        shell.recorder.startHistory();
        // Last: the host takes this, not the end of the page's loading, as
        // the sign that the page can take messages (an engine may start the
        // page only once the bridge is up).
        sendMessage({ msgType: 'pageReady' });
        return shell;
    }

    window.main = main;
}(window, document, Kinetic));
