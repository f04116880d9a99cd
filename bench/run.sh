#!/usr/bin/env bash
# Benchmark of the frame source against what a user would script instead.
# Makes the test videos with the ffmpeg program (its test pattern carries a
# frame counter), builds korvel-bench in build-bench/ and runs it on them.
#   bench/run.sh [WORKDIR]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-bench}
mkdir -p "$WORK"

make_clip() { # name rate size codec-args...
  local name=$1 rate=$2 size=$3; shift 3
  [ -f "$WORK/$name" ] || ffmpeg -y -v error -nostdin -f lavfi -i "testsrc=size=$size:rate=$rate" \
      -frames:v $((rate * 6)) "$@" "$WORK/$name"
}
for rate in 30 60; do
  make_clip "mjpeg-480p-$rate.avi" $rate 640x480 -c:v mjpeg -q:v 3
  make_clip "bgr24-480p-$rate.avi" $rate 640x480 -c:v rawvideo -pix_fmt bgr24
  make_clip "h264-720p-gop60-$rate.avi" $rate 1280x720 -c:v libx264 -g 60 -bf 2 -pix_fmt yuv420p
done

cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-bench -j2 >/dev/null
# The system's Python, which is where Debian's python3-opencv lives.
PYTHON=python3
[ -x /usr/bin/python3 ] && PYTHON=/usr/bin/python3
"$SRC/build-bench/bin/korvel-bench" --python "$PYTHON" --opencv "$SRC/bench/opencv_seek.py" --work "$WORK" \
  "$WORK"/mjpeg-480p-30.avi "$WORK"/mjpeg-480p-60.avi \
  "$WORK"/bgr24-480p-30.avi "$WORK"/bgr24-480p-60.avi \
  "$WORK"/h264-720p-gop60-30.avi "$WORK"/h264-720p-gop60-60.avi
