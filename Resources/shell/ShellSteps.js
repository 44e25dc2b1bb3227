// The steps the page's handlers share (shell/commands/*.js, the host
// messages): what the toolbar's toggles show, the timeline kept in step
// with the frames, the sport followed, the selection, a drill allowed to
// grow, a frame's picture sent to the host. Made once by app.js over the
// page-wide record, and handed to every handler with it; `rows` binds a
// command table's handlers to the two.
(function (window) {
    'use strict';

    function ShellSteps(shell) {
        this.shell = shell;
    }

    // A table's rows as the undo recorder runs them: each handler,
    // `handle(shell, steps, argument)`, becomes `handle(argument)`; every
    // other member (the name or msgType, `edits`, `selects`) is kept as it is.
    ShellSteps.prototype.rows = function (table) {
        var shell = this.shell;
        var steps = this;
        return table.map(function (row) {
            var bound = {};
            Object.keys(row).forEach(function (key) {
                bound[key] = row[key];
            });
            bound.handle = function (argument) {
                row.handle(shell, steps, argument);
            };
            return bound;
        });
    };

    ShellSteps.prototype.textMessage = window.UndoRecorder.textMessage;

    ShellSteps.prototype.redrawAnimationLayer = function () {
        var shell = this.shell;
        shell.animation.animLayer.batchDraw();
    };

    ShellSteps.prototype.gridShown = function () {
        var shell = this.shell;
        return shell.animation.bgLayer.gridVisibility();
    };

    ShellSteps.prototype.runningLinesShown = function () {
        var shell = this.shell;
        return shell.animation.animLayer.showRunningLines;
    };

    ShellSteps.prototype.logoShown = function () {
        var shell = this.shell;
        return shell.animation.bgLayer.doShowLogo;
    };

    // One frame of the drill as it stands now, drawn by the image generator
    // `width` pixels wide as the editor shows it (grid and running lines as
    // on screen), on grass; sent as `msgType` with the picture and the
    // members `fields()` gives once it is drawn, or with the reason there is
    // none. The editor stays usable meanwhile.
    ShellSteps.prototype.sendFramePicture = function (msgType, frame, width, fields) {
        var shell = this.shell;
        var generator = shell.imageGenerator;
        generator.loadAnimation(shell.animation.saveToString());
        generator.configureAnimation(width, false, this.runningLinesShown(), this.gridShown());
        generator.getFrameImage(frame, function (dataUrl, refusal) {
            var message = { msgType: msgType };
            if (!dataUrl) {
                message.errorInfo = refusal;
            } else {
                var members = fields();
                Object.keys(members).forEach(function (key) {
                    message[key] = members[key];
                });
                message.imageData = dataUrl;
            }
            shell.sendMessage(message);
        });
    };

    ShellSteps.prototype.refreshToolbarToggles = function () {
        var shell = this.shell;
        shell.toolbar.setToggleGrid(this.gridShown());
        shell.toolbar.setToggleRunningLines(this.runningLinesShown());
        shell.toolbar.setToggleLogo(this.logoShown());
    };

    ShellSteps.prototype.updateTimelineFrameSettings = function () {
        var shell = this.shell;
        var frames = shell.animation.frameManager;
        shell.timeline.updateFrameSettings(frames.nFrames, frames.selectedFrame,
            frames.frameDurations[Math.min(frames.selectedFrame, frames.nFrames - 2)], frames.frameDurations);
    };

    // The pitch of `sport` in the view on show, or its full field when the
    // sport does not offer that view; the palette follows.
    ShellSteps.prototype.switchSport = function (sport) {
        var shell = this.shell;
        var bg = shell.animation.bgLayer;
        var view = bg.bgTypes[sport].indexOf(bg.bgType) !== -1 ? bg.bgType : bg.bgTypes[sport][0];
        bg.setBackground(sport, view, bg.showStripes, bg.markings);
        shell.animation.sport = sport;
        this.followAnimationSport();
    };

    // The palette and the page's sport follow the animation's, and the host
    // remembers it for the next start.
    ShellSteps.prototype.followAnimationSport = function () {
        var shell = this.shell;
        var sport = shell.animation.sport;
        if (shell.itemPicker.sport !== sport) {
            shell.itemPicker.setSport(sport);
        }
        if (shell.sport !== sport) {
            shell.sport = sport;
            shell.sendMessage({ msgType: 'sportChanged', sport: sport });
        }
    };

    // A drill may grow only as far as a file can hold it: the coach is told
    // why nothing was added. True when it may grow.
    ShellSteps.prototype.mayGrow = function (items, frames) {
        var shell = this.shell;
        var problem = shell.animation.growthProblem(items, frames);
        if (problem) {
            shell.sendMessage({ msgType: 'drillLimitReached', errorInfo: problem });
        }
        return !problem;
    };

    ShellSteps.prototype.selectedGroups = function () {
        var shell = this.shell;
        return shell.animation.animLayer.itemGroups().filter(function (group) {
            return group.isSelected;
        });
    };

    ShellSteps.prototype.setSelected = function (groups, selected) {
        groups.forEach(function (group) {
            group.selectFunc(selected);
        });
        this.redrawAnimationLayer();
    };

    // Only the items, frames and captions go; the pitch and its settings
    // stay, and so does the sport the pitch is drawn for. Putting the page's
    // own sport back here would leave, say, an opened soccer pitch on screen
    // that the next save names a Gaelic one, and reopens as such.
    ShellSteps.prototype.clearAnimation = function () {
        var shell = this.shell;
        shell.animation.playbackManager.stop();
        shell.animation.frameManager.clearAnimation();
        shell.animation.bgLayer.batchDraw();
        this.redrawAnimationLayer();
        this.updateTimelineFrameSettings();
        shell.recorder.startHistory();
    };

    window.ShellSteps = ShellSteps;
}(window));
