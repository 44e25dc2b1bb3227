// `cppInterface` for the page tests, in the page itself so that a test reads the host's side at
// once on every engine: the real bridge's slot (receiveMessage) and signal (sendMessage), and
// calls that let a test play the host. Messages are copied as the bridge carries them.
(function (window) {
    'use strict';

    var receivers = [];
    var received = [];
    var replies = {};

    // Keys whose value is undefined, NaN or a function do not cross the bridge; objects and
    // arrays cross as copies. Anything but an object where a message is expected throws.
    function carried(value) {
        if (Array.isArray(value)) {
            return value.map(carried);
        }
        if (value === null || typeof value !== 'object') {
            return value;
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
        // A programmed reply comes at once, nested inside the page's call, as WebKit's host's do.
        receiveMessage: function (value) {
            var m = message(value);
            received.push(m);
            if (Object.prototype.hasOwnProperty.call(replies, m.msgType)) {
                emitToPage(replies[m.msgType]);
            }
        },
        emitToPage: emitToPage,
        setReply: function (type, reply) { replies[String(type)] = message(reply); },
        clearReplies: function () { replies = {}; },
        receivedMessages: function () { return carried(received); },
        clearReceivedMessages: function () { received = []; }
    };
}(window));
