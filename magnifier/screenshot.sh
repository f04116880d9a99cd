#!/usr/bin/env bash
# The README's pictures of lensor: lensor at 8x with its crosshair over the
# check buoy of korvel's grid set-up screen (docs/grid-setup.png), on Xvfb, on
# a plain desktop (docs/lensor.png) and on one scaled by 2 (docs/lensor-2x.png,
# QT_SCALE_FACTOR=2 on a 2560 x 1600 screen: every screen pixel of the buoy is
# still an 8 x 8 block, and the read-out gives the screen's own coordinates).
#   magnifier/screenshot.sh [BUILD_DIR]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$SRC/build}
cmake --build "$BUILD" --target lensor lensor-testscreen >/dev/null
WORK=$(mktemp -d /tmp/lensor-shot.XXXXXX)
PIDS=()
cleanup() { # the programs before their X servers
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# shot OUT SCREEN SCALE LEFT TOP GRAB: lensor's window at LEFT, TOP (logical
# pixels), 330 x 290; GRAB is "x y w h" of the screen in screen pixels.
shot() {
  local out=$1 screen=$2 scale=$3 left=$4 top=$5 grab=$6 dir="$WORK/$1"
  mkdir -p "$dir"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$dir/display" 2>/dev/null &
  PIDS+=($!)
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$dir/display") QT_QPA_PLATFORM=xcb
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/run"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/lensor" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  printf '[Options]\nCrossHair=1\n[DeskTop]\nWindow\\Left=%d\nWindow\\Top=%d\nWindow\\Width=330\nWindow\\Height=290\n' \
    "$left" "$top" >"$XDG_CONFIG_HOME/lensor/lensor.ini"
  mkfifo "$dir/in"
  "$BUILD/tests/lensor-testscreen" --picture "$SRC/docs/grid-setup.png" --cursor 410 369 \
    <"$dir/in" >"$dir/out" &
  PIDS+=($!)
  exec 4>"$dir/in"
  for _ in $(seq 100); do grep -q ready "$dir/out" && break; sleep 0.1; done
  QT_SCALE_FACTOR=$scale "$BUILD/bin/lensor" -8 -nosplash &
  PIDS+=($!)
  sleep 4 # the window shown and a few ticks magnified
  echo "grab $SRC/docs/$out $grab" >&4
  for _ in $(seq 100); do [ "$(grep -c done "$dir/out")" -ge 1 ] && break; sleep 0.1; done
  exec 4>&-
  echo "docs/$out written"
}

shot lensor.png 1280x800 1 450 480 "300 270 500 510"
shot lensor-2x.png 2560x1600 2 225 240 "300 270 830 820"
