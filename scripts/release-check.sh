#!/usr/bin/env bash
# Checks that a release can be made again byte for byte:
#   ./scripts/release-check.sh [--second PART[,PART...]] [linux] [windows] [web]
#
# Clones the checked-out commit twice into fresh folders of different names
# and depths, and runs ./scripts/release.sh in each one after the other: the
# first with umask 022 in UTC, the second with umask 077, in another time
# zone and locale, and later. Every file of the two dist/ folders must be the
# same, SHA256SUMS included, and hold what a player needs: the tarball's
# programs, share/ tree, README and LICENSE, with tavilo-headless playing a
# game from the unpacked folder; the .deb's version; the Windows zip's two
# programs and its text files with CR LF ends; the web zip's site. Parts
# limit both runs to those parts (all by default); --second limits the
# second run further, to the parts named, whose files (and SHA256SUMS lines)
# must then be the first run's: CI's time allows only part of a second run.
# TAVILO_KEEP_RELEASE_CHECK=1 keeps the clones.
set -euo pipefail
cd "$(dirname "$0")/.."
second_parts=()
case "${1:-}" in
  -h|--help) sed -n '2,17s/^# \{0,1\}//p' "$0"; exit 0 ;;
  --second)
    [ -n "${2:-}" ] || { echo "release-check.sh: --second names the parts of the second run" >&2; exit 2; }
    IFS=, read -r -a second_parts <<<"$2"
    shift 2 ;;
esac
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release-check.sh: uncommitted changes are not checked; the clones hold $(git rev-parse --short HEAD)" >&2
fi
origin=$(pwd -P)
commit=$(git rev-parse HEAD)
work=$(mktemp -d /tmp/tavilo-release-check.XXXXXX)
if [ "${TAVILO_KEEP_RELEASE_CHECK:-0}" != 1 ]; then
  trap 'rm -rf "$work"' EXIT
fi
first=$work/a
second=$work/second-clone/of/tavilo

run() {  # FOLDER UMASK TZ LANG
  local folder=$1 start=$SECONDS
  mkdir -p "$(dirname "$folder")"
  (umask "$2" && git clone -q --no-local "$origin" "$folder" && cd "$folder" && git checkout -q "$commit" &&
   TZ=$3 LC_ALL=$4 LANG=$4 ./scripts/release.sh "${@:5}") >"$folder.log" 2>&1 ||
    { tail -n 40 "$folder.log"; echo "release-check.sh: the release in $folder failed" >&2; exit 1; }
  echo "release in $folder: $((SECONDS - start)) s (umask $2, TZ=$3, $4)"
}

run "$first" 022 UTC C.UTF-8 "$@"
if [ ${#second_parts[@]} = 0 ]; then
  run "$second" 077 Pacific/Chatham POSIX "$@"
else
  run "$second" 077 Pacific/Chatham POSIX "${second_parts[@]}"
fi

status=0
if [ ${#second_parts[@]} = 0 ]; then
  compared=$( (cd "$first/dist" && ls; cd "$second/dist" && ls) | sort -u)
else
  # Only part of the release was made again: each of its files, and each of
  # its checksums, must be the first run's.
  compared=$(cd "$second/dist" && ls | grep -vx SHA256SUMS)
  while read -r line; do
    grep -qxF -- "$line" "$first/dist/SHA256SUMS" ||
      { echo "release-check.sh: the second run's '$line' is not in the first run's SHA256SUMS" >&2; status=1; }
  done <"$second/dist/SHA256SUMS"
fi
for f in $compared; do
  if ! cmp -s "$first/dist/$f" "$second/dist/$f"; then
    echo "release-check.sh: dist/$f differs between the two runs" >&2
    status=1
  fi
done
cat "$first/dist/SHA256SUMS"

# What the files hold.
fail() { echo "release-check.sh: $*" >&2; status=1; }
dist=$first/dist
version=$(sed -n 's/^project(Tavilo VERSION \([^ )]*\).*/\1/p' "$first/CMakeLists.txt")
(cd "$dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
if [ -f "$dist/tavilo-$version-linux-x86_64.tar.gz" ]; then
  top=tavilo-$version-linux-x86_64
  tar -tzf "$dist/$top.tar.gz" >"$work/tar.txt"
  for f in bin/tavilo bin/tavilo-headless README.md LICENSE share/applications/example.menkor.Tavilo.desktop \
           share/metainfo/example.menkor.Tavilo.metainfo.xml share/man/man6/tavilo.6.gz \
           share/icons/hicolor/256x256/apps/example.menkor.Tavilo.png share/doc/tavilo/copyright; do
    grep -qx "$top/$f" "$work/tar.txt" || fail "the tarball has no $f"
  done
  mkdir -p "$work/unpacked/some where"
  tar -xzf "$dist/$top.tar.gz" -C "$work/unpacked/some where"
  (cd "$work" && printf 'press New\nwait 600\npress All\nwait 4000\nshot game.png\nquit\n' |
    "$work/unpacked/some where/$top/bin/tavilo-headless" --config-dir "$work/config" - >/dev/null) &&
    [ -s "$work/game.png" ] || fail "the tarball's tavilo-headless does not play from an unpacked folder"
  [ "$(dpkg-deb --field "$dist/tavilo_${version}_amd64.deb" Version)" = "$version" ] ||
    fail "the .deb is not version $version"
fi
if [ -f "$dist/tavilo-$version-windows-x86_64.zip" ]; then
  python3 - "$dist/tavilo-$version-windows-x86_64.zip" <<'PY' || fail "the Windows zip is not as it should be"
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = sorted(z.namelist())
assert names == ['LICENSE.txt', 'README.txt', 'tavilo-headless.exe', 'tavilo.exe'], names
for text in ('LICENSE.txt', 'README.txt'):
    data = z.read(text)
    assert data.count(b'\n') == data.count(b'\r\n') > 0, text + ' has lone LF ends'
for exe in ('tavilo.exe', 'tavilo-headless.exe'):
    assert z.read(exe)[:2] == b'MZ', exe + ' is no Windows program'
PY
  # One file each, linked statically: no DLL of the compiler's beside them.
  python3 -m zipfile -e "$dist/tavilo-$version-windows-x86_64.zip" "$work/windows"
  for exe in tavilo.exe tavilo-headless.exe; do
    if x86_64-w64-mingw32-objdump -p "$work/windows/$exe" | grep -i 'DLL Name: lib'; then
      fail "$exe needs the DLLs above"
    fi
  done
fi
if [ -f "$dist/tavilo-$version-web.zip" ]; then
  python3 - "$dist/tavilo-$version-web.zip" <<'PY' || fail "the web zip is not the site"
import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
want = {'index.html', 'sw.js', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png'}
assert want <= names, sorted(want - names)
assert any(n.endswith('.wasm') for n in names), 'no WebAssembly'
assert all('/' not in n for n in names), 'the site is not at the top of the zip'
PY
fi

if [ $status = 0 ]; then
  echo "release-check.sh: both runs made the same $(wc -w <<<"$compared") files, and they hold what they should"
else
  echo "release-check.sh: the clones are kept in $work" >&2
  trap - EXIT
fi
exit $status
