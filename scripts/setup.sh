# Shared by scripts/run and scripts/test: install what is missing, then
# configure and build one build tree incrementally. Sourced, not run.
set -euo pipefail
KORVEL_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

KORVEL_PACKAGES=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libavdevice-dev
  ffmpeg libgtest-dev googletest xvfb xauth
  libxcb1-dev libxcb-shm0-dev
  clang-format
  desktop-file-utils appstream
)

korvel_install_missing() {
  local missing=()
  for p in "${KORVEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# korvel_configure DIR [cmake options...]
# Configures a new build tree, or an existing one again with the options given.
korvel_configure() {
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$KORVEL_SRC" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  elif [ $# -gt 0 ]; then
    cmake -S "$KORVEL_SRC" -B "$dir" "$@" >/dev/null
  fi
}

# korvel_build DIR [cmake options...]
# Builds on every core unless CMAKE_BUILD_PARALLEL_LEVEL says how many (on a
# machine shared with other builds); everything, or the targets named in
# KORVEL_BUILD_TARGETS.
korvel_build() {
  local dir=$1; shift
  korvel_configure "$dir" "$@"
  local targets=()
  for t in ${KORVEL_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  cmake --build "$dir" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" "${targets[@]}"
}
