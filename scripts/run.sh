#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in competition server as the local server
# (unless a server already answers on port 8080) and then the program, on the desktop session.
set -euo pipefail
cd "$(dirname "$0")/.."

# Without a desktop the program cannot show a window: say so before anything is built or started,
# so no server is left running for a program that never came up.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Trivanta Pentrel needs one to show its windows; nothing was built or started." >&2
  echo "Start it from a desktop session, or under a virtual display: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
bash scripts/deps.sh

# A display that is set but cannot be opened (gone, or no permission) would end the program at
# once, after the server was started for it: try it first.
display_opens() {
  local platform=${QT_QPA_PLATFORM:-}
  if [ -z "$platform" ]; then
    if [ -n "${DISPLAY:-}" ]; then platform=xcb; else platform=wayland; fi
  fi
  case "$platform" in
    xcb*) [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 ;;
    wayland*) [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/${WAYLAND_DISPLAY:-wayland-0}" ] ;;
    *) true ;;
  esac
}
if ! display_opens; then
  echo "run.sh: cannot open the display ${DISPLAY:-${WAYLAND_DISPLAY:-}}." >&2
  echo "Trivanta Pentrel needs it to show its windows; no server was started." >&2
  echo "Check the desktop session, or run under a virtual display: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
bash scripts/build.sh
PROGRAM_DIR=${TVP_BUILD_DIR:-build}/program

if curl -s -o /dev/null --max-time 2 http://127.0.0.1:8080/ ; then
  echo "A competition server already answers on port 8080."
else
  bash "$PROGRAM_DIR/server/start.sh"
  echo "The stand-in competition server runs on port 8080 (stop it with $PROGRAM_DIR/server/stop.sh)."
fi
exec "$PROGRAM_DIR/TrivantaPentrel"
