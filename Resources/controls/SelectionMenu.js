// The menu a right-click on the pitch opens: a short list of commands for
// what is selected, each naming its key where it has one, drawn by the page
// (the same in both engines) over the canvases at the pointer. Choosing an
// entry closes the menu and raises the entry's page event; Escape (the page
// event closeOverlays) or a press anywhere else closes it with nothing
// done, and that press does nothing more. While it is open the page shell
// keeps every other layer deaf, as for any overlay.
//
// Use: new SelectionMenu() → menu; menu.open(entries, clientX, clientY)
// with entries [{ text, keys, event, detail }]; menu.isOpen(); menu.close().
(function (window, document) {
    'use strict';

    var MENU_ID = 'selectionMenu';
    var ENTRY_CLASS = 'selectionMenuEntry';
    var KEYS_CLASS = 'selectionMenuKeys';
    // Kept this far inside the window's edges.
    var EDGE = 4;

    function SelectionMenu() {
        if (!(this instanceof SelectionMenu)) {
            throw new Error('SelectionMenu must be called with new');
        }
        var self = this;
        this.element = null;
        this.onOutsidePress = function (evt) {
            if (self.element && !self.element.contains(evt.target)) {
                evt.stopPropagation();
                evt.preventDefault();
                self.close();
            }
        };
        this.onClose = function () {
            self.close();
        };
    }

    SelectionMenu.prototype.isOpen = function () {
        return !!this.element;
    };

    // `entries`: at least one; the menu's top left corner at the page point
    // (clientX, clientY), or moved in to stay within the window.
    SelectionMenu.prototype.open = function (entries, clientX, clientY) {
        if (!Array.isArray(entries) || entries.length === 0) {
            throw new Error('SelectionMenu.open: at least one entry is needed');
        }
        this.close();
        window.myDispatchEvent('disableControls', {});
        var self = this;
        var menu = document.createElement('div');
        menu.id = MENU_ID;
        entries.forEach(function (entry) {
            var row = document.createElement('div');
            row.className = ENTRY_CLASS;
            row.appendChild(document.createTextNode(entry.text));
            if (entry.keys) {
                var keys = document.createElement('span');
                keys.className = KEYS_CLASS;
                keys.textContent = entry.keys;
                row.appendChild(keys);
            }
            row.addEventListener('click', function () {
                self.close();
                window.myDispatchEvent(entry.event, entry.detail || {});
            }, false);
            menu.appendChild(row);
        });
        document.body.appendChild(menu);
        this.element = menu;
        var left = Math.max(EDGE, Math.min(clientX, window.innerWidth - menu.offsetWidth - EDGE));
        var top = Math.max(EDGE, Math.min(clientY, window.innerHeight - menu.offsetHeight - EDGE));
        menu.style.left = (left + window.pageXOffset) + 'px';
        menu.style.top = (top + window.pageYOffset) + 'px';
        window.addEventListener('mousedown', this.onOutsidePress, true);
        window.addEventListener('resize', this.onClose, false);
        document.addEventListener('closeOverlays', this.onClose, false);
    };

    SelectionMenu.prototype.close = function () {
        if (!this.element) {
            return;
        }
        window.removeEventListener('mousedown', this.onOutsidePress, true);
        window.removeEventListener('resize', this.onClose, false);
        document.removeEventListener('closeOverlays', this.onClose, false);
        this.element.parentNode.removeChild(this.element);
        this.element = null;
        window.myDispatchEvent('enableControls', {});
    };

    window.SelectionMenu = SelectionMenu;
}(window, document));
