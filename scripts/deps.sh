#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tavilo need.
# As root it runs apt-get itself; otherwise it prints the line to run.
set -euo pipefail

PACKAGES=(g++ cmake make pkg-config libgtest-dev libbenchmark-dev libsdl2-dev libstb-dev xvfb xauth)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing build dependencies. Run:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
