// Mended: JavaScriptCore's optimising JIT in this QtWebKit miscompiles Kinetic.Text's height
// getter once hot (undefined after about 4000 calls), throwing captions, frame numbers and
// labels to NaN positions. The program switches that tier off; this catches it going missing.
test('a text keeps its height however often it is asked', function () {
    var text = new Kinetic.Text({ text: '1', fontSize: 16 });
    for (var i = 0; i < 50000; i++) {
        var h = text.getHeight();
        if (typeof h !== 'number' || h !== h) {
            assert.ok(false, 'height was ' + h + ' after ' + i + ' calls');
        }
    }
    assert.equal(new Kinetic.Text({ text: '2', fontSize: 16 }).height(), 16);
});
