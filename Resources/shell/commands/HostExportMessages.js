// The host's messages of the exports: a PDF report, a video (its pictures
// drawn by VideoPictureStream.js), one frame as a picture, and their
// cancels.
// Each row: `msgType`, the host's message; `handle(shell, steps, message)`,
// run through the undo recorder (app.js binds the shell and its steps and
// runs every row whose msgType the message has; the names differ, so at
// most one matches); `edits`: the animation may have changed, to be
// recorded for undo once the handler is done.
(function (window) {
    'use strict';

    // The video's picture width and pictures per second (a step of a second
    // has that many pictures, a held one more) when the host asks for no other.
    var VIDEO_WIDTH = 640;
    var VIDEO_FPS = 15;

    // The drill on screen as the report prints it: the animation as it
    // stands now and the editor's settings.
    function openDrill(shell, steps, message) {
        var animation = shell.animation;
        // First: it stores what the editor shows into the model.
        var text = animation.saveToString();
        var captions = [];
        for (var f = 0; f < animation.frameManager.nFrames; f++) {
            captions.push(animation.frameManager.captionOf(f));
        }
        return {
            animationText: text,
            nFrames: animation.frameManager.nFrames,
            rotated: animation.isRotated,
            showRunningLines: steps.runningLinesShown(),
            showGrid: steps.gridShown(),
            drillName: message.drillName || '',
            captions: captions
        };
    }

    // Another drill of a squad report, as its file holds it (the host sends
    // the text, which is checked here as any file opened is); throws, naming
    // the drill, when it cannot be read.
    function fileDrill(text, name) {
        var read = window.DrillFile.read(text);
        if (read.problem) {
            throw new Error('The drill ' + (name || 'without a name') + ' could not be read: ' + read.problem);
        }
        var settings = read.settings;
        var captions = [];
        for (var f = 0; f < settings.nFrames; f++) {
            captions.push(settings.frameText[f] || '');
        }
        return {
            animationText: text,
            nFrames: settings.nFrames,
            rotated: settings.rotation % 180 !== 0,
            showRunningLines: settings.showRunningLines,
            showGrid: settings.gridVisible,
            drillName: name || '',
            captions: captions
        };
    }

    // The report of the animation as it stands now, then of any other
    // drills the host sends ("drillCount", "drillText1", "drillName1" and
    // so on); the pictures follow one by one, and the host hears of each.
    // A report that cannot be built still ends the host's export, with the
    // reason instead of a document, rather than leaving its progress dialog
    // waiting. So does one asked for while an earlier report is still being
    // drawn.
    function onExportPdfResponse(shell, steps, message) {
        var refused = function (error) {
            shell.sendMessage({ msgType: 'writePdfData', pdfData: '',
                errorInfo: error ? error.message : 'An earlier report is still being drawn.' });
        };
        var drills = [openDrill(shell, steps, message)];
        var others = parseInt(message.drillCount, 10) || 0;
        try {
            for (var d = 1; d <= others; d++) {
                drills.push(fileDrill(String(message['drillText' + d] || ''), message['drillName' + d]));
            }
        } catch (e) {
            refused(e);
            return;
        }
        var started = shell.pdfReport.build({
            drills: drills,
            picturesPerPage: message.picturesPerPage ? parseInt(message.picturesPerPage, 10) : undefined,
            // The host writes it in the coach's locale; this engine has
            // only its own fixed English form.
            date: message.date || new Date().toString(),
            waitForLogo: function (callback) { shell.reportLogo.whenSettled(callback); }
        }, {
            progress: function (percent) {
                shell.sendMessage({ msgType: 'updatePdfProgress', progressPercent: percent });
            },
            // What the report's font could not print is the host's to tell.
            finished: function (dataUrl, leftOut) {
                shell.sendMessage({ msgType: 'writePdfData', pdfData: dataUrl, leftOut: leftOut.join('') });
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
    function onExportVideoResponse(shell, steps, message) {
        var width = parseInt(message.frameWidth, 10);
        var rate = parseInt(message.frameRate, 10);
        shell.videoPictures.start(width > 0 ? width : VIDEO_WIDTH, rate > 0 ? rate : VIDEO_FPS, message,
            { runningLines: steps.runningLinesShown(), grid: steps.gridShown() });
    }

    function onBreakVideoExport(shell, steps) {
        shell.videoPictures.stop();
    }

    function onVideoFrameWritten(shell, steps, message) {
        shell.videoPictures.pictureTaken(message);
    }

    // The drill as it stands and the pictures it shows, for the host to
    // write the web page of ("writePageData").
    function onExportPageResponse(shell, steps, message) {
        var text = shell.animation.saveToString();
        shell.imageGenerator.picturesOf(text, function (names, refusal) {
            shell.sendMessage(refusal ? { msgType: 'writePageData', errorInfo: refusal } :
                { msgType: 'writePageData', drillText: text, pictureNames: names.join('\n') });
        });
    }

    // The coach cancelled the report: no more of it is drawn.
    function onBreakPdfExport(shell, steps) {
        shell.pdfReport.cancel();
    }

    // One frame of the animation on display as a picture of the given width
    // (the command line's picture export): frameNumber counts from 1, "0"
    // meaning the selected frame. The answer is always "writePictureData",
    // with the picture or with the reason there is none.
    function onExportPictureResponse(shell, steps, message) {
        var animation = shell.animation;
        var frames = animation.frameManager.nFrames;
        var frame = parseInt(message.frameNumber, 10);
        var width = parseInt(message.frameWidth, 10);
        if (frame === 0) {
            frame = animation.frameManager.selectedFrame + 1;
        }
        if (!(frame >= 1 && frame <= frames)) {
            shell.sendMessage({ msgType: 'writePictureData', errorInfo: 'there is no frame ' + message.frameNumber +
                ' in this drill, which has ' + frames + (frames === 1 ? ' frame.' : ' frames.') });
            return;
        }
        if (!(width > 0)) {
            shell.sendMessage({ msgType: 'writePictureData', errorInfo: 'no picture is ' + message.frameWidth +
                ' pixels wide.' });
            return;
        }
        steps.sendFramePicture('writePictureData', frame - 1, width, function () {
            return { frameWidth: width, frameHeight: width / animation.aspectRatio, frameNumber: frame };
        });
    }

    window.HostExportMessages = [
        { msgType: 'exportPdfResponse', handle: onExportPdfResponse },
        { msgType: 'exportVideoResponse', handle: onExportVideoResponse },
        { msgType: 'breakVideoExport', handle: onBreakVideoExport },
        { msgType: 'videoFrameWritten', handle: onVideoFrameWritten },
        { msgType: 'breakPdfExport', handle: onBreakPdfExport },
        { msgType: 'exportPictureResponse', handle: onExportPictureResponse },
        { msgType: 'exportPageResponse', handle: onExportPageResponse }
    ];
}(window));
