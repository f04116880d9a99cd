#!/usr/bin/env bash
# How opening grows with the length of a recording: long H.264 AVI files with
# a single key frame at the start and, beside them, the same lengths with a
# key frame every 60. Opening should grow in step with the length.
#   bench/open.sh [WORKDIR]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-bench}
mkdir -p "$WORK"

clips=()
for frames in 30000 120000; do
  for keys in one 60; do
    name="h264-long-$frames-key-$keys.avi"
    keyint=$([ $keys = one ] && echo infinite || echo 60)
    [ -f "$WORK/$name" ] || ffmpeg -y -v error -nostdin -f lavfi -i "testsrc=size=96x64:rate=60" \
        -frames:v $frames -c:v libx264 -preset veryfast -bf 2 \
        -x264-params "keyint=$keyint:min-keyint=60:scenecut=0" -pix_fmt yuv420p "$WORK/$name"
    clips+=("$WORK/$name")
  done
done

cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-bench -j2 >/dev/null
"$SRC/build-bench/bin/korvel-bench" --open-only "${clips[@]}"
