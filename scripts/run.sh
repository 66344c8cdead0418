#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in competition server as the local server
# (unless a server already answers on port 8080) and then the program, on the desktop session.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
PROGRAM_DIR=${TVP_BUILD_DIR:-build}/program

if curl -s -o /dev/null --max-time 2 http://127.0.0.1:8080/ ; then
  echo "A competition server already answers on port 8080."
else
  bash "$PROGRAM_DIR/server/start.sh"
  echo "The stand-in competition server runs on port 8080 (stop it with $PROGRAM_DIR/server/stop.sh)."
fi
exec "$PROGRAM_DIR/TrivantaPentrel"
