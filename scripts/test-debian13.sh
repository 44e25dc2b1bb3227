#!/usr/bin/env bash
# Runs the whole test suite on Debian 13 (trixie), the release without
# QtWebKit, from any Debian host, as root: a trixie root made with debootstrap
# from Debian's archive is kept in $DRILLMORA_DEBIAN13_ROOT (by default
# /var/cache/drillmora/debian13-root) and made afresh when it is more than a
# week old; inside it scripts/install-dependencies.sh installs what the
# README's commands install, and ./test.sh builds and tests. The checkout is
# bound in read-only, so the builds and the npm packages go to a folder of the
# root's own (DRILLMORA_BUILD_ROOT, which scripts/build-dir.sh honours), kept
# between runs. Arguments are passed to ctest, as with ./test.sh.
set -euo pipefail
checkout="$(cd "$(dirname "$0")/.." && pwd)"
root="${DRILLMORA_DEBIAN13_ROOT:-/var/cache/drillmora/debian13-root}"
mirror="${DRILLMORA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
made="$root/etc/drillmora-root-made"
inside=/src/drillmora
max_age_minutes=$((7 * 24 * 60))

[ "$(id -u)" -eq 0 ] || { echo "test-debian13.sh: run as root (debootstrap, chroot and mount need it)" >&2; exit 1; }

# What is mounted at or below a folder, deepest first.
mounts_under() {
  awk -v dir="$1" '$2 == dir || index($2, dir "/") == 1 {print $2}' /proc/self/mounts | sort -r
}
cleanup() {
  local m
  for m in $(mounts_under "$root"); do
    umount "$m" 2>/dev/null || umount -l "$m"
  done
}
# A root is only ever removed with nothing mounted in it: the checkout bound
# in would go with it.
remove_root() {
  cleanup
  [ -z "$(mounts_under "$1")" ] || { echo "test-debian13.sh: $1 still has mounts; not removing it" >&2; exit 1; }
  rm -rf --one-file-system "$1"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

make_root() {
  if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
  fi
  local fresh="$root.new"
  remove_root "$fresh"
  echo "Making a Debian 13 root in $root (debootstrap from $mirror)"
  mkdir -p "$(dirname "$root")"
  debootstrap --variant=minbase trixie "$fresh" "$mirror" >"$fresh.log" 2>&1 ||
    { tail -n 30 "$fresh.log" >&2; exit 1; }
  rm -f "$fresh.log"
  # The archive as a Debian 13 system has it, with its updates.
  local security="${mirror%/debian}/debian-security"
  cat >"$fresh/etc/apt/sources.list" <<SOURCES
deb $mirror trixie main
deb $mirror trixie-updates main
deb $security trixie-security main
SOURCES
  remove_root "$root"
  mv "$fresh" "$root"
  date -u >"$made"
}

if [ ! -f "$made" ] || [ -n "$(find "$made" -mmin +"$max_age_minutes")" ]; then
  make_root
fi

# The rest runs in a mount namespace of its own, whose mounts are gone with
# it on any exit (the trap unmounts them before that): the host never sees
# them, and a root with the checkout bound in is never what is removed.
if [ "${DRILLMORA_ROOT_NAMESPACE:-}" != "$root" ]; then
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # The root trusts the certificate authorities the host was given beside
  # Debian's, as a network that inspects TLS (npm's downloads) needs.
  rm -rf "$root/usr/local/share/ca-certificates"
  mkdir -p "$root/usr/local/share/ca-certificates"
  find /usr/local/share/ca-certificates -maxdepth 1 -name '*.crt' -exec cp {} "$root/usr/local/share/ca-certificates/" \; 2>/dev/null || true
  trap - EXIT
  DRILLMORA_ROOT_NAMESPACE="$root" exec unshare --mount --propagation private -- "$0" "$@"
fi
mount -t proc proc "$root/proc"
mount --bind /sys "$root/sys"
mount -o remount,bind,ro "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# Chromium keeps its shared memory in /dev/shm.
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
mkdir -p "$root$inside"
mount --bind "$checkout" "$root$inside"
mount -o remount,bind,ro "$root$inside"

# A clean environment, with the host's word on where certificates are kept
# (paths that the root has too).
environment=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
  TERM="${TERM:-dumb}" CI="${CI:-}" DRILLMORA_BUILD_ROOT=/var/tmp/drillmora)
for name in NODE_EXTRA_CA_CERTS SSL_CERT_FILE SSL_CERT_DIR; do
  [ -z "${!name:-}" ] || environment+=("$name=${!name}")
done
echo "== Debian 13 (root made $(cat "$made")): ./test.sh in $root"
chroot "$root" /usr/bin/env -i "${environment[@]}" /bin/bash -c '
  if command -v update-ca-certificates >/dev/null; then update-ca-certificates >/dev/null 2>&1; fi
  cd "$1" && shift && exec ./test.sh "$@"' test-debian13 "$inside" "$@"
