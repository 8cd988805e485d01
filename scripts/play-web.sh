#!/usr/bin/env bash
# Builds the browser version and serves it on http://localhost:8000 (or the
# port given): ./scripts/play-web.sh [port]
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8000}"
./scripts/deps.sh web
./scripts/build-web.sh
echo "Tavilo is served at http://localhost:${port}/ (Ctrl+C stops it)"
cd build/web/site
exec python3 -m http.server "$port" --bind 127.0.0.1
