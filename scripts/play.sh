#!/usr/bin/env bash
# Builds the game alone and starts it in a desktop window:
#   ./scripts/play.sh [tavilo options, e.g. --scale 3]
# The first run builds for a few minutes; later runs rebuild only what has
# changed and start at once.
set -euo pipefail
cd "$(dirname "$0")/.."

asks_for_text=no
for arg in "$@"; do
  case "$arg" in -h|--help|--version) asks_for_text=yes ;; esac
done
# Say it before building for minutes: without a desktop there is no window.
if [ $asks_for_text = no ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
   [ -z "${SDL_VIDEODRIVER:-}" ]; then
  cat >&2 <<'TEXT'
play.sh: there is no display to open the game's window on (neither DISPLAY nor
WAYLAND_DISPLAY is set). Without one, the headless host tavilo-headless plays
the game from a script:
  cmake --preset play && cmake --build --preset play --target tavilo-headless
  build/play/platform/hosts/tavilo-headless --help
TEXT
  exit 1
fi

./scripts/deps.sh game
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
fi
# Configure once; the build step configures again by itself when a CMake
# file changes.
if [ ! -f build/play/CMakeCache.txt ]; then
  cmake --preset play >/dev/null
fi
cmake --build --preset play --parallel "${TAVILO_JOBS:-$(nproc)}"
exec build/play/platform/hosts/tavilo "$@"
