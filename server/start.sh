#!/bin/bash
# Starts the competition server stand-in from this folder in the background and returns once it
# answers on its port as the competition server. With --port 0 the system chooses the port, which
# the line on success names.
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

# Our own child still runs. Its name is no test here: until the forked shell has exec'd the server
# it is not yet "tvp-standin".
alive() {
  kill -0 "$1" 2>/dev/null && ! grep -q '^State:.*zombie' "/proc/$1/status" 2>/dev/null
}

# Some program takes connections on the port.
listening() {
  (exec 3<>"/dev/tcp/$host/$1") 2>/dev/null
}

# The port our server took: its first line names it once it listens. The log may hold lines of
# earlier runs, so only what this run wrote counts.
ownPort() {
  tail -c +"$logStart" "$log" 2>/dev/null |
    sed -n 's/^tvp-standin: [^ ]*:\([0-9][0-9]*\), Daten .*/\1/p' | head -n 1
}

# The server on the port answers the version question as the competition server does.
answersAsServer() {
  local body='<?xml version="1.0" encoding="utf-8"?><soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><getBackendVersion xmlns="http://trivanta.example/Trivanta/Programinfo/"/></soap:Body></soap:Envelope>'
  local answer
  answer=$(timeout 5 bash -c '
    exec 3<>"/dev/tcp/$1/$2" || exit 1
    printf "POST /TrivantaPentrel/services/ProgrammInfoWebService HTTP/1.0\r\nHost: %s\r\nContent-Type: text/xml; charset=utf-8\r\nSOAPAction: \"\"\r\nContent-Length: %d\r\n\r\n%s" \
      "$1" "${#3}" "$3" >&3
    cat <&3' _ "$host" "$1" "$body" 2>/dev/null)
  [[ "$answer" == *getBackendVersionResponse* ]]
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

logStart=$(($(stat -c %s "$log" 2>/dev/null || echo 0) + 1))
# setsid: the server outlives the program that called this script.
setsid "$bin" --port "$port" --data "$data" "${extra[@]}" >>"$log" 2>&1 </dev/null &
pid=$!
echo "$pid" >"$pidfile"

# Another program on the port answers too, so only our own process naming its port, and then
# answering there, is a server that runs.
for _ in $(seq 1 100); do
  if ! alive "$pid"; then
    rm -f "$pidfile"
    if [ "$port" != 0 ] && listening "$port"; then
      echo "Server konnte nicht gestartet werden: Port $port ist bereits von einem anderen Programm belegt." \
        "Beenden Sie dieses Programm und starten Sie den Server erneut." >&2
    else
      echo "Server konnte nicht gestartet werden, siehe $log:" >&2
      tail -n 5 "$log" >&2
    fi
    exit 1
  fi
  own=$(ownPort)
  if [ -n "$own" ] && answersAsServer "$own" && alive "$pid"; then
    echo "Server läuft auf Port $own (PID $pid)."
    exit 0
  fi
  sleep 0.1
done

echo "Server antwortet nicht auf Port ${own:-$port}, siehe $log." >&2
kill -TERM "$pid" 2>/dev/null
rm -f "$pidfile"
exit 1
