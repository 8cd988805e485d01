#!/usr/bin/env bash
# Builds the game and starts it in a desktop window: ./scripts/play.sh [options]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -x build/release/tavilo ]; then
  exec build/release/tavilo "$@"
else
  echo "Everything is built; the game itself is not there yet, so there is nothing to start."
fi
