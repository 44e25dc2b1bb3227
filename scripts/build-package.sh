#!/usr/bin/env bash
# Builds Drillmora (installing whatever is missing) and makes the Debian
# package build/package/drillmora_<version>_amd64.deb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
cd "$root/build"
cpack -G DEB -B "$root/build/package" >/dev/null
ls "$root"/build/package/drillmora_*.deb
