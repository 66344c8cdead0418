#!/usr/bin/env bash
# Runs a test program on an X server of its own with openbox as its window manager, for the tests
# whose subject is what a window manager does: who gets the keyboard, the size a window gets once
# mapped. Offscreen Qt activates every window and grants every size, so it cannot show either.
#
#   with-window-manager.sh PROGRAM [ARGS...]
#
# The screen is 1280x720, or 1366x768 for a test whose name (in --gtest_filter) holds "1366".
# openbox keeps 32 px at the top free, as a desktop's panel does. Listing the tests needs no display.
# TVP_WINDOW_MANAGER_PID names openbox's process: a test may stop it for a moment, as a loaded
# machine slows it.
set -euo pipefail

program=$1
shift
screen=1280x720
for arg in "$@"; do
  case "$arg" in
    --gtest_list_tests) QT_QPA_PLATFORM=offscreen exec "$program" "$@" ;;
    --gtest_filter=*1366*) screen=1366x768 ;;
  esac
done

for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "with-window-manager.sh: $tool is missing (scripts/deps.sh --tests installs it)" >&2
    exit 1
  fi
done

home=$(mktemp -d)
xvfb_pid=""
wm_pid=""
finish() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$home"
}
trap finish EXIT

# -displayfd lets the server take a free display number and name it once it accepts clients.
mkfifo "$home/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$home/display" \
  >"$home/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! read -r -t 60 number <"$home/display"; then
  echo "with-window-manager.sh: Xvfb did not start" >&2
  cat "$home/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"

mkdir -p "$home/config/openbox" "$home/runtime"
chmod 700 "$home/runtime"
cat >"$home/config/openbox/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>32</top><bottom>0</bottom><left>0</left><right>0</right></margins>
</openbox_config>
XML
HOME=$home XDG_CONFIG_HOME=$home/config openbox --sm-disable >"$home/openbox.log" 2>&1 &
wm_pid=$!
# A machine busy with the rest of the suite can take many seconds to bring it up.
for _ in $(seq 1 1200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm_pid" 2>/dev/null || break
  sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "with-window-manager.sh: openbox did not start" >&2
  cat "$home/openbox.log" >&2
  exit 1
fi

TVP_WINDOW_MANAGER_PID=$wm_pid XDG_RUNTIME_DIR=$home/runtime QT_QPA_PLATFORM=xcb "$program" "$@"
