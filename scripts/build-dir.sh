#!/usr/bin/env bash
# Prints the build folder of a page engine: build/ for webkit (as it always
# was), build-webengine/ for webengine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
  webkit) echo "$root/build" ;;
  webengine) echo "$root/build-webengine" ;;
  *) echo "build-dir.sh: unknown engine '${1:-}' (webkit or webengine)" >&2; exit 2 ;;
esac
