#!/usr/bin/env bash
# Capture benchmark: 6 s from the test camera and from the filter-graph
# stand-in camera at 640x480 30 fps and 1280x720 60 fps, MJPEG, preview on.
# Builds korvel-capture-bench in build-bench/ (Release) and runs it.
#   bench/capture.sh [WORKDIR] [SECONDS]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-capture-bench}
mkdir -p "$WORK"
cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-capture-bench -j2 >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$SRC/build-bench/bin/korvel-capture-bench" "$WORK" "${2:-6}" 2>/dev/null
