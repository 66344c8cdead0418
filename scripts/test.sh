#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test in a network namespace that has loopback only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
BUILD_DIR=${TVP_BUILD_DIR:-build}

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
trap 'rm -rf "$runtime"' EXIT

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo -E"
$SUDO unshare -n sh -c "ip link set lo up && exec ctest --test-dir '$BUILD_DIR' --output-on-failure -j $(nproc) --timeout 300"
