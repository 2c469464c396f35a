#!/usr/bin/env bash
# Configures, builds and runs every test. Usage: scripts/test.sh [build-folder]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"

cmake -S "$here" -B "$build" -G Ninja
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
