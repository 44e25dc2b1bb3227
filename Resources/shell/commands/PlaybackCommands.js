// The page events of playback: play, stop, pause, speed, loop, the scrub of
// the timeline and the ticks that draw it.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    function showPlaybackSettings(shell) {
        var playback = shell.animation.playbackManager;
        shell.playbackControls.show(playback.speed, playback.loop);
    }

    function onPlay(shell, steps) {
        shell.recorder.recordChange();
        shell.animation.drawingEditor.deselect();
        shell.keyboard.setPlaying(true);
        shell.timeline.playbackStarted();
        shell.playbackControls.showPlaying(true);
        shell.animation.playbackManager.startPlayback();
    }

    function onStop(shell, steps) {
        shell.animation.playbackManager.stop();
    }

    // Pausing, speed and loop are how the drill is watched: no step, no
    // message.
    function onTogglePause(shell, steps) {
        var playback = shell.animation.playbackManager;
        playback.togglePause();
        shell.timeline.playbackPaused(playback.isPaused);
    }

    // A step holds the moment it lands on, paused; from a stopped drill a
    // fine step starts playback paused there (a whole frame's step is the
    // frame's selection, raised by the button itself).
    function onStepFrame(shell, steps, detail) {
        var playback = shell.animation.playbackManager;
        if (!playback.isPlaying && !detail.fine) {
            return;
        }
        var t = playback.isPlaying ? playback.playhead :
            playback.timeOfFrame(shell.animation.frameManager.selectedFrame);
        var target = playback.stepTarget(t, detail.direction < 0 ? -1 : 1, !!detail.fine);
        if (!playback.isPlaying) {
            onPlay(shell, steps);
        }
        playback.pause();
        shell.timeline.playbackPaused(true);
        playback.showTime(target);
    }

    function onSetPlaybackSpeed(shell, steps, detail) {
        shell.animation.playbackManager.setSpeed(detail.speed);
        showPlaybackSettings(shell);
    }

    function onToggleLoop(shell, steps) {
        var playback = shell.animation.playbackManager;
        playback.setLoop(!playback.loop);
        showPlaybackSettings(shell);
    }

    // A change the display still holds is recorded first, as before
    // playback: the scrub saves the display on its way in.
    function onScrubTimeline(shell, steps, detail) {
        var playback = shell.animation.playbackManager;
        if (!playback.isScrubbing && !playback.isPlaying) {
            shell.recorder.recordChange();
            shell.animation.drawingEditor.deselect();
        }
        playback.scrubTo(detail.position);
    }

    function onScrubEnded(shell, steps) {
        shell.animation.playbackManager.endScrub();
        steps.redrawAnimationLayer();
    }

    function onPlaybackEnded(shell, steps) {
        shell.keyboard.setPlaying(false);
        shell.playbackControls.showPlaying(false);
        shell.timeline.playbackStopped();
        steps.updateTimelineFrameSettings();
    }

    function onUpdateTimelineProgress(shell, steps, detail) {
        shell.timeline.updatePlaybackIndicator(detail.time);
    }

    function onDrawFrame(shell, steps, detail) {
        shell.animation.playbackManager.drawFrame(detail.time);
    }

    window.PlaybackCommands = [
        { name: 'play', handle: onPlay },
        { name: 'stop', handle: onStop },
        { name: 'togglePause', handle: onTogglePause },
        { name: 'stepFrame', handle: onStepFrame },
        { name: 'setPlaybackSpeed', handle: onSetPlaybackSpeed },
        { name: 'toggleLoop', handle: onToggleLoop },
        { name: 'scrubTimeline', handle: onScrubTimeline },
        { name: 'scrubEnded', handle: onScrubEnded },
        { name: 'playbackEnded', handle: onPlaybackEnded },
        { name: 'updateTimelineProgress', handle: onUpdateTimelineProgress },
        { name: 'drawFrame', handle: onDrawFrame }
    ];
}(window));
