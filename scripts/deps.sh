#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those still missing); with --tests also what
# the tests, the fuzz targets and the printout checks need.
set -euo pipefail

PACKAGES=(
  cmake ninja-build ccache pkg-config g++ lld curl
  qt6-base-dev qt6-websockets-dev libpugixml-dev libcurl4-openssl-dev
  libzip-dev libzint-dev libqpdf-dev libhyphen-dev hyphen-de libcivetweb-dev libsqlite3-dev libevdev-dev libudev-dev
  fonts-dejavu-core qt6-translations-l10n x11-utils
)
if [ "${1:-}" = "--tests" ]; then
  PACKAGES+=(
    libgtest-dev libgmock-dev libbenchmark-dev
    iproute2 util-linux xvfb openbox libxcb1-dev poppler-utils zbar-tools
    clang libclang-rt-14-dev chromium
  )
fi

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
