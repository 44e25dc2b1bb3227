#!/usr/bin/env bash
# Builds Drillmora (installing whatever is missing) and makes the Debian
# package <build>/package/drillmora_<version>_amd64.deb: build/ for the
# QtWebKit build (Debian 12), build-webengine/ for the Qt WebEngine one
# (DRILLMORA_ENGINE=webengine; for releases without QtWebKit).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
engine="${DRILLMORA_ENGINE:-$("$root/scripts/default-engine.sh")}"
build="$("$root/scripts/build-dir.sh" "$engine")"
DRILLMORA_ENGINE="$engine" "$root/scripts/build.sh"
cd "$build"
cpack -G DEB -B "$build/package" >/dev/null
ls "$build"/package/drillmora_*.deb
