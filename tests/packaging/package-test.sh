#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its control fields
# and file list, and installs and removes it in a private dpkg root, so the
# machine running the tests is left as it was.
# Usage: package-test.sh <build dir>
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb="$work/out/drillmora_1.0.1_amd64.deb"
[ -f "$deb" ] || { fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = drillmora ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = 1.0.1 ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends="$(field Depends)"
names="$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')"
for lib in libc6 libstdc++6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5webkit5; do
  grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done
# Every dependency is a package of this Debian release at a version it has.
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  name="$(awk '{print $1}' <<<"$clause")"
  want="$(sed -n 's/.*(>= *\([^)]*\)).*/\1/p' <<<"$clause")"
  have="$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null)" || { fail "dependency $name is not installed here"; continue; }
  [ -z "$want" ] || dpkg --compare-versions "$have" ge "$want" || fail "$name $have is older than $want"
done

listing="$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')"
for f in /usr/bin/drillmora /usr/share/drillmora/license.txt /usr/share/doc/drillmora/copyright \
         /usr/share/applications/com.drillmora.Drillmora.desktop \
         /usr/share/metainfo/com.drillmora.Drillmora.metainfo.xml /usr/share/mime/packages/drillmora.xml \
         /usr/share/icons/hicolor/512x512/apps/drillmora.png /usr/share/icons/hicolor/16x16/apps/drillmora.png; do
  grep -qxF "$f" <<<"$listing" || fail "the package lacks $f"
done
grep -v -e '^/usr/' -e '^/$' <<<"$listing" && fail "the package puts files outside /usr"
# Debug information stays out of the package.
dpkg-deb -x "$deb" "$work/unpacked"
file "$work/unpacked/usr/bin/drillmora" | grep -q 'stripped' && ! file "$work/unpacked/usr/bin/drillmora" | grep -q 'not stripped' \
  || fail "the program in the package is not stripped"

# Installed and removed in a private root: files arrive and leave, nothing
# stays behind. Dependencies are checked above against this machine.
root="$work/root"
admin="$root/var/lib/dpkg"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/status" "$admin/available"
dpkg_private() { dpkg --root="$root" --admindir="$admin" --force-not-root --force-depends --force-script-chrootless "$@"; }
dpkg_private -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
[ -x "$root/usr/bin/drillmora" ] || fail "dpkg -i did not install the program"
status="$(dpkg-query --admindir="$admin" -W -f='${Status}' drillmora 2>/dev/null || true)"
[ "$status" = "install ok installed" ] || fail "after dpkg -i the package is '$status'"
dpkg_private -r drillmora >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -r failed"; }
left="$(find "$root" -path "$admin" -prune -o -type f -print)"
[ -z "$left" ] || fail "files left after removal: $left"

[ "$failures" -eq 0 ] && echo "package: all checks passed"
exit $((failures > 0))
