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
stop_display() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  wm_pid=""
  xvfb_pid=""
}
finish() {
  stop_display
  rm -rf "$home"
}
trap finish EXIT

mkdir -p "$home/config/openbox" "$home/runtime"
chmod 700 "$home/runtime"
cat >"$home/config/openbox/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>32</top><bottom>0</bottom><left>0</left><right>0</right></margins>
</openbox_config>
XML

# Up once openbox names itself and has told the free area (it names itself first): the tests read
# the panel from that area. A wedged X server must not hold the harness: each look has a time limit.
wm_running() {
  local root
  root=$(timeout 10 xprop -root _NET_SUPPORTING_WM_CHECK _NET_WORKAREA 2>/dev/null) || return 1
  [[ $root == *"window id"* && $root == *"_NET_WORKAREA(CARDINAL)"* ]]
}

# Brings up Xvfb and openbox on it; false, with both stopped, when either does not come up.
start_display() {
  rm -f "$home/display"
  mkfifo "$home/display"
  # -displayfd lets the server take a free display number and name it once it accepts clients.
  # -noreset: by default the server resets when its last client leaves, which drops a client
  # still connecting then (openbox: "Failed to open the display") or leaves it unanswered; the
  # probe below comes and goes while openbox connects.
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$home/display" \
    >"$home/xvfb.log" 2>&1 &
  xvfb_pid=$!
  if ! read -r -t 60 number <"$home/display"; then
    echo "with-window-manager.sh: Xvfb did not start" >&2
    cat "$home/xvfb.log" >&2
    stop_display
    return 1
  fi
  export DISPLAY=":$number"
  HOME=$home XDG_CONFIG_HOME=$home/config openbox --sm-disable >"$home/openbox.log" 2>&1 &
  wm_pid=$!
  # A machine busy with the rest of the suite can take many seconds to bring it up.
  for _ in $(seq 1 1200); do
    wm_running && return 0
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.05
  done
  wm_running && return 0
  echo "with-window-manager.sh: openbox did not start" >&2
  cat "$home/openbox.log" >&2
  stop_display
  return 1
}

started=""
for attempt in 1 2 3; do
  if start_display; then
    started=yes
    break
  fi
  echo "with-window-manager.sh: attempt $attempt failed" >&2
done
[ -n "$started" ] || exit 1

TVP_WINDOW_MANAGER_PID=$wm_pid XDG_RUNTIME_DIR=$home/runtime QT_QPA_PLATFORM=xcb "$program" "$@"
