#!/usr/bin/env bash
# Builds tavilo.exe and tavilo-headless.exe with mingw-w64 and checks them
# under Wine against the Linux build: ./scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh windows
cmake --preset default ${TAVILO_CMAKE_ARGS:-} >/dev/null
cmake --build --preset default --target tavilo-headless
cmake --preset windows ${TAVILO_CMAKE_ARGS:-} >/dev/null
cmake --build --preset windows
tests/win32/wine_test.sh build/default/platform/hosts/tavilo-headless build/windows/platform/hosts
