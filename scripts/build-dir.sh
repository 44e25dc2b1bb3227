#!/usr/bin/env bash
# Prints the build folder of a page engine: build/ for webkit (as it always
# was), build-webengine/ for webengine. They lie in the checkout unless
# DRILLMORA_BUILD_ROOT names another folder, as for a checkout that is
# read-only (scripts/test-debian13.sh); the page libraries from npm
# (node_modules/) then go there too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
base="${DRILLMORA_BUILD_ROOT:-$root}"
case "${1:-}" in
  webkit) echo "$base/build" ;;
  webengine) echo "$base/build-webengine" ;;
  npm) echo "$base/node_modules" ;;
  *) echo "build-dir.sh: unknown engine '${1:-}' (webkit or webengine, or npm for the page libraries)" >&2; exit 2 ;;
esac
