#!/usr/bin/env bash
# The editor on a desktop as a coach's is (openbox on a bare X server): the
# window's maximised state comes back at the next start, where the state is
# the window manager's, which a test without one never sees; and the terminal
# it was started from stays quiet.
# Usage: desktop-test.sh <drillmora>
set -uo pipefail
program="$(realpath "$1")"
if [ -z "${DRILLMORA_UNDER_X:-}" ]; then
  exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DRILLMORA_UNDER_X=1 \
    xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi
work="$(mktemp -d)"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
manager=$!
editor=
trap 'kill $editor "$manager" 2>/dev/null; wait; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits for a condition, a tenth of a second at a time, for at most a minute.
within_a_minute() {
  local tries
  for ((tries = 0; tries < 600; tries++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
manager_running() { wmctrl -m >/dev/null 2>&1; }
# The editor's window, told from its splash screen (of the same name) by the
# least size the editor sets.
editor_window() {
  local id
  for id in $(wmctrl -l | awk '/Drillmora/ { print $1 }'); do
    xprop -id "$id" WM_NORMAL_HINTS 2>/dev/null | grep -q 'minimum size: 650 by 400' && { echo "$id"; return; }
  done
}
window_shown() { [ -n "$(editor_window)" ]; }
maximised() { xprop -id "$(editor_window)" _NET_WM_STATE 2>/dev/null | grep -q '_NET_WM_STATE_MAXIMIZED_HORZ'; }
size() { xwininfo -id "$(editor_window)" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

start() {
  "$program" >>"$work/program.log" 2>&1 &
  editor=$!
  within_a_minute window_shown || fail "the editor's window never came: $(cat "$work/program.log")"
}
# Closed as the window manager closes it, and waited for.
close() {
  wmctrl -i -c "$(editor_window)"
  within_a_minute eval '! kill -0 "$editor" 2>/dev/null' || fail "the editor did not end when its window was closed"
}

within_a_minute manager_running || fail "the window manager did not start: $(cat "$work/openbox.log")"
start
[ "$(size)" = 782x600 ] || fail "the first start's window is $(size), not 782x600"
wmctrl -i -r "$(editor_window)" -b add,maximized_vert,maximized_horz
within_a_minute maximised || fail "the window manager did not maximise the window"
close
start
# The state is asked of the manager as the window is mapped; it answers soon after.
within_a_minute maximised || fail "the window opened $(size), not maximised, after it was closed maximised"
wmctrl -i -r "$(editor_window)" -b remove,maximized_vert,maximized_horz
within_a_minute eval '! maximised' || fail "the window stayed maximised when the manager restored it"
within_a_minute eval '[ "$(size)" = 782x600 ]' || fail "restored from maximised, the window is $(size), not the 782x600 it had"
close
# Qt's word on XDG_RUNTIME_DIR is the environment's, and a sandbox turned off
# by the user is worth the line it gets.
noise="$(grep -v -e '^QStandardPaths: ' -e '^Sandboxing disabled by user\.$' "$work/program.log")"
[ -z "$noise" ] || fail "the editor wrote $(wc -l <<<"$noise") lines to its terminal, beginning: $(head -n 3 <<<"$noise")"
echo "PASS: the maximised window came back maximised, its earlier size kept beneath; the terminal stayed quiet"
