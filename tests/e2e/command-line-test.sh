#!/usr/bin/env bash
# The program's command line without a display (or with one that is not there):
# exports read back with ffprobe, poppler and ImageMagick; usage mistakes exit 2
# and failed exports exit 1, each with a clear message and no file left, also when
# stopped by a signal or a full disk; drawings in every export at their places.
# Usage: command-line-test.sh <drillmora> [webkit|webengine]
set -uo pipefail
program="$(realpath "$1")"
engine="${2:-webkit}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir out folder.mp4 a b
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >stdout 2>stderr; }
# A check named "command-line-test.sh::NAME" in DRILLMORA_PENDING_TESTS (set by
# tests/CMakeLists.txt, which says why) is not passed yet by this build's page
# engine: it is skipped, and says so.
pending() {
  [[ " ${DRILLMORA_PENDING_TESTS:-} " == *" command-line-test.sh::$1 "* ]] || return 1
  echo "SKIP: $1, not passed yet on this page engine" >&2
}

# A player crossing the pitch over $1 frames, frame 2 selected when there is one.
drill() {
  local n="$1" states="" captions="" f
  for ((f = 0; f < n; f++)); do
    states+="${states:+,}{\"x\":0.$((2 + f)),\"y\":0.5,\"rotation\":0}" captions+="${captions:+,}\"Step $((f + 1))\""
  done
  printf '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"rugby","showRunningLines":true,"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},"rotation":0,"gridVisible":true,"nFrames":%d,"selectedFrame":%d,"objects":[{"type":"person","id":1,"scale":0.4,"text":"","shortLabel":"7","z":1,"color":"blue","frames":[%s]}],"frameText":[%s]}\n' \
    "$n" "$((n > 1 ? 1 : 0))" "$states" "$captions"
}
drill 1 | tee one.anim a/same.anim >b/same.anim && drill 3 >three.anim && drill 7 >seven.anim
# Three frames, the first step held two seconds and the second half of one.
sed 's/}$/,"frameDurations":[2000,500]}/' three.anim >held.anim
echo 'not a drill at all' >broken.anim && echo 'in the way' >plainfile && cp three.anim drill.pdf
# A drill followed by a NUL and more: no drill, in either build.
{ drill 1 | tr -d '\n'; printf '\0more\n'; } >nul.anim
# The report as a reader sees it: pages, paper, title, headings, the last footer.
report() {
  local info pages
  info="$(pdfinfo "$1")" || return
  pages="$(sed -n 's/^Pages: *//p' <<<"$info")"
  printf '%s pages, %s, "%s", %s headed, last "%s"' "$pages" \
    "$(sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts (\(.*\))$/\1 \2 \3/p' <<<"$info" |
      awk '{ print $3 ($1 > $2 ? " landscape" : "") }')" "$(sed -n 's/^Title: *//p' <<<"$info")" \
    "$(pdftotext "$1" - | grep -c 'Training Report$')" "$(pdftotext -f "$pages" "$1" - | grep -o 'Page [0-9]* / [0-9]*')"
}
# $1 pages of the drill (or drills) named $2: its title names them and the
# program; $3 says "A4 landscape" where the pages are.
pages() { printf '%s pages, %s, "%s — Drillmora training report", %s headed, last "Page %s / %s"' "$1" "${3:-A4}" "$2" "$1" "$1" "$1"; }

# Cases: exit | what is read back | what it must say | arguments (none: a further
# file of the run before). Exports are named on stderr; failures leave no file.
cases=(
  "0|out|Usage:|--help"
  "2|err|Unknown option 'bogus'|--bogus one.anim"
  "2|err|Name the drill|--export-pdf out/x.pdf"
  "2|err|writes .png or .jpg or .jpeg files, not \"out/x.gif\"|--export-picture out/x.gif one.anim"
  "2|err|name a folder with --output-dir|--export-pdf out/x.pdf one.anim one.anim"
  "2|err|--frame needs a frame number|--export-picture out/x.png --frame 0 one.anim"
  "2|err|--width needs a multiple of 4|--export-picture out/x.png --width 1022 one.anim"
  "2|err|--frame and --width go with --export-picture|--export-pdf out/x.pdf --frame 2 one.anim"
  "2|err|--output-dir goes with an export option|--output-dir out one.anim"
  "2|err|--fps goes with an export option|--fps 25 one.anim"
  "2|err|--video-size needs 640x480, 960x720, 1440x1080, 1280x720, 1920x1080, 1080x1920 or 1080x1080, not \"800x600\"|--export-video out/x.mp4 --video-size 800x600 one.anim"
  "2|err|--video-shape needs 4:3, 16:9, 9:16 or 1:1, not \"3:2\"|--export-video out/x.mp4 --video-shape 3:2 one.anim"
  "2|err|--video-size needs 1280x720 or 1920x1080 for --video-shape 16:9, not \"960x720\"|--export-video out/x.mp4 --video-shape 16:9 --video-size 960x720 one.anim"
  "2|err|--fps needs 15, 25 or 30, not \"7\"|--export-video out/x.mp4 --fps 7 one.anim"
  "2|err|--video-size, --video-shape and --fps go with --export-video|--export-pdf out/x.pdf --video-size 960x720 one.anim"
  "2|err|--video-shape is given more than once|--export-video out/x.mp4 --video-shape 1:1 --video-shape 1:1 one.anim"
  "2|err|--export-pdf is given more than once|--export-pdf out/x.pdf --export-pdf out/y.pdf one.anim"
  "2|err|would both write|--output-dir out --export-pdf pdf a/same.anim b/same.anim"
  "2|err|--gif-width needs 480, 640 or 800, not \"500\"|--export-gif out/x.gif --gif-width 500 one.anim"
  "2|err|--gif-fps needs 10 or 15, not \"25\"|--export-gif out/x.gif --gif-fps 25 one.anim"
  "2|err|--gif-width and --gif-fps go with --export-gif|--export-video out/x.mp4 --gif-fps 15 one.anim"
  "2|err|--export-gif writes .gif files, not \"out/x.png\"|--export-gif out/x.png one.anim"
  "2|err|--pictures-per-page needs 6, 4 or 2, not \"3\"|--export-pdf out/x.pdf --pictures-per-page 3 one.anim"
  "2|err|--pictures-per-page goes with --export-pdf or --export-report|--export-video out/x.mp4 --pictures-per-page 4 one.anim"
  "2|err|--export-report writes one report of all the drills named|--export-report out/s.pdf --export-pdf out/t.pdf one.anim"
  "2|err|--export-report writes .pdf files, not \"out/s.txt\"|--export-report out/s.txt one.anim three.anim"
  "1|err|The drill broken could not be read: Error parsing JSON|--export-report out/s.pdf one.anim broken.anim"
  "1|err|it is the drill drill.pdf, which would be lost|--export-report drill.pdf one.anim drill.pdf"
  "1|err|the drill missing.anim could not be read|--export-report out/s.pdf one.anim missing.anim"
  "1|err|no display to show the editor on|one.anim"
  "1|err|Failed to export broken.anim|--export-video out/broken.mp4 broken.anim"
  "1|err|Failed to export missing.anim|--export-video out/missing.mp4 missing.anim"
  "1|err|Failed to export nul.anim: Error Opening Animation File: Error parsing JSON|--export-picture out/nul.png nul.anim"
  "1|err|there is no frame 4 in this drill, which has 3 frames|--export-picture out/p.png --frame 4 three.anim"
  "1|err|does not exist|--export-video plainfile/v.mp4 three.anim"
  "1|err|it is a folder|--export-video folder.mp4 three.anim"
  "0|video out/three.mp4|640 480 15/1 61 lasting its pictures|--export-video out/three.mp4 three.anim"
  "0|video out/hd.mp4|960 720 25/1 101 lasting its pictures|--export-video out/hd.mp4 --video-size 960x720 --fps 25 three.anim"
  "0|video out/full.mp4|1440 1080 30/1 121 lasting its pictures|--export-video out/full.mp4 --video-size 1440x1080 --fps 30 three.anim"
  "0|video out/wide.mp4|1280 720 15/1 61 lasting its pictures|--export-video out/wide.mp4 --video-shape 16:9 three.anim"
  "0|video out/tall.mp4|1080 1920 15/1 61 lasting its pictures|--export-video out/tall.mp4 --video-shape 9:16 three.anim"
  "0|video out/square.mp4|1080 1080 25/1 101 lasting its pictures|--export-video out/square.mp4 --video-size 1080x1080 --fps 25 three.anim"
  "0|video out/held.mp4|640 480 15/1 69 lasting its pictures|--export-video out/held.mp4 held.anim"
  "0|gif out/seven.gif|gif 480 360 61 7.100000, under 2 MB|--export-gif out/seven.gif seven.anim"
  "0|gif out/wide.gif|gif 640 480 31 3.070000, under 2 MB|--export-gif out/wide.gif --gif-width 640 --gif-fps 15 three.anim"
  "0|identify out/p.png|PNG 1024x768|--export-picture out/p.png three.anim"
  "0|identify out/p.jpg|JPEG 640x480|--export-picture out/p.jpg --frame 3 --width 640 three.anim"
  "0|identify out/three.png|PNG 320x240|--output-dir out --export-picture png --width 320 three.anim one.anim"
  "0|identify out/one.png|PNG 320x240|"
  "0|report out/one.pdf|$(pages 1 one)|--export-pdf out/one.pdf one.anim"
  "0|report out/three.pdf|$(pages 1 three)|--output-dir out --export-pdf pdf --export-picture jpg three.anim seven.anim"
  "0|report out/seven.pdf|$(pages 2 seven)|"
  "0|identify out/seven.jpg|JPEG 1024x768|"
  "0|report out/squad.pdf|$(pages 4 'seven, three, one')|--export-report out/squad.pdf --pictures-per-page 4 seven.anim three.anim one.anim"
  "0|report out/two.pdf|$(pages 2 three 'A4 landscape')|--export-pdf out/two.pdf --pictures-per-page 2 three.anim"
)
# ffprobe's "width height rate pictures duration" with the duration as what it
# means: the pictures' time (their count over the rate) within 1.5 ms, as MP4
# keeps it (ffprobe 5 printed it rounded to the millisecond, 7 does not).
lasting() {
  awk '{ split($3, rate, "/"); t = rate[1] > 0 ? $4 * rate[2] / rate[1] : -1
         print $1, $2, $3, $4, ($5 - t < 0.0015 && t - $5 < 0.0015) ? "lasting its pictures" : "lasting " $5 " s" }'
}
for c in "${cases[@]}"; do
  IFS='|' read -r code check want args <<<"$c"
  read -r check file <<<"$check"
  # shellcheck disable=SC2086
  [ -z "$args" ] || { run $args; got=$?; }
  case "$check" in
    out | err) grep -qF -- "$want" "std$check" && said="$want" || said="$(cat "std$check")" ;;
    video) said="$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=width,height,r_frame_rate,nb_read_frames:format=duration \
      -of default=nw=1:nk=1 "$file" 2>&1 | paste -sd ' ' | lasting)" ;;
    identify) said="$(identify -format '%m %wx%h' "$file" 2>&1)" ;;
    report) said="$(report "$file" 2>&1)" ;;
    # A GIF: its pictures (a picture held is written once), its time with the last one's hold, its size.
    gif) said="$(ffprobe -v error -count_frames -show_entries stream=codec_name,width,height,nb_read_frames:format=duration \
      -of default=nw=1:nk=1 "$file" 2>&1 | paste -sd ' '), $([ "$(stat -c %s "$file")" -lt 2097152 ] && echo under || echo over) 2 MB" ;;
  esac
  [ -z "$file" ] || grep -qF -- "-> $file" stderr || said="no '-> $file' on stderr"
  [ "$got" -eq "$code" ] && [ "$said" = "$want" ] || { fail "drillmora $args: exit $got (want $code), $check: $said"; cat stderr >&2; }
  # Standard error holds the progress lines and nothing of the page engine's own
  # (Chromium's notes on its sandbox and GL); Qt's word on XDG_RUNTIME_DIR is the
  # environment's.
  noise="$(grep -v -e '^\[[0-9]*/[0-9]*\] ' -e '^QStandardPaths: ' stderr)"
  [ "$code" -ne 0 ] || [ -z "$args" ] || [ -z "$noise" ] || fail "drillmora $args: standard error holds more than progress lines: $noise"
  leftovers="$(find out folder.mp4 -mindepth 1; find . -maxdepth 1 -name '.*' ! -name .)"
  [ "$code" -eq 0 ] || [ -z "$leftovers" ] || { fail "drillmora $args left $leftovers"; rm -rf out/* out/.[!.]* ./.[!.]*; }
done

# A squad report heads each drill's pages with its name: seven on 1 and 2 (four a page), then three, then one.
for page in "1 seven" "2 seven" "3 three" "4 one"; do
  read -r n name <<<"$page"
  pdftotext -f "$n" -l "$n" out/squad.pdf - | grep -qx "$name" || fail "page $n of the squad report is not headed \"$name\""
done
# Every drill's captions once: Step 1 in all three drills, Step 2 and 3 in seven and three, Step 7 in seven alone.
captions="$(pdftotext out/squad.pdf - | grep -x 'Step [0-9]' | sort | uniq -c | awk '{ printf "%s:%s ", $3, $1 }')"
[ "$captions" = "1:3 2:2 3:2 4:1 5:1 6:1 7:1 " ] || fail "the squad report's captions: $captions"

# Pixels are read as raw 8-bit RGB, which ImageMagick 6 and 7 write alike
# (7's convert adds words of its own to standard output where -fx is used).
rgb_pixels() { convert "$@" -depth 8 rgb:- | od -An -v -tu1 -w3; }
# A video of another shape: the pitch's grass as it is in a 4:3 video, filling
# the shape's width (upright, square) or height (wide), never stretched; the
# band beside it holds the drill's name and the caption of the moment, which
# changes there from frame 1 (at 1.5 s) to frame 3 (at 3.5 s).
grass() {
  rgb_pixels "$1" | awk -v w="$2" '$2 > $1 + 40 && $2 > $3 + 40 { x = (NR - 1) % w; y = int((NR - 1) / w)
    if (!n++) { x0 = x1 = x; y0 = y1 = y } if (x < x0) x0 = x; if (x > x1) x1 = x; if (y < y0) y0 = y; if (y > y1) y1 = y }
    END { print x0, y0, x1 - x0 + 1, y1 - y0 + 1 }'
}
ffmpeg -v error -ss 1.5 -i out/three.mp4 -frames:v 1 out/plain.png || fail "no picture of the 4:3 video"
read -r _ _ pw ph <<<"$(grass out/plain.png 640)"
for shape in "wide 1280 720 960 0" "tall 1080 1920 0 810" "square 1080 1080 0 810"; do
  read -r name w h bandX bandY <<<"$shape"
  ffmpeg -v error -ss 1.5 -i "out/$name.mp4" -frames:v 1 "out/$name-1.png" && ffmpeg -v error -ss 3.5 -i "out/$name.mp4" -frames:v 1 "out/$name-3.png" ||
    fail "no pictures of the $name video"
  read -r _ _ gw gh <<<"$(grass "out/$name-1.png" "$w")"
  # The grass's shape within a pixel of the 4:3 video's, enlarged.
  awk -v a="$gw" -v b="$gh" -v c="$pw" -v d="$ph" 'BEGIN { exit !(a * d - b * c < (a + b) * d / 2 && b * c - a * d < (a + b) * d / 2) }' &&
    { [ "$gw" = "$w" ] || [ "$gh" = "$h" ] || [ "$((w - gw))" -lt 8 ] || [ "$((h - gh))" -lt 8 ]; } ||
    fail "the $name video's pitch is ${gw}x$gh, the 4:3 one's ${pw}x$ph"
  band="$((w - bandX))x$((h - bandY))+$bandX+$bandY"
  ink="$(rgb_pixels "out/$name-1.png" -crop "$band" +repage | awk '$1 < 110 && $2 < 110 && $3 < 110 { n++ } END { print n + 0 }')"
  changed="$(compare -metric AE -fuzz 30% "out/$name-1.png[$band]" "out/$name-3.png[$band]" null: 2>&1)"
  [ "$ink" -gt 500 ] && [ "${changed%% *}" -gt 50 ] 2>/dev/null ||
    fail "the $name video's band: $ink dark pixels, $changed changed from frame 1 to 3"
done

# The picture is the frame asked for: the default (out/p.png above: the selected
# frame, 2) is neither frame 1 nor frame 3.
for f in 1 3; do
  run --export-picture "out/f$f.png" --frame "$f" three.anim && [ "$(compare -metric AE out/p.png "out/f$f.png" null: 2>&1)" != 0 ] ||
    fail "frame 2's picture is frame $f's"
done
# A held step moves the moment of the frames after it, not the frames themselves.
run --export-picture out/h3.png --frame 3 held.anim && [ "$(compare -metric AE out/h3.png out/f3.png null: 2>&1)" = 0 ] ||
  fail "frame 3's picture of a drill with held steps is not frame 3"

# Drawings in every export: a red run in frame 2 only, over a blue zone through all
# three frames. The run's head (at 0.7, 0.5 of the pitch, so at 440, 240 of a
# 640 x 480 picture) is red in frame 2's picture and video and not in frame 1's;
# the zone's fill is blue in both; the report (drawn for print) shows the red run.
drawings='"drawings":[{"kind":"zone","style":"rectangle","color":"blue","fill":1,"rotation":0,"points":[{"x":0.1,"y":0.7},{"x":0.3,"y":0.9}],"first":0,"last":2,"text":""},{"kind":"run","style":"straight","color":"red","fill":0,"rotation":0,"points":[{"x":0.3,"y":0.5},{"x":0.7,"y":0.5}],"first":1,"last":1,"text":""}]'
sed "s/}\$/,$drawings}/" three.anim >drawn.anim
# Red is r > 0.7 with g, b < 0.3, blue b > 0.7 with r < 0.3.
# The colour of pixel ($2, $3) of picture $1 as "red", "blue" or something else.
colour() {
  rgb_pixels "$1" -crop "1x1+$2+$3" +repage |
    awk '{ print ($1 > 178.5 && $2 < 76.5 && $3 < 76.5) ? "red" : ($3 > 178.5 && $1 < 76.5) ? "blue" : "other" }'
}
run --export-picture out/d2.png --frame 2 --width 640 drawn.anim && run --export-picture out/d1.png --frame 1 --width 640 drawn.anim &&
  run --export-video out/drawn.mp4 drawn.anim && run --export-pdf out/drawn.pdf drawn.anim ||
  { fail "exports of a drill with drawings: $(cat stderr)"; }
# The video: a second's title card, then frame 1 at 1 s and frame 2 at 2 s.
ffmpeg -v error -ss 1.0 -i out/drawn.mp4 -frames:v 1 out/v1.png && ffmpeg -v error -ss 2.5 -i out/drawn.mp4 -frames:v 1 out/v2.png ||
  fail "frames of the video with drawings not read back"
seen="$(colour out/d2.png 440 240) $(colour out/d1.png 440 240) $(colour out/d2.png 128 384) $(colour out/d1.png 128 384)"
seen+=" $(colour out/v2.png 440 240) $(colour out/v1.png 440 240) $(colour out/v1.png 128 384)"
want="red other blue blue red other blue"
[ "$seen" = "$want" ] || fail "drawings in pictures and video: $seen, want $want"
# Red pixels of the report's first page, at 100 dpi: the run adds hundreds to those
# of the table's report of the same drill without drawings.
reds() {
  pdftoppm -r 100 -png "$1" out/page &&
    rgb_pixels out/page-1.png | awk '$1 > 178.5 && $2 < 76.5 && $3 < 76.5 { n++ } END { print n + 0 }'
}
plain="$(reds out/three.pdf)" && red="$(reds out/drawn.pdf)" &&
  [ "$red" -gt $((plain + 100)) ] || fail "no red run in the report's pictures: ${red:-none} red pixels, ${plain:-none} without drawings"
[ "$(report out/drawn.pdf)" = "$(pages 1 drawn)" ] || fail "report of a drill with drawings: $(report out/drawn.pdf)"
rm -f out/*

# Chromium will not start as root with its sandbox on: the WebEngine build says
# so and how to go on, and writes nothing (it once ended with exit 1 and no word).
if [ "$(id -u)" -eq 0 ] && [ "$engine" = webengine ]; then
  (unset QTWEBENGINE_DISABLE_SANDBOX; run --export-picture out/root.png one.anim); code=$?
  [ "$code" -eq 1 ] && grep -qF "set QTWEBENGINE_DISABLE_SANDBOX=1" stderr && [ ! -e out/root.png ] ||
    { fail "as root with the sandbox on: exit $code, out holds '$(find out -mindepth 1)'"; cat stderr >&2; }
  rm -f out/*
fi

# A batch holding a bad drill: the others are still exported, the bad one named, exit 1.
run --output-dir out --export-pdf pdf broken.anim three.anim; code=$?
[ "$code" -eq 1 ] && grep -qF "Failed to export broken.anim" stderr && [ "$(find out -mindepth 1)" = out/three.pdf ] ||
  { fail "--output-dir with a bad drill: exit $code, out holds '$(find out -mindepth 1)'"; cat stderr >&2; }
rm -f out/*

# A file the user may not write is refused and kept. Root may write any file, so
# as root the export runs as nobody on a file of root's; the build may lie in
# root's home, which nobody may not enter: nobody runs a copy of the program from
# the work folder.
mkdir shared home && chmod 755 "$work" && chmod 777 shared home && echo earlier >shared/theirs.png
if [ "$(id -u)" -eq 0 ]; then
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_RUNTIME_DIR HOME="$work/home")
  cp "$program" home/drillmora && asProgram="$work/home/drillmora"
else
  as=() && chmod 444 shared/theirs.png && asProgram="$program"
fi
"${as[@]}" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$asProgram" --export-picture shared/theirs.png one.anim >stdout 2>stderr
code=$?
[ "$code" -eq 1 ] && grep -qF "Permission denied" stderr && [ "$(cat shared/theirs.png)" = earlier ] && [ -z "$(find shared -name '.*')" ] ||
  { fail "a file the user may not write: exit $code, it holds $(wc -c <shared/theirs.png) bytes"; cat stderr >&2; }

# A display that is named but not there: what needs no window never tries it (no
# abort, not even Qt's warning about it); the editor says it has nowhere to go.
for display in DISPLAY=:99 WAYLAND_DISPLAY=wayland-99; do
  for c in "0|Usage:|--help" "0|Drillmora 1.0.1|--version" "0|-> out/stale.png|--export-picture out/stale.png one.anim" \
    "1|no display to show the editor on|one.anim"; do
    IFS='|' read -r code want args <<<"$c"
    # shellcheck disable=SC2086
    env -i HOME="$HOME" PATH="$PATH" ${QTWEBENGINE_DISABLE_SANDBOX:+QTWEBENGINE_DISABLE_SANDBOX="$QTWEBENGINE_DISABLE_SANDBOX"} \
      "$display" "$program" $args >stdout 2>stderr; got=$?
    grep -qF -- "$want" stdout stderr && { [ "$code" -ne 0 ] || ! grep -q 'connect to display' stderr; } && [ "$got" -eq "$code" ] ||
      { fail "$display drillmora $args: exit $got (want $code)"; cat stderr >&2; }
  done
done
[ -s out/stale.png ] || fail "no picture exported under a display that is not there"
rm -f out/*

# An export never replaces one of the drills it reads: the same file by any
# spelling, a hard or symbolic link, or another drill of the run. The drills stay
# as they were; the run fails.
for args in "--export-picture same/plan.png same/plan.png" "--export-picture same/sub/../plan.png same/plan.png" \
  "--export-picture same/hard.png same/plan.png" "--export-picture same/soft.png same/plan.png" \
  "--output-dir same --export-picture png same/plan.png" "--output-dir same --export-picture png one.anim same/m.anim"; do
  rm -rf same && mkdir -p same/sub && cp one.anim same/plan.png && cp one.anim same/m.anim
  ln same/plan.png same/hard.png && ln -s plan.png same/soft.png && ln same/m.anim same/one.png
  # shellcheck disable=SC2086
  run $args; got=$?
  for f in plan.png m.anim; do cmp -s one.anim "same/$f" || fail "drillmora $args changed the drill $f"; done
  [ "$got" -eq 1 ] && grep -qF "is the drill" stderr && [ -z "$(find same -name '.*')" ] || { fail "drillmora $args: exit $got"; cat stderr >&2; }
done

# A name that is not UTF-8 is the file's own, read and written byte for byte.
cafe=$'caf\xe9'
cp one.anim "$cafe.anim"
pending nonUtf8Name || { LC_ALL=C.UTF-8 run --export-picture "out/$cafe.png" "$cafe.anim" && LC_ALL=C.UTF-8 run --output-dir out --export-pdf pdf "$cafe.anim" &&
  [ "$(identify -format '%m %wx%h' "out/$cafe.png")" = "PNG 1024x768" ] && [ "$(report "out/$cafe.pdf" | LC_ALL=C sed 's/"caf[^"]* — /"caf? — /')" = "$(pages 1 'caf?')" ] &&
  grep -qF -- "-> out/$cafe.pdf" stderr || { fail "a drill named $cafe.anim was not exported"; cat stderr >&2; }; }
rm -f out/*

# The report as a coach reads it, in the locale's words: the drill's name under the
# title, picture 3 numbered just under its box (row 2: 119.84 to 184.15 mm, the
# next row at 202.68) with its caption under the number, and the date as a person
# writes it. Qt takes the locale's words from its name, which the C library here
# need not have installed (`locale -a` may list only C and POSIX).
month=$(date +%-m) day=$(date +%-d) year=$(date +%Y)
de_months=(Januar Februar März April Mai Juni Juli August September Oktober November Dezember)
en_months=(January February March April May June July August September October November December)
cp seven.anim "Łódź overlap.anim"
# "x0 y0 x1 y1" of the first word $2 followed by the word $3 on page 1 of $1, in points.
word_box() {
  pdftotext -bbox -f 1 -l 1 "$1" - | sed -n 's/.*xMin="\([0-9.]*\)" yMin="\([0-9.]*\)" xMax="\([0-9.]*\)" yMax="\([0-9.]*\)">\(.*\)<\/word>/\1 \2 \3 \4 \5/p' |
    awk -v a="$2" -v b="$3" 'prev == a && $5 == b { print box; exit } { prev = $5; box = $1 " " $2 " " $3 " " $4 }'
}
mm() { awk -v v="$1" 'BEGIN { printf "%.2f", v * 72 / 25.4 }'; }
for c in "en_GB.UTF-8|$day ${en_months[month - 1]} $year, [0-2][0-9]:[0-5][0-9]" \
         "de_DE.UTF-8|$day\\. ${de_months[month - 1]} $year, [0-2][0-9]:[0-5][0-9]" \
         "en_US.UTF-8|${en_months[month - 1]} $day, $year, [0-9]{1,2}:[0-5][0-9] [AP]M"; do
  IFS='|' read -r locale dated <<<"$c"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL="$locale" "$program" --export-pdf out/named.pdf "Łódź overlap.anim" \
    >stdout 2>stderr || { fail "report in $locale: exit $?"; cat stderr >&2; continue; }
  text="$(pdftotext -f 1 -l 1 out/named.pdf -)"
  read -r x number_top _ number_bottom <<<"$(word_box out/named.pdf Frame 3)"
  read -r caption_x caption_top _ <<<"$(word_box out/named.pdf Step 3)"
  [ "$(sed -n 2p <<<"$text")" = "Łódź overlap" ] || fail "$locale report: no drill name under the title: $(head -2 <<<"$text")"
  title="$(pdfinfo out/named.pdf | sed -n 's/^Title: *//p')"
  [ "$title" = "Łódź overlap — Drillmora training report" ] || fail "$locale report: its document title is '$title'"
  grep -qE "^$dated\$" <<<"$text" || fail "$locale report: no date like '$dated' in: $(grep "$year" <<<"$text")"
  grep -q GMT <<<"$text" && fail "$locale report: the engine's own date form"
  awk -v x="$x" -v top="$number_top" -v bottom="$number_bottom" -v cx="$caption_x" -v ct="$caption_top" \
    -v below="$(mm 184.15)" -v next_row="$(mm 202.68)" -v left="$(mm 14)" \
    'BEGIN { exit !(x != "" && top > below && top < below + 15 && ct > (top + bottom) / 2 && ct < next_row && (x - left) ^ 2 < 1 && (cx - x) ^ 2 < 1) }' ||
    fail "$locale report: 'Frame 3' at $x,$number_top-$number_bottom and its caption at $caption_x,$caption_top are not under picture 3"
done
rm -f out/*

# Mended: a caption was cut at a tab, BEL or NUL, and the letters the report's font
# lacks went without a word. Control characters are spaces; what cannot be printed
# is named in one line on standard error, by code, and the rest is written
# (in letters no Liberation Sans has yet: Debian 13's prints Hebrew).
drill 1 | sed 's/"Step 1"/"Pass\\tthen\\u0007run\\u0000wide \\u0915\\u0916\\u0915 \\u65e5 \\ud83d\\ude00 end"/' >controls.anim
run --export-pdf out/controls.pdf controls.anim; got=$?
caption="$(pdftotext -raw out/controls.pdf - | grep "^Pass")"
[ "$got" -eq 0 ] && [ "$caption" = "Pass then run wide end" ] &&
  grep -qxF "The report's font cannot print these characters, which are left out of the report: U+0915, U+0916, U+65E5, U+1F600" stderr &&
  [ "$(grep -cv -e '^\[[0-9]*/[0-9]*\] ' -e '^QStandardPaths: ' stderr)" -eq 1 ] ||
  { fail "a caption with control characters and letters the font lacks: exit $got, caption '$caption'"; cat stderr >&2; }
rm -f out/*

# Stopped by a signal while it writes (the hidden file beside the target is
# there), an export takes its unfinished file with it and exits 128 + signal.
set -m # background runs get SIGINT as they would from a terminal
drill 60 >long.anim && rm -rf out/*
for c in "INT 2 mp4" "TERM 15 mp4" "HUP 1 mp4" "INT 2 pdf" "TERM 15 pdf" "HUP 1 pdf"; do
  read -r signal number type <<<"$c"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "--export-$([ "$type" = mp4 ] && echo video || echo pdf)" "out/long.$type" long.anim 2>stderr &
  pid=$!
  for ((i = 0; i < 1200; i++)); do [ -z "$(find out -name '.*')" ] && kill -0 "$pid" || break; sleep 0.05; done
  kill -s "$signal" "$pid"
  wait "$pid"; got=$?
  [ "$got" -eq $((128 + number)) ] && [ -z "$(find out -mindepth 1)" ] ||
    { fail "SIG$signal during a $type export: exit $got, left '$(find out -mindepth 1)'"; cat stderr >&2; rm -rf out/* out/.[!.]*; }
done
set +m

# Names reach the terminal escaped, as ls writes them: one holding a line break
# and a colour sequence forges no line and colours nothing, whether its export
# succeeds or fails. Regression: a newline in a name forged a "Failed to export"
# line while the run exited 0.
named=$'forged\nFailed to export x.anim: \e[31mred'
escaped='forged\nFailed to export x.anim: \033[31mred'
for c in "0|one.anim|[1/1] $escaped.anim -> out/$escaped.png" "1|broken.anim|Failed to export $escaped.anim: "; do
  IFS='|' read -r code drill want <<<"$c"
  cp "$drill" "$named.anim" && rm -f out/*
  run --export-picture "out/$named.png" "$named.anim"; got=$?
  [ "$got" -eq "$code" ] && [ "$(grep -vc "^QStandardPaths: " stderr)" -eq $((1 + code)) ] && grep -qF -- "$want" stderr && ! grep -q $'\e' stderr ||
    { fail "a drill named $escaped ($drill): exit $got"; cat -A stderr >&2; }
done
rm -f "$named.anim" out/*

# Standard error holds the program's own lines alone, whatever a library thinks of
# the drill: a logo whose PNG has a bad checksum and bytes past its picture (libpng
# warns of both, and its warnings once mixed into the progress lines) is drawn.
logo='iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAYAAAAf8/9hAAAADXRFWHRDb21tZW50AGhlbGxvEjRWeAAAACFJREFUeNpjOCEn958SzDBqwKgBowYMFwMABtoDH2dhcmJhZ2Uh6PkhJgAAAABJRU5ErkJggg=='
sed "s|\"showLogo\":false,\"logoImage\":\"logos/ovri256x256.png\"|\"showLogo\":true,\"logoImage\":\"data:image/png;base64,$logo\"|" three.anim >logo.anim
for export in "--export-video out/logo.mp4" "--export-pdf out/logo.pdf" "--export-picture out/logo.png"; do
  # shellcheck disable=SC2086
  run $export logo.anim; got=$?
  [ "$got" -eq 0 ] && [ "$(grep -vc '^QStandardPaths: ' stderr)" -eq 1 ] || { fail "drillmora $export logo.anim: exit $got"; cat stderr >&2; }
done
rm -f out/*

# WebEngine's page runs in a process of its own. Regression: killed during an
# export, it left the program waiting for ever. The export fails at once naming
# why, and leaves no file.
# Chromium forks its renderers from a zygote, a child of the program: the
# processes of the engine (all called "--type=zygote") whose parent is one too.
engineChild() { grep -qa -- '--type=' "/proc/$1/cmdline" 2>/dev/null; }
renderers() {
  local child
  for child in $(pgrep -P "$1"); do
    engineChild "$1" && engineChild "$child" && echo "$child"
    renderers "$child"
  done
}
if [ "$engine" = webengine ]; then
  drill 60 >long.anim && rm -rf out/*
  for c in "video mp4" "pdf pdf"; do
    read -r kind type <<<"$c"
    run --output-dir out "--export-$kind" "$type" long.anim &
    pid=$!
    for ((i = 0; i < 1200; i++)); do
      renderer="$(renderers "$pid")"
      [ -n "$renderer" ] && grep -qF "[1/1]" stderr && break
      sleep 0.05
    done
    kill -KILL $renderer 2>/dev/null
    wait "$pid"; got=$?
    [ "$got" -eq 1 ] && grep -qF "Failed to export long.anim: " stderr && grep -qF "process ended (it was killed)" stderr &&
      [ -z "$(find out -mindepth 1)" ] ||
      { fail "the page's process killed during a $kind export: exit $got, out holds '$(find out -mindepth 1)'"; cat stderr >&2; }
    rm -rf out/* out/.[!.]*
  done
fi

# On a full disk each export fails naming the file asked for and saying why, and
# leaves nothing behind.
# Root mounts in a mount namespace of its own; a user maps itself to root in a
# user namespace first, which a chroot (or a system that allows no user
# namespaces) refuses: the case is then skipped, saying so.
namespace=(unshare --mount)
[ "$(id -u)" -eq 0 ] || namespace=(unshare --map-root-user --mount)
fullDisk() {
  "${namespace[@]}" bash -c 'mount -t tmpfs -o size=256k tmpfs full && { dd if=/dev/zero of=full/filler bs=4k 2>/dev/null; "$@"; code=$?; ls -A full >left; exit $code; }' fullDisk "$@"
}
mkdir -p full
fullDiskTargets=(full/p.png full/p.jpg full/r.pdf full/v.mp4)
if ! "${namespace[@]}" true 2>/dev/null; then
  echo "command line: the full disk cases are skipped: ${namespace[*]} is refused here"
  fullDiskTargets=()
fi
for target in "${fullDiskTargets[@]}"; do
  case "$target" in *.png | *.jpg) option=--export-picture ;; *.pdf) option=--export-pdf ;; *) option=--export-video ;; esac
  fullDisk env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$option" "$target" three.anim >stdout 2>stderr; got=$?
  [ "$got" -eq 1 ] && grep -qF "written to $target" stderr && grep -qF "No space left on device" stderr && [ "$(cat left)" = filler ] ||
    { fail "$target on a full disk: exit $got, left $(cat left)"; cat stderr >&2; }
done

[ "$failures" -eq 0 ] && echo "command line: all cases passed"
exit $((failures > 0))
