#!/usr/bin/env bash
# Builds Drillmora (installing whatever is missing) and starts it.
# Arguments are passed to the program: ./run.sh drill.anim
# The page engine is scripts/default-engine.sh's (QtWebKit on Debian 12), or
# DRILLMORA_ENGINE=webengine ./run.sh for Qt WebEngine.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
engine="${DRILLMORA_ENGINE:-$("$root/scripts/default-engine.sh")}"
DRILLMORA_ENGINE="$engine" "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
Drillmora is built, but this session has no display to show its window on.
On a machine without a screen, run it inside a virtual one:
  xvfb-run -a $0 $*
MSG
  exit 1
fi
exec "$("$root/scripts/build-dir.sh" "$engine")/host/drillmora" "$@"
