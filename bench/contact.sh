#!/usr/bin/env bash
# The proposed first contact against the truth on seeded test-camera jumps
# (plain, a passing cloud, sensor noise, a second boat and its wake), each
# encoded as MJPEG and as H.264 with a key frame every 250 frames; then the
# time from opening a 5-second 720p recording to its proposal.
#   bench/contact.sh [WORKDIR] [JUMPS_PER_CONDITION]
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${1:-/tmp/korvel-bench/contact}
mkdir -p "$WORK"
cmake -S "$SRC" -B "$SRC/build-bench" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BENCH=ON -DKORVEL_TESTS=OFF >/dev/null
cmake --build "$SRC/build-bench" --target korvel-contact-bench -j2 >/dev/null
QT_QPA_PLATFORM=offscreen "$SRC/build-bench/bin/korvel-contact-bench" "$WORK" "${2:-14}"
