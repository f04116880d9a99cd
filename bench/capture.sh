#!/usr/bin/env bash
# Capture benchmark: 6 s from the test camera and from the filter-graph
# stand-in camera at 640x480 30 fps and 1280x720 60 fps, MJPEG, preview on.
# Builds korvel-capture-bench in build-bench/ (Release) and runs it.
#   bench/capture.sh [WORKDIR] [SECONDS]
# LOAD=1 keeps one core busy with a process of its own while it records, as
# another program on the lakeside laptop would. BEFORE=path/to/an/older/
# korvel-capture-bench runs that one first, in the same run, for the figures
# side by side.
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-capture-bench}
mkdir -p "$WORK"
cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-capture-bench -j2 >/dev/null
busy=""
if [ "${LOAD:-0}" = 1 ]; then
  (while :; do :; done) &
  busy=$!
  trap 'kill $busy 2>/dev/null' EXIT
  echo "(one core kept busy by process $busy)"
fi
if [ -n "${BEFORE:-}" ]; then
  echo "before: $BEFORE"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$BEFORE" "$WORK" "${2:-6}" 2>/dev/null
  echo "now:"
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$SRC/build-bench/bin/korvel-capture-bench" "$WORK" "${2:-6}" 2>/dev/null
