#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $TVP_FUZZ_BUILD_DIR) and runs each
# for $TVP_FUZZ_SECONDS (20) seconds on its seed corpus in fuzz/corpus/<target>/. Found inputs go
# to a temporary folder, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${TVP_FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${TVP_FUZZ_SECONDS:-20}

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (see scripts/deps.sh)" >&2
  exit 1
fi

cores=$(nproc)
avail_gb=$(awk '/MemAvailable/ { print int($2 / 1048576) }' /proc/meminfo)
jobs=$(( avail_gb < cores ? (avail_gb < 1 ? 1 : avail_gb) : cores ))
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVP_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$BUILD_DIR" -j "$jobs"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
pids=()
names=()
for target in $(find "$BUILD_DIR/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$target")
  mkdir -p "$work/$name/new"
  seeds=$PWD/fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=""
  ( cd "$work/$name" && "$OLDPWD/$target" new $seeds -max_total_time="$SECONDS_EACH" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 >log 2>&1 ) &
  pids+=($!)
  names+=("$name")
  # Keep as many running as there are cores.
  while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do sleep 1; done
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz: ${names[$i]} ran ${SECONDS_EACH}s without a finding ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/${names[$i]}/log" | awk '{print $2}') runs)"
  else
    echo "fuzz: ${names[$i]} FAILED" >&2
    tail -60 "$work/${names[$i]}/log" >&2
    status=1
  fi
done
exit $status
