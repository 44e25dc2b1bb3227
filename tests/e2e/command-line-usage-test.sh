#!/usr/bin/env bash
# The program's command line as a user meets it: help and version, and
# usage mistakes refused with a clear message and exit code 2, all without
# a display, writing nothing.
# Usage: command-line-usage-test.sh <drillmora>
set -uo pipefail
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir out
printf '{"msgType":"OVRI_Animation"}\n' >drill.anim
mkdir a b && cp drill.anim a/same.anim && cp drill.anim b/same.anim
failures=0

# expected exit | stream | text that stream must hold | arguments
cases=(
  "0|out|Usage:|--help"
  "0|out|--export-picture <file>|-h"
  "0|out|Drillmora 1.0.1|--version"
  "2|err|Unknown option 'bogus'|--bogus drill.anim"
  "2|err|Name the drill|--export-pdf out/x.pdf"
  "2|err|writes .mp4 files, not \"out/x.avi\"|--export-video out/x.avi drill.anim"
  "2|err|writes .png or .jpg or .jpeg files|--export-picture out/x.gif drill.anim"
  "2|err|name a folder with --output-dir|--export-pdf out/x.pdf drill.anim drill.anim"
  "2|err|--frame needs a frame number|--export-picture out/x.png --frame 0 drill.anim"
  "2|err|--width needs a multiple of 4|--export-picture out/x.png --width 1022 drill.anim"
  "2|err|--width needs a multiple of 4|--export-picture out/x.png --width wide drill.anim"
  "2|err|--frame and --width go with --export-picture|--export-pdf out/x.pdf --frame 2 drill.anim"
  "2|err|--output-dir goes with an export option|--output-dir out drill.anim"
  "2|err|--export-pdf is given more than once|--export-pdf out/x.pdf --export-pdf out/y.pdf drill.anim"
  "2|err|would both write|--output-dir out --export-pdf pdf a/same.anim b/same.anim"
  "1|err|no display to show the editor on|drill.anim"
)
for c in "${cases[@]}"; do
  IFS='|' read -r code stream text args <<<"$c"
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" $args >stdout 2>stderr
  got=$?
  [ "$stream" = out ] && file=stdout || file=stderr
  if [ "$got" -ne "$code" ] || ! grep -qF -- "$text" "$file"; then
    echo "FAIL: drillmora $args: exit $got (want $code), $file:" >&2
    cat "$file" >&2
    failures=$((failures + 1))
  fi
  if [ -n "$(ls -A out)" ]; then
    echo "FAIL: drillmora $args wrote $(ls -A out)" >&2
    failures=$((failures + 1))
    rm -rf out/* out/.[!.]*
  fi
done
[ "$failures" -eq 0 ] && echo "command line usage: all cases passed"
exit $((failures > 0))
