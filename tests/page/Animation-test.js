// The pitch view (Animation.js): its stage and layers, turning the pitch,
// adding items, rubber-band selection with the pointer, the switches, and
// the page shell's handlers that drive the editor's own animation. Most
// tests use an animation of their own in a 1000 x 600 space, whose pitch is
// 800 x 600 standing at stage x = 100 (so layer x = stage x - 100).

var container = document.createElement('div');
container.id = 'animationTestStage';
document.body.appendChild(container);

var OFFSET_X = 100;

function withAnimation(body) {
    var animation = new Animation(1000, 600, 'animationTestStage');
    try {
        body(animation, animation.animLayer);
    } finally {
        animation.stage.destroy();
    }
}

// A cone of scale 0.64 on this pitch is drawn exactly 99 x 128 pixels.
var CONE_SCALE = 0.64;

function place(animation, type, x, y, rotation, scale) {
    var layer = animation.animLayer;
    var group = createFieldItemGroup(x, y, rotation || 0, scale || 'default', type, 'default', 'default',
        animation.frameManager.generateUniqueId(), '', '', layer.layerScale, layer.rotation());
    layer.add(group);
    return group;
}

function selectedIds(layer) {
    return layer.itemGroups().filter(function (g) { return g.isSelected; }).map(function (g) {
        return g.getAttr('id');
    });
}

function controlsShown(group) {
    return group.find('.scaleControl').toArray().every(function (c) { return c.visible(); });
}

// A press at layer point `from`, a move to `to` and a release there, with
// the pointer as the stage sees it.
function dragOut(animation, from, to, beforeRelease) {
    animation.stage.draw();
    pointerEvent(animation.stage, 'mousemove', from.x + OFFSET_X, from.y);
    pointerEvent(animation.stage, 'mousedown', from.x + OFFSET_X, from.y);
    pointerEvent(animation.stage, 'mousemove', to.x + OFFSET_X, to.y);
    if (beforeRelease) {
        beforeRelease();
    }
    pointerEvent(animation.stage, 'mouseup', to.x + OFFSET_X, to.y);
}

// ---- Structure ------------------------------------------------------------

test('an animation has a stage in its container holding the white, pitch and item layers in that order', function () {
    withAnimation(function (animation, layer) {
        assert.equal(animation.stage.container().id, 'animationTestStage');
        assert.deepEqual([animation.stage.width(), animation.stage.height()], [1000, 600]);
        assert.deepEqual(animation.stage.getChildren().toArray().map(function (l) { return l.name(); }),
            ['whiteLayer', 'bgLayer', 'animLayer']);
        assert.equal(animation.stage.getChildren()[1], animation.bgLayer);
        assert.equal(animation.stage.getChildren()[2], layer);
        assert.equal(animation.whiteLayer.visible(), false, 'the white backing is hidden');
        assert.deepEqual([animation.whiteRect.width(), animation.whiteRect.height(), animation.whiteRect.fill()],
            [1000, 600, 'white']);
        assert.deepEqual([animation.aspectRatio, animation.isRotated, animation.centerX, animation.centerY,
            animation.maxWidth, animation.maxHeight, animation.sport], [4 / 3, false, 500, 300, 1000, 600, 'gaa']);
        assert.equal(animation.frameManager.animLayer, layer);
        assert.equal(animation.playbackManager.frameManager, animation.frameManager);
        assert.deepEqual([animation.bgLayer.layerWidth, animation.bgLayer.layerHeight], [800, 600]);
        assert.equal(animation.bgLayer.find('.ground')[0].width(), 800, 'the pitch is drawn at the fitted size');
    });
});

test('misuse is refused: no container, no space, a turn that is not a quarter', function () {
    assert.throws(function () { return new Animation(100, 100, 'noSuchContainer'); }, /no page element/);
    assert.throws(function () { return new Animation(0, 100, 'animationTestStage'); }, /positive/);
    withAnimation(function (animation) {
        assert.throws(function () { animation.rotateEntireAnimation(45); }, /multiples of 90/);
        assert.equal(animation.animLayer.rotation(), 0);
    });
});

// ---- Turning ---------------------------------------------------------------

test('turns accumulate on both layers: four clockwise make 360, and anticlockwise goes negative', function () {
    withAnimation(function (animation, layer) {
        var seen = [];
        for (var i = 0; i < 4; i++) {
            animation.rotateEntireAnimation(90);
            seen.push([layer.rotation(), animation.bgLayer.rotation(), animation.isRotated]);
        }
        assert.deepEqual(seen, [[90, 90, true], [180, 180, false], [270, 270, true], [360, 360, false]]);
        assert.deepEqual([layer.layerWidth, layer.layerHeight], [800, 600], 'unturned size again');
        animation.rotateEntireAnimation(-90);
        animation.rotateEntireAnimation(-90);
        animation.rotateEntireAnimation(-90);
        animation.rotateEntireAnimation(-90);
        animation.rotateEntireAnimation(-90);
        assert.deepEqual([layer.rotation(), animation.bgLayer.rotation(), animation.isRotated], [-90, -90, true]);
    });
});

test('turning keeps items at their places on the pitch and turns their controls back upright', function () {
    withAnimation(function (animation, layer) {
        var person = place(animation, 'person', 200, 150, 0);
        person.ensureControls();
        animation.rotateEntireAnimation(90);
        var props = person.getProperties();
        assert.close(props.x, 0.25, 1e-12);
        assert.close(props.y, 0.25, 1e-12);
        assert.equal(props.rotation, 0, 'the item keeps its rotation on the pitch');
        var plus = person.find('.scaleControl')[0];
        assert.equal(plus.rotation(), -90, 'the button stands upright on screen');
        assert.equal(animation.frameManager.objects.length, 1, 'the turn saved the frame');
    });
});

// ---- Adding items --------------------------------------------------------------

test('a new item stands upright on screen whatever the turn of the pitch', function () {
    withAnimation(function (animation, layer) {
        var expected = { 0: 0, 90: -90, 180: -180, 270: 90, 360: 0, '-90': 90, '-180': 180, '-270': -90 };
        var turns = [0, 90, 90, 90, 90, -360, -90, -90, -90];
        var at = 0;
        turns.forEach(function (turn) {
            if (turn !== 0) {
                animation.rotateEntireAnimation(turn);
            }
            at += turn;
            var group = animation.addItem('person', 'default', 'default', 'default');
            var rotation = group.getFieldItem().group.rotation();
            assert.equal(rotation, expected[at], 'pitch turned ' + at);
            assert.equal(((rotation + at) % 360 + 360) % 360, 0, 'pitch turned ' + at + ': upright on screen');
        });
    });
});

test('addItem puts a new item with a new id on top, where there is room, and leaves the model alone', function () {
    withAnimation(function (animation, layer) {
        var first = animation.addItem('cone', 'blue', 'default', 'default');
        assert.equal(first.getAttr('id'), 1);
        var item = first.getFieldItem();
        assert.deepEqual([item.type, item.getCol(1), item.getScale()], ['cone', 'blue', 0.15]);
        assert.deepEqual([item.group.x(), item.group.y()], [400, 300], 'the first one in the middle');
        assert.equal(first.itemText.text.text(), '');
        assert.equal(first.getLayer(), layer);

        var second = animation.addItem('gaaBall', 'default', 'default', 0.2);
        assert.equal(second.getAttr('id'), 2);
        assert.equal(second.getFieldItem().getScale(), 0.2, 'the given scale');
        assert.equal(layer.getChildren()[layer.getChildren().length - 1], second, 'on top of all others');
        var ball = second.getFieldItem().group;
        assert.ok(!isOverlap(ball.x() - ball.width() / 2, ball.y() - ball.height() / 2, ball.width(), ball.height(),
            item.group), 'clear of the first');
        var text = second.shortLabelText.text;
        assert.close(text.x(), ball.x(), 1e-9, 'its short label moved with it');
        assert.deepEqual(animation.frameManager.objects, [], 'not in the model before the next save');
        animation.frameManager.saveFrame();
        assert.deepEqual(animation.frameManager.objects.map(function (r) { return r.id; }), [1, 2]);
    });
});

// ---- Rubber-band selection --------------------------------------------------------

test('releasing the rubber band selects the items wholly inside it; a turned box that touches its edge counts', function () {
    withAnimation(function (animation, layer) {
        // The band runs from (100, 100) to (500, 350) on the pitch.
        var inside = place(animation, 'cone', 200, 200, 0, CONE_SCALE);
        var partly = place(animation, 'cone', 480, 300, 0, CONE_SCALE);
        // Turned a quarter, its box spans y 251..350 and touches the band's
        // lower edge; unturned it would stick out below.
        var touching = place(animation, 'cone', 400, 300.5, 90, CONE_SCALE);
        var outside = place(animation, 'gaaBall', 700, 500);
        outside.selectFunc(true);
        var rect = null;
        dragOut(animation, { x: 100, y: 100 }, { x: 500, y: 350 }, function () {
            rect = layer.find('.selectRectangle')[0];
            assert.deepEqual([rect.x(), rect.y(), rect.width(), rect.height()], [100, 100, 400, 250],
                'the band spans the drag');
        });
        assert.deepEqual(selectedIds(layer), [inside.getAttr('id'), touching.getAttr('id')]);
        assert.deepEqual([controlsShown(inside), controlsShown(touching), controlsShown(partly), controlsShown(outside)],
            [true, true, false, false], 'controls follow the selection, even of the item released over');
        assert.equal(layer.find('.selectRectangle').length, 0, 'the band is gone');
    });
});

test('the rubber band is a faint white rectangle that never leaves the pitch', function () {
    withAnimation(function (animation, layer) {
        dragOut(animation, { x: 700, y: 500 }, { x: -50, y: 10 }, function () {
            var rect = layer.find('.selectRectangle')[0];
            assert.deepEqual([rect.fill(), rect.opacity(), rect.stroke(), rect.strokeWidth()], ['white', 0.15, 'white', 1]);
            assert.deepEqual([rect.x(), rect.y(), rect.width(), rect.height()], [0, 10, 700, 490],
                'clamped at the left edge');
            pointerEvent(animation.stage, 'mousemove', 950, 650);
            assert.deepEqual([rect.x(), rect.y(), rect.width(), rect.height()], [700, 500, 100, 100],
                'clamped at the right and bottom edges');
            assert.equal(rect.getParent(), layer);
        });
    });
});

test('a click on the bare pitch deselects everything; a press on an item starts no band', function () {
    withAnimation(function (animation, layer) {
        var a = place(animation, 'cone', 200, 200, 0, CONE_SCALE);
        var b = place(animation, 'cone', 400, 200, 0, CONE_SCALE);
        a.selectFunc(true);
        b.selectFunc(true);
        animation.stage.draw();
        pointerEvent(animation.stage, 'mousemove', 400 + OFFSET_X, 200);
        pointerEvent(animation.stage, 'mousedown', 400 + OFFSET_X, 200);
        assert.equal(layer.find('.selectRectangle').length, 0, 'no band from a press on an item');
        pointerEvent(animation.stage, 'mouseup', 400 + OFFSET_X, 200);
        assert.deepEqual(selectedIds(layer).length, 2, 'pressing a selected item keeps the selection');
        clickAt(animation.stage, 600 + OFFSET_X, 500);
        assert.deepEqual(selectedIds(layer), []);
        assert.deepEqual([controlsShown(a), controlsShown(b)], [false, false]);
    });
});

test('while the layers do not listen, a press on the pitch starts no band', function () {
    withAnimation(function (animation, layer) {
        var a = place(animation, 'cone', 200, 200, 0, CONE_SCALE);
        a.selectFunc(true);
        animation.bgLayer.listening(false);
        layer.listening(false);
        animation.stage.draw();
        clickAt(animation.stage, 600 + OFFSET_X, 500);
        assert.deepEqual(selectedIds(layer), [a.getAttr('id')]);
    });
});

// ---- Switches, print and pictures --------------------------------------------------

test('grid, logo and running lines switch on and off', function () {
    withAnimation(function (animation, layer) {
        animation.toggleGrid();
        assert.equal(animation.bgLayer.gridVisibility(), true);
        animation.toggleGrid();
        assert.equal(animation.bgLayer.gridVisibility(), false);
        animation.toggleLogo();
        assert.equal(animation.bgLayer.doShowLogo, true);
        animation.toggleLogo();
        assert.equal(animation.bgLayer.doShowLogo, false);
        animation.toggleRunningLines();
        assert.equal(layer.showRunningLines, true);
        animation.setLogoImage('data:image/png;base64,iVBORw0KGgo=');
        assert.equal(animation.bgLayer.logoImage, 'data:image/png;base64,iVBORw0KGgo=');
    });
});

test('drawing for print shows the white backing and the print pitch, and back', function () {
    withAnimation(function (animation) {
        animation.setDrawForPrint(true);
        assert.equal(animation.whiteLayer.visible(), true);
        assert.equal(animation.bgLayer.drawForPrint, true);
        assert.equal(animation.bgLayer.find('.ground')[0].fill(), 'white');
        animation.setDrawForPrint(false);
        assert.equal(animation.whiteLayer.visible(), false);
        assert.equal(animation.bgLayer.find('.ground')[0].fill(), 'green');
    });
});

test('the stage renders to a JPEG data URL of the asked region', function (done) {
    var animation = new Animation(1000, 600, 'animationTestStage');
    done.cleanup(function () { animation.stage.destroy(); });
    animation.toDataURL({
        x: 0, y: 0, width: 400, height: 300, mimeType: 'image/jpeg',
        callback: done.step(function (url) {
            assert.equal(url.indexOf('data:image/jpeg;base64,'), 0);
            var picture = new Image();
            picture.onload = done.step(function () {
                assert.deepEqual([picture.width, picture.height], [400, 300]);
                done();
            });
            picture.src = url;
        })
    });
});

// ---- Animation text -----------------------------------------------------------------

test('a new animation is saved as the one-line text of an empty gaa animation', function () {
    withAnimation(function (animation) {
        assert.equal(animation.saveToString(),
            '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"gaa","showRunningLines":false,' +
            '"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},' +
            '"rotation":0,"gridVisible":false,"nFrames":1,"selectedFrame":0,"objects":[],"frameText":[""]}');
    });
});

test('a saved animation loads into another with its items, frames, captions and settings', function () {
    var text;
    withAnimation(function (animation) {
        animation.sport = 'soccer';
        animation.bgLayer.setBackground('soccer', 'oneEnd', false);
        animation.rotateEntireAnimation(-90);
        animation.toggleGrid();
        animation.toggleRunningLines();
        place(animation, 'person', 100, 100, 20);
        animation.frameManager.addFrame();
        animation.setFrameText('Second');
        text = animation.saveToString();
    });
    withAnimation(function (animation, layer) {
        animation.loadFromString(text);
        assert.deepEqual([animation.sport, animation.bgLayer.sportType, animation.bgLayer.bgType,
            animation.bgLayer.showStripes], ['soccer', 'soccer', 'oneEnd', false]);
        assert.deepEqual([layer.rotation(), animation.bgLayer.rotation(), animation.isRotated], [-90, -90, true]);
        assert.deepEqual([animation.bgLayer.gridVisibility(), layer.showRunningLines], [true, true]);
        assert.deepEqual([animation.frameManager.nFrames, animation.frameManager.selectedFrame], [2, 1]);
        assert.equal(layer.getFrameText(), 'Second');
        assert.equal(layer.itemGroups().length, 1);
        assert.equal(animation.saveToString(), text, 'saved again, the same text');
    });
});

test('text that is not JSON, or not an animation, is reported and changes nothing', function () {
    withAnimation(function (animation) {
        var raised = [];
        function listener(evt) { raised.push(evt.detail.errorInfo); }
        document.addEventListener('errorOpeningFile', listener, false);
        var before = animation.saveToString();
        try {
            animation.loadFromString('');
            animation.loadFromString('{"msgType":"Something else"}');
            animation.loadFromString('[]');
        } finally {
            document.removeEventListener('errorOpeningFile', listener, false);
        }
        assert.deepEqual(raised, ['Error parsing JSON', 'Not an OVRI Animation file', 'Not an OVRI Animation file']);
        assert.equal(animation.saveToString(), before);
    });
});

// ---- The editor's animation through the page shell ----------------------------------------

var shellAnimation = pageShell.animation;

// New, with the host's go-ahead that the runner's fake host gives.
function resetEditor() {
    cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
    myDispatchEvent('newAnimation', {});
}

test('the page shell creates the editor\'s animation at the animation area\'s size in animContainer', function () {
    assert.ok(shellAnimation instanceof Animation);
    assert.equal(shellAnimation.stage.container().id, 'animContainer');
    assert.deepEqual([shellAnimation.stage.width(), shellAnimation.stage.height()], [1125, 685]);
    assert.close(shellAnimation.animLayer.layerWidth, 685 * 4 / 3, 1e-9, 'pitch 913.33 wide');
    assert.equal(shellAnimation.animLayer.layerHeight, 685);
});

test('the item picker\'s addItem reaches the animation; the frame events keep the timeline in step', function () {
    resetEditor();
    var timeline = pageShell.timeline;
    var fm = shellAnimation.frameManager;
    myDispatchEvent('addItem', { type: 'person', col1: 'blue', col2: 'default', scale: 'default' });
    assert.equal(shellAnimation.animLayer.itemGroups().length, 1);
    myDispatchEvent('addFrame', {});
    assert.deepEqual([fm.nFrames, fm.selectedFrame, timeline.nFrames, timeline.selectedFrame], [2, 1, 2, 1]);
    var group = shellAnimation.animLayer.itemGroups()[0];
    group.updatePosition(shellAnimation.animLayer.pixelPos({ x: 0.1, y: 0.9 }), 0);
    myDispatchEvent('selectedFrame', { frameNumber: 0 });
    assert.deepEqual([fm.selectedFrame, timeline.selectedFrame], [0, 0]);
    assert.close(fm.objectForFrame(1, 1).x, 0.1, 1e-12, 'frame 1 was saved before frame 0 was loaded');
    myDispatchEvent('selectedFrame', { frameNumber: 7 });
    assert.equal(fm.selectedFrame, 0, 'a frame the model does not have is ignored');
    myDispatchEvent('removeFrame', {});
    assert.deepEqual([fm.nFrames, fm.selectedFrame, timeline.nFrames, timeline.selectedFrame], [1, 0, 1, 0]);
    assert.close(fm.objectForFrame(1, 0).x, 0.1, 1e-12, 'the former frame 1 is left');
    resetEditor();
    assert.deepEqual([fm.nFrames, fm.objects.length, shellAnimation.animLayer.itemGroups().length], [1, 0, 0]);
});

test('the toolbar\'s commands turn the pitch and switch grid, running lines and logo with their toggles', function () {
    resetEditor();
    // The toolbar's grid, running-lines and logo toggles, pressed or not.
    function toggles() {
        var buttons = pageShell.toolbar.group.getChildren().filter(function (node) {
            return node.nodeType === 'Group' && node.find('.buttonRect').length === 1;
        });
        return [11, 12, 14].map(function (n) {
            return buttons.filter(function (g) { return g.x() === n * 45; })[0].isSetPressed;
        });
    }
    myDispatchEvent('rotateClockwise', {});
    assert.equal(shellAnimation.animLayer.rotation(), 90);
    myDispatchEvent('rotateAntiClockwise', {});
    myDispatchEvent('rotateAntiClockwise', {});
    assert.equal(shellAnimation.animLayer.rotation(), -90);
    myDispatchEvent('rotateClockwise', {});
    myDispatchEvent('toggleGrid', {});
    myDispatchEvent('toggleRunningLines', {});
    myDispatchEvent('toggleLogo', {});
    assert.deepEqual([shellAnimation.bgLayer.gridVisibility(), shellAnimation.animLayer.showRunningLines,
        shellAnimation.bgLayer.doShowLogo], [true, true, true]);
    assert.deepEqual(toggles(), [true, true, true], 'the toolbar\'s toggles pressed');
    resetEditor();
    assert.deepEqual([shellAnimation.bgLayer.gridVisibility(), shellAnimation.animLayer.showRunningLines,
        shellAnimation.bgLayer.doShowLogo], [true, true, true], 'a new animation keeps the settings');
    myDispatchEvent('toggleGrid', {});
    myDispatchEvent('toggleRunningLines', {});
    myDispatchEvent('toggleLogo', {});
    assert.deepEqual([shellAnimation.bgLayer.gridVisibility(), shellAnimation.animLayer.showRunningLines,
        shellAnimation.bgLayer.doShowLogo], [false, false, false]);
    assert.deepEqual(toggles(), [false, false, false], 'and released');
    assert.equal(shellAnimation.animLayer.rotation(), 0);
});

test('the item picker\'s delete and scale commands act on the selected items', function () {
    resetEditor();
    var fm = shellAnimation.frameManager;
    myDispatchEvent('addItem', { type: 'gaaBall', col1: 'default', col2: 'default', scale: 'default' });
    myDispatchEvent('addItem', { type: 'cone', col1: 'default', col2: 'default', scale: 'default' });
    var layer = shellAnimation.animLayer;
    assert.deepEqual(layer.itemGroups().map(function (g) { return g.isSelected; }), [false, true],
        'each new item comes selected alone');
    layer.childWithId(2).selectFunc(false);
    layer.childWithId(1).selectFunc(true);
    myDispatchEvent('increaseSelectedScale', {});
    assert.close(fm.findObject(1).scale, 0.11 * 1.1, 1e-12);
    myDispatchEvent('decreaseSelectedScale', {});
    assert.close(fm.findObject(1).scale, 0.11, 1e-12);
    assert.equal(fm.findObject(2).scale, 0.15);
    myDispatchEvent('deleteSelectedItems', {});
    assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [2]);
    assert.deepEqual(layer.itemGroups().map(function (g) { return g.getAttr('id'); }), [2]);
    resetEditor();
});

test('label and caption replies from the host reach the item and the caption', function () {
    resetEditor();
    myDispatchEvent('addItem', { type: 'person', col1: 'default', col2: 'default', scale: 'default' });
    var group = shellAnimation.animLayer.itemGroups()[0];
    cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(group._id), text: 'Full back' });
    cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(group._id), text: '2' });
    cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Kick-out' });
    assert.deepEqual([group.itemText.text.text(), group.shortLabelText.text.text()], ['Full back', '2']);
    assert.equal(shellAnimation.animLayer.getFrameText(), 'Kick-out');
    cppInterface.clearReceivedMessages();
    myDispatchEvent('addFrameCaption', {});
    assert.equal(cppInterface.receivedMessages()[0].defaultText, 'Kick-out', 'the caption prompt offers it');
    resetEditor();
});

test('controls off and on switch the animation and background layers as well', function () {
    myDispatchEvent('disableNonTimelineControls', {});
    assert.deepEqual([shellAnimation.animLayer.listening(), shellAnimation.bgLayer.listening(),
        pageShell.timeline.layer.isListening()], [false, false, true]);
    myDispatchEvent('enableControls', {});
    assert.deepEqual([shellAnimation.animLayer.listening(), shellAnimation.bgLayer.listening()], [true, true]);
});

test('a window resize refits the editor\'s pitch', function (done) {
    done.cleanup(function () { pageTestHost.resizeViewport(1280, 800); });
    pageTestHost.resizeViewport(1000, 600);
    waitFor('the resize', function () { return shellAnimation.stage.width() === 845; }, done, function () {
        // 990 x 585 application area: the animation gets 845 x 485.
        assert.equal(shellAnimation.stage.height(), 485);
        assert.close(shellAnimation.animLayer.layerWidth, 485 * 4 / 3, 1e-9);
        assert.equal(shellAnimation.animLayer.x(), 845 / 2);
        done();
    });
});

test('after a resize while the pitch was deaf (playback, colour chooser), a click on the bare pitch clears the selection', function (done) {
    var cases = ['disableNonTimelineControls', 'disableControls'];
    var s = pageShell.sizes;
    function next() {
        if (cases.length === 0) {
            shellAnimation.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight);
            done();
            return;
        }
        var deafness = cases.shift();
        resetEditor();
        myDispatchEvent('addItem', { type: 'cone', col1: 'default', col2: 'default', scale: 'default' });
        var cone = shellAnimation.animLayer.itemGroups()[0];
        assert.equal(cone.isSelected, true, deafness + ': selected');
        myDispatchEvent(deafness, {});
        // A resize while deaf: the stage's canvases are cleared and only the
        // scenes are drawn again, now and on the next display refreshes.
        shellAnimation.updateBounds(500, 300, 1000, 600);
        window.setTimeout(done.step(function () {
            myDispatchEvent('enableControls', {});
            clickAt(shellAnimation.stage, 500 - 370, 300 + 220);
            assert.equal(cone.isSelected, false, deafness + ': the click on the bare pitch cleared the selection');
            next();
        }), 100);
    }
    next();
});
