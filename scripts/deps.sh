#!/usr/bin/env bash
# Installs the Debian packages a task needs: ./scripts/deps.sh [game|test|web|ci|windows]
#   game     building and playing the game (the default)
#   test     the above, and the tests and benchmarks
#   web      test, and the browser version, its server and its tests: Emscripten,
#            Chromium, Python's web server, and Node where there is none yet
#   ci       all of the above, and what the continuous integration checks use: a
#            window manager and tools to drive it, the desktop and package
#            validators, and Python 3 for the soak test
#   windows  test and ci, and the mingw-w64 cross compiler and Wine for tavilo.exe
# As root it runs apt-get itself; otherwise it prints the line to run as root.
set -euo pipefail

# Ninja for the play build: it finds nothing to do in a fraction of a second,
# where make takes seconds, so a second ./scripts/play.sh starts at once.
GAME=(g++ cmake make ninja-build pkg-config libsdl2-dev libstb-dev)
TEST=(libgtest-dev libbenchmark-dev libx11-dev xvfb xauth)
CI=(openbox xdotool wmctrl desktop-file-utils appstream dpkg-dev file man-db imagemagick python3)
WINDOWS=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 x11-utils)
WEB=(emscripten chromium python3)
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  WEB+=(nodejs npm)
fi

case "${1:-game}" in
  game) packages=("${GAME[@]}") ;;
  test) packages=("${GAME[@]}" "${TEST[@]}") ;;
  web) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}") ;;
  ci) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}" "${CI[@]}") ;;
  windows) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}" "${CI[@]}" "${WINDOWS[@]}") ;;
  -h|--help)
    sed -n '2,11s/^# \{0,1\}//p' "$0"
    exit 0 ;;
  *)
    echo "deps.sh: unknown set '$1' (game, test, web, ci or windows)" >&2
    exit 2 ;;
esac

# One dpkg-query for all of them: this runs before every play.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
            awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  [[ $'\n'$installed$'\n' == *$'\n'$p$'\n'* ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  # Debian sets up sudo only when the installer was given no root password,
  # so offer su first; both run the same apt-get line as root.
  line="apt-get install -y ${missing[*]}"
  echo "Some Debian packages are missing. Install them as root, then run this again:"
  echo "  su -c '$line'"
  if command -v sudo >/dev/null 2>&1; then
    echo "or, with sudo:"
    echo "  sudo $line"
  fi
  exit 1
fi
