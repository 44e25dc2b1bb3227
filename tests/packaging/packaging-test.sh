#!/usr/bin/env bash
# The build installed under /usr and as a .deb: every file and icon size, the
# menu entry, file type and AppStream data valid by the system's own tools, the
# installed program starting, the .deb installed and removed in a private dpkg
# root. Usage: packaging-test.sh <build dir> <mime check program>
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/stage" share="$work/stage/usr/share"
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
  for f in apps/drillmora mimetypes/application-x-drillmora-animation; do
    expected+=$'\n'"usr/share/icons/hicolor/${s}x${s}/$f.png"
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    got="$(od -An -tu1 -j16 -N8 "$stage/usr/share/icons/hicolor/${s}x${s}/$f.png" 2>/dev/null |
      awk '{printf "%dx%d", $3*256+$4, $7*256+$8}')"
    [ "$got" = "${s}x${s}" ] || fail "icon $f at ${s}x${s} is '$got'"
  done
done
expected="$(sort <<<"$expected")"
actual="$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)"
[ "$actual" = "$expected" ] || { fail "installed files differ:"; diff <(echo "$expected") <(echo "$actual") >&2 || true; }

desktop="$share/applications/com.drillmora.Drillmora.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
for line in 'Exec=drillmora %f' 'Icon=drillmora' 'MimeType=application/x-drillmora-animation;'; do
  grep -qxF "$line" "$desktop" || fail "the menu entry lacks '$line'"
done
metainfo="$share/metainfo/com.drillmora.Drillmora.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli rejects the metainfo"
shots="$(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|</image>||; s|.*/||')"
[ -n "$shots" ] || fail "the metainfo has no screenshots"
for shot in $shots; do
  [ -f "$(dirname "$0")/../../docs/$shot" ] || fail "screenshot $shot is not in docs/"
done
# A reader of the compiled MIME database recognises drills by name and content.
update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database rejects the file type"
"$2" "$share" || fail "drills are not recognised through the installed file type"

# The installed program answers, loads its page and finds its licence text.
[ "$("$stage/usr/bin/drillmora" --version)" = "Drillmora 1.0.1" ] || fail "the installed program's --version"
log="$work/startup.log"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='drillmora.startup.debug=true' "$stage/usr/bin/drillmora" >/dev/null 2>"$log" &
for _ in $(seq 1 1200); do
  ! grep -q 'Licence text' "$log" && kill -0 $! 2>/dev/null && sleep 0.1 || break
done
kill $! 2>/dev/null && wait $! 2>/dev/null || true
grep -q 'Editor page loaded: true' "$log" && grep -qF "Licence text: \"$share/drillmora/license.txt\" found" "$log" ||
  { fail "the installed program did not load its page or find its licence text"; cat "$log" >&2; }

# The package: its fields, the same files, debug information left out.
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb="$work/out/drillmora_1.0.1_amd64.deb"
[ -f "$deb" ] || { fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"; exit 1; }
fields="$(dpkg-deb -f "$deb" Package Version Architecture Section Maintainer | cut -c1-30 | tr '\n' ' ')"
[[ "$fields" == "Package: drillmora Version: 1.0.1 Architecture: amd64 Section: education Maintainer: "?* ]] ||
  fail "fields: $fields"
# A Debian description: the synopsis, then the long text on lines that each begin with one space.
description="$(dpkg-deb -f "$deb" Description)"
synopsis="$(head -n1 <<<"$description")" long="$(tail -n +2 <<<"$description")"
[ -n "$long" ] && grep -q '^[^ ;]' <<<"$synopsis" || fail "description: $description"
# Mended: a CMake list joined into the text put ";" at the head of its lines.
bad="$(grep -v '^ [^ ;]' <<<"$long" || true)"
[ -z "$bad" ] || fail "description lines not in Debian form: $bad"
depends="$(dpkg-deb -f "$deb" Depends)"
# The libraries of the page engine the build was made with.
case "$(sed -n 's/^DRILLMORA_ENGINE:STRING=//p' "$build/CMakeCache.txt")" in
  webengine) libs="libqt6core6 libqt6gui6 libqt6widgets6 libqt6webenginewidgets6 libqt6webchannel6 qt6-qpa-plugins" ;;
  *) libs="libqt5core5a libqt5gui5 libqt5widgets5 libqt5webkit5" ;;
esac
# grep reads its input whole (no -q): under pipefail an early exit would break
# the writer's pipe and fail a sound check now and then.
# A library is named as it is or, since Debian 13's move to a 64-bit time_t,
# with "t64" added (libqt6core6t64).
for lib in libc6 libstdc++6 $libs; do
  tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' | grep -x -e "$lib" -e "${lib}t64" >/dev/null ||
    fail "Depends lacks $lib: $depends"
done
listing="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)"
[ "$listing" = "$expected" ] || { fail "the package's files differ:"; diff <(echo "$expected") <(echo "$listing") >&2 || true; }
dpkg-deb -x "$deb" "$work/unpacked"
file "$work/unpacked/usr/bin/drillmora" | grep ', stripped' >/dev/null || fail "the program in the package is not stripped"

root="$work/root" admin="$work/root/var/lib/dpkg"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/status" "$admin/available"
# dpkg looks for ldconfig and its other helpers on the PATH, which a user's
# (also one who may use sudo) lacks /usr/sbin on.
dpkg_private() { PATH="$PATH:/usr/sbin:/sbin" dpkg --root="$root" --admindir="$admin" --force-not-root --force-depends --force-script-chrootless "$@"; }
dpkg_private -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
[ -x "$root/usr/bin/drillmora" ] && [ "$(dpkg-query --admindir="$admin" -W -f='${Status}' drillmora)" = "install ok installed" ] ||
  fail "dpkg -i did not install the program"
dpkg_private -r drillmora >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -r failed"; }
left="$(find "$root" -path "$admin" -prune -o -type f -print)"
[ -z "$left" ] || fail "files left after removal: $left"

[ "$failures" -eq 0 ] && echo "packaging: all checks passed"
exit $((failures > 0))
