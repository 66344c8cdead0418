#!/usr/bin/env bash
# Installs what is missing, builds with the tests, and runs every test, then a short run of every
# fuzz target, in a network namespace that has loopback only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests
bash scripts/build.sh --tests
BUILD_DIR=${TVP_BUILD_DIR:-build}

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
trap 'rm -rf "$runtime"' EXIT

# A user namespace lets a non-root user have a network namespace of its own as well.
NS="unshare -n"
[ "$(id -u)" -eq 0 ] || NS="unshare -rn"
$NS sh -c "ip link set lo up && exec ctest --test-dir '$BUILD_DIR' --output-on-failure -j $(nproc) --timeout 300"
$NS sh -c "ip link set lo up && exec bash scripts/fuzz.sh"
