#!/usr/bin/env bash
# Buoys snapped on rendered lakes and the grids set up on them: prints the
# tables of the README.   bench/snap.sh [LAKES] [GRIDS] [SEED]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-snap-bench -j2 >/dev/null
"$SRC/build-bench/bin/korvel-snap-bench" "${1:-40}" "${2:-200}" "${3:-1}"
