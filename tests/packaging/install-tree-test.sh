#!/usr/bin/env bash
# Installs the build into a staging folder as a package would (prefix /usr)
# and checks the tree: every file in place, icons at their sizes, the menu
# entry, file type and AppStream data valid, and the installed program
# starting from there with its page and its licence text.
# Usage: install-tree-test.sh <build dir> <mime check program>
set -euo pipefail
build="$1"
mime_check="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
share="$stage/usr/share"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

sizes="16 22 24 32 48 64 128 256 512"
expected="usr/bin/drillmora
usr/share/applications/com.drillmora.Drillmora.desktop
usr/share/doc/drillmora/copyright
usr/share/drillmora/license.txt
usr/share/metainfo/com.drillmora.Drillmora.metainfo.xml
usr/share/mime/packages/drillmora.xml
usr/share/icons/hicolor/scalable/apps/drillmora.svg
usr/share/icons/hicolor/scalable/mimetypes/application-x-drillmora-animation.svg"
for s in $sizes; do
  expected+="
usr/share/icons/hicolor/${s}x${s}/apps/drillmora.png
usr/share/icons/hicolor/${s}x${s}/mimetypes/application-x-drillmora-animation.png"
done
actual="$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)"
if [ "$actual" != "$(sort <<<"$expected")" ]; then
  fail "installed files differ from the expected tree:"
  diff <(sort <<<"$expected") <(echo "$actual") >&2 || true
fi
[ -x "$stage/usr/bin/drillmora" ] || fail "the program is not executable"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%dx%d", $3*256+$4, $7*256+$8}'; }
for s in $sizes; do
  for f in apps/drillmora mimetypes/application-x-drillmora-animation; do
    png="$share/icons/hicolor/${s}x${s}/$f.png"
    [ -f "$png" ] || continue
    got="$(png_size "$png")"
    [ "$got" = "${s}x${s}" ] || fail "$png is $got, not ${s}x${s}"
  done
done

desktop="$share/applications/com.drillmora.Drillmora.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
for line in 'Exec=drillmora %f' 'Icon=drillmora' 'MimeType=application/x-drillmora-animation;' \
            'Categories=Education;Sports;'; do
  grep -qxF "$line" "$desktop" || fail "the menu entry lacks '$line'"
done
metainfo="$share/metainfo/com.drillmora.Drillmora.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli rejects the metainfo"
# Each screenshot is one of the pictures in docs/.
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
shots="$(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|</image>||; s|.*/||')"
[ -n "$shots" ] || fail "the metainfo has no screenshots"
for shot in $shots; do
  [ -f "$source_dir/docs/$shot" ] || fail "screenshot $shot is not in docs/"
done

# The file type compiles into a MIME database, and a reader of that
# database recognises drills by name and by content.
update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database rejects the file type"
"$mime_check" "$share" || fail "drills are not recognised through the installed file type"

# The installed program starts from the staging tree: it answers, loads its
# page and finds the licence text that was installed with it.
version="$("$stage/usr/bin/drillmora" --version)" || fail "the installed program does not answer --version"
[ "$version" = "Drillmora 1.0.1" ] || fail "--version says '$version'"
log="$work/startup.log"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='drillmora.startup.debug=true' \
  "$stage/usr/bin/drillmora" >/dev/null 2>"$log" &
pid=$!
for _ in $(seq 1 1200); do
  grep -q 'Licence text' "$log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
grep -q 'Editor page loaded: true' "$log" || { fail "the installed program did not load its page"; cat "$log" >&2; }
grep -qF "Licence text: \"$share/drillmora/license.txt\" found" "$log" \
  || { fail "the installed program did not find its licence text"; cat "$log" >&2; }

[ "$failures" -eq 0 ] && echo "install tree: all checks passed"
exit $((failures > 0))
