#!/usr/bin/env bash
# Builds everything and runs every test: ./scripts/test.sh [preset]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
./scripts/deps.sh
cmake --preset "$preset" ${TAVILO_CMAKE_ARGS:-} >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
