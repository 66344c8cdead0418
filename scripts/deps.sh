#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those still missing).
set -euo pipefail

PACKAGES=(
  cmake ninja-build ccache pkg-config g++
  qt6-base-dev qt6-websockets-dev libpugixml-dev libcurl4-openssl-dev
  libzip-dev libzint-dev libqpdf-dev libcivetweb-dev libsqlite3-dev libevdev-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  iproute2 util-linux curl xvfb poppler-utils fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
