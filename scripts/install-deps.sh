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
  # tests: virtual display, load generator
  xvfb xauth wrk
)

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}"
