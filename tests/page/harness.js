// A small test harness, injected by the runner into the loaded editor page
// before a test file. A test file calls test(name, fn) for each test; the
// runner then calls pageTestHarness.run(), which runs the tests one after
// another and reports each to the runner's `pageTestHost`.
//
// A test whose function takes an argument is asynchronous: it gets `done`,
// to be called once (with an error, or nothing) when the test is over.
// `done.step(fn)` wraps a callback so that an exception thrown in it fails
// the test instead of escaping into the page; `done.cleanup(fn)` registers
// a function to run when the test ends, however it ends. waitFor() polls a condition;
// pointerEvent() and clickAt() play the pointer on a Kinetic stage.
(function (window) {
    'use strict';

    var DEFAULT_TIMEOUT_MS = 5000;
    var WAIT_FOR_TIMEOUT_MS = 3000;
    var POLL_INTERVAL_MS = 10;
    var HARNESS_FILE = 'harness.js';

    var host = window.pageTestHost;
    var tests = [];

    function test(name, fn, timeoutMs) {
        if (typeof name !== 'string' || typeof fn !== 'function') {
            throw new Error('test(name, fn): a name and a function are needed');
        }
        tests.push({ name: name, fn: fn, timeoutMs: timeoutMs || DEFAULT_TIMEOUT_MS });
    }

    // ---- Assertions -----------------------------------------------------

    function show(value) {
        if (typeof value === 'string') {
            return JSON.stringify(value);
        }
        if (typeof value === 'function') {
            return 'a function';
        }
        try {
            var text = JSON.stringify(value);
            return text === undefined ? String(value) : text;
        } catch (e) {
            return String(value);
        }
    }

    function fail(message) {
        var error = new Error(message);
        error.name = 'AssertionError';
        throw error;
    }

    function withContext(message, text) {
        return message ? message + ': ' + text : text;
    }

    function deepEqual(a, b) {
        if (a === b) {
            return true;
        }
        if (typeof a !== 'object' || typeof b !== 'object' || a === null || b === null) {
            return false;
        }
        if (Array.isArray(a) !== Array.isArray(b)) {
            return false;
        }
        var keysA = Object.keys(a);
        var keysB = Object.keys(b);
        if (keysA.length !== keysB.length) {
            return false;
        }
        for (var i = 0; i < keysA.length; i++) {
            if (!b.hasOwnProperty(keysA[i]) || !deepEqual(a[keysA[i]], b[keysA[i]])) {
                return false;
            }
        }
        return true;
    }

    var assert = {
        ok: function (value, message) {
            if (!value) {
                fail(withContext(message, 'expected a true value, got ' + show(value)));
            }
        },
        equal: function (actual, expected, message) {
            if (actual !== expected) {
                fail(withContext(message, 'expected ' + show(expected) + ', got ' + show(actual)));
            }
        },
        notEqual: function (actual, unexpected, message) {
            if (actual === unexpected) {
                fail(withContext(message, 'expected anything but ' + show(unexpected)));
            }
        },
        // Numbers equal within `tolerance` (1e-9 when not given).
        close: function (actual, expected, tolerance, message) {
            var tol = (tolerance === undefined) ? 1e-9 : tolerance;
            if (typeof actual !== 'number' || isNaN(actual) || Math.abs(actual - expected) > tol) {
                fail(withContext(message, 'expected ' + expected + ' (within ' + tol + '), got ' +
                    show(actual)));
            }
        },
        deepEqual: function (actual, expected, message) {
            if (!deepEqual(actual, expected)) {
                fail(withContext(message, 'expected ' + show(expected) + ', got ' + show(actual)));
            }
        },
        // `fn` must throw; when `pattern` is given, the error's message must
        // match it.
        throws: function (fn, pattern, message) {
            try {
                fn();
            } catch (e) {
                if (pattern && !pattern.test(String(e && e.message))) {
                    fail(withContext(message, 'threw ' + show(String(e && e.message)) +
                        ', which does not match ' + pattern));
                }
                return;
            }
            fail(withContext(message, 'expected an exception'));
        }
    };

    // ---- Reporting --------------------------------------------------------

    // Where in the test file an error came from: the first stack frame that
    // is not the harness's own.
    function location(error) {
        var frames = String(error.stack || '').split('\n');
        for (var i = 0; i < frames.length; i++) {
            var match = /([^@\/\s]+\.js):(\d+)(?::\d+)?$/.exec(frames[i]);
            if (match && match[1] !== HARNESS_FILE) {
                return match[1] + ':' + match[2];
            }
        }
        if (error.sourceURL && error.line) {
            return String(error.sourceURL).replace(/^.*\//, '') + ':' + error.line;
        }
        return '';
    }

    function describe(error) {
        if (!(error instanceof Error)) {
            return String(error);
        }
        var where = location(error);
        var text = (error.name === 'AssertionError') ? error.message : error.name + ': ' + error.message;
        return where ? text + ' (' + where + ')' : text;
    }

    // ---- Running ----------------------------------------------------------

    function runOne(entry, next) {
        var finished = false;
        var timer = null;

        var cleanups = [];

        function finish(error) {
            if (finished) {
                return;
            }
            finished = true;
            if (timer !== null) {
                window.clearTimeout(timer);
            }
            while (cleanups.length > 0) {
                try {
                    cleanups.pop()();
                } catch (e) {
                    error = error || e;
                }
            }
            host.testFinished(entry.name, !error, error ? describe(error) : '');
            window.setTimeout(next, 0);
        }

        function done(error) {
            finish(error || null);
        }
        done.step = function (fn) {
            return function () {
                if (finished) {
                    return undefined;
                }
                try {
                    return fn.apply(this, arguments);
                } catch (e) {
                    finish(e);
                    return undefined;
                }
            };
        };

        // Runs `fn` when the test ends, passed, failed or timed out.
        done.cleanup = function (fn) {
            cleanups.push(fn);
        };

        host.testStarted(entry.name);
        try {
            if (entry.fn.length > 0) {
                timer = window.setTimeout(function () {
                    finish(new Error('timed out after ' + entry.timeoutMs + ' ms'));
                }, entry.timeoutMs);
                entry.fn(done);
            } else {
                entry.fn();
                finish(null);
            }
        } catch (e) {
            finish(e);
        }
    }

    function run() {
        var index = 0;
        function next() {
            if (index >= tests.length) {
                host.allFinished(tests.length);
                return;
            }
            runOne(tests[index++], next);
        }
        next();
    }

    // Polls `predicate` until it holds, then runs `then` (as a step of the
    // test); fails the test through `done` when it does not hold in time.
    function waitFor(description, predicate, done, then, timeoutMs) {
        var deadline = Date.now() + (timeoutMs || WAIT_FOR_TIMEOUT_MS);
        var poll = done.step(function () {
            if (predicate()) {
                then();
            } else if (Date.now() > deadline) {
                done(new Error('timed out waiting for ' + description));
            } else {
                window.setTimeout(poll, POLL_INTERVAL_MS);
            }
        });
        poll();
    }

    // Sends a DOM mouse event of `type` ('mousemove', 'mousedown', 'mouseup')
    // to `stage` at the stage point (x, y), as a real pointer would: Kinetic
    // then finds the shape under it through its hit graph.
    function pointerEvent(stage, type, x, y) {
        var box = stage.getContent().getBoundingClientRect();
        var evt = document.createEvent('MouseEvents');
        evt.initMouseEvent(type, true, true, window, 1, 0, 0,
            box.left + x, box.top + y, false, false, false, false, 0, null);
        stage.getContent().dispatchEvent(evt);
    }

    // A press and release at (x, y): Kinetic turns it into a click on the
    // shape there.
    function clickAt(stage, x, y) {
        pointerEvent(stage, 'mousemove', x, y);
        pointerEvent(stage, 'mousedown', x, y);
        pointerEvent(stage, 'mouseup', x, y);
    }

    // Runs `body` and returns the page events among `eventNames` that it
    // raised, in order, as [name, detail] pairs.
    function eventsRaisedDuring(eventNames, body) {
        var raised = [];
        var listeners = eventNames.map(function (name) {
            var listener = function (evt) { raised.push([name, evt.detail]); };
            document.addEventListener(name, listener, false);
            return listener;
        });
        try {
            body();
        } finally {
            eventNames.forEach(function (name, i) {
                document.removeEventListener(name, listeners[i], false);
            });
        }
        return raised;
    }

    // The feedback every item control gives, driven with real pointer events
    // on `stage`: pressing `control` at `at` makes `circle` opaque; releasing,
    // leaving while pressed, and a touch's end bring it back to 0.7.
    function assertPressFeedback(stage, control, circle, at) {
        pointerEvent(stage, 'mousemove', at.x, at.y);
        pointerEvent(stage, 'mousedown', at.x, at.y);
        assert.equal(circle.opacity(), 1, 'pressed');
        pointerEvent(stage, 'mouseup', at.x, at.y);
        assert.equal(circle.opacity(), 0.7, 'released');
        pointerEvent(stage, 'mousedown', at.x, at.y);
        pointerEvent(stage, 'mousemove', 5, 5);
        assert.equal(circle.opacity(), 0.7, 'left while pressed');
        pointerEvent(stage, 'mouseup', 5, 5);
        control.fire('touchstart');
        assert.equal(circle.opacity(), 1, 'touched');
        control.fire('touchend');
        assert.equal(circle.opacity(), 0.7, 'touch ended');
    }

    window.test = test;
    window.assertPressFeedback = assertPressFeedback;
    window.eventsRaisedDuring = eventsRaisedDuring;
    window.pointerEvent = pointerEvent;
    window.clickAt = clickAt;
    window.assert = assert;
    window.waitFor = waitFor;
    window.pageTestHarness = { run: run };
}(window));
