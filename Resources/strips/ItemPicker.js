// The palette beside the pitch: one button per item type offered for the
// sport, each showing a small preview of the item in the colours the next
// added item will get (a click adds one where there is room, a drag puts it
// where it is let go: PaletteDrag.js), and below them two rows of commands for the selected
// items (delete, smaller, larger; turn either way, colour). The picker never touches the animation:
// its buttons raise page events for the page shell, and it listens for the
// colour and scale the coach last gave an item of each type, so that the
// next item of that type is added alike.
(function (window, document, Kinetic) {
    'use strict';

    var CONTAINER_ID = 'itemPickerContainer';
    var GROUP_NAME = 'itemPickerGroup';
    var ITEM_BUTTON_NAME = 'itemPickerButton';
    var BACKGROUND_FILL = 'rgb(214,219,233)';
    var COLUMNS = 3;
    var LINE_STROKE = 'grey';
    var LINE_WIDTH = 1;
    var LINE_INSET = 5;
    // A preview keeps at least half of this clear of its button's edges.
    var PREVIEW_MARGIN = 15;
    var DEFAULT = 'default';

    // Item types per sport, in display order: left to right, then down. A
    // sport not listed here gets an empty palette.
    var PALETTES = {
        soccer: ['person', 'ball', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle',
            'agilityPole', 'agilityLadder', 'goal', 'miniGoal'],
        rugby: ['person', 'rugbyBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle',
            'agilityPole', 'agilityLadder'],
        gaa: ['person', 'gaaBall', 'hurlingBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle',
            'microHurdle', 'agilityPole', 'agilityLadder']
    };

    var TURN_STEP = 15;
    // The command rows, one button per column, left to right and then
    // down, each raising its event with its detail. Names follow the event
    // (and a suffix where two share it), so each can be found by name.
    var COMMANDS = [
        { icon: 'deleteItem', scale: 0.25, event: 'deleteSelectedItems', tip: 'Delete the selected items (Delete)' },
        { icon: 'minus', scale: 0.5, event: 'decreaseSelectedScale', tip: 'Make the selected items smaller (-)' },
        { icon: 'plus', scale: 0.45, event: 'increaseSelectedScale', tip: 'Make the selected items larger (+)' },
        { icon: 'rotateAntiClock', scale: 0.22, event: 'turnSelectedItems', detail: { degrees: -TURN_STEP },
            name: 'turnSelectedItemsAnticlockwiseButton', tip: 'Turn the selected items anticlockwise (Shift+R)' },
        { icon: 'rotateClock', scale: 0.22, event: 'turnSelectedItems', detail: { degrees: TURN_STEP },
            name: 'turnSelectedItemsClockwiseButton', tip: 'Turn the selected items clockwise (R)' },
        { swatches: ['red', 'yellow', 'blue', 'white'], event: 'colorSelectedItems',
            tip: 'Colour the selected items' }
    ];
    // Beside the team button, in the last column.
    var LEAVE_COMMAND = { icon: 'leaveAfterFrame', scale: 0.25, event: 'leaveAfterFrame',
        tip: 'The selected items leave after this frame (again: they stay on)' };
    var SWATCH_SIDE = 11;
    var SWATCH_STROKE = 'black';
    var SWATCH_STROKE_WIDTH = 0.5;

    // Below the commands, across the whole width: a whole team at once.
    var TEAM_COMMAND = { icon: 'team', scale: 0.28, event: 'chooseTeam',
        tip: 'Add a team (Ctrl+double-click a player to select his whole team)', caption: 'Add a team' };

    // What each palette button adds, for its tooltip.
    var ITEM_NAMES = {
        person: 'a player', ball: 'a ball', rugbyBall: 'a rugby ball', gaaBall: 'a football',
        hurlingBall: 'a sliotar', manikin: 'a manikin', marker: 'a marker', cone: 'a cone', ring: 'a ring',
        hurdle: 'a hurdle', microHurdle: 'a micro hurdle', agilityPole: 'an agility pole',
        agilityLadder: 'an agility ladder', goal: 'a goal', miniGoal: 'a mini goal'
    };

    function checkSize(width, height, what) {
        [width, height].forEach(function (value) {
            if (typeof value !== 'number' || !isFinite(value) || value < 0) {
                throw new Error(what + ': width and height must be numbers of at least 0, not ' +
                    width + ' x ' + height);
            }
        });
    }

    // Four small squares of colour, two by two, centred on the origin.
    function swatchesIcon(colors) {
        var group = new Kinetic.Group({ listening: false });
        colors.forEach(function (color, i) {
            group.add(new Kinetic.Rect({
                x: (i % 2 === 0 ? -1 : 0) * SWATCH_SIDE - (i % 2 === 0 ? 1 : -1),
                y: (i < 2 ? -1 : 0) * SWATCH_SIDE - (i < 2 ? 1 : -1),
                width: SWATCH_SIDE,
                height: SWATCH_SIDE,
                fill: color,
                stroke: SWATCH_STROKE,
                strokeWidth: SWATCH_STROKE_WIDTH,
                listening: false
            }));
        });
        return group;
    }

    // ---- ItemPickerButton ---------------------------------------------------

    // One palette button of w x h with its top-left corner at (x, y): a
    // preview of `itemType` fitted into it, and the scale remembered for the
    // next item of the type ("default" until the coach scales one). With a
    // PaletteDrag `drag`, the button can also be dragged onto the pitch.
    function ItemPickerButton(x, y, w, h, itemType, drag) {
        if (!(this instanceof ItemPickerButton)) {
            throw new Error('ItemPickerButton must be called with new');
        }
        var self = this;

        this.button = new window.Button(x, y, w, h, ITEM_BUTTON_NAME);
        this.button.setTooltip('Add ' + (ITEM_NAMES[itemType] || itemType));
        this.group = this.button.group;
        this.scale = DEFAULT;

        // Fitted by its drawn size at scale 1 rather than by the type's
        // scale range: a ladder is long and thin, a goal wide, and each must
        // fit the square whatever the range allows.
        this.fieldItem = new window.FieldItem(0, 0, 0, 1, itemType, DEFAULT, DEFAULT, 1);
        var preview = this.fieldItem.group;
        var f = Math.max((preview.width() + PREVIEW_MARGIN) / w, (preview.height() + PREVIEW_MARGIN) / h);
        this.fieldItem.setScale(1 / f, true);
        // Only a picture: the button under it takes the click, and the
        // preview must not be dragged out of it.
        preview.listening(false);
        // The preview is centred on its own position, and the button's
        // content origin is its centre.
        this.group.add(preview);

        this.group.on('mousedown', function (evt) {
            if (drag) {
                drag.start(evt.evt, self);
            }
        });
        this.group.on('click tap', function () {
            if (drag && drag.tookRelease()) {
                return;
            }
            window.myDispatchEvent('addItem', {
                type: self.itemType(),
                col1: self.fieldItem.getCol(1),
                col2: self.fieldItem.getCol(2),
                scale: self.scale
            });
        });
    }

    ItemPickerButton.prototype.setColor = function (colNumber, color) {
        this.fieldItem.setCol(color, colNumber);
    };

    // A positive number, or "default" for the type's own default scale.
    ItemPickerButton.prototype.setScale = function (scale) {
        if (scale !== DEFAULT && (typeof scale !== 'number' || !isFinite(scale) || scale <= 0)) {
            throw new Error('ItemPickerButton.setScale: the scale must be a positive number or "default", not ' +
                scale);
        }
        this.scale = scale;
    };

    ItemPickerButton.prototype.itemType = function () {
        return this.fieldItem.type;
    };

    // ---- ItemPicker ---------------------------------------------------------

    // The palette for `sport` in itemPickerContainer, width x height.
    function ItemPicker(width, height, sport) {
        if (!(this instanceof ItemPicker)) {
            throw new Error('ItemPicker must be called with new');
        }
        checkSize(width, height, 'ItemPicker');

        this.stage = new Kinetic.Stage({ container: CONTAINER_ID, width: width, height: height });
        this.layer = new Kinetic.Layer();
        this.group = new Kinetic.Group({ name: GROUP_NAME, width: width, height: height });
        this.backgroundRect = new Kinetic.Rect({ x: 0, y: 0, width: width, height: height, fill: BACKGROUND_FILL });
        this.group.add(this.backgroundRect);
        // What the coach last gave an item of each type, kept across palette
        // rebuilds: { colors: { 1: name, 2: name }, scale }.
        this.remembered = {};
        this.drag = new window.PaletteDrag();
        this.buildPalette(sport, width);

        this.layer.add(this.group);
        this.stage.add(this.layer);

        // Only now: fitting the previews above changed their scales, and each
        // scale change is announced as the scale to remember for its type.
        this.listenForItemDefaults();

        this.updateBounds(width, height);
    }

    // The buttons of `sport`'s palette and the command row below them, in
    // place of any there were.
    ItemPicker.prototype.buildPalette = function (sport, width) {
        (this.buttons || []).forEach(function (button) { button.group.destroy(); });
        (this.commandButtons || []).forEach(function (button) { button.group.destroy(); });
        if (this.dividingLine) {
            this.dividingLine.destroy();
        }
        this.sport = sport;
        this.itemTypes = PALETTES.hasOwnProperty(sport) ? PALETTES[sport].slice() : [];
        // Fitting the previews announces their scales; those are not the
        // coach's.
        this.building = true;

        // Square buttons that touch, three to a row across the whole width.
        var side = width / COLUMNS;
        this.buttonSide = side;
        this.buttons = [];
        for (var i = 0; i < this.itemTypes.length; i++) {
            var button = new ItemPickerButton((i % COLUMNS) * side, Math.floor(i / COLUMNS) * side,
                side, side, this.itemTypes[i], this.drag);
            this.applyRemembered(button);
            this.buttons.push(button);
            this.group.add(button.group);
        }

        // The commands take the first row below the items.
        var commandY = Math.ceil(this.itemTypes.length / COLUMNS) * side;
        this.dividingLine = new Kinetic.Line({
            points: [LINE_INSET, commandY, width - LINE_INSET, commandY],
            stroke: LINE_STROKE,
            strokeWidth: LINE_WIDTH,
            listening: false
        });
        this.group.add(this.dividingLine);

        this.commandButtons = [];
        for (var c = 0; c < COMMANDS.length; c++) {
            this.commandButtons.push(this.addCommandButton(COMMANDS[c], (c % COLUMNS) * side,
                commandY + Math.floor(c / COLUMNS) * side, side));
        }
        var teamY = commandY + Math.ceil(COMMANDS.length / COLUMNS) * side;
        this.teamButton = this.addWideButton(TEAM_COMMAND, teamY, (COLUMNS - 1) * side, side);
        this.commandButtons.push(this.teamButton);
        this.commandButtons.push(this.addCommandButton(LEAVE_COMMAND, (COLUMNS - 1) * side, teamY, side));
        this.building = false;
    };

    ItemPicker.prototype.applyRemembered = function (button) {
        var remembered = this.remembered[button.itemType()];
        if (!remembered) {
            return;
        }
        Object.keys(remembered.colors).forEach(function (number) {
            button.setColor(Number(number), remembered.colors[number]);
        });
        if (remembered.scale !== DEFAULT) {
            button.setScale(remembered.scale);
        }
    };

    ItemPicker.prototype.remember = function (itemType) {
        if (!this.remembered.hasOwnProperty(itemType)) {
            this.remembered[itemType] = { colors: {}, scale: DEFAULT };
        }
        return this.remembered[itemType];
    };

    // Rebuilds the palette for another sport; the colours and scales the
    // coach gave items of a type stay with the type.
    ItemPicker.prototype.setSport = function (sport) {
        if (sport === this.sport) {
            return;
        }
        this.buildPalette(sport, this.group.width());
        this.layer.draw();
    };

    // Group names follow the event a command raises
    // ("deleteSelectedItemsButton"), so each can be found by name.
    ItemPicker.prototype.addCommandButton = function (entry, x, y, side) {
        var button = new window.Button(x, y, side, side, entry.name || entry.event + 'Button');
        button.group.add(entry.swatches ? swatchesIcon(entry.swatches) : window.icon(entry.icon, entry.scale));
        button.setTooltip(entry.tip);
        button.group.on('click tap', function () {
            window.myDispatchEvent(entry.event, entry.detail || {});
        });
        this.group.add(button.group);
        return button;
    };

    // A button as wide as the palette, its icon at the left, its caption
    // beside it.
    ItemPicker.prototype.addWideButton = function (entry, y, width, side) {
        var button = this.addCommandButton(entry, 0, y, side);
        button.setWidth(width);
        button.group.find('.iconGroup')[0].x(side / 2 - width / 2);
        button.setText(entry.caption);
        button.captionText().x(side - width / 2);
        button.captionText().width(width - side);
        button.captionText().align('left');
        return button;
    };

    // The palette offers each type once; should it ever offer one twice, the
    // first button of the type is the one that remembers.
    ItemPicker.prototype.buttonFor = function (itemType) {
        for (var i = 0; i < this.buttons.length; i++) {
            if (this.buttons[i].itemType() === itemType) {
                return this.buttons[i];
            }
        }
        return null;
    };

    ItemPicker.prototype.listenForItemDefaults = function () {
        var self = this;
        document.addEventListener('setItemDefaultColor', function (evt) {
            var detail = evt.detail || {};
            var button = self.buttonFor(detail.itemType);
            if (!button) {
                return;
            }
            self.remember(detail.itemType).colors[detail.colNumber] = detail.color;
            button.setColor(detail.colNumber, detail.color);
            self.layer.batchDraw();
        }, false);
        document.addEventListener('setItemDefaultScale', function (evt) {
            var detail = evt.detail || {};
            var button = self.buttonFor(detail.itemType);
            if (button && !self.building) {
                button.setScale(detail.scale);
                self.remember(detail.itemType).scale = detail.scale;
            }
        }, false);
    };

    // No button keeps a highlight while the palette is deaf: the team's
    // and the colour's choosers open over the pitch with the pointer on
    // their buttons, and no pointer-out comes while they are open.
    ItemPicker.prototype.leaveAll = function () {
        this.buttons.concat(this.commandButtons).forEach(function (entry) {
            (entry.button || entry).leave();
        });
    };

    // Only the area follows the new size; the buttons keep the size and
    // places they were built with.
    ItemPicker.prototype.updateBounds = function (width, height) {
        checkSize(width, height, 'ItemPicker.updateBounds');
        this.stage.size({ width: width, height: height });
        this.group.size({ width: width, height: height });
        this.backgroundRect.size({ width: width, height: height });
        this.stage.draw();
    };

    window.ItemPicker = ItemPicker;
    window.ItemPickerButton = ItemPickerButton;
}(window, document, Kinetic));
