#!/usr/bin/env bash
# Builds the browser version into build/web/site, a folder of static files.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's Emscripten runs its tools under the system's Node.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
cmake --preset web ${TAVILO_CMAKE_ARGS:-} >/dev/null
cmake --build --preset web
