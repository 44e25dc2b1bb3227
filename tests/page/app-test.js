// The page shell (index.html, the style sheets and app.js): document, layout,
// the bridge through the runner's fake host, page-event handlers, window
// resizing and the report logo. The page is loaded in a 1280 x 800 window.

var H = 45;

function sent() {
    return cppInterface.receivedMessages();
}

function lastSent() {
    var all = sent();
    return all[all.length - 1];
}

// Runs `body` with a stand-in animation in the shell, and returns what was
// called on it. The stand-in keeps the state the shell reads back (grid,
// running lines, logo) the way the real animation reports it.
function withAnimation(initial, body) {
    var calls = [];
    function record(name) {
        return function () { calls.push([name].concat([].slice.call(arguments))); };
    }
    var animation = {
        sport: 'soccer',
        stage: null,
        frameManager: {
            nFrames: 1, selectedFrame: 0,
            saveFrame: record('saveFrame'),
            loadFrame: record('loadFrame'),
            clearAnimation: record('clearAnimation')
        },
        // Playing, as far as the shell's undo history is concerned: it then
        // takes no snapshots of this stand-in.
        playbackManager: { drawFrame: record('drawFrame'), stop: record('stop'), isPlaying: true },
        textParts: function () { return { head: '{', selectedFrame: 0, objects: [], tail: '}' }; },
        animLayer: {
            showRunningLines: !!initial.lines,
            getFrameText: function () { return initial.caption || ''; },
            batchDraw: record('animLayer.batchDraw'),
            draw: record('animLayer.draw'),
            listening: record('animLayer.listening'),
            select: record('animLayer.select')
        },
        bgLayer: {
            grid: !!initial.grid,
            doShowLogo: !!initial.logo,
            gridVisibility: function () { return this.grid; },
            batchDraw: record('bgLayer.batchDraw'),
            draw: record('bgLayer.draw'),
            listening: record('bgLayer.listening')
        },
        addItem: function () {
            calls.push(['addItem'].concat([].slice.call(arguments)));
            return { _id: 99 };
        },
        updateBounds: record('updateBounds'),
        rotateEntireAnimation: record('rotateEntireAnimation'),
        setFrameText: record('setFrameText'),
        setItemLabel: record('setItemLabel'),
        setShortItemLabel: record('setShortItemLabel'),
        setLogoImage: record('setLogoImage'),
        saveToString: function () { return animation.savedText; },
        savedText: animationFile(false, false, false),
        toggleGrid: function () {
            calls.push(['toggleGrid']);
            animation.bgLayer.grid = !animation.bgLayer.grid;
        },
        toggleRunningLines: function () {
            calls.push(['toggleRunningLines']);
            animation.animLayer.showRunningLines = !animation.animLayer.showRunningLines;
        },
        toggleLogo: function () {
            calls.push(['toggleLogo']);
            animation.bgLayer.doShowLogo = !animation.bgLayer.doShowLogo;
        },
        loadFromString: function (json) {
            calls.push(['loadFromString', json]);
            var settings = JSON.parse(json);
            animation.bgLayer.grid = settings.gridVisible;
            animation.animLayer.showRunningLines = settings.showRunningLines;
            animation.bgLayer.doShowLogo = settings.background.showLogo;
        }
    };
    var real = pageShell.animation;
    pageShell.animation = animation;
    try {
        body(animation);
    } finally {
        pageShell.animation = real;
        pageShell.toolbar.setToggleGrid(false);
        pageShell.toolbar.setToggleRunningLines(false);
        pageShell.toolbar.setToggleLogo(false);
    }
    return calls;
}

function togglesPressed() {
    var buttons = pageShell.toolbar.group.getChildren().filter(function (node) {
        return node.nodeType === 'Group' && node.find('.buttonRect').length === 1;
    });
    function pressedAt(n) {
        return buttons.filter(function (g) { return g.x() === n * H; })[0].isSetPressed;
    }
    return { grid: pressedAt(11), runningLines: pressedAt(12), logo: pressedAt(14) };
}

function animationFile(grid, lines, logo) {
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'gaa', showRunningLines: lines,
        background: { type: 'fullField', showStripes: true, showLogo: logo, logoImage: 'logos/ovri256x256.png' },
        rotation: 0, gridVisible: grid, nFrames: 1, selectedFrame: 0, objects: [], frameText: ['']
    });
}

// ---- Document -------------------------------------------------------------

test('the document has its title, character set and style sheets in order', function () {
    assert.equal(document.title, 'Sports Animation Software');
    assert.equal(document.characterSet.toUpperCase(), 'UTF-8');
    var sheets = [].map.call(document.querySelectorAll('link[rel=stylesheet]'), function (link) {
        return link.getAttribute('href');
    });
    assert.deepEqual(sheets, ['reset.css', 'style.css', 'theme.css']);
    assert.equal(document.styleSheets.length, 3, 'all three loaded');
});

test('the body holds the six containers in order', function () {
    var ids = [].map.call(document.querySelectorAll('body > div[id]'), function (div) { return div.id; });
    assert.deepEqual(ids.slice(0, 6), ['offscreenContainer0', 'offscreenContainer1', 'toolbarContainer',
        'itemPickerContainer', 'animContainer', 'timelineContainer']);
});

// Every component's script comes before the scripts that use it. The page
// grows component by component, so the check is the relative order of the
// scripts present, against the full order the page is built to.
var SCRIPT_ORDER = ['kinetic.js', 'util.js', 'fieldItem.js', 'RotateControl.js', 'ScaleControl.js',
    'LabelControl.js', 'ShortLabelControl.js', 'ColorPicker.js', 'BackgroundPicker.js', 'fieldItemGroup.js',
    'FieldItemText.js', 'RunningLines.js', 'AnimationLayer.js', 'BackgroundLayer.js', 'Animation.js',
    'Button.js', 'icons.js', 'Timeline.js', 'FrameManager.js', 'playbackManager.js', 'ItemPicker.js',
    'Toolbar.js', 'Keyboard.js', 'EditHistory.js', 'ImageGenerator.js', 'jspdf.js', 'PdfReport.js', 'app.js'];

test('the scripts load in dependency order with app.js last', function () {
    // The runner appends the harness and this file as file: scripts.
    var scripts = [].map.call(document.querySelectorAll('head script[src]'), function (s) {
        return s.getAttribute('src');
    }).filter(function (src) { return src.indexOf('file:') !== 0; });
    assert.equal(scripts[0], 'kinetic.js');
    assert.equal(scripts[scripts.length - 1], 'app.js');
    var positions = scripts.map(function (src) {
        var at = SCRIPT_ORDER.indexOf(src);
        assert.ok(at >= 0, src + ' is not a script the page is built from');
        return at;
    });
    for (var i = 1; i < positions.length; i++) {
        assert.ok(positions[i] > positions[i - 1], scripts[i] + ' must come after ' + scripts[i - 1]);
    }
    var bodyScripts = document.querySelectorAll('body > script');
    var last = bodyScripts[bodyScripts.length - 1];
    assert.ok(/main\(\)/.test(last.textContent), 'the body ends by calling main');
});

test('the style sheets give the page its colours, font and margins', function () {
    var body = getComputedStyle(document.body);
    assert.equal(body.backgroundColor, 'rgb(42, 58, 86)');
    assert.equal(body.color, 'rgb(255, 255, 255)');
    assert.equal(body.fontFamily, 'arial');
    assert.equal(body.fontWeight, '100');
    assert.equal(body.marginTop, '0px', 'reset');
    assert.equal(body.boxSizing, 'border-box');

    ['toolbarContainer', 'itemPickerContainer', 'animContainer', 'timelineContainer'].forEach(function (id) {
        var style = getComputedStyle(document.getElementById(id));
        assert.equal(style.marginTop, '5px', id + ' top margin');
        assert.equal(style.marginLeft, '5px', id + ' left margin');
    });
    assert.equal(getComputedStyle(document.getElementById('itemPickerContainer')).display, 'inline-block');
    assert.equal(getComputedStyle(document.getElementById('animContainer')).display, 'inline-block');
    assert.equal(getComputedStyle(document.getElementById('offscreenContainer0')).display, 'none');
    assert.equal(getComputedStyle(document.getElementById('offscreenContainer1')).display, 'none');
});

test('Helvetica and arial are drawn in Liberation Sans, not the serif fallback', function () {
    var context = document.createElement('canvas').getContext('2d');
    var sample = 'Drill 1: overlap run WMW';
    function width(font) {
        context.font = font;
        return context.measureText(sample).width;
    }
    var liberation = width('12px "Liberation Sans"');
    assert.notEqual(width('12px serif'), liberation, 'the measure tells the faces apart');
    assert.equal(width('12px Helvetica'), liberation, 'Helvetica');
    assert.equal(width('12px arial'), liberation, 'arial');
    assert.equal(width('bold 12px Helvetica'), width('bold 12px "Liberation Sans"'), 'bold Helvetica');
});

test('the toolbar stands at the top left of the page, 5 pixels in', function () {
    var box = pageShell.toolbar.stage.getContent().getBoundingClientRect();
    assert.equal(box.left, 5);
    assert.equal(box.top, 5);
    assert.equal(box.width, 1270);
    assert.equal(box.height, H);
});

// ---- Shell state and start-up ---------------------------------------------

test('main has set up the shell state', function () {
    assert.equal(pageShell.sport, 'gaa');
    assert.equal(pageShell.margin, 5);
    assert.equal(pageShell.minAppWidth, 200);
    assert.equal(pageShell.minAppHeight, 150);
    assert.equal(pageShell.breakVideoExport, false);
    assert.equal(pageShell.connected, true, 'connected to the bridge');
    assert.ok(pageShell.toolbar instanceof Toolbar, 'the toolbar exists');
    assert.equal(pageShell.toolbar.getWidth(), 1270, 'at the application width');
    assert.ok(pageShell.itemPicker instanceof ItemPicker, 'the item picker exists');
    assert.deepEqual([pageShell.itemPicker.stage.width(), pageShell.itemPicker.stage.height(),
        pageShell.itemPicker.sport], [135, 685, 'gaa'], 'item picker at its size, for the page\'s sport');
    assert.ok(pageShell.timeline instanceof Timeline, 'the timeline exists');
    assert.deepEqual([pageShell.timeline.stage.width(), pageShell.timeline.stage.height()], [1270, 45],
        'timeline at the application width');
    assert.ok(pageShell.animation instanceof Animation, 'the animation exists');
    assert.equal(pageShell.animation.stage.container().id, 'animContainer');
    assert.deepEqual([pageShell.animation.stage.width(), pageShell.animation.stage.height()], [1125, 685],
        'animation at its maximum size');
    assert.ok(pageShell.imageGenerator instanceof ImageGenerator, 'the image generator exists');
    assert.equal(pageShell.imageGenerator.animation.stage.container().id, 'offscreenContainer0',
        'its animation is off screen');
});

test('main runs only once', function () {
    assert.throws(function () { main(); }, /already/);
    assert.equal(document.getElementById('toolbarContainer').querySelectorAll('canvas').length, 1,
        'still one toolbar canvas');
});

test('start-up sends the host only the new drill as its saved state', function () {
    assert.equal(sent().length, 1);
    assert.deepEqual(Object.keys(sent()[0]).sort(), ['msgType', 'strToSave']);
    assert.equal(sent()[0].msgType, 'animationReset');
    assert.equal(sent()[0].strToSave, pageShell.animation.saveToString());
});

// ---- Area sizes -------------------------------------------------------------

test('a 1280 x 800 window gives the four areas their sizes', function () {
    var s = pageShell.calcContainerSizes(1280, 800);
    assert.deepEqual([s.appWidth, s.appHeight], [1270, 785], 'application');
    assert.deepEqual([s.toolbarWidth, s.toolbarHeight], [1270, 45], 'toolbar');
    assert.deepEqual([s.timelineWidth, s.timelineHeight], [1270, 45], 'timeline');
    assert.deepEqual([s.itemPickerWidth, s.itemPickerHeight], [135, 685], 'item picker');
    assert.deepEqual([s.animMaxWidth, s.animMaxHeight], [1125, 685], 'animation');

    var pitch = calcWidthAndHeight(s.animMaxWidth, s.animMaxHeight, false, 4 / 3);
    assert.close(pitch[0], 913.33, 0.005, 'pitch width');
    assert.close(pitch[1], 685, 1e-9, 'pitch height');

    var turned = calcWidthAndHeight(s.animMaxWidth, s.animMaxHeight, true, 4 / 3);
    assert.close(turned[0], 685, 1e-9, 'turned pitch: own width down the screen');
    assert.close(turned[1], 513.75, 1e-9, 'turned pitch: own height across');
});

test('the page sized itself from its own window', function () {
    assert.equal(window.innerWidth, 1280);
    assert.equal(window.innerHeight, 800);
    assert.deepEqual(pageShell.sizes, pageShell.calcContainerSizes(1280, 800));
});

test('a tiny window keeps the minimum application area', function () {
    [[100, 100], [209, 164], [0, 0]].forEach(function (win) {
        var s = pageShell.calcContainerSizes(win[0], win[1]);
        var where = win.join(' x ');
        assert.deepEqual([s.appWidth, s.appHeight], [200, 150], where + ' application');
        assert.deepEqual([s.itemPickerWidth, s.itemPickerHeight], [135, 50], where + ' item picker');
        assert.deepEqual([s.animMaxWidth, s.animMaxHeight], [55, 50], where + ' animation');
        assert.deepEqual([s.toolbarWidth, s.timelineWidth], [200, 200], where + ' strips');
    });
    var pitch = calcWidthAndHeight(55, 50, false, 4 / 3);
    assert.deepEqual(pitch, [55, 41.25], 'pitch in the tiny area');
    var turned = calcWidthAndHeight(55, 50, true, 4 / 3);
    assert.deepEqual(turned, [50, 37.5], 'turned pitch in the tiny area');
});

test('the minimum starts to give way one pixel above 210 x 165', function () {
    var s = pageShell.calcContainerSizes(210, 165);
    assert.deepEqual([s.appWidth, s.appHeight], [200, 150]);
    s = pageShell.calcContainerSizes(211, 166);
    assert.deepEqual([s.appWidth, s.appHeight], [201, 151]);
    assert.deepEqual([s.itemPickerHeight, s.animMaxWidth], [51, 56]);
});

// ---- Bridge -----------------------------------------------------------------

test('a message sent by the page reaches the host with its values', function () {
    cppInterface.clearReceivedMessages();
    pageShell.sendMessage({ msgType: 'updatePdfProgress', progressPercent: 50, note: 'half' });
    assert.deepEqual(sent(), [{ msgType: 'updatePdfProgress', progressPercent: 50, note: 'half' }]);
    assert.equal(typeof lastSent().progressPercent, 'number', 'numbers stay numbers');
});

test('a message the host cannot take is swallowed', function () {
    cppInterface.clearReceivedMessages();
    pageShell.sendMessage('not a message');
    assert.equal(sent().length, 0, 'lost, without an exception');
});

test('breakVideoExport from the host sets the flag', function () {
    try {
        cppInterface.emitToPage({ msgType: 'breakVideoExport' });
        assert.equal(pageShell.breakVideoExport, true);
    } finally {
        pageShell.breakVideoExport = false;
    }
});

test('unknown host messages are ignored, also when only the case differs', function () {
    cppInterface.emitToPage({ msgType: 'BreakVideoExport' });
    cppInterface.emitToPage({ msgType: 'breakvideoexport' });
    cppInterface.emitToPage({ msgType: 'somethingElse', json: '{}' });
    cppInterface.emitToPage({ text: 'no type at all' });
    assert.equal(pageShell.breakVideoExport, false);
});

test('a host reply runs the page\'s receiver inside the page\'s send', function () {
    cppInterface.clearReceivedMessages();
    cppInterface.setReply('exportVideo', { msgType: 'breakVideoExport' });
    try {
        var before = pageShell.breakVideoExport;
        myDispatchEvent('exportVideo', {});
        assert.equal(before, false);
        assert.equal(pageShell.breakVideoExport, true, 'the reply was handled before the event returned');
        assert.deepEqual(sent(), [{ msgType: 'exportVideo' }]);
    } finally {
        cppInterface.clearReplies();
        pageShell.breakVideoExport = false;
    }
});

test('connecting again does not deliver host messages twice', function () {
    pageShell.connectSlots();
    pageShell.connectSlots();
    var calls = withAnimation({}, function () {
        cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: animationFile(false, false, false) });
    });
    var loads = calls.filter(function (c) { return c[0] === 'loadFromString'; });
    assert.equal(loads.length, 1);
});

test('without a bridge the page starts, stays unconnected and loses its messages quietly', function (done) {
    // The runner exposes the fake host to the top window only: the editor
    // loaded in a frame finds no cppInterface, as in a plain browser.
    cppInterface.clearReceivedMessages();
    var frame = document.createElement('iframe');
    frame.style.width = '640px';
    frame.style.height = '480px';
    frame.src = 'index.html';
    document.body.appendChild(frame);
    waitFor('the framed editor', function () {
        return frame.contentWindow.pageShell && frame.contentWindow.pageShell.toolbar;
    }, done, function () {
        var inner = frame.contentWindow;
        assert.equal(typeof inner.cppInterface, 'undefined', 'no bridge in the frame');
        assert.equal(inner.pageShell.connected, false);
        inner.pageShell.sendMessage({ msgType: 'openAnimation' });
        inner.myDispatchEvent('exportPdf', {});
        inner.myDispatchEvent('showAboutInfo', {});
        assert.equal(sent().length, 0, 'nothing reached the host');
        assert.equal(inner.pageShell.toolbar.stage.container().ownerDocument, inner.document,
            'the framed editor built its own toolbar');
        document.body.removeChild(frame);
        done();
    });
});

// ---- Page events --------------------------------------------------------------

test('toolbar commands for the host become host messages', function () {
    var cases = [
        ['openAnimation', { msgType: 'openAnimation' }],
        ['exportVideo', { msgType: 'exportVideo' }],
        ['exportPdf', { msgType: 'exportPdf' }],
        ['showAboutInfo', { msgType: 'showAboutInfo' }],
        ['selectLogo', { msgType: 'selectLogo' }]
    ];
    cases.forEach(function (c) {
        cppInterface.clearReceivedMessages();
        myDispatchEvent(c[0], {});
        assert.deepEqual(sent(), [c[1]], c[0]);
    });
});

test('clicking the toolbar\'s open button asks the host to open a file', function () {
    cppInterface.clearReceivedMessages();
    clickAt(pageShell.toolbar.stage, 1 * H + H / 2, H / 2);
    assert.deepEqual(sent(), [{ msgType: 'openAnimation' }]);
});

test('errorOpeningFile passes its text on to the host', function () {
    cppInterface.clearReceivedMessages();
    myDispatchEvent('errorOpeningFile', { errorInfo: 'Not an animation file.' });
    assert.deepEqual(sent(), [{ msgType: 'errorOpeningFile', errorInfo: 'Not an animation file.' }]);
});

test('label requests ask the host for a label, with the item\'s id as a number', function () {
    cppInterface.clearReceivedMessages();
    myDispatchEvent('getLabelForItem', { id: 37, currentLabel: 'Keeper' });
    myDispatchEvent('getShortLabelForItem', { id: 38, currentLabel: 'GK' });
    assert.deepEqual(sent(), [
        { msgType: 'promptForItemLabel', displayMessage: 'Enter a label for this item: ',
            defaultText: 'Keeper', id: 37 },
        { msgType: 'promptForItemShortLabel',
            displayMessage: '<html><head/><body><p>Enter a short label for this player:<br/>' +
                '(maximum 4 characters)</p></body></html>',
            defaultText: 'GK', id: 38 }
    ]);
    assert.equal(typeof sent()[0].id, 'number');
});

test('with an animation, save sends its text and the caption prompt shows the caption', function () {
    cppInterface.clearReceivedMessages();
    withAnimation({ caption: 'Overlap' }, function () {
        myDispatchEvent('saveAnimation', {});
        myDispatchEvent('addFrameCaption', {});
    });
    assert.deepEqual(sent(), [
        { msgType: 'saveAnimation', strToSave: animationFile(false, false, false) },
        { msgType: 'promptForFrameLabel', displayMessage: 'Enter a caption for this frame: ',
            defaultText: 'Overlap' }
    ]);
});

test('a save whose text would not open again is reported instead of offered for writing', function () {
    [
        ['{"msgType":"OVRI_Animation"}', 'Missing member "sport"'],
        [animationFile(false, false, false).replace('"nFrames":1', '"nFrames":null'),
            'Member "nFrames" must be a whole number from 1 to 500']
    ].forEach(function (row) {
        cppInterface.clearReceivedMessages();
        withAnimation({}, function (animation) {
            animation.savedText = row[0];
            myDispatchEvent('saveAnimation', {});
        });
        assert.deepEqual(sent(), [{ msgType: 'errorSavingFile', errorInfo: row[1] }], row[0]);
    });
});

test('disableControls silences the toolbar through disableNonTimelineControls', function () {
    var raised = [];
    function onNonTimeline() { raised.push('disableNonTimelineControls'); }
    document.addEventListener('disableNonTimelineControls', onNonTimeline, false);
    try {
        myDispatchEvent('disableControls', {});
    } finally {
        document.removeEventListener('disableNonTimelineControls', onNonTimeline, false);
        pageShell.toolbar.layer.listening(true);
    }
    assert.deepEqual(raised, ['disableNonTimelineControls']);
});

test('a silenced toolbar ignores clicks until the controls are enabled again', function (done) {
    var toolbar = pageShell.toolbar;
    myDispatchEvent('disableNonTimelineControls', {});
    assert.equal(toolbar.layer.listening(), false);
    cppInterface.clearReceivedMessages();
    clickAt(toolbar.stage, 1 * H + H / 2, H / 2);
    assert.equal(sent().length, 0, 'the open button did nothing');

    var redraws = [];
    function onRedraw() { redraws.push('redrawControls'); }
    document.addEventListener('redrawControls', onRedraw, false);
    try {
        myDispatchEvent('enableControls', {});
    } finally {
        document.removeEventListener('redrawControls', onRedraw, false);
    }
    assert.equal(toolbar.layer.listening(), true);
    assert.deepEqual(redraws, ['redrawControls'], 'enableControls asks for a redraw');
    // The hit graph follows with the redraw on the next frame.
    window.setTimeout(done.step(function () {
        clickAt(toolbar.stage, 1 * H + H / 2, H / 2);
        assert.deepEqual(sent(), [{ msgType: 'openAnimation' }], 'the open button works again');
        done();
    }), 100);
});

test('with an animation, the controls switch its two layers as well', function () {
    var calls = withAnimation({}, function () {
        myDispatchEvent('disableControls', {});
        myDispatchEvent('enableControls', {});
    });
    var listening = calls.filter(function (c) { return /listening$/.test(c[0]); });
    assert.deepEqual(listening, [
        ['animLayer.listening', false], ['bgLayer.listening', false],
        ['animLayer.listening', true], ['bgLayer.listening', true]
    ]);
});

test('redrawControls schedules one redraw of each strip: toolbar, item picker and timeline', function () {
    ['toolbar', 'itemPicker', 'timeline'].forEach(function (name) {
        var layer = pageShell[name].layer;
        var batchDraw = layer.batchDraw;
        var count = 0;
        layer.batchDraw = function () { count++; return batchDraw.apply(this, arguments); };
        try {
            myDispatchEvent('redrawControls', {});
        } finally {
            layer.batchDraw = batchDraw;
        }
        assert.equal(count, 1, name);
    });
});

test('the toggle events set the toolbar toggles from the animation\'s new state', function () {
    withAnimation({}, function () {
        myDispatchEvent('toggleGrid', {});
        assert.deepEqual(togglesPressed(), { grid: true, runningLines: false, logo: false }, 'grid on');
        myDispatchEvent('toggleRunningLines', {});
        myDispatchEvent('toggleLogo', {});
        assert.deepEqual(togglesPressed(), { grid: true, runningLines: true, logo: true }, 'all on');
        myDispatchEvent('toggleGrid', {});
        assert.deepEqual(togglesPressed(), { grid: false, runningLines: true, logo: true }, 'grid off');
    });
});

test('the rotate buttons turn the pitch a quarter either way', function () {
    var calls = withAnimation({}, function () {
        clickAt(pageShell.toolbar.stage, 9 * H + H / 2, H / 2);
        clickAt(pageShell.toolbar.stage, 10 * H + H / 2, H / 2);
    });
    assert.deepEqual(calls, [['rotateEntireAnimation', -90], ['rotateEntireAnimation', 90]]);
});

test('an opened file sets the three toggles from the animation', function () {
    withAnimation({}, function (animation) {
        cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: animationFile(true, false, true) });
        assert.deepEqual(togglesPressed(), { grid: true, runningLines: false, logo: true }, 'first file');
        cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: animationFile(false, true, false) });
        assert.deepEqual(togglesPressed(), { grid: false, runningLines: true, logo: false }, 'second file');
        assert.equal(animation.bgLayer.grid, false);
    });
});

test('a new logo is shown if it was hidden and presses the logo toggle', function () {
    var image = 'data:image/png;base64,iVBORw0KGgo=';
    var calls = withAnimation({ logo: false }, function () {
        cppInterface.emitToPage({ msgType: 'setLogoImage', image: image });
        assert.equal(togglesPressed().logo, true);
    });
    assert.deepEqual(calls, [['setLogoImage', image], ['toggleLogo']]);

    calls = withAnimation({ logo: true }, function () {
        pageShell.toolbar.setToggleLogo(true);
        cppInterface.emitToPage({ msgType: 'setLogoImage', image: image });
        assert.equal(togglesPressed().logo, true);
    });
    assert.deepEqual(calls, [['setLogoImage', image]], 'a shown logo only changes its picture');
});

test('label replies carry the id back as an integer', function () {
    var calls = withAnimation({}, function () {
        cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: '37', text: 'Keeper' });
        cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: '37', text: '' });
        cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Warm-up' });
    });
    assert.deepEqual(calls, [
        ['setItemLabel', 37, 'Keeper'], ['animLayer.batchDraw'],
        ['setShortItemLabel', 37, ''], ['animLayer.batchDraw'],
        ['setFrameText', 'Warm-up'], ['animLayer.batchDraw']
    ]);
});

// ---- Timeline -----------------------------------------------------------------

function timelineLook() {
    var timeline = pageShell.timeline;
    return {
        playing: timeline.isPlaying,
        square: timeline.stopSquare.isVisible(),
        boxes: timeline.group.find('.frameButton').map(function (b) { return b.isVisible(); }),
        bar: timeline.group.find('.playbackProgressRect').length
    };
}

test('play shows the playing look, then starts playback; its end shows the frame it ended on', function () {
    var timeline = pageShell.timeline;
    var played = [];
    var calls = withAnimation({}, function (animation) {
        animation.frameManager.nFrames = 3;
        animation.playbackManager.startPlayback = function () {
            played.push(['startPlayback', timeline.stopSquare.isVisible()]);
        };
        animation.playbackManager.stop = function () { played.push(['stop']); };
        timeline.updateFrameSettings(3, 0);
        try {
            timeline.layer.draw();
            clickAt(timeline.stage, H / 2, H / 2);
            assert.deepEqual(played, [['startPlayback', true]], 'started in the playing look');
            assert.deepEqual(timelineLook(), { playing: true, square: true, boxes: [false, false, false], bar: 0 });

            myDispatchEvent('updateTimelineProgress', { percent: 50 });
            var bar = timeline.group.find('.playbackProgressRect')[0];
            assert.close(bar.width(), (1265 - 50) / 2, 1e-9, 'progress shown');

            timeline.layer.draw();
            clickAt(timeline.stage, H / 2, H / 2);
            assert.deepEqual(played[1], ['stop'], 'the button now stops');

            animation.frameManager.selectedFrame = 2;
            myDispatchEvent('playbackEnded', {});
            assert.deepEqual(timelineLook(), { playing: false, square: false, boxes: [true, true, true], bar: 0 });
            assert.equal(timeline.selectedFrame, 2, 'refreshed from the frame model');
            assert.equal(timeline.group.find('.frameButton')[2].find('.frameRect')[0].fill(), 'lime');
        } finally {
            timeline.updateFrameSettings(1, 0);
        }
    });
    assert.deepEqual(calls, [], 'the stand-in animation was asked nothing else');
});

test('frame events refresh the timeline from the frame model', function () {
    var timeline = pageShell.timeline;
    withAnimation({}, function (animation) {
        animation.frameManager.addFrame = function () {
            animation.frameManager.nFrames++;
            animation.frameManager.selectedFrame++;
        };
        try {
            timeline.layer.draw();
            clickAt(timeline.stage, H + 60 + 2 + 10, H / 2);
            assert.deepEqual([timeline.nFrames, timeline.selectedFrame], [2, 1], 'after add-frame');
            assert.equal(timeline.group.find('.remFrameButton').length, 1);
            timeline.layer.draw();
            clickAt(timeline.stage, H + 10, H / 2);
            assert.equal(timeline.selectedFrame, 1, 'the model, not the click, decides the selection');
        } finally {
            timeline.updateFrameSettings(1, 0);
        }
    });
});

test('overlays silence the timeline, playback leaves its stop button live', function () {
    var layer = pageShell.timeline.layer;
    myDispatchEvent('disableNonTimelineControls', {});
    assert.equal(layer.listening(), true, 'playback');
    myDispatchEvent('disableControls', {});
    assert.equal(layer.listening(), false, 'an overlay');
    myDispatchEvent('enableControls', {});
    assert.equal(layer.listening(), true, 'enabled again');
});

// ---- Item picker ----------------------------------------------------------------

// The picker's command row lies below its four rows of gaa items.
var PICKER_COMMAND_Y = 4 * H + H / 2;

test('the item picker\'s buttons reach the animation and its frame model', function () {
    var picker = pageShell.itemPicker;
    var frameCalls = [];
    var calls = withAnimation({}, function (animation) {
        ['removeSelectedObjects', 'decreaseSelectedScale', 'increaseSelectedScale'].forEach(function (name) {
            animation.frameManager[name] = function () { frameCalls.push([name].concat([].slice.call(arguments))); };
        });
        picker.layer.draw();
        clickAt(picker.stage, H / 2, H / 2);
        clickAt(picker.stage, H / 2, PICKER_COMMAND_Y);
        clickAt(picker.stage, 1.5 * H, PICKER_COMMAND_Y);
        clickAt(picker.stage, 2.5 * H, PICKER_COMMAND_Y);
    });
    assert.deepEqual(calls.slice(0, 2), [['addItem', 'person', 'maroon', 'maroon', 'default'], ['animLayer.select', 99]],
        'a person added, and selected');
    assert.deepEqual(frameCalls, [['removeSelectedObjects'], ['decreaseSelectedScale'], ['increaseSelectedScale']],
        'delete, smaller, larger');
});

test('the colour and scale last given to an item go with the next one added from the picker', function () {
    var person = pageShell.itemPicker.buttons[0];
    try {
        var calls = withAnimation({}, function () {
            myDispatchEvent('setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 });
            myDispatchEvent('setItemDefaultScale', { itemType: 'person', scale: 0.3 });
            person.group.fire('click');
        });
        assert.deepEqual(calls[0], ['addItem', 'person', 'blue', 'maroon', 0.3]);
    } finally {
        person.setColor(1, 'maroon');
        person.setScale('default');
    }
});

test('playback and overlays silence the item picker until the controls are enabled again', function () {
    var picker = pageShell.itemPicker;
    var added = [];
    withAnimation({}, function (animation) {
        animation.addItem = function (type) { added.push(type); return { _id: 99 }; };
        picker.layer.draw();
        myDispatchEvent('disableNonTimelineControls', {});
        assert.equal(picker.layer.listening(), false, 'playback');
        clickAt(picker.stage, H / 2, H / 2);
        myDispatchEvent('enableControls', {});
        assert.equal(picker.layer.listening(), true, 'after playback');
        myDispatchEvent('disableControls', {});
        assert.equal(picker.layer.listening(), false, 'an overlay');
        clickAt(picker.stage, H / 2, H / 2);
        myDispatchEvent('enableControls', {});
        assert.equal(picker.layer.listening(), true, 'after the overlay');
        clickAt(picker.stage, H / 2, H / 2);
    });
    assert.deepEqual(added, ['person'], 'only the click after enabling added an item');
});

// ---- Window resize ----------------------------------------------------------

test('a window resize refits the areas and the toolbar', function (done) {
    pageTestHost.resizeViewport(900, 600);
    waitFor('the resize', function () { return pageShell.sizes.appWidth === 890; }, done, function () {
        var s = pageShell.sizes;
        assert.deepEqual([s.appWidth, s.appHeight], [890, 585]);
        assert.deepEqual([s.itemPickerWidth, s.itemPickerHeight], [135, 485]);
        assert.deepEqual([s.animMaxWidth, s.animMaxHeight], [745, 485]);
        assert.equal(pageShell.toolbar.getWidth(), 890);
        assert.equal(pageShell.toolbar.group.width(), 890);
        var about = pageShell.toolbar.group.find('.showAboutInfoButton')[0];
        assert.equal(about.x(), 845, 'About follows the right end');
        assert.equal(pageShell.timeline.stage.width(), 890, 'the timeline follows');
        assert.equal(pageShell.timeline.group.find('.addCaptionButton')[0].x(), 845);
        assert.deepEqual([pageShell.itemPicker.stage.width(), pageShell.itemPicker.stage.height()], [135, 485],
            'the item picker follows');
        done();
    });
});

test('a tiny window keeps the minimum sizes', function (done) {
    pageTestHost.resizeViewport(150, 100);
    waitFor('the resize', function () { return pageShell.sizes.appWidth === 200; }, done, function () {
        assert.equal(pageShell.sizes.appHeight, 150);
        assert.equal(pageShell.toolbar.getWidth(), 200);
        done();
    });
});

// The issue this guards against: a resize during playback used to rebuild the
// timeline in its stopped look, whose play button would start playback again.
test('a resize during playback keeps the timeline offering stop, with its progress', function (done) {
    var timeline = pageShell.timeline;
    done.cleanup(function () {
        timeline.playbackStopped();
        timeline.drawTimeline();
    });
    timeline.playbackStarted();
    myDispatchEvent('updateTimelineProgress', { percent: 30 });
    pageTestHost.resizeViewport(1000, 700);
    waitFor('the resize', function () { return pageShell.sizes.appWidth === 990; }, done, function () {
        assert.equal(timeline.stage.width(), 990);
        assert.equal(timeline.stopSquare.isVisible(), true, 'the square still shows');
        assert.equal(timeline.playTriangle.isVisible(), false);
        assert.equal(timeline.group.find('.frameButton')[0].isVisible(), false, 'the boxes stay hidden');
        var bar = timeline.group.find('.playbackProgressRect')[0];
        assert.close(bar.width(), (985 - 50) * 0.3, 1e-9, 'the bar refitted at 30 percent');

        myDispatchEvent('playbackEnded', {});
        assert.equal(timeline.playTriangle.isVisible(), true, 'the end brings the stopped look back');
        assert.equal(timeline.group.find('.playbackProgressRect').length, 0);
        done();
    });
});

test('a resize refits the animation first, then the strips', function (done) {
    var calls = [];
    function recorder(name) {
        return {
            layer: pageShell.toolbar.layer,
            updateBounds: function () { calls.push([name].concat([].slice.call(arguments))); }
        };
    }
    var toolbarUpdate = pageShell.toolbar.updateBounds;
    var timeline = pageShell.timeline;
    var itemPicker = pageShell.itemPicker;
    var animation = pageShell.animation;
    pageShell.animation = recorder('animation');
    pageShell.itemPicker = recorder('itemPicker');
    pageShell.timeline = recorder('timeline');
    pageShell.toolbar.updateBounds = function (w, h) {
        calls.push(['toolbar', w, h]);
        return toolbarUpdate.call(this, w, h);
    };
    done.cleanup(function () {
        pageShell.animation = animation;
        pageShell.itemPicker = itemPicker;
        pageShell.timeline = timeline;
        delete pageShell.toolbar.updateBounds;
    });
    pageTestHost.resizeViewport(1280, 800);
    waitFor('the resize', function () { return calls.length === 4; }, done, function () {
        assert.deepEqual(calls, [
            ['animation', 562.5, 342.5, 1125, 685],
            ['itemPicker', 135, 685],
            ['toolbar', 1270, 45],
            ['timeline', 1270, 45]
        ]);
        assert.equal(pageShell.sizes.appWidth, 1270);
        done();
    });
});

// ---- Report logo ------------------------------------------------------------

test('the report logo is prepared as a JPEG on white', function (done) {
    waitFor('the report logo', function () { return pageShell.logoDataUrl !== ''; }, done, function () {
        assert.equal(pageShell.logoDataUrl.indexOf('data:image/jpeg;base64,'), 0, 'a JPEG data URL');
        assert.equal(pageShell.logoWidth, 256);
        assert.equal(pageShell.logoHeight, 162);
        assert.equal(document.getElementById('offscreenContainer1').children.length, 0,
            'the temporary stage is gone');
        var picture = new Image();
        picture.onload = done.step(function () {
            assert.equal(picture.width, 256);
            assert.equal(picture.height, 162);
            var canvas = document.createElement('canvas');
            canvas.width = picture.width;
            canvas.height = picture.height;
            var context = canvas.getContext('2d');
            context.drawImage(picture, 0, 0);
            var corner = context.getImageData(1, 1, 1, 1).data;
            assert.ok(corner[0] > 240 && corner[1] > 240 && corner[2] > 240,
                'transparent parts come out white, not black: ' + [].slice.call(corner, 0, 3));
            done();
        });
        picture.onerror = function () { done(new Error('the data URL is not a picture')); };
        picture.src = pageShell.logoDataUrl;
    }, 4000);
});

// ---- Report -----------------------------------------------------------------

test('the report of the animation on screen: a progress step a picture, then the whole document; ' +
    'no second report meanwhile', function (done) {
    var before = pageShell.animation.saveToString();
    done.cleanup(function () { pageShell.animation.loadFromString(before); });
    waitFor('the report logo', function () { return pageShell.reportLogoSettled; }, done, function () {
        pageShell.animation.frameManager.addFrame();
        pageShell.animation.frameManager.addFrame();
        cppInterface.clearReceivedMessages();
        cppInterface.emitToPage({ msgType: 'exportPdfResponse' });
        myDispatchEvent('exportPdf', {});
        assert.deepEqual(sent(), [], 'pictures come later; a new report is refused meanwhile');
        cppInterface.emitToPage({ msgType: 'exportPdfResponse' });
        assert.deepEqual(sent(), [{ msgType: 'writePdfData', pdfData: '' }],
            'a host that asks again meanwhile hears at once that there is no second report');
        cppInterface.clearReceivedMessages();

        waitFor('the document', function () { return sent().length === 4; }, done, function () {
            assert.deepEqual(sent().slice(0, 3).map(function (m) { return [m.msgType, m.progressPercent]; }),
                [['updatePdfProgress', 0], ['updatePdfProgress', 50], ['updatePdfProgress', 100]]);
            var pdfData = lastSent().pdfData;
            assert.equal(lastSent().msgType, 'writePdfData');
            var pdf = atob(pdfData.slice(pdfData.indexOf(',') + 1));
            assert.equal(pdf.slice(0, 5), '%PDF-');
            assert.equal(pdf.split('/Subtype /Image').length - 1, 4, 'three frames and the logo');

            cppInterface.clearReceivedMessages();
            myDispatchEvent('exportPdf', {});
            assert.deepEqual(sent(), [{ msgType: 'exportPdf' }], 'the next report may start');
            done();
        }, 15000);
    }, 4000);
}, 25000);

test('the item picker and the pitch area stand side by side, one margin apart', function () {
    var picker = document.getElementById('itemPickerContainer').getBoundingClientRect();
    var anim = document.getElementById('animContainer').getBoundingClientRect();
    assert.equal(anim.left - picker.right, 5);
    assert.equal(anim.top, picker.top);
});

// ---- Video and picture exports ------------------------------------------------

function framesText(n, selected) {
    var states = [];
    var captions = [];
    for (var f = 0; f < n; f++) {
        states.push({ x: 0.2 + 0.1 * f, y: 0.5, rotation: 0 });
        captions.push('Step ' + (f + 1));
    }
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: false,
        background: { type: 'blank', showStripes: false, showLogo: false, logoImage: 'logos/ovri256x256.png' },
        rotation: 0, gridVisible: false, nFrames: n, selectedFrame: selected || 0,
        objects: [{ type: 'person', id: 1, scale: 0.3, text: '', shortLabel: '', z: 1, color: 'red',
            frames: states }],
        frameText: captions
    });
}

function sentOfType(type) {
    return sent().filter(function (m) { return m.msgType === type; });
}

// Opens an animation of `frames` frames in the editor, runs `body(done)`
// and puts a one-frame animation back, whatever happens.
function withFrames(frames, selected, done, body) {
    cppInterface.clearReplies();
    cppInterface.clearReceivedMessages();
    pageShell.receiveMessage({ msgType: 'openAnimationResponse', json: framesText(frames, selected) });
    done.cleanup(function () {
        cppInterface.clearReplies();
        pageShell.receiveMessage({ msgType: 'openAnimationResponse', json: framesText(1) });
    });
    body();
}

// pictures expected | host answers the k-th picture (from 1) with a break
[
    [1, 1, null, 'one frame: one picture, first and last'],
    [3, 31, null, 'three frames: pictures 0 to 30'],
    [3, 1, 1, 'a break answering the first picture stops the chain there'],
    [3, 7, 7, 'a break answering the seventh picture stops it there']
].forEach(function (row) {
    var frames = row[0];
    var expected = row[1];
    var breakAt = row[2];
    test('the video export sends its pictures in order: ' + row[3], function (done) {
        withFrames(frames, 0, done, function () {
            // The host answers inside the page's send, as the real one does.
            var bridge = window.cppInterface;
            var pictures = 0;
            window.cppInterface = {
                sendMessage: bridge.sendMessage,
                emitToPage: function (m) { bridge.emitToPage(m); },
                receivedMessages: function () { return bridge.receivedMessages(); },
                receiveMessage: function (m) {
                    bridge.receiveMessage(m);
                    if (m.msgType === 'writeVideoFrame' && ++pictures === breakAt) {
                        bridge.emitToPage({ msgType: 'breakVideoExport' });
                    }
                }
            };
            done.cleanup(function () { window.cppInterface = bridge; });
            cppInterface.emitToPage({ msgType: 'exportVideoResponse' });
            assert.equal(pageShell.videoRendering, true);
            assert.equal(pageShell.breakVideoExport, false);
            waitFor('the chain to end', function () { return !pageShell.videoRendering; }, done, function () {
                var pictures = sentOfType('writeVideoFrame');
                assert.equal(pictures.length, expected);
                pictures.forEach(function (m, i) {
                    assert.deepEqual([m.frameNumber, m.nFrames, m.frameWidth, m.frameHeight, m.frameRate],
                        [i, (frames - 1) * 15, 640, 480, 15], 'picture ' + i);
                    assert.ok(/^data:image\/jpeg;base64,/.test(m.imageData), 'a JPEG data URL');
                });
                assert.equal(pageShell.breakVideoExport, !!breakAt);
                done();
            }, 60000);
        });
    }, 90000);
});

test('while a video\'s pictures are still drawn, the video button and a second answer are dropped', function (done) {
    withFrames(2, 0, done, function () {
        cppInterface.emitToPage({ msgType: 'exportVideoResponse' });
        cppInterface.emitToPage({ msgType: 'exportVideoResponse' });
        window.myDispatchEvent('exportVideo', {});
        assert.equal(sentOfType('exportVideo').length, 0);
        waitFor('the chain to end', function () { return !pageShell.videoRendering; }, done, function () {
            var numbers = sentOfType('writeVideoFrame').map(function (m) { return m.frameNumber; });
            assert.equal(numbers.length, 16);
            assert.equal(numbers[15], 15);
            window.myDispatchEvent('exportVideo', {});
            assert.equal(sentOfType('exportVideo').length, 1, 'pressed again once it has ended');
            done();
        }, 60000);
    });
}, 90000);

// frameNumber asked | frameWidth | expected frame, width, or error
[
    ['0', '320', 2, 320, null, 'the selected frame by default'],
    ['3', '640', 3, 640, null, 'a frame by number'],
    ['4', '640', 0, 0, 'there is no frame 4 in this drill, which has 3 frames.', 'past the last frame'],
    ['-1', '640', 0, 0, 'there is no frame -1 in this drill, which has 3 frames.', 'below the first'],
    ['2', 'wide', 0, 0, 'no picture is wide pixels wide.', 'a width that is no number']
].forEach(function (row) {
    test('the picture export: ' + row[5], function (done) {
        withFrames(3, 1, done, function () {
            cppInterface.emitToPage({ msgType: 'exportPictureResponse', frameNumber: row[0], frameWidth: row[1] });
            waitFor('the answer', function () { return sentOfType('writePictureData').length > 0; }, done, function () {
                var answer = sentOfType('writePictureData')[0];
                if (row[4]) {
                    assert.equal(answer.errorInfo, row[4]);
                    assert.equal(answer.imageData, undefined);
                } else {
                    assert.deepEqual([answer.frameNumber, answer.frameWidth, answer.frameHeight],
                        [row[2], row[3], row[3] * 3 / 4]);
                    assert.ok(/^data:image\/jpeg;base64,/.test(answer.imageData));
                    assert.equal(pageShell.imageGenerator.animation.animLayer.getFrameText(), 'Step ' + row[2]);
                }
                done();
            }, 20000);
        });
    }, 30000);
});
