#!/usr/bin/env bash
# Builds Drillmora (installing whatever is missing) and runs the whole test
# suite headless.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
cd "$root/build"
ctest --output-on-failure --timeout 600 "$@"
