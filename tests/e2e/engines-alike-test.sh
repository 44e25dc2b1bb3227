#!/usr/bin/env bash
# The same drill looks the same from both builds: every pitch of every sport,
# straight and turned, with a player's running line and a ball's dashed one,
# exported as a picture by this build and by the WebKit build beside it, and
# compared pixel by pixel with ImageMagick.
# Usage: engines-alike-test.sh <drillmora> [<the WebKit build's drillmora>]
# By default the WebKit build of this checkout; without it (Debian 13 has no
# QtWebKit) the test skips, exit 77.
#
# The bound: the two engines smooth the edges of lines, circles, pictures and
# text each their own way (Qt's raster painter and Skia), so pixels on edges
# differ while the inside of every shape is the same. A pixel counts as
# different beyond a fuzz of 25 %; alike pictures differ in 0.03-0.09 % of
# their pixels, and at most 0.2 % may. The rugby pitch's dashes measured in
# the wrong unit, once, made 0.41-0.75 %.
set -uo pipefail
program="$(realpath "$1")"
other="${2:-$("$(dirname "$0")/../../scripts/build-dir.sh" webkit)/host/drillmora}"
if [ ! -x "$other" ]; then
  echo "SKIP: no WebKit build at '$other' to compare with"
  exit 77
fi
other="$(realpath "$other")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir this that
fuzz=25
bound=0.2
failures=0

# A drill of sport $1 on view $2 turned $3 degrees: a player and the sport's
# ball crossing the pitch in two frames, running lines shown, frame 2 selected.
drill() {
  local ball
  case "$1" in soccer) ball=ball ;; rugby) ball=rugbyBall ;; gaa) ball=gaaBall ;; esac
  printf '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"%s","showRunningLines":true,"background":{"type":"%s","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},"rotation":%d,"gridVisible":false,"nFrames":2,"selectedFrame":1,"objects":[{"type":"person","id":1,"scale":0.3,"text":"","shortLabel":"9","z":1,"color":"blue","frames":[{"x":0.2,"y":0.3,"rotation":0},{"x":0.6,"y":0.4,"rotation":0}]},{"type":"%s","id":2,"scale":0.12,"text":"","shortLabel":"","z":2,"color":"white","frames":[{"x":0.25,"y":0.7,"rotation":0},{"x":0.75,"y":0.6,"rotation":0}]}],"frameText":["",""]}\n' \
    "$1" "$2" "$3" "$ball"
}
for row in soccer:fullField,oneEnd,penaltyArea,penaltyAreaLeft,penaltyAreaRight,blank rugby:fullField,oneEnd,blank \
  gaa:fullField,oneEnd,penaltyArea,penaltyAreaLeft,penaltyAreaRight,blank; do
  sport="${row%%:*}"
  IFS=, read -r -a views <<<"${row#*:}"
  for view in "${views[@]}"; do
    for turn in 0 90; do
      drill "$sport" "$view" "$turn" >"$sport-$view-$turn.anim"
    done
  done
done
export_all() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --output-dir "$2" --export-picture png ./*.anim >"$2.log" 2>&1; }
export_all "$program" this || { echo "FAIL: this build's pictures: $(cat this.log)"; exit 1; }
export_all "$other" that || { echo "FAIL: the other build's pictures: $(cat that.log)"; exit 1; }

for drill in *.anim; do
  name="${drill%.anim}"
  # compare prints the count of pixels beyond the fuzz (ImageMagick 7 adds the
  # share in brackets); exit 1 only says they differ.
  differing="$(compare -metric AE -fuzz "$fuzz%" "this/$name.png" "that/$name.png" null: 2>&1 | awk '{ print $1 }')"
  size="$(identify -format '%w %h' "this/$name.png")"
  if ! [[ "$differing" =~ ^[0-9.e+]+$ ]] || [ "$size" != "$(identify -format '%w %h' "that/$name.png")" ]; then
    echo "FAIL: $name not compared: $differing"
    failures=$((failures + 1))
    continue
  fi
  share="$(awk -v n="$differing" -v s="$size" 'BEGIN { split(s, wh, " "); printf "%.3f", 100 * n / (wh[1] * wh[2]) }')"
  verdict=alike
  awk -v p="$share" -v b="$bound" 'BEGIN { exit !(p <= b) }' || { verdict=DIFFERENT; failures=$((failures + 1)); }
  printf '%-28s %6s %% of pixels differ  %s\n' "$name" "$share" "$verdict"
done
[ "$failures" -eq 0 ] || { echo "FAIL: $failures of the pitches look different in the two builds"; exit 1; }
echo "PASS: every pitch alike within $bound % at a fuzz of $fuzz %"
