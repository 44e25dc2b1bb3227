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

    var FRAME_CAPTION_PROMPT = 'Enter a caption for this frame: ';
    var ITEM_LABEL_PROMPT = 'Enter a label for this item: ';
    var ITEM_SHORT_LABEL_PROMPT = '<html><head/><body><p>Enter a short label for this player:' +
        '<br/>(maximum 4 characters)</p></body></html>';

    var SNAPSHOT_WIDTH = 1024;
    var FRAME_MS = 1000;
    var VIDEO_WIDTH = 640;
    // Pictures per second, and so pictures per step from frame to frame.
    var VIDEO_FPS = 15;

    var ROTATION_STEP = 90;
    var ANIM_CONTAINER = 'animContainer';

    var shell = null;

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

    // One line per component, in this order: the toolbar, the item picker,
    // the timeline, the animation (in animContainer), the image generator
    // (with its own off-screen animation) and the report builder that draws
    // through it.
    function createComponents() {
        var s = shell.sizes;
        shell.toolbar = new window.Toolbar(s.toolbarWidth, s.toolbarHeight);
        shell.itemPicker = new window.ItemPicker(s.itemPickerWidth, s.itemPickerHeight, shell.sport);
        shell.timeline = new window.Timeline(s.timelineWidth, s.timelineHeight);
        shell.animation = new window.Animation(s.animMaxWidth, s.animMaxHeight, ANIM_CONTAINER);
        shell.imageGenerator = new window.ImageGenerator();
        shell.pdfReport = window.createPdfReport(shell.imageGenerator, window.jsPDF);
    }

    function onWindowResize() {
        shell.sizes = windowSizes();
        var s = shell.sizes;
        shell.animation.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight);
        shell.itemPicker.updateBounds(s.itemPickerWidth, s.itemPickerHeight);
        shell.toolbar.updateBounds(s.toolbarWidth, s.toolbarHeight);
        shell.timeline.updateBounds(s.timelineWidth, s.timelineHeight);
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

    // The host handles the message, dialogs included, before this returns,
    // and its replies run receiveMessage nested inside this call.
    function sendMessage(message) {
        try {
            window.cppInterface.receiveMessage(message);
        } catch (e) {
            // No host, or it refused the message: the message is lost.
        }
    }

    function receiveMessage(message) {
        if (!message) {
            return;
        }
        for (var i = 0; i < HOST_MESSAGES.length; i++) {
            if (message.msgType === HOST_MESSAGES[i].msgType) {
                HOST_MESSAGES[i].handle(message);
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

    function onItemShortLabelResponse(message) {
        shell.animation.setShortItemLabel(parseInt(message.id, 10), message.text);
        redrawAnimationLayer();
    }

    // A file that is not an animation is reported by loadFromString itself;
    // the toggles and the timeline are refreshed either way and then show the
    // unchanged animation.
    function onOpenAnimationResponse(message) {
        shell.animation.loadFromString(message.json);
        refreshToolbarToggles();
        updateTimelineFrameSettings();
    }

    // The report of the animation as it stands now; the pictures follow one
    // by one, and the host hears of each. A report that cannot be built
    // still ends the host's export: the empty document is refused there,
    // with a message, rather than leaving its progress dialog waiting. So
    // does one asked for while an earlier report is still being drawn.
    function onExportPdfResponse() {
        var animation = shell.animation;
        var refused = function () {
            sendMessage({ msgType: 'writePdfData', pdfData: '' });
        };
        var started = shell.pdfReport.build({
            animationText: animation.saveToString(),
            nFrames: animation.frameManager.nFrames,
            rotated: animation.isRotated,
            showRunningLines: runningLinesShown(),
            showGrid: gridShown(),
            date: new Date(),
            waitForLogo: whenReportLogoSettled
        }, {
            progress: function (percent) {
                sendMessage({ msgType: 'updatePdfProgress', progressPercent: percent });
            },
            finished: function (dataUrl) {
                sendMessage({ msgType: 'writePdfData', pdfData: dataUrl });
            },
            failed: refused
        });
        if (!started) {
            refused();
        }
    }

    function onExportVideoResponse() {
        saveToVideo();
    }

    function onBreakVideoExport() {
        shell.breakVideoExport = true;
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
    var HOST_MESSAGES = [
        { msgType: 'frameLabelResponse', handle: onFrameLabelResponse },
        { msgType: 'itemLabelResponse', handle: onItemLabelResponse },
        { msgType: 'itemShortLabelResponse', handle: onItemShortLabelResponse },
        { msgType: 'openAnimationResponse', handle: onOpenAnimationResponse },
        { msgType: 'exportPdfResponse', handle: onExportPdfResponse },
        { msgType: 'exportVideoResponse', handle: onExportVideoResponse },
        { msgType: 'breakVideoExport', handle: onBreakVideoExport },
        { msgType: 'setLogoImage', handle: onSetLogoImage },
        { msgType: 'exportPictureResponse', handle: onExportPictureResponse }
    ];

    // ---- Video export ---------------------------------------------------

    // The video's pictures, one at a time: each is sent to the host, which
    // has written it (and told the page to stop, if the coach cancelled)
    // before the next is asked for. The animation is copied into the image
    // generator as it stands now, so the coach may go on editing meanwhile.
    // An answer that comes while an earlier export's pictures are still
    // being drawn is dropped: the two would share the one picture counter.
    function saveToVideo() {
        if (shell.videoRendering) {
            return;
        }
        var animation = shell.animation;
        var generator = shell.imageGenerator;
        shell.breakVideoExport = false;
        shell.frameCounter = 0;
        shell.nFrames = (animation.frameManager.nFrames - 1) * VIDEO_FPS;
        shell.videoRendering = true;
        generator.loadAnimation(animation.saveToString());
        generator.configureAnimation(VIDEO_WIDTH, false, runningLinesShown(), gridShown());
        generator.getImage(0, sendVideoPicture);
    }

    function sendVideoPicture(dataUrl) {
        var more = false;
        try {
            sendMessage({
                msgType: 'writeVideoFrame',
                frameWidth: VIDEO_WIDTH,
                frameHeight: VIDEO_WIDTH / shell.animation.aspectRatio,
                frameNumber: shell.frameCounter,
                nFrames: shell.nFrames,
                frameRate: VIDEO_FPS,
                imageData: dataUrl
            });
            shell.frameCounter += 1;
            more = shell.frameCounter <= shell.nFrames && !shell.breakVideoExport;
            if (more) {
                // Multiplied first, so that picture 15 is frame 1 exactly.
                shell.imageGenerator.getImage(shell.frameCounter * FRAME_MS / VIDEO_FPS, sendVideoPicture);
            }
        } finally {
            if (!more) {
                shell.videoRendering = false;
            }
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
        generator.getImage((frame - 1) * FRAME_MS, function (dataUrl) {
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
        shell.timeline.updateFrameSettings(frames.nFrames, frames.selectedFrame);
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

    // ---- Page events ----------------------------------------------------

    function onAddItem(detail) {
        shell.animation.addItem(detail.type, detail.col1, detail.col2, detail.scale);
    }

    function onPlay() {
        shell.timeline.playbackStarted();
        shell.animation.playbackManager.startPlayback();
    }

    function onStop() {
        shell.animation.playbackManager.stop();
    }

    function onPlaybackEnded() {
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
    function onSelectedFrame(detail) {
        var n = detail.frameNumber;
        if (typeof n !== 'number' || n % 1 !== 0 || n < 0 || n >= shell.animation.frameManager.nFrames) {
            return;
        }
        shell.animation.frameManager.saveFrame();
        shell.animation.frameManager.loadFrame(detail.frameNumber);
        updateTimelineFrameSettings();
    }

    function onAddFrame() {
        shell.animation.frameManager.addFrame();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
    }

    function onRemoveFrame() {
        shell.animation.frameManager.removeSelectedFrame();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
    }

    // Only the items, frames and captions go; the pitch and its settings
    // stay, and so does the sport the pitch is drawn for. Putting the page's
    // own sport back here would leave, say, an opened soccer pitch on screen
    // that the next save names a Gaelic one, and reopens as such.
    function onNewAnimation() {
        shell.animation.frameManager.clearAnimation();
        shell.animation.bgLayer.batchDraw();
        redrawAnimationLayer();
        updateTimelineFrameSettings();
    }

    // A text that opening would refuse is not offered for writing: the
    // coach is told why instead of being left with a file that no longer
    // opens.
    function onSaveAnimation() {
        var text = shell.animation.saveToString();
        var problem = window.Animation.savedTextProblem(text);
        if (problem) {
            sendMessage({ msgType: 'errorSavingFile', errorInfo: problem });
            return;
        }
        sendMessage({ msgType: 'saveAnimation', strToSave: text });
    }

    function onOpenAnimation() {
        sendMessage({ msgType: 'openAnimation' });
    }

    function onErrorOpeningFile(detail) {
        sendMessage({ msgType: 'errorOpeningFile', errorInfo: detail.errorInfo });
    }

    // While an earlier export's pictures are still being drawn (the coach
    // cancelled and pressed again before the page heard of it, or a report
    // is being built) the press is dropped rather than starting a second
    // export over the first.
    function onExportVideo() {
        if (shell.videoRendering || shell.pdfReport.isBusy() || shell.imageGenerator.isBusy()) {
            return;
        }
        sendMessage({ msgType: 'exportVideo' });
    }

    // Pictures still being drawn for an earlier export (one the coach has
    // cancelled goes on to its end) hold the image generator: the button
    // does nothing until they are done, which takes a second or two.
    function onExportPdf() {
        if (shell.pdfReport.isBusy() || shell.imageGenerator.isBusy()) {
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
        generator.getImage(animation.frameManager.selectedFrame * FRAME_MS, function (dataUrl) {
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

    function onDeleteSelectedItems() {
        shell.animation.frameManager.removeSelectedObjects();
    }

    function onIncreaseSelectedScale() {
        shell.animation.frameManager.increaseSelectedScale();
    }

    function onDecreaseSelectedScale() {
        shell.animation.frameManager.decreaseSelectedScale();
    }

    function onAddFrameCaption() {
        sendMessage({
            msgType: 'promptForFrameLabel',
            displayMessage: FRAME_CAPTION_PROMPT,
            defaultText: shell.animation.animLayer.getFrameText()
        });
    }

    function onRedrawControls() {
        shell.toolbar.layer.batchDraw();
        shell.itemPicker.layer.batchDraw();
        shell.timeline.layer.batchDraw();
    }

    // An overlay is open: nothing else may take input, not even the
    // timeline.
    function onDisableControls() {
        setListening(['timeline'], false);
        window.myDispatchEvent('disableNonTimelineControls', {});
    }

    // Playback raises this alone, so the timeline's stop button stays live.
    function onDisableNonTimelineControls() {
        setListening(['toolbar', 'itemPicker', 'animation', 'background'], false);
    }

    function onEnableControls() {
        setListening(['timeline', 'toolbar', 'itemPicker', 'animation', 'background'], true);
        window.myDispatchEvent('redrawControls', {});
    }

    // The shell's handlers, in the order of the event catalogue. The item
    // picker registers its own two (setItemDefaultColor, setItemDefaultScale).
    var PAGE_EVENTS = [
        { name: 'addItem', handle: onAddItem },
        { name: 'play', handle: onPlay },
        { name: 'stop', handle: onStop },
        { name: 'playbackEnded', handle: onPlaybackEnded },
        { name: 'updateTimelineProgress', handle: onUpdateTimelineProgress },
        { name: 'drawFrame', handle: onDrawFrame },
        { name: 'getLabelForItem', handle: onGetLabelForItem },
        { name: 'getShortLabelForItem', handle: onGetShortLabelForItem },
        { name: 'selectedFrame', handle: onSelectedFrame },
        { name: 'addFrame', handle: onAddFrame },
        { name: 'removeFrame', handle: onRemoveFrame },
        { name: 'newAnimation', handle: onNewAnimation },
        { name: 'saveAnimation', handle: onSaveAnimation },
        { name: 'openAnimation', handle: onOpenAnimation },
        { name: 'errorOpeningFile', handle: onErrorOpeningFile },
        { name: 'exportVideo', handle: onExportVideo },
        { name: 'exportPdf', handle: onExportPdf },
        { name: 'takeSnapshot', handle: onTakeSnapshot },
        { name: 'showAboutInfo', handle: onShowAboutInfo },
        { name: 'rotateAntiClockwise', handle: onRotateAntiClockwise },
        { name: 'rotateClockwise', handle: onRotateClockwise },
        { name: 'toggleGrid', handle: onToggleGrid },
        { name: 'toggleRunningLines', handle: onToggleRunningLines },
        { name: 'toggleLogo', handle: onToggleLogo },
        { name: 'selectLogo', handle: onSelectLogo },
        { name: 'chooseBackground', handle: onChooseBackground },
        { name: 'deleteSelectedItems', handle: onDeleteSelectedItems },
        { name: 'increaseSelectedScale', handle: onIncreaseSelectedScale },
        { name: 'decreaseSelectedScale', handle: onDecreaseSelectedScale },
        { name: 'addFrameCaption', handle: onAddFrameCaption },
        { name: 'redrawControls', handle: onRedrawControls },
        { name: 'disableControls', handle: onDisableControls },
        { name: 'disableNonTimelineControls', handle: onDisableNonTimelineControls },
        { name: 'enableControls', handle: onEnableControls }
    ];

    function installPageEventHandlers() {
        for (var i = 0; i < PAGE_EVENTS.length; i++) {
            document.addEventListener(PAGE_EVENTS[i].name, detailHandler(PAGE_EVENTS[i].handle), false);
        }
    }

    function detailHandler(handle) {
        return function (evt) {
            handle(evt.detail || {});
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
        shell = {
            sport: SPORT,
            margin: MARGIN,
            minAppWidth: MIN_APP_WIDTH,
            minAppHeight: MIN_APP_HEIGHT,
            sizes: null,
            breakVideoExport: false,
            // The video export's picture counter and last picture number,
            // and whether its pictures are being drawn.
            frameCounter: 0,
            nFrames: 0,
            videoRendering: false,
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

            calcContainerSizes: calcContainerSizes,
            connectSlots: connectSlots,
            sendMessage: sendMessage,
            receiveMessage: receiveMessage
        };
        window.pageShell = shell;

        shell.sizes = windowSizes();
        createComponents();
        connectSlots();
        prepareReportLogo();
        window.addEventListener('resize', onWindowResize, false);
        installPageEventHandlers();
        return shell;
    }

    window.main = main;
}(window, document, Kinetic));
