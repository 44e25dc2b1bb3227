// The video's pictures as bytes, through a web socket the host opens for
// one export beside the bridge (pictureForm "socket" in
// "exportVideoResponse": a web channel carries only text and numbers, and
// would spell every byte out as a number). A page the host offers none
// never opens one.
//
// createPictureSocket(url, token, settled) connects to `url` and presents
// `token` as its first message; settled(true) follows once that is done,
// settled(false) when no connection could be had (the host is then sent
// JPEG pictures through the bridge instead). Then send(message, pixels)
// sends one picture: the "writeVideoFrame" message without its pixels as a
// JSON text, then the pixels (getImageData's bytes) as one binary message.
// It returns false once the connection has closed: the host closed it (the
// export is over, or the host refused what it was sent, and says so
// through the bridge). The host still acknowledges each picture through
// the bridge. close() ends the connection.
(function (window) {
    'use strict';

    function createPictureSocket(url, token, settled) {
        var open = false;
        var told = false;
        var socket = null;
        function tell(opened) {
            if (!told) {
                told = true;
                settled(opened);
            }
        }
        try {
            socket = new window.WebSocket(url);
            socket.binaryType = 'arraybuffer';
        } catch (e) {
            // No sockets in this engine, or a bad address: the bridge it is.
            window.setTimeout(function () { tell(false); }, 0);
            return { send: function () { return false; }, close: function () {} };
        }
        socket.onopen = function () {
            socket.send(String(token));
            open = true;
            tell(true);
        };
        // An error is always followed by the close.
        socket.onclose = function () {
            open = false;
            tell(false);
        };
        return {
            send: function (message, pixels) {
                if (!open) {
                    return false;
                }
                socket.send(JSON.stringify(message));
                socket.send(pixels);
                return true;
            },
            close: function () {
                open = false;
                socket.close();
            }
        };
    }

    window.createPictureSocket = createPictureSocket;
}(window));
