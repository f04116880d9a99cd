#!/usr/bin/env bash
# lensor's tick time and CPU use on Xvfb, beside xzoom (Debian's X magnifier,
# installed here for the comparison only, with xdotool to set its delay).
#   bench/lensor.sh [SECONDS]
# Prints the tick table of lensor-bench, then the CPU seconds per second of
# lensor at its fast refresh (20 ms) and of xzoom at its own delays, both
# magnifying 8x onto the same picture size, each with the X server's share.
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_RUN=${1:-15}
WORK=$(mktemp -d /tmp/lensor-bench.XXXXXX)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

missing=()
for tool in xzoom:xzoom xdotool:xdotool Xvfb:xvfb; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target lensor lensor-bench -j2 >/dev/null

# A virtual screen on a free display number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
XVFB=$!
PIDS+=("$XVFB")
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export QT_QPA_PLATFORM=xcb HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/lensor" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

"$SRC/build-bench/bin/lensor-bench" --ticks 1000 | tee "$WORK/ticks"

cpu_ticks() { # utime + stime of a process, in clock ticks
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}
HZ=$(getconf CLK_TCK)
# CPU seconds per second of a process and of the X server over SECONDS_RUN.
measure() {
  local pid=$1
  sleep 2
  local a b xa xb
  a=$(cpu_ticks "$pid"); xa=$(cpu_ticks "$XVFB")
  sleep "$SECONDS_RUN"
  b=$(cpu_ticks "$pid"); xb=$(cpu_ticks "$XVFB")
  awk -v d=$((b - a)) -v x=$((xb - xa)) -v s="$SECONDS_RUN" -v hz="$HZ" \
    'BEGIN { printf "%.3f %.3f\n", d / hz / s, x / hz / s }'
}

echo
echo "CPU seconds per second over ${SECONDS_RUN} s (client, X server), 8x, pointer still"
echo "| window | picture | lensor 20 ms | xzoom 50 ms | xzoom 10 ms | xzoom ms per frame (client + server) | xzoom every 20 ms | lensor / xzoom client (with server) |"
echo "|---|---|---|---|---|---|---|---|"
for size in 170x245 1000x800; do
  w=${size%x*}; h=${size#*x}
  printf '[DeskTop]\nWindow\\Left=0\nWindow\\Top=0\nWindow\\Width=%d\nWindow\\Height=%d\n' "$w" "$h" \
    >"$XDG_CONFIG_HOME/lensor/lensor.ini"
  "$SRC/build-bench/bin/lensor" -8 -fast -nosplash &
  LP=$!; PIDS+=("$LP")
  read -r lc lx < <(measure "$LP")
  # xzoom magnifies onto the same picture size as lensor in that window.
  read -r cw ch < <(awk -v s="$size" '$1 == "#" && $3 == s { split($4, p, "x"); print p[1], p[2] }' "$WORK/ticks")
  kill "$LP"; wait "$LP" 2>/dev/null || true
  row=()
  for presses in 2 3; do # 200 -> 100 -> 50 ms, then 10 ms
    xzoom -mag 8 -geometry "${cw}x${ch}+300+0" &
    XP=$!; PIDS+=("$XP")
    wid=$(timeout 20 xdotool search --sync --name '^xzoom' 2>/dev/null | head -1 || true)
    for _ in $(seq "$presses"); do xdotool key --window "$wid" d 2>/dev/null; done
    read -r zc zx < <(measure "$XP")
    kill "$XP"; wait "$XP" 2>/dev/null || true
    row+=("$zc $zx")
  done
  read -r z50 x50 <<<"${row[0]}"
  read -r z10 x10 <<<"${row[1]}"
  # xzoom sleeps its delay after each frame, so a frame cycle is the delay
  # plus its own and the X server's work: cycle = delay / (1 - client - server).
  # Its work per frame, done every 20 ms, is what it would spend at lensor's rate.
  awk -v lc="$lc" -v lx="$lx" -v z50="$z50" -v x50="$x50" -v z10="$z10" -v x10="$x10" \
      -v size="$size" -v cw="$cw" -v ch="$ch" 'BEGIN {
    busy = z10 + x10; if (busy > 0.99) busy = 0.99
    cycle = 10 / (1 - busy)
    zf = z10 * cycle; xf = x10 * cycle
    z20 = zf / 20; x20 = xf / 20
    printf "| %s | %dx%d | %.3f (+%.3f) | %.3f (+%.3f) | %.3f (+%.3f) | %.2f + %.2f | %.3f (+%.3f) | %.2f (%.2f) |\n",
      size, cw, ch, lc, lx, z50, x50, z10, x10, zf, xf, z20, x20,
      (z20 > 0 ? lc / z20 : 0), (z20 + x20 > 0 ? (lc + lx) / (z20 + x20) : 0)
  }'
done
