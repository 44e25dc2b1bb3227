// How long each step of a drill takes: a drill of n frames has n - 1 steps,
// step i moving from frame i to frame i + 1, and `durations` holds one
// number of milliseconds per step, in step order. A step the coach has not
// timed lasts a second. Playback, the video and the frame pictures read the
// moment of a frame and the frame at a moment from here alone, so all of
// them keep to the same clock.
(function (window) {
    'use strict';

    var STEP_MS = 1000;
    var MIN_MS = 500;
    var MAX_MS = 5000;
    // The holds the timeline offers, shortest first.
    var CHOICES = [500, 1000, 1500, 2000, 3000, 5000];

    function isStepDuration(value) {
        return typeof value === 'number' && isFinite(value) && value >= MIN_MS && value <= MAX_MS;
    }

    // Steps of a second each.
    function defaults(nSteps) {
        var durations = [];
        for (var i = 0; i < nSteps; i++) {
            durations.push(STEP_MS);
        }
        return durations;
    }

    function isDefault(durations) {
        return durations.every(function (ms) { return ms === STEP_MS; });
    }

    // Why `value`, the member read from a file of `nFrames` frames, cannot
    // be loaded; '' when it can.
    function durationsProblem(value, nFrames) {
        if (!Array.isArray(value) || value.length !== nFrames - 1) {
            return 'Member "frameDurations" must be an array of ' + (nFrames - 1) + ' numbers, one for each step ' +
                'from frame to frame';
        }
        for (var i = 0; i < value.length; i++) {
            if (!isStepDuration(value[i])) {
                return 'Step ' + (i + 1) + ' in "frameDurations" must be a number of milliseconds from ' +
                    MIN_MS + ' to ' + MAX_MS;
            }
        }
        return '';
    }

    // The moment frame `n` is reached, counted from frame 0.
    function startOf(durations, n) {
        var at = 0;
        for (var i = 0; i < n && i < durations.length; i++) {
            at += durations[i];
        }
        return at;
    }

    function total(durations) {
        return startOf(durations, durations.length);
    }

    // Where the drill stands at `time` ms after frame 0: the step's first
    // frame and how far through the step it is (0 up to 1). At or past the
    // end it is the last frame, fraction 0, with `ended` set.
    function stepAt(durations, time) {
        var at = 0;
        for (var i = 0; i < durations.length; i++) {
            if (time < at + durations[i]) {
                return { frame: i, fraction: (time - at) / durations[i], ended: false };
            }
            at += durations[i];
        }
        return { frame: durations.length, fraction: 0, ended: true };
    }

    // The moments of a video's pictures at `fps` pictures a second: each
    // step gets its duration's share of pictures, at least one, spread
    // evenly over it, and the last picture is the last frame.
    function pictureTimes(durations, fps) {
        var times = [];
        var at = 0;
        durations.forEach(function (ms) {
            var pictures = Math.max(1, Math.round(ms / STEP_MS * fps));
            for (var j = 0; j < pictures; j++) {
                // Multiplied first, so that the step's first picture is its frame exactly.
                times.push(at + j * ms / pictures);
            }
            at += ms;
        });
        times.push(at);
        return times;
    }

    // The next hold in CHOICES after `ms`, round to the shortest.
    function nextChoice(ms) {
        for (var i = 0; i < CHOICES.length; i++) {
            if (CHOICES[i] > ms) {
                return CHOICES[i];
            }
        }
        return CHOICES[0];
    }

    // "1 s", "0.5 s", "1.5 s".
    function label(ms) {
        return String(Math.round(ms / 100) / 10) + ' s';
    }

    window.FrameTiming = {
        STEP_MS: STEP_MS,
        MIN_MS: MIN_MS,
        MAX_MS: MAX_MS,
        defaults: defaults,
        isDefault: isDefault,
        durationsProblem: durationsProblem,
        startOf: startOf,
        total: total,
        stepAt: stepAt,
        pictureTimes: pictureTimes,
        nextChoice: nextChoice,
        label: label
    };
}(window));
