#!/usr/bin/env bash
# The README's picture of lensor: lensor at 8x with its crosshair over the
# check buoy of korvel's grid set-up screen (docs/grid-setup.png), on Xvfb.
#   magnifier/screenshot.sh [BUILD_DIR]   (writes docs/lensor.png)
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$SRC/build}
cmake --build "$BUILD" --target lensor lensor-testscreen >/dev/null
WORK=$(mktemp -d /tmp/lensor-shot.XXXXXX)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display") QT_QPA_PLATFORM=xcb
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/lensor" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Options]\nCrossHair=1\n[DeskTop]\nWindow\\Left=450\nWindow\\Top=480\nWindow\\Width=330\nWindow\\Height=290\n' \
  >"$XDG_CONFIG_HOME/lensor/lensor.ini"

mkfifo "$WORK/in"
"$BUILD/tests/lensor-testscreen" --picture "$SRC/docs/grid-setup.png" --cursor 410 369 \
  <"$WORK/in" >"$WORK/out" &
PIDS+=($!)
exec 4>"$WORK/in"
"$BUILD/bin/lensor" -8 -nosplash &
PIDS+=($!)
sleep 6
echo "grab $SRC/docs/lensor.png 300 270 500 510" >&4
for _ in $(seq 50); do grep -q done "$WORK/out" && break; sleep 0.1; done
echo "docs/lensor.png written"
