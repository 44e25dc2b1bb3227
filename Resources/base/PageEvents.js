// The page event bus: every page event is raised through myDispatchEvent,
// on the document, and runs its listeners before it returns.
(function (window, document) {
    'use strict';

    // The one place where page events are built. This engine has no
    // CustomEvent constructor that can be relied on, so the event is made the
    // old way; it neither bubbles nor can be cancelled, and dispatchEvent runs
    // every listener before it returns.
    function createPageEvent(evtName, evtDetail) {
        var evt = document.createEvent('CustomEvent');
        evt.initCustomEvent(evtName, false, false, evtDetail);
        return evt;
    }

    // Raises the page event `evtName` on the document with `evtDetail` (a
    // plain record; an empty one when left out) as its detail. Synchronous:
    // every handler, and every event a handler raises in turn, has run when
    // this returns.
    function myDispatchEvent(evtName, evtDetail) {
        if (typeof evtName !== 'string' || evtName === '') {
            throw new Error('myDispatchEvent: the event name must be a non-empty string');
        }
        var detail = (evtDetail === undefined || evtDetail === null) ? {} : evtDetail;
        document.dispatchEvent(createPageEvent(evtName, detail));
    }

    window.myDispatchEvent = myDispatchEvent;
}(window, document));
