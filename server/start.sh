#!/bin/bash
# Starts the competition server stand-in from this folder in the background and returns once it
# answers on its port.
# Usage: start.sh [--port N] [--data FILE] [further tvp-standin options]

dir=$(cd "$(dirname "$0")" && pwd)
bin="$dir/tvp-standin"
pidfile="$dir/standin.pid"
log="$dir/standin.log"
port=8080
host=127.0.0.1
data="$dir/standin.db"
extra=()

while [ $# -gt 0 ]; do
  case "$1" in
    --port) port="$2"; shift 2 ;;
    --data) data="$2"; shift 2 ;;
    --bind) host="$2"; extra+=("$1" "$2"); shift 2 ;;
    *) extra+=("$1"); shift ;;
  esac
done
[ "$host" = "0.0.0.0" ] && host=127.0.0.1

# Alive and ours: a pid may be reused, and an ended server lingers as a zombie until reaped.
running() {
  [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "tvp-standin" ] &&
    ! grep -q '^State:.*zombie' "/proc/$1/status" 2>/dev/null
}

if [ -f "$pidfile" ]; then
  old=$(cat "$pidfile")
  if running "$old"; then
    echo "Server läuft bereits (PID $old)."
    exit 0
  fi
  rm -f "$pidfile"
fi

if [ ! -x "$bin" ]; then
  echo "Server-Programm nicht gefunden: $bin" >&2
  exit 1
fi

# setsid: the server outlives the program that called this script.
setsid "$bin" --port "$port" --data "$data" "${extra[@]}" >>"$log" 2>&1 </dev/null &
pid=$!
echo "$pid" >"$pidfile"

for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    rm -f "$pidfile"
    echo "Server konnte nicht gestartet werden, siehe $log:" >&2
    tail -n 5 "$log" >&2
    exit 1
  fi
  if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
    echo "Server läuft auf Port $port (PID $pid)."
    exit 0
  fi
  sleep 0.1
done

echo "Server antwortet nicht auf Port $port, siehe $log." >&2
kill -TERM "$pid" 2>/dev/null
rm -f "$pidfile"
exit 1
