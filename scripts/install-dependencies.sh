#!/usr/bin/env bash
# Installs what building, running and testing Drillmora needs on Debian 12
# and 13:
# Debian packages (only those missing) and the pinned page libraries from npm.
# Usage: install-dependencies.sh [webkit] [webengine]: the page engines to
# build for (default: the one scripts/default-engine.sh names).
set -euo pipefail
cd "$(dirname "$0")/.."

engines=("$@")
[ ${#engines[@]} -gt 0 ] || engines=("$(scripts/default-engine.sh)")

packages=(
  # build
  cmake g++ make pkg-config
  # the registry's certificates, which npm checks its downloads against
  ca-certificates
  # the MP4 encoder (FFmpeg's libraries, with libx264)
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  # the page font bundled into the resources, the tool that cuts it down
  # for the drill's web page, and the artwork renderer
  fonts-liberation fonttools librsvg2-bin
  # headless runs and screenshots; a window manager, and tools that ask it
  # of the window's state, for the test of the maximised window
  xvfb xauth openbox wmctrl x11-utils
  # the Debian package and the checks of the installed menu entry, file
  # type and AppStream data
  dpkg-dev file desktop-file-utils appstream shared-mime-info
  # ffprobe, which the video tests check exported files with
  ffmpeg
  # reading the PDF reports back in the tests
  poppler-utils
  # identify, which the command-line test reads exported pictures' size with
  imagemagick
  # the browser the exported web page is tested in (driven by playwright-core
  # from npm)
  chromium
  # the real keys and pointer of the scripted coach session
  # (tests/e2e/tools/coach-session.py), a developer's tool
  xdotool
)

for engine in "${engines[@]}"; do
  case "$engine" in
    # Qt 5 with QtWebKit (Debian 12 and older)
    webkit) packages+=(qtbase5-dev libqt5webkit5-dev) ;;
    # Qt 6 with Qt WebEngine and its web channel (which carries qwebchannel.js
    # in its library); Qt 6 Test is in qt6-base-dev, and Qt Quick, which
    # WebEngine stands on, needs Qt 6 OpenGL's development files
    webengine) packages+=(qt6-base-dev libqt6opengl6-dev libgl-dev qt6-webengine-dev qt6-webchannel-dev) ;;
    *) echo "install-dependencies.sh: unknown engine $engine (webkit or webengine)" >&2; exit 2 ;;
  esac
done

# Qt 6 WebSockets: the WebEngine build's page sends the video's pictures as
# bytes through a socket beside its web channel.
if [[ " ${engines[*]} " == *" webengine "* ]]; then
  packages+=(qt6-websockets-dev)
fi

# A name counts as there when an installed package is it or provides it: on
# Debian 13 libqt6opengl6-dev is only a name qt6-base-dev provides, which
# dpkg-query never reports installed itself, and a check of names alone would
# run apt-get at every build.
present="$(dpkg-query -W -f='${Status}\t${Package},${Provides}\n' 2>/dev/null |
  awk -F'\t' '$1 ~ / installed$/ {print $2}' | tr ',' '\n' | awk 'NF {print $1}' | sort -u)"
missing=()
for p in "${packages[@]}"; do
  grep -qxF "$p" <<<"$present" || missing+=("$p")
done

# npm fetches the page libraries. A machine may already have Node.js from
# elsewhere, whose npm Debian's packages would conflict with: only a missing
# command brings in Debian's.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing Debian packages: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  # sudo resets the environment, so the front end is set inside it: no
  # package may stop the install with a question.
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm ci only when the lock file is newer than what is installed, so repeated
# builds stay offline and quick. The packages go to scripts/build-dir.sh's
# folder for them: the checkout's node_modules/, or beside the builds when
# those are kept outside the checkout, where npm gets the checkout's
# package.json and lock file to read.
modules="$(scripts/build-dir.sh npm)"
npm_root="$(dirname "$modules")"
if [ "$npm_root" != "$PWD" ]; then
  mkdir -p "$npm_root"
  for f in package.json package-lock.json; do
    cmp -s "$f" "$npm_root/$f" || cp "$f" "$npm_root/$f"
  done
fi
stamp="$modules/.package-lock.json"
if [ ! -f "$stamp" ] || [ "$npm_root/package-lock.json" -nt "$stamp" ]; then
  echo "Installing page libraries from package-lock.json"
  # Debian 12's own npm (9.2) stops at the lock file's override of
  # file-saver (its resolver takes jsPDF's git dependency for a version
  # range); npm 10 reads it, so an older npm runs npm 10 from the registry
  # for this one command.
  npm_ci=(npm)
  if [ "$(npm --version | cut -d. -f1)" -lt 10 ]; then
    npm_ci=(npx --yes npm@10.8.2)
  fi
  (cd "$npm_root" && "${npm_ci[@]}" ci --ignore-scripts --no-audit --no-fund)
fi
