#!/usr/bin/env bash
# Installs what is missing, then configures and builds. The page engine is
# $DRILLMORA_ENGINE (webkit or webengine), else scripts/default-engine.sh's;
# WebKit builds into build/, WebEngine into build-webengine/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
engine="${DRILLMORA_ENGINE:-$("$root/scripts/default-engine.sh")}"
build="$("$root/scripts/build-dir.sh" "$engine")"
"$root/scripts/install-dependencies.sh" "$engine"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRILLMORA_ENGINE="$engine" \
  -DDRILLMORA_NPM_DIR="$("$root/scripts/build-dir.sh" npm)" >/dev/null
cmake --build "$build" -j"$(nproc)"
