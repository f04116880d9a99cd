#!/usr/bin/env bash
# The review screen with an arrow held for 3 s on 1080p videos (the right arrow
# from the start, the left from three quarters in), each once as before (every
# step decoded when it is served) and once decoding ahead of the held key:
# frames moved, frames passed and painted, whether each picture painted is the
# frame numbered beneath it, the time from a step to its picture beside one
# decode, and the time from opening a video two thirds in to its picture.
#   bench/review.sh [WORKDIR]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-bench}
mkdir -p "$WORK"

make_clip() { # name seconds codec-args...
  local name=$1 seconds=$2; shift 2
  [ -f "$WORK/$name" ] || ffmpeg -y -v error -nostdin -f lavfi -i "testsrc=size=1920x1080:rate=30" \
      -frames:v $((30 * seconds)) "$@" "$WORK/$name"
}
make_clip mjpeg-1080p-30.avi 8 -c:v mjpeg -q:v 3
make_clip h264-1080p-gop250-30.avi 12 -c:v libx264 -g 250 -bf 2 -pix_fmt yuv420p

cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-review-bench -j2 >/dev/null
# On a real X server when there is one to start: painted means on screen.
RUN=()
command -v xvfb-run >/dev/null && RUN=(xvfb-run -a -s "-screen 0 1280x1024x24")
"${RUN[@]}" "$SRC/build-bench/bin/korvel-review-bench" \
  "$WORK/mjpeg-1080p-30.avi" "$WORK/h264-1080p-gop250-30.avi"
