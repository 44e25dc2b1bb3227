#!/usr/bin/env bash
# Builds Drillmora (installing whatever is missing) and runs the whole test
# suite headless, once for each page engine: on Debian 12 with QtWebKit
# (build/) and with Qt WebEngine (build-webengine/), elsewhere with WebEngine
# alone. DRILLMORA_ENGINES="webkit" or "webengine" runs one; the arguments
# are passed to ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
if [ -n "${DRILLMORA_ENGINES:-}" ]; then
  read -r -a engines <<<"$DRILLMORA_ENGINES"
elif [ "$("$root/scripts/default-engine.sh")" = webkit ]; then
  engines=(webkit webengine)
else
  engines=(webengine)
fi
for engine in "${engines[@]}"; do
  DRILLMORA_ENGINE="$engine" "$root/scripts/build.sh"
done
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
status=0
summary=""
for engine in "${engines[@]}"; do
  echo "== Tests with $engine"
  start=$SECONDS
  result=passed
  (cd "$("$root/scripts/build-dir.sh" "$engine")" && ctest --output-on-failure --timeout 600 "$@") || { result=FAILED; status=1; }
  summary+="$engine: $result in $((SECONDS - start)) s"$'\n'
done
printf '== Summary\n%s' "$summary"
exit $status
