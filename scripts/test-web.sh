#!/usr/bin/env bash
# The browser tests: builds the site, installs the pinned drivers (Playwright,
# puppeteer-core, selenium-webdriver; none of them downloads a browser) and
# runs tests/web: the whole suite in Chromium, and engines.test.mjs in Firefox
# ESR (WebDriver BiDi) and WebKitGTK's MiniBrowser (WebKitWebDriver on a
# private Xvfb). The headless host of the default build is their
# oracle, so that build comes first (./scripts/test.sh does both). Among them,
# serve.test.mjs checks that the tests' server answers a Node that tries only
# the first address of localhost, as Debian 12's own Node does.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh web
./scripts/build-web.sh
if [ ! -d node_modules/playwright-core ] || [ ! -d node_modules/puppeteer-core ] ||
   [ ! -d node_modules/selenium-webdriver ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund
fi
TAVILO_HEADLESS="${TAVILO_HEADLESS:-$PWD/build/default/platform/hosts/tavilo-headless}" \
  node --test tests/web/
