#!/usr/bin/env bash
# Tavilo as a desktop application: the install tree (default layout, a
# prefix of our choosing) and the Debian package, each checked with the
# validators a distribution uses.
#   .ci/package_check.sh   (builds in build/play, the release build of the
#                           play command, and leaves the .deb there)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: FAILED: $*" >&2; exit 1; }
id=example.menkor.Tavilo

[ -f build/play/CMakeCache.txt ] || cmake --preset play >/dev/null
cmake --build --preset play --target all >/dev/null

# Checks an installed tree whose data lives under $1/share and programs under $1/bin.
check_tree() {
  local root=$1
  for f in bin/tavilo bin/tavilo-headless share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
           share/man/man6/tavilo.6.gz share/doc/tavilo/copyright share/doc/tavilo/changelog.gz; do
    [ -e "$root/$f" ] || fail "$root/$f is missing"
  done
  desktop-file-validate "$root/share/applications/$id.desktop" || fail "the .desktop entry is not valid"
  appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >"$work/as.txt" 2>&1 ||
    { cat "$work/as.txt"; fail "the metainfo is not valid"; }
  python3 tests/packaging/languages_test.py "$root/share/applications/$id.desktop" \
    "$root/share/metainfo/$id.metainfo.xml" >"$work/lang.txt" || { cat "$work/lang.txt"; fail "a language is missing"; }
  appstreamcli validate-tree --no-net "$root" >"$work/as.txt" 2>&1 || { cat "$work/as.txt"; fail "the tree is not valid"; }
  for size in 16 32 48 64 128 256; do
    file "$root/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
      fail "no ${size}x${size} RGBA icon"
  done
  # The manual renders without a single warning from groff or man.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man6/tavilo.6.gz" >"$work/man.txt" 2>"$work/man.err" ||
    fail "man cannot render the manual"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "the manual renders with warnings"; }
  for word in tavilo-headless --scale --config-dir --clock-start tap press key command wait shot state quit; do
    grep -q -- "$word" "$work/man.txt" || fail "the manual does not mention $word"
  done
  grep -q '^License: MIT' "$root/share/doc/tavilo/copyright" && grep -q '^License: bitstream-vera' "$root/share/doc/tavilo/copyright" ||
    fail "the copyright file lacks a licence"
  # Every place that states the version agrees with the program.
  local version
  version=$("$root/bin/tavilo-headless" --version | awk '{print $NF}')
  grep -q "<release version=\"$version\"" "$root/share/metainfo/$id.metainfo.xml" || fail "the metainfo's release is not $version"
  grep -q "Tavilo $version" "$work/man.txt" || fail "the manual is not for version $version"
  zcat "$root/share/doc/tavilo/changelog.gz" | head -1 | grep -q "^tavilo ($version) " ||
    fail "the changelog's newest entry is not $version"
  [ "$("$root/bin/tavilo" --version)" = "Tavilo $version" ] || fail "tavilo and tavilo-headless differ in version"
  # The installed headless program plays a game.
  printf 'press New\nwait 600\npress All\nwait 4000\nshot %s\nquit\n' "$work/game.png" |
    "$root/bin/tavilo-headless" --config-dir "$work/config" - >/dev/null || fail "the installed tavilo-headless failed"
  file "$work/game.png" | grep -q 'PNG image data, 240 x 320' || fail "the installed tavilo-headless took no picture"
}

echo "== install tree =="
DESTDIR="$work/dest" cmake --install build/play --prefix /opt/tavilo >/dev/null
check_tree "$work/dest/opt/tavilo"

echo "== Debian package =="
rm -f build/play/tavilo_*.deb
(cd build/play && cpack -G DEB >/dev/null)
deb=$(ls build/play/tavilo_*.deb)
dpkg-deb --info "$deb" >"$work/control.txt"
grep -q '^ Section: games' "$work/control.txt" || fail "the package is not in section games"
[ "$(dpkg-deb --field "$deb" Version)" = "$(build/play/platform/hosts/tavilo-headless --version | awk '{print $NF}')" ] ||
  fail "the package's version is not the program's"
grep -q '^ Depends:.*libsdl2-2.0-0' "$work/control.txt" || fail "the package does not depend on SDL2 (dpkg-shlibdeps)"
if dpkg-deb --contents "$deb" | grep -v ' \./usr/' | grep -q .; then
  fail "the package installs outside /usr"
fi
dpkg-deb --extract "$deb" "$work/deb"
check_tree "$work/deb/usr"
echo "package check: passed ($deb, $(stat -c %s "$deb") bytes)"
