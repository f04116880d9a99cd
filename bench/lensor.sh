#!/usr/bin/env bash
# lensor beside xzoom (Debian's X magnifier, installed here for the comparison
# only), side by side in one run on Xvfb: both at 8x onto the same picture size,
# a frame every 20 ms, the pointer moving all the time over a screen whose every
# pixel differs, so lensor draws a new picture every frame (xzoom does anyway).
#   bench/lensor.sh [FRAMES] [ROUNDS] [WINDOW SIZES, default "170x245 1000x800"]
# LENSOR_BEFORE=path/to/another/lensor adds its figures in two more columns
# (an older build, to see what a change bought).
# A frame is counted where it reaches the X server, the same way for both
# programs (bench/lensorframes.c, loaded into each): its CPU time, the client's
# and the X server's, everything included (grab, drawing, read-outs, the
# toolkit's event loop, putting the picture on the screen).
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FRAMES=${1:-500}
ROUNDS=${2:-3}
SIZES=${3:-170x245 1000x800}
WORK=$(mktemp -d /tmp/lensor-bench.XXXXXX)
PIDS=()
cleanup() { # the programs before the X server
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

missing=()
for tool in xzoom:xzoom Xvfb:xvfb cc:build-essential; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target lensor lensor-bench -j2 >/dev/null
cc -O2 -shared -fPIC "$SRC/bench/lensorframes.c" -o "$WORK/frames.so" -ldl

# A virtual screen on a free display number, the moving pointer on it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
XVFB=$!
PIDS+=("$XVFB")
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export QT_QPA_PLATFORM=xcb HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/lensor" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$SRC/build-bench/bin/lensor-bench" --around 1150 920 --step 10 &
PIDS+=($!)
sleep 1

# One program until it has put FRAMES frames after 50 to warm up; prints
# "frames seconds client_ms server_ms width height".
measure() {
  rm -f "$WORK/out"
  env LD_PRELOAD="$WORK/frames.so" LENSOR_FRAMES_OUT="$WORK/out" LENSOR_FRAMES_COUNT="$FRAMES" \
    LENSOR_FRAMES_SERVER="$XVFB" "$@" >/dev/null 2>&1 &
  local pid=$!
  PIDS+=("$pid")
  for _ in $(seq $((FRAMES / 10 + 300))); do
    [ -s "$WORK/out" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -s "$WORK/out" ] && cat "$WORK/out" || echo "0 0 0 0 0 0"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "8x, a frame every 20 ms, pointer moving; CPU ms per frame, median of $ROUNDS rounds of $FRAMES frames"
echo
BEFORE=${LENSOR_BEFORE:-}
header="| window | picture | lensor client | lensor X server | xzoom client | xzoom X server | lensor / xzoom client | with X server |"
rule="|---|---|---|---|---|---|---|---|"
if [ -n "$BEFORE" ]; then
  header="$header other lensor client | other lensor X server | other / xzoom client |"
  rule="$rule---|---|---|"
fi
echo "$header"
echo "$rule"
for size in $SIZES; do
  w=${size%x*}; h=${size#*x}
  printf '[DeskTop]\nWindow\\Left=0\nWindow\\Top=0\nWindow\\Width=%d\nWindow\\Height=%d\n' "$w" "$h" \
    >"$XDG_CONFIG_HOME/lensor/lensor.ini"
  : >"$WORK/lensor" ; : >"$WORK/xzoom"; : >"$WORK/before"
  pw=0; ph=0
  for round in $(seq "$ROUNDS"); do
    read -r n s lc lx w1 h1 < <(measure "$SRC/build-bench/bin/lensor" -8 -fast -nosplash)
    echo "$lc $lx" >>"$WORK/lensor"
    pw=$w1; ph=$h1
    # xzoom onto lensor's picture size, magnifying the same kind of pixels.
    read -r n s zc zx _ _ < <(measure env LENSOR_FRAMES_PERIOD_MS=20 \
      xzoom -mag 8 -source "$((pw / 8))x$((ph / 8))+1000+850")
    echo "$zc $zx" >>"$WORK/xzoom"
    if [ -n "$BEFORE" ]; then
      read -r n s bc bx _ _ < <(measure "$BEFORE" -8 -fast -nosplash)
      echo "$bc $bx" >>"$WORK/before"
    fi
  done
  lc=$(cut -d' ' -f1 "$WORK/lensor" | median); lx=$(cut -d' ' -f2 "$WORK/lensor" | median)
  zc=$(cut -d' ' -f1 "$WORK/xzoom" | median); zx=$(cut -d' ' -f2 "$WORK/xzoom" | median)
  row=$(awk -v size="$size" -v pw="$pw" -v ph="$ph" -v lc="$lc" -v lx="$lx" -v zc="$zc" -v zx="$zx" 'BEGIN {
    printf "| %s | %dx%d | %.3f | %.3f | %.3f | %.3f | %.2f | %.2f |", size, pw, ph, lc, lx, zc, zx,
      (zc > 0 ? lc / zc : 0), (zc + zx > 0 ? (lc + lx) / (zc + zx) : 0)
  }')
  if [ -n "$BEFORE" ]; then
    bc=$(cut -d' ' -f1 "$WORK/before" | median); bx=$(cut -d' ' -f2 "$WORK/before" | median)
    row="$row$(awk -v bc="$bc" -v bx="$bx" -v zc="$zc" 'BEGIN { printf " %.3f | %.3f | %.2f |", bc, bx, (zc > 0 ? bc / zc : 0) }')"
  fi
  echo "$row"
done
