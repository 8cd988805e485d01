#!/usr/bin/env bash
# Makes every download of a release in dist/, from the checked-out commit:
#   ./scripts/release.sh [--allow-dirty] [linux] [windows] [web]
#
#   tavilo-VERSION-linux-x86_64.tar.gz    bin/tavilo, bin/tavilo-headless, the
#                                         share/ tree as installed, README, LICENSE
#   tavilo_VERSION_amd64.deb              the Debian package
#   tavilo-VERSION-windows-x86_64.zip     tavilo.exe, tavilo-headless.exe,
#                                         README.txt and LICENSE.txt (CR LF)
#   tavilo-VERSION-web.zip                the static site for any HTTPS host
#   SHA256SUMS                            the checksums of the four
#
# Naming parts makes only theirs (linux is the tarball and the .deb).
#
# The same commit gives the same bytes wherever and whenever it is built:
# times come from the commit (SOURCE_DATE_EPOCH), build paths are mapped
# away, the linker writes no time stamp into the .exe, archives hold sorted
# entries with fixed times, owners and modes, and the umask, time zone and
# locale of the caller do not matter. The builds start from nothing in
# build/dist/ every time, on TAVILO_JOBS processors (all by default).
# --allow-dirty releases uncommitted changes too (for trying the script;
# such a dist/ is not the commit's).
set -euo pipefail
cd "$(dirname "$0")/.."
dirty_ok=0
parts=()
for arg in "$@"; do
  case "$arg" in
    -h|--help) sed -n '2,24s/^# \{0,1\}//p' "$0"; exit 0 ;;
    --allow-dirty) dirty_ok=1 ;;
    linux|windows|web) parts+=("$arg") ;;
    *) echo "release.sh: unknown option '$arg' (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#parts[@]} -gt 0 ] || parts=(linux windows web)
making() { [[ " ${parts[*]} " == *" $1 "* ]]; }
./scripts/deps.sh release

if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
  if [ "$dirty_ok" = 1 ]; then
    echo "release.sh: the checkout has uncommitted changes; they go into this dist/" >&2
  else
    echo "release.sh: the checkout has uncommitted changes; commit them (or --allow-dirty)" >&2
    git status --short >&2
    exit 1
  fi
fi

umask 022
export TZ=UTC LC_ALL=C.UTF-8 LANG=C.UTF-8
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# Debian's Emscripten runs its tools under the system's Node.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
root=$(pwd -P)
work=$root/build/dist
dist=$root/dist
rm -rf "$work" "$dist"
mkdir -p "$work" "$dist"

# Source paths become relative ones in every object and in __FILE__.
map="-ffile-prefix-map=$root/=./"
jobs=${TAVILO_JOBS:-$(nproc)}
# The flags go in through the environment, which CMake adds to a toolchain's
# own (the static linking of tavilo.exe, for one) rather than replacing them.
configure() {  # PRESET DIR [CMAKE ARGS...]
  local preset=$1 dir=$2
  shift 2
  CFLAGS="$map" CXXFLAGS="$map" cmake --preset "$preset" -B "$dir" "$@" >/dev/null
}

# The version, as project() in the top CMakeLists.txt states it.
version=$(sed -n 's/^project(Tavilo VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release.sh: no project(Tavilo VERSION ...) in CMakeLists.txt" >&2; exit 1; }

started=$SECONDS
done_part() { echo "== $1 made in $((SECONDS - started)) s =="; started=$SECONDS; }

if making linux; then
  echo "== linux =="
  configure play "$work/linux" -DCMAKE_INSTALL_PREFIX=/usr/local
  cmake --build "$work/linux" --parallel "$jobs" --target all
  linux=tavilo-$version-linux-x86_64
  cmake --install "$work/linux" --prefix "$work/stage/$linux" --strip >/dev/null
  cp README.md LICENSE "$work/stage/$linux/"
  scripts/archive.py "$dist/$linux.tar.gz" "$work/stage/$linux" --prefix "$linux"
  (cd "$work/linux" && cpack -G DEB -B "$work/deb" >/dev/null)
  cp "$work/deb/tavilo_${version}_amd64.deb" "$dist/"
  done_part linux
fi

if making windows; then
  echo "== windows =="
  # No link time in the .exe's header.
  LDFLAGS=-Wl,--no-insert-timestamp configure windows "$work/windows"
  cmake --build "$work/windows" --parallel "$jobs"
  mkdir -p "$work/stage/windows"
  cp "$work/windows/platform/hosts/tavilo.exe" "$work/windows/platform/hosts/tavilo-headless.exe" \
     "$work/stage/windows/"
  cp README.md "$work/stage/windows/README.txt"
  cp LICENSE "$work/stage/windows/LICENSE.txt"
  scripts/archive.py "$dist/tavilo-$version-windows-x86_64.zip" "$work/stage/windows" --crlf README.txt LICENSE.txt
  done_part windows
fi

if making web; then
  echo "== web =="
  configure web "$work/web"
  cmake --build "$work/web" --parallel "$jobs"
  scripts/archive.py "$dist/tavilo-$version-web.zip" "$work/web/site"
  done_part web
fi

(cd "$dist" && sha256sum -- * > SHA256SUMS)
echo "== dist/ (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) =="
cat "$dist/SHA256SUMS"
