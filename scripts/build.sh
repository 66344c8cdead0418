#!/usr/bin/env bash
# Configures and builds into build/ (or $TVP_BUILD_DIR): the program and the stand-in, and with
# --tests also the tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${TVP_BUILD_DIR:-build}
TESTS=OFF
[ "${1:-}" = "--tests" ] && TESTS=ON

# A large test file takes about 1 GB to compile: keep the jobs within the free memory.
jobs() {
  local cores avail_gb
  cores=$(nproc)
  avail_gb=$(awk '/MemAvailable/ { print int($2 / 1048576) }' /proc/meminfo)
  [ "$avail_gb" -lt 1 ] && avail_gb=1
  [ "$avail_gb" -lt "$cores" ] && echo "$avail_gb" || echo "$cores"
}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVP_BUILD_TESTS=$TESTS
cmake --build "$BUILD_DIR" -j "$(jobs)"
