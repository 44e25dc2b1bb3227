// `cppInterface` for the page tests, in the page itself so that a test reads the host's side at
// once on every engine: the real bridge's slot (receiveMessage) and signal (sendMessage), and
// calls that let a test play the host. Messages are copied as the bridge carries them.
(function (window) {
    'use strict';

    var receivers = [];
    var received = [];
    var replies = {};
    var echoes = {};
    var mode = 'nested';
    var held = [];

    // Keys whose value is undefined, NaN or a function do not cross the bridge; objects and
    // arrays cross as copies. Anything but an object where a message is expected throws.
    function carried(value) {
        if (Array.isArray(value)) {
            return value.map(carried);
        }
        if (value === null || typeof value !== 'object') {
            return value;
        }
        // Bytes (a canvas's pixels) reach the host as a byte array, and come back as numbers.
        if (value instanceof Uint8ClampedArray || value instanceof Uint8Array) {
            return Array.prototype.slice.call(value);
        }
        var copy = {};
        Object.keys(value).forEach(function (key) {
            var v = value[key];
            if (v !== undefined && typeof v !== 'function' && !(typeof v === 'number' && v !== v)) {
                copy[key] = carried(v);
            }
        });
        return copy;
    }

    function message(value) {
        if (value === null || typeof value !== 'object' || Array.isArray(value)) {
            throw new TypeError('cppInterface: a message must be an object');
        }
        return carried(value);
    }

    function emitToPage(value) {
        var m = message(value);
        receivers.slice().forEach(function (receiver) { receiver(carried(m)); });
    }

    window.cppInterface = {
        sendMessage: {
            connect: function (receiver) { receivers.push(receiver); },
            disconnect: function (receiver) { receivers = receivers.filter(function (r) { return r !== receiver; }); }
        },
        // A programmed reply comes as the reply mode says: "nested" at once, inside the page's call,
        // as QtWebKit delivers the host's; "queued" from the event loop once the call has returned,
        // as a web channel does; "held" only when the test calls releaseReplies(), after whatever
        // the coach did meanwhile.
        receiveMessage: function (value) {
            var m = message(value);
            received.push(m);
            if (!Object.prototype.hasOwnProperty.call(replies, m.msgType)) {
                return;
            }
            var reply = carried(replies[m.msgType]);
            echoes[m.msgType].forEach(function (key) {
                if (m[key] !== undefined) {
                    reply[key] = String(m[key]);
                }
            });
            if (mode === 'held') {
                held.push(reply);
            } else if (mode === 'queued') {
                setTimeout(function () { emitToPage(reply); }, 0);
            } else {
                emitToPage(reply);
            }
        },
        emitToPage: emitToPage,
        // `echoed`: keys of the page's message copied into the reply, as text.
        setReply: function (type, reply, echoed) {
            replies[String(type)] = message(reply);
            echoes[String(type)] = (echoed || []).map(String);
        },
        clearReplies: function () { replies = {}; echoes = {}; held = []; mode = 'nested'; },
        setReplyMode: function (m) { mode = String(m); },
        // The held replies, in the order their messages came; returns how many.
        releaseReplies: function () {
            var now = held;
            held = [];
            now.forEach(emitToPage);
            return now.length;
        },
        receivedMessages: function () { return carried(received); },
        clearReceivedMessages: function () { received = []; }
    };
}(window));
