#!/usr/bin/env bash
# Prints the page engine a build uses unless told otherwise: webkit (Qt 5)
# where Debian has QtWebKit, installed or to be installed (Debian 12 and
# older), else webengine (Qt 6), which every current release has.
set -euo pipefail
# The outputs are taken whole before they are matched: grep -q would stop
# reading at its match, and the writer's broken pipe would fail the test
# under pipefail (apt-cache policy's version table is written after the
# candidate), taking a system that has QtWebKit for one that has not.
has_candidate() { [[ "$(apt-cache policy "$1" 2>/dev/null)" == *"Candidate: "[0-9]* ]]; }
installed() { [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == *"install ok installed" ]]; }
if installed libqt5webkit5-dev ||
   has_candidate libqt5webkit5-dev; then
  echo webkit
elif has_candidate cmake; then
  echo webengine
else
  # The package lists are not fetched yet (a fresh container): Debian 12
  # is the last release with QtWebKit.
  . /etc/os-release 2>/dev/null || true
  if [ "${ID:-}" = debian ] && [ "${VERSION_ID:-99}" -le 12 ] 2>/dev/null; then
    echo webkit
  else
    echo webengine
  fi
fi
