#!/usr/bin/env bash
# Installs everything Tavimorex needs to build, run and test on Debian 12. Safe to run again.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
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
)

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}"

# Node.js runs the browser tests; Debian 12's own is older than the one Playwright needs, so a newer one
# already on the machine is kept.
if ! command -v node >/dev/null 2>&1; then
  $SUDO apt-get install -y -qq --no-install-recommends nodejs npm
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(cd "$here/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
