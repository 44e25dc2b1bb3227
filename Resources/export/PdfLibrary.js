// jsPDF, which the PDF report writes with: loaded from the page's
// resources at the first report, not with the editor, whose start it would
// only slow.
//
// createPdfLibrary(src).load(callback) calls back with window.jsPDF, or
// with null when the script at `src` could not load (a later report tries
// again). Reports asked for while it loads wait for it with the first.
(function (window, document) {
    'use strict';

    function createPdfLibrary(src) {
        var pdfLibraryWaiters = null;

        function load(callback) {
            if (window.jsPDF) {
                callback(window.jsPDF);
                return;
            }
            if (pdfLibraryWaiters) {
                pdfLibraryWaiters.push(callback);
                return;
            }
            pdfLibraryWaiters = [callback];
            var script = document.createElement('script');
            var settle = function () {
                var waiters = pdfLibraryWaiters;
                pdfLibraryWaiters = null;
                if (!window.jsPDF) {
                    document.head.removeChild(script);
                }
                waiters.forEach(function (waiter) { waiter(window.jsPDF || null); });
            };
            script.onload = settle;
            script.onerror = settle;
            script.src = src;
            document.head.appendChild(script);
        }

        return { load: load };
    }

    window.createPdfLibrary = createPdfLibrary;
}(window, document));
