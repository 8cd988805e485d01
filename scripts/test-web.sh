#!/usr/bin/env bash
# The browser tests: builds the site, installs the pinned Playwright and runs
# tests/web in Chromium. The headless host of the default build is their
# oracle, so that build comes first (./scripts/test.sh does both). Among them,
# serve.test.mjs checks that the tests' server answers a Node that tries only
# the first address of localhost, as Debian 12's own Node does.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh web
./scripts/build-web.sh
[ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund
TAVILO_HEADLESS="${TAVILO_HEADLESS:-$PWD/build/default/platform/hosts/tavilo-headless}" \
  node --test tests/web/
