// test(name, fn[, timeoutMs]): an fn with an argument gets `done`, called once (with an error or nothing);
// done.step(fn) makes a callback's exception fail the test; done.cleanup(fn) runs however it ends.
(function (window) {
    'use strict';

    var host = window.pageTestHost;
    var tests = [];

    function test(name, fn, timeoutMs) {
        tests.push({ name: String(name), fn: fn, timeoutMs: timeoutMs || 5000 });
    }

    function show(value) {
        try { return JSON.stringify(value) === undefined ? String(value) : JSON.stringify(value); } catch (e) { return String(value); }
    }

    // `text` is built only on failure: asserts run in long loops.
    function check(ok, message, text) {
        if (ok) { return; }
        var error = new Error((message ? message + ': ' : '') + text());
        error.name = 'AssertionError';
        throw error;
    }

    function same(a, b) {
        return a === b || (typeof a === 'object' && typeof b === 'object' && a !== null && b !== null &&
            Array.isArray(a) === Array.isArray(b) && Object.keys(a).length === Object.keys(b).length &&
            Object.keys(a).every(function (key) { return b.hasOwnProperty(key) && same(a[key], b[key]); }));
    }

    var assert = {
        ok: function (value, message) {
            check(value, message, function () { return 'expected a true value, got ' + show(value); });
        },
        equal: function (actual, expected, message) {
            check(actual === expected, message, function () { return 'expected ' + show(expected) + ', got ' + show(actual); });
        },
        notEqual: function (actual, unexpected, message) {
            check(actual !== unexpected, message, function () { return 'expected anything but ' + show(unexpected); });
        },
        close: function (actual, expected, tolerance, message) {
            var tol = tolerance === undefined ? 1e-9 : tolerance;
            check(typeof actual === 'number' && Math.abs(actual - expected) <= tol, message, function () {
                return 'expected ' + expected + ' (within ' + tol + '), got ' + show(actual);
            });
        },
        deepEqual: function (actual, expected, message) {
            check(same(actual, expected), message, function () { return 'expected ' + show(expected) + ', got ' + show(actual); });
        },
        throws: function (fn, pattern, message) {
            var text = null;
            try { fn(); } catch (e) { text = String(e && e.message); }
            check(text !== null, message, function () { return 'expected an exception'; });
            check(!pattern || pattern.test(text), message, function () { return 'threw ' + show(text) + ', not matching ' + pattern; });
        }
    };

    // The error's text and the first place in the stack outside this file.
    function describe(error) {
        if (!(error instanceof Error)) { return String(error); }
        var text = error.name === 'AssertionError' ? error.message : error.name + ': ' + error.message;
        var frames = String(error.stack || '').split('\n');
        for (var i = 0; i < frames.length; i++) {
            var match = /([^@\/\s]+\.js):(\d+)(?::\d+)?$/.exec(frames[i]);
            if (match && match[1] !== 'harness.js') { return text + ' (' + match[1] + ':' + match[2] + ')'; }
        }
        return text;
    }

    function runOne(entry, next) {
        var finished = false;
        var timer = null;
        var cleanups = [];

        function finish(error) {
            if (finished) { return; }
            finished = true;
            window.clearTimeout(timer);
            while (cleanups.length > 0) {
                try { cleanups.pop()(); } catch (e) { error = error || e; }
            }
            host.testFinished(entry.name, !error, error ? describe(error) : '');
            window.setTimeout(next, 0);
        }

        function done(error) { finish(error || null); }
        done.step = function (fn) {
            return function () {
                try { return finished ? undefined : fn.apply(this, arguments); } catch (e) { finish(e); }
            };
        };
        done.cleanup = function (fn) { cleanups.push(fn); };

        host.testStarted(entry.name);
        try {
            if (entry.fn.length > 0) {
                timer = window.setTimeout(function () { finish(new Error('timed out after ' + entry.timeoutMs + ' ms')); },
                    entry.timeoutMs);
                entry.fn(done);
            } else {
                entry.fn();
                finish(null);
            }
        } catch (e) { finish(e); }
    }

    function run() {
        var index = 0;
        (function next() {
            return index < tests.length ? runOne(tests[index++], next) : host.allFinished(tests.length);
        }());
    }

    // Runs `then` as a step of the test once `predicate` holds, within `timeoutMs`.
    function waitFor(description, predicate, done, then, timeoutMs) {
        var deadline = Date.now() + (timeoutMs || 3000);
        var poll = done.step(function () {
            if (predicate()) { return then(); }
            if (Date.now() > deadline) { return done(new Error('timed out waiting for ' + description)); }
            window.setTimeout(poll, 10);
        });
        poll();
    }

    // A DOM mouse event at stage point (x, y), with the keys named in `mods` ('ctrl', 'shift',
    // 'alt', 'meta') held, of the right button for 'right': Kinetic finds the shape through its hit graph.
    function pointerEvent(stage, type, x, y, mods) {
        var box = stage.getContent().getBoundingClientRect();
        var held = function (key) { return (mods || '').split(' ').indexOf(key) !== -1; };
        var evt = document.createEvent('MouseEvents');
        evt.initMouseEvent(type, true, true, window, type === 'dblclick' ? 2 : 1, 0, 0, box.left + x, box.top + y,
            held('ctrl'), held('alt'), held('shift'), held('meta'), held('right') ? 2 : 0, null);
        stage.getContent().dispatchEvent(evt);
    }

    function clickAt(stage, x, y, mods) {
        ['mousemove', 'mousedown', 'mouseup'].forEach(function (type) { pointerEvent(stage, type, x, y, mods); });
    }

    // Two clicks and the engine's double-click after them.
    function doubleClickAt(stage, x, y, mods) {
        clickAt(stage, x, y, mods);
        clickAt(stage, x, y, mods);
        pointerEvent(stage, 'dblclick', x, y, mods);
    }

    // The page events among `eventNames` that `body` raised, as [name, detail] pairs.
    function eventsRaisedDuring(eventNames, body) {
        var raised = [];
        var listeners = eventNames.map(function (name) {
            var listener = function (evt) { raised.push([name, evt.detail]); };
            document.addEventListener(name, listener, false);
            return listener;
        });
        try { body(); } finally {
            eventNames.forEach(function (name, i) { document.removeEventListener(name, listeners[i], false); });
        }
        return raised;
    }

    // Pressing `control` at `at` makes `circle` opaque; releasing, leaving while
    // pressed, and a touch's end bring it back to 0.7.
    function assertPressFeedback(stage, control, circle, at) {
        var away = { x: 5, y: 5 };
        [['mousemove', at], ['mousedown', at, 1, 'pressed'], ['mouseup', at, 0.7, 'released'], ['mousedown', at],
            ['mousemove', away, 0.7, 'left while pressed'], ['mouseup', away], ['touchstart', null, 1, 'touched'],
            ['touchend', null, 0.7, 'touch ended']].forEach(function (step) {
            if (step[1]) { pointerEvent(stage, step[0], step[1].x, step[1].y); } else { control.fire(step[0]); }
            if (step[2]) { assert.equal(circle.opacity(), step[2], step[3]); }
        });
    }

    [test, waitFor, pointerEvent, clickAt, doubleClickAt, eventsRaisedDuring, assertPressFeedback].forEach(function (fn) {
        window[fn.name] = fn;
    });
    window.assert = assert;
    window.pageTestHarness = { run: run };
}(window));
