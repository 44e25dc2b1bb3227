#!/usr/bin/env bash
# The drill as a web page, end to end: exported by the real program from the
# command line, opened in Debian's Chromium with the network off and worked
# by touch (tools/web-page-check.js), opened again by the program as the same
# drill, and within its size for a ten-frame drill of 25 items.
# Usage: web-page-test.sh <drillmora> <npm modules folder>
set -uo pipefail
program="$(realpath "$1")"
modules="$(realpath "$2")"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir out
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >stdout 2>stderr || { fail "drillmora $*: $(cat stderr)"; return 1; }; }

# $1 frames of $2 items (players of every kit, cones and balls) crossing the
# pitch, each frame with its caption, the items' names and captions $3.
drill() {
  local frames="$1" items="$2" text="$3" objects="" f i
  local kinds=(person person person cone ball) colours=(red blue yellow orange white)
  for ((i = 0; i < items; i++)); do
    local states=""
    for ((f = 0; f < frames; f++)); do
      states+="${states:+,}{\"x\":0.$((10 + (i * 7 + f * 13) % 80)),\"y\":0.$((10 + (i * 11 + f * 17) % 80)),\"rotation\":0}"
    done
    objects+="${objects:+,}{\"type\":\"${kinds[i % 5]}\",\"id\":$((i + 1)),\"scale\":0.35,\"text\":\"$text$i\",\"shortLabel\":\"$((i + 1))\",\"z\":$((i + 1)),\"color\":\"${colours[i % 5]}\",\"frames\":[$states]}"
  done
  local captions=""
  for ((f = 0; f < frames; f++)); do captions+="${captions:+,}\"$text step $((f + 1))\""; done
  printf '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"soccer","showRunningLines":true,"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},"rotation":0,"gridVisible":false,"nFrames":%d,"selectedFrame":0,"objects":[%s],"frameText":[%s]}\n' \
    "$frames" "$objects" "$captions"
}
drill 3 6 "Run" >three.anim
drill 10 25 "Player" >ten.anim
# Markup and script in the captions and names, and in the drill's file name.
hostile='<img src=x onerror=window.hacked=2>'
drill 3 2 '<\/script><script>window.hacked=1<\/script><b onmouseover=window.hacked=3>' >"$hostile.anim"

run --export-page out/three.html three.anim && run --export-page out/ten.html ten.anim &&
  run --export-page "out/$hostile.html" "$hostile.anim" &&
  run --export-picture out/f1.png --frame 1 --width 640 three.anim && run --export-picture out/f3.png --frame 3 --width 640 three.anim ||
  { echo "FAIL: the exports the checks need"; exit 1; }

size="$(stat -c %s out/ten.html)"
echo "the ten-frame, 25-item drill's page: $size bytes"
[ "$size" -le 1572864 ] || fail "the ten-frame, 25-item drill's page is $size bytes, over 1.5 MB"

# Opened by the program, the page is its drill: the page it writes again
# carries the same text, and its picture of a frame is the same picture.
carried() { sed -n 's/.*id="drillmoraDrill"[^>]*>\([^<]*\)<\/script>.*/\1/p' "$1"; }
run --export-page out/again.html out/three.html && run --export-picture out/again1.png --frame 1 --width 640 out/three.html &&
  [ -n "$(carried out/three.html)" ] && [ "$(carried out/three.html)" = "$(carried out/again.html)" ] &&
  [ "$(compare -metric AE out/f1.png out/again1.png null: 2>&1)" = 0 ] || fail "the page opened again is not the drill it was made of"
# A web page the program did not write is not a drill.
echo '<!DOCTYPE html><html><body>hello</body></html>' >other.html
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --export-picture out/other.png other.html >stdout 2>stderr
[ $? -eq 1 ] && grep -qF "holds no drill" stderr && [ ! -e out/other.png ] || fail "a page of someone else's opened: $(cat stderr)"

node "$here/tools/web-page-check.js" "$modules" out/three.html out/f1.png out/f3.png "out/$hostile.html" || failures=$((failures + 1))
[ "$failures" -eq 0 ] && echo "web page: all checks passed"
exit $((failures > 0))
