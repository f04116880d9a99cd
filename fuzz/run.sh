#!/usr/bin/env bash
# Runs one fuzz target for a while:  fuzz/run.sh TARGET [SECONDS [LIBFUZZER-FLAG...]]
# (TARGET: gridfile, avi, framesource, rtf, names, settings, loglines, info, picture)
# Installs clang and its libFuzzer runtime when missing, builds build-fuzz/
# with them (address and undefined-behaviour sanitizers on), and fuzzes from
# the committed corpus. New inputs go to build-fuzz/corpus-TARGET/, a crash or
# hang to build-fuzz/findings-TARGET/. Once a finding is mended, copy it into
# fuzz/corpus/TARGET/ so every build replays it from then on.
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TARGET=${1:?usage: fuzz/run.sh TARGET [SECONDS]}
SECONDS_TO_RUN=${2:-300}
[ -d "$SRC/fuzz/corpus/$TARGET" ] || { echo "no fuzz target $TARGET" >&2; exit 2; }

missing=()
for p in clang libclang-rt-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

BUILD="$SRC/build-fuzz"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVEL_FUZZ=ON -DKORVEL_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --parallel "$(nproc)" --target "$TARGET-fuzz"

corpus="$BUILD/corpus-$TARGET"
findings="$BUILD/findings-$TARGET"
mkdir -p "$corpus" "$findings"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
"$BUILD/bin/$TARGET-fuzz" "$corpus" "$SRC/fuzz/corpus/$TARGET" \
  -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$findings/" -print_final_stats=1 "${@:3}"
