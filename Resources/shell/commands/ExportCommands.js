// The page events of the exports: a video, an animated GIF and a PDF report
// (asked of the host) and a snapshot of the selected frame for the clipboard.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    var SNAPSHOT_WIDTH = 1024;

    // While an export is being drawn (the coach pressed again before the
    // page heard of a cancel) the press is dropped rather than starting a
    // second export over the first. A cancelled export is over at once: the
    // picture it may still have in the generator delays the next export's
    // first by that picture only.
    function onExportVideo(shell, steps) {
        if (shell.videoPictures.drawing || shell.pdfReport.isBusy()) {
            return;
        }
        shell.sendMessage({ msgType: 'exportVideo' });
    }

    // An animated GIF is drawn as the video is ("exportVideoResponse").
    function onExportGif(shell, steps) {
        if (shell.videoPictures.drawing || shell.pdfReport.isBusy()) {
            return;
        }
        shell.sendMessage({ msgType: 'exportGif' });
    }

    // The host asks for the file, then for the drill and its pictures
    // ("exportPageResponse").
    function onExportPage(shell, steps) {
        if (shell.videoPictures.drawing || shell.pdfReport.isBusy()) {
            return;
        }
        shell.sendMessage({ msgType: 'exportPage' });
    }

    function onExportPdf(shell, steps) {
        if (shell.videoPictures.drawing || shell.pdfReport.isBusy()) {
            return;
        }
        shell.sendMessage({ msgType: 'exportPdf' });
    }

    // The selected frame as the editor shows it, for the clipboard. The
    // picture comes later; what is copied is the animation as it stood when
    // the button was pressed. The frame's number (from 1) names the picture
    // file the coach may save it to.
    function onTakeSnapshot(shell, steps) {
        var animation = shell.animation;
        var height = SNAPSHOT_WIDTH / animation.aspectRatio;
        var frame = animation.frameManager.selectedFrame;
        steps.sendFramePicture('snapshotImage', frame, SNAPSHOT_WIDTH, function () {
            return { frameWidth: SNAPSHOT_WIDTH, frameHeight: height, frameNumber: frame + 1 };
        });
    }

    window.ExportCommands = [
        { name: 'exportVideo', handle: onExportVideo },
        { name: 'exportGif', handle: onExportGif },
        { name: 'exportPdf', handle: onExportPdf },
        { name: 'exportPage', handle: onExportPage },
        { name: 'takeSnapshot', handle: onTakeSnapshot }
    ];
}(window));
