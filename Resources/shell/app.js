// The page's composition root. `main` sizes the four visible areas, creates
// the components in order, connects to the host's bridge object, and runs
// the host messages' and the page events' tables (shell/commands/), every
// handler through the undo recorder.
//
// Everything `main` keeps lives in one page-wide record, `window.pageShell`
// (also returned by `main`): the sport, the layout constants and area sizes,
// the components (the video export's pictures and the report logo among
// them) and the bridge state. Components never reach into it; they raise
// page events. It is public so that the page tests, and anyone debugging
// the page, can see the shell's state and call its bridge functions.
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

    var PDF_LIBRARY = 'jspdf.js';
    var REPORT_FONTS = { normal: 'fonts/LiberationSans-Regular.ttf', bold: 'fonts/LiberationSans-Bold.ttf' };

    var HISTORY_MAX_BYTES = 32 * 1024 * 1024;
    var ANIM_CONTAINER = 'animContainer';

    var shell = null;
    // The steps the handlers share (ShellSteps.js).
    var steps = null;
    // The host messages' rows (shell/commands/HostMessages.js and
    // HostExportMessages.js), bound to the shell and its steps.
    var hostMessages = [];

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
    // the timeline, the animation (in animContainer) with its double- and
    // right-clicks and the menu these open, the image generator
    // (with its own off-screen animation), the report builder that draws
    // through it, the video export's pictures drawn through it too, and the
    // report's logo.
    function createComponents() {
        var s = shell.sizes;
        shell.toolbar = new window.Toolbar(s.toolbarWidth, s.toolbarHeight);
        shell.itemPicker = new window.ItemPicker(s.itemPickerWidth, s.itemPickerHeight, shell.sport);
        shell.drawingStrip = window.createDrawingStrip(shell.itemPicker.layer, s.itemPickerWidth, s.itemPickerHeight);
        shell.timeline = new window.Timeline(s.timelineWidth, s.timelineHeight);
        shell.playbackControls = window.createPlaybackControls(shell.timeline);
        shell.timelineScrub = window.createTimelineScrub(shell.timeline);
        shell.animation = new window.Animation(s.animMaxWidth, s.animMaxHeight, ANIM_CONTAINER);
        shell.pitchClicks = new window.PitchClicks(shell.animation);
        shell.selectionMenu = new window.SelectionMenu();
        shell.animation.stepBend = new window.StepBend(shell.animation);
        shell.ballHolding = new window.BallHolding(shell.animation);
        shell.imageGenerator = new window.ImageGenerator();
        shell.pdfReport = new window.PdfReport(shell.imageGenerator, window.createPdfLibrary(PDF_LIBRARY).load,
            window.createReportFonts(REPORT_FONTS).load);
        shell.videoPictures = new window.VideoPictureStream(shell.animation, shell.imageGenerator, sendMessage);
        shell.reportLogo = new window.ReportLogo();
        shell.keyboard = new window.Keyboard(document);
        shell.history = new window.EditHistory(HISTORY_MAX_BYTES);
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
        for (var i = 0; i < hostMessages.length; i++) {
            if (message.msgType === hostMessages[i].msgType) {
                shell.recorder.handleAndRecord(hostMessages[i], message);
            }
        }
    }

    // ---- Page events ----------------------------------------------------

    // The command tables, by subsystem (shell/commands/), each row run
    // through the undo recorder. Each event has one row, so the order in
    // which the tables are installed changes nothing. The item picker
    // registers its own two (setItemDefaultColor, setItemDefaultScale); the
    // overlays listen for closeOverlays.
    var COMMAND_TABLES = ['PlaybackCommands', 'FrameCommands', 'ItemCommands', 'DrawingCommands', 'FileCommands',
        'ExportCommands', 'ViewCommands', 'MenuCommands'];

    function installPageEventHandlers() {
        COMMAND_TABLES.forEach(function (table) {
            steps.rows(window[table]).forEach(function (entry) {
                document.addEventListener(entry.name, detailHandler(entry), false);
            });
        });
    }

    function detailHandler(entry) {
        return function (evt) {
            shell.recorder.handleAndRecord(entry, evt.detail || {});
        };
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
            // The host's open being answered (onOpenAnimationResponse).
            openingId: undefined,
            connected: false,

            toolbar: null,
            itemPicker: null,
            timeline: null,
            animation: null,
            pitchClicks: null,
            selectionMenu: null,
            imageGenerator: null,
            pdfReport: null,
            // The video export's pictures (VideoPictureStream.js) and the
            // report's logo (ReportLogo.js).
            videoPictures: null,
            reportLogo: null,
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
        steps = new window.ShellSteps(shell);
        hostMessages = steps.rows(window.HostMessages).concat(steps.rows(window.HostExportMessages));
        createComponents();
        connectSlots();
        shell.reportLogo.prepare();
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
