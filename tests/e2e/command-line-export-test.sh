#!/usr/bin/env bash
# Exports from the command line as a club would run them: no display, real
# drills, the files read back with ffprobe and ImageMagick's identify; bad
# drills and places that cannot be written give a non-zero exit and leave
# no file, finished or half-written.
# Usage: command-line-export-test.sh <drillmora>
set -uo pipefail
program="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir out
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A player crossing the pitch over $1 frames, frame 2 selected when there is one.
drill() {
  local n="$1" states="" captions="" f
  for ((f = 0; f < n; f++)); do
    states+="${states:+,}{\"x\":0.$((2 + f)),\"y\":0.5,\"rotation\":0}"
    captions+="${captions:+,}\"Step $((f + 1))\""
  done
  printf '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"rugby","showRunningLines":true,"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},"rotation":0,"gridVisible":true,"nFrames":%d,"selectedFrame":%d,"objects":[{"type":"person","id":1,"scale":0.4,"text":"","shortLabel":"7","z":1,"color":"blue","frames":[%s]}],"frameText":[%s]}\n' \
    "$n" "$((n > 1 ? 1 : 0))" "$states" "$captions"
}
drill 3 >three.anim
drill 1 >one.anim
printf 'not a drill at all\n' >broken.anim
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >stdout 2>stderr; }
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }

# Successful exports: expected file | check | expected value | arguments
cases=(
  "out/three.mp4|frames|61|--export-video out/three.mp4 three.anim"
  "out/one.mp4|frames|31|--export-video out/one.mp4 one.anim"
  "out/p.png|identify|PNG 1024x768|--export-picture out/p.png three.anim"
  "out/p.jpg|identify|JPEG 640x480|--export-picture out/p.jpg --frame 3 --width 640 three.anim"
  "out/three.png|identify|PNG 320x240|--output-dir out --export-picture png --width 320 three.anim one.anim"
)
for c in "${cases[@]}"; do
  IFS='|' read -r file check want args <<<"$c"
  # shellcheck disable=SC2086
  run $args
  code=$?
  case "$check" in
    frames) got="$(frames "$file" 2>&1)" ;;
    identify) got="$(identify -format '%m %wx%h' "$file" 2>&1)" ;;
  esac
  if [ "$code" -ne 0 ] || [ "$got" != "$want" ] || ! grep -qF -- "-> $file" stderr; then
    fail "drillmora $args: exit $code, $check gave '$got' (want '$want'); stderr:"
    cat stderr >&2
  fi
done
[ -f out/one.png ] || fail "--output-dir did not export the second drill"

# The picture is the frame asked for: frame 1 and 3 differ, the default
# (the selected frame, 2) is neither.
run --export-picture out/f1.png --frame 1 three.anim && run --export-picture out/f2.png three.anim &&
  run --export-picture out/f3.png --frame 3 three.anim || fail "picture exports of single frames"
if [ "$(compare -metric AE out/f1.png out/f3.png null: 2>&1)" = 0 ] ||
  [ "$(compare -metric AE out/f2.png out/f1.png null: 2>&1)" = 0 ] ||
  [ "$(compare -metric AE out/f2.png out/f3.png null: 2>&1)" = 0 ]; then
  fail "the three frames' pictures are not three different pictures"
fi
rm -f out/*

# Failures: expected text on stderr | arguments
mkdir readonly folder.mp4
printf 'in the way\n' >plainfile
failing=(
  "Failed to export broken.anim|--export-video out/broken.mp4 broken.anim"
  "Failed to export broken.anim|--export-picture out/broken.png broken.anim"
  "Failed to export missing.anim|--export-video out/missing.mp4 missing.anim"
  "there is no frame 4 in this drill, which has 3 frames|--export-picture out/p.png --frame 4 three.anim"
  "does not exist|--export-video plainfile/v.mp4 three.anim"
  "does not exist|--export-picture nowhere/p.png three.anim"
  "it is a folder|--export-video folder.mp4 three.anim"
)
for c in "${failing[@]}"; do
  IFS='|' read -r text args <<<"$c"
  # shellcheck disable=SC2086
  run $args
  code=$?
  if [ "$code" -ne 1 ] || ! grep -qF -- "$text" stderr; then
    fail "drillmora $args: exit $code (want 1), stderr:"
    cat stderr >&2
  fi
  leftovers="$(find out readonly -mindepth 1; find . -maxdepth 1 -name '.*' ! -name .)"
  if [ -n "$leftovers" ]; then
    fail "drillmora $args left $leftovers"
    rm -rf out/* out/.[!.]* readonly/*
  fi
done

# A folder that cannot be written (a read-only mount where this machine
# allows one): exit 1, nothing left.
if mount -t tmpfs -o size=1m,ro tmpfs readonly 2>/dev/null; then
  run --export-video readonly/v.mp4 three.anim
  code=$?
  [ "$code" -eq 1 ] && grep -qF "Cannot write in" stderr || { fail "read-only folder: exit $code"; cat stderr >&2; }
  [ -z "$(ls -A readonly)" ] || fail "read-only folder holds $(ls -A readonly)"
  umount readonly
fi

[ "$failures" -eq 0 ] && echo "command line exports: all cases passed"
exit $((failures > 0))
