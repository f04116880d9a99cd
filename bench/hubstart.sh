#!/usr/bin/env bash
# Time from korvel's start to the hub, with the prompts answered, on Xvfb.
# The first run prepares the sample tournament (not counted); the next runs
# start as a tournament day does.   bench/hubstart.sh [RUNS]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUNS=${1:-6}
cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target hubstart-bench korvel_art -j2 >/dev/null
SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
for i in $(seq "$RUNS"); do
  start=$(date +%s%N)
  xvfb-run -a -s "-screen 0 1400x1000x24" env XDG_RUNTIME_DIR="$SCRATCH" \
    "$SRC/build-bench/bin/hubstart-bench" "$SCRATCH" 2>/dev/null
  end=$(date +%s%N)
  echo "  run $i: whole process under xvfb-run $(( (end - start) / 1000000 )) ms"
done
