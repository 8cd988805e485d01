#!/usr/bin/env bash
# Installs the Debian packages a task needs: ./scripts/deps.sh [game|test|web|ci|windows|release]
#   game     building and playing the game (the default)
#   test     the above, and the tests and benchmarks (Python 3 and its YAML
#            parser for the workflow test; FreeType and the DejaVu and efont
#            faces for the font baker, whose output a test compares)
#   web      test, and the browser version, its server and its tests: Emscripten,
#            node-acorn (the site's scripts are compacted with it), Chromium,
#            Firefox ESR, WebKitGTK's MiniBrowser and WebKitWebDriver,
#            Python's web server, and Node where there is none yet
#   ci       all of the above, and what the continuous integration checks use: a
#            window manager and tools to drive it, the desktop and package
#            validators, and Python 3 for the soak test
#   windows  test and ci, and the mingw-w64 cross compiler and Wine for tavilo.exe
#   release  what ./scripts/release.sh builds and packs with: the game's, the
#            browser build's and the cross compiler's packages, git, the
#            Debian package tools and Python
# As root it runs apt-get itself; otherwise it prints the line to run as root.
set -euo pipefail

# Ninja for the play build: it finds nothing to do in a fraction of a second,
# where make takes seconds, so a second ./scripts/play.sh starts at once.
GAME=(g++ cmake make ninja-build pkg-config libsdl2-dev libstb-dev)
TEST=(libgtest-dev libbenchmark-dev libx11-dev xvfb xauth python3 python3-yaml libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
      xfonts-efont-unicode)
CI=(openbox xdotool wmctrl xclip desktop-file-utils appstream dpkg-dev file man-db imagemagick python3)
WINDOWS=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 x11-utils)
WEB=(emscripten node-acorn chromium firefox-esr webkit2gtk-driver python3)
RELEASE=(git dpkg-dev file python3 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 emscripten)
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  WEB+=(nodejs npm)
fi

case "${1:-game}" in
  game) packages=("${GAME[@]}") ;;
  test) packages=("${GAME[@]}" "${TEST[@]}") ;;
  web) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}") ;;
  ci) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}" "${CI[@]}") ;;
  windows) packages=("${GAME[@]}" "${TEST[@]}" "${WEB[@]}" "${CI[@]}" "${WINDOWS[@]}") ;;
  release) packages=("${GAME[@]}" "${RELEASE[@]}") ;;
  -h|--help)
    sed -n '2,18s/^# \{0,1\}//p' "$0"
    exit 0 ;;
  *)
    echo "deps.sh: unknown set '$1' (game, test, web, ci, windows or release)" >&2
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

# The locks of the package system: dpkg's, and apt's own for the package
# lists (apt-get update) and the download cache (apt-get install).
LOCKS=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock
       /var/cache/apt/archives/lock)
# Seconds to wait for another package installation (an unattended upgrade,
# a second terminal) before trying anyway.
WAIT=${TAVILO_APT_WAIT:-300}
[[ $WAIT =~ ^[0-9]+$ ]] || WAIT=300

# Prints "FILE PID" for the first of the files that a process holds a lock
# on, and fails when none is held. apt and dpkg lock with fcntl, which no
# shell tool can test; the kernel's list of locks shows them, and reading it
# takes nothing away from them. The list names a file by device and inode,
# and an overlay file system (containers) reports another device to stat, so
# a lock on the same inode counts when its holder has the file open (or,
# where its open files cannot be read, when the device matches too).
held_lock() {
  local file major minor inode device pid id fd
  for file in "$@"; do
    read -r major minor inode < <(stat -L -c '%Hd %Ld %i' "$file" 2>/dev/null) || continue
    device=$(printf '%02x:%02x' "$major" "$minor")
    while read -r pid id; do
      if [ -r "/proc/$pid/fd" ]; then
        for fd in "/proc/$pid/fd/"*; do
          if [ "$fd" -ef "$file" ]; then
            echo "$file $pid"
            return 0
          fi
        done
      elif [ "${id%:*}" = "$device" ]; then
        echo "$file $pid"
        return 0
      fi
    done < <(awk -v inode="$inode" '{ if ($2 == "->") next; n = split($6, id, ":");
                                      if (id[n] == inode) print $5, $6 }' /proc/locks 2>/dev/null)
  done
  return 1
}

# apt-get update gives up at once when the lists are locked, and
# DPkg::Lock::Timeout covers only dpkg's locks, so wait here for all of them,
# saying so once and waiting WAIT seconds in all.
deadline=
wait_for_package_system() {
  local held file pid name limit
  while held=$(held_lock "${LOCKS[@]}"); do
    if [ -z "$deadline" ]; then
      deadline=$((SECONDS + WAIT))
      read -r file pid <<<"$held"
      name=$(cat "/proc/$pid/comm" 2>/dev/null || true)
      limit="$WAIT seconds"
      [ $((WAIT % 60)) -eq 0 ] && [ "$WAIT" -ge 120 ] && limit="$((WAIT / 60)) minutes"
      echo "Waiting for ${name:-another program} (process $pid) to finish with the package system ($file is locked), up to $limit"
    fi
    if [ $SECONDS -ge "$deadline" ]; then
      echo "Still locked after $WAIT seconds; trying anyway"
      return 0
    fi
    sleep 1
  done
}

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  wait_for_package_system
  apt-get update -qq
  wait_for_package_system
  apt-get install -y -qq -o DPkg::Lock::Timeout="$WAIT" --no-install-recommends "${missing[@]}" >/dev/null
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
