// The runner's own check (CTest page_runnerConsoleLevels): what the page's console says fails a test when the
// engine reports it as an error, an uncaught exception included, and not when it is advice or a note. The first
// test passes and the other two fail, each by its own message; the test of this file expects exactly that.
function afterFrames(count, done, then) {
    window.requestAnimationFrame(done.step(function () {
        return count > 1 ? afterFrames(count - 1, done, then) : then();
    }));
}

test('advice and notes on the console pass', function (done) {
    console.warn('Canvas2D: Multiple readback operations using getImageData are faster with the ' +
        'willReadFrequently attribute set to true. See: the engine\'s pages');
    console.warn('a warning of the page');
    console.log('a note of the page');
    afterFrames(5, done, function () { done(); });
});

test('an error on the console fails', function (done) {
    console.error('an error of the page');
    afterFrames(5, done, function () { done(); });
});

test('an uncaught exception fails', function (done) {
    window.setTimeout(function () { throw new Error('thrown outside the test'); }, 0);
    afterFrames(5, done, function () { done(); });
});
