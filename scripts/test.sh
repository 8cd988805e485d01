#!/usr/bin/env bash
# Builds everything and runs every test: ./scripts/test.sh [PRESET]
#   PRESET  default (the default), asan (AddressSanitizer and
#           UndefinedBehaviorSanitizer) or release
# The default preset also builds the browser version and runs its tests in
# Chromium (./scripts/test-web.sh); asan and release run the native tests.
# Extra CMake options can be given in TAVILO_CMAKE_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-default}" in
  -h|--help)
    sed -n '2,7s/^# \{0,1\}//p' "$0"
    exit 0 ;;
  default|asan|release) preset="${1:-default}" ;;
  *)
    echo "test.sh: unknown preset '$1' (default, asan or release; see --help)" >&2
    exit 2 ;;
esac
./scripts/deps.sh test
cmake --preset "$preset" ${TAVILO_CMAKE_ARGS:-} >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
if [ "$preset" = default ]; then
  ./scripts/test-web.sh
fi
