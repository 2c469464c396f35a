#!/usr/bin/env bash
# Installs everything Tavimorex needs to build, run and test on Debian 12. Safe to run again.
set -euo pipefail

# Root installs directly (a fresh container has no sudo); anyone else is asked for elevation by sudo,
# for the apt steps only.
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps.sh: installing packages needs root: run it as root, or install sudo" >&2
    exit 1
  fi
  SUDO="sudo"
fi

packages=(
  # build
  cmake ninja-build ccache g++ pkg-config clang-format
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-websockets-dev qt6-httpserver-dev qt6-svg-dev libqt6svg6-dev
  libgl1-mesa-dev
  # game controllers, video
  libsdl2-dev libmpv-dev
  # the camera simulator's RTSP streams
  libgstrtspserver-1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly
  # tests: virtual display, load generator, the browser for the web client's tests
  xvfb xauth wrk chromium
  # fuzz targets: libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer
  clang libclang-rt-14-dev llvm
  # the Debian package (cpack, dpkg-shlibdeps) and its checks (scripts/package-test.sh)
  dpkg-dev file lintian desktop-file-utils appstream curl x11-utils
)

export DEBIAN_FRONTEND=noninteractive
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}"

# Node.js runs the browser tests; Debian 12's own is older than the one Playwright needs, so a newer one
# already on the machine is kept.
if ! command -v node >/dev/null 2>&1; then
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nodejs npm
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(cd "$here/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
