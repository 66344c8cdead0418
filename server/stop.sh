#!/bin/bash
# Stops the stand-in started by start.sh: TERM, up to ten seconds' grace, then KILL.

dir=$(cd "$(dirname "$0")" && pwd)
pidfile="$dir/standin.pid"

if [ ! -f "$pidfile" ]; then
  echo "Kein laufender Server ($pidfile fehlt)."
  exit 0
fi
pid=$(cat "$pidfile")

# Alive and ours: a pid may be reused, and an ended server lingers as a zombie until reaped.
running() {
  [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "tvp-standin" ] &&
    ! grep -q '^State:.*zombie' "/proc/$1/status" 2>/dev/null
}

# Another program may have taken the pid of a server that ended on its own.
if running "$pid"; then
  kill -TERM "$pid"
  for _ in $(seq 1 100); do
    running "$pid" || break
    sleep 0.1
  done
  if running "$pid"; then
    kill -KILL "$pid"
    sleep 0.1
  fi
fi
rm -f "$pidfile"
echo "Server beendet."
