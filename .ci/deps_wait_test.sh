#!/usr/bin/env bash
# deps.sh and another package installation at the same time: deps.sh must
# wait while a lock of the package system is held, say so in one line, and
# go on once it is free, or after TAVILO_APT_WAIT seconds in any case. A
# Python process holds the real lock file as apt and dpkg do (fcntl);
# dpkg-query and apt-get are stand-ins, so that nothing gets installed, and
# the stand-in apt-get notes whether the locks were free when it ran.
# Needs root (the lock files are root's) and python3.
#   .ci/deps_wait_test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "deps wait test: skipped (needs root)"
  exit 0
fi
work=$(mktemp -d)
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "deps wait test: FAILED: $*" >&2; exit 1; }

mkdir "$work/bin"
# Nothing is installed, so deps.sh always goes on to apt-get.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
cat >"$work/bin/apt-get" <<EOF
#!/bin/sh
exec python3 - "\$1" >>"$work/apt-get.log" <<'PY'
import fcntl, os, sys
held = []
for path in ('/var/lib/dpkg/lock-frontend', '/var/lib/dpkg/lock',
             '/var/lib/apt/lists/lock', '/var/cache/apt/archives/lock'):
    try:
        fd = os.open(path, os.O_RDWR)
    except FileNotFoundError:
        continue
    try:
        fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        held.append(path)
    os.close(fd)
print(sys.argv[1], 'locked' if held else 'free')
PY
EOF
chmod +x "$work/bin/dpkg-query" "$work/bin/apt-get"

# hold FILE SECONDS: locks FILE from a process of its own for SECONDS.
hold() {
  rm -f "$work/held"
  python3 -c '
import fcntl, sys, time
f = open(sys.argv[1], "a")
fcntl.lockf(f, fcntl.LOCK_EX)
open(sys.argv[3], "w").close()
time.sleep(float(sys.argv[2]))' "$1" "$2" "$work/held" &
  holder=$!
  for _ in $(seq 100); do [ -e "$work/held" ] && return; sleep 0.1; done
  fail "could not lock $1"
}

# deps WAIT: runs deps.sh with the stand-ins, WAIT seconds' patience.
deps() {
  rm -f "$work/apt-get.log"
  local start=$SECONDS
  PATH="$work/bin:$PATH" TAVILO_APT_WAIT="$1" ./scripts/deps.sh game >"$work/out.txt" 2>&1 ||
    fail "deps.sh exited $?: $(cat "$work/out.txt")"
  took=$((SECONDS - start))
}

waiting_lines() { grep -c '^Waiting for ' "$work/out.txt" || true; }

# A lock held for a while is waited for, whichever it is, and apt-get runs
# only once it is free.
for lock in /var/lib/apt/lists/lock /var/lib/dpkg/lock-frontend; do
  hold "$lock" 3
  deps 60
  wait "$holder" || true
  holder=
  [ "$(waiting_lines)" -eq 1 ] || fail "$lock: not one line saying it waits: $(cat "$work/out.txt")"
  grep -q "^Waiting for python3 (process [0-9]*) .*($lock is locked), up to 60 seconds" "$work/out.txt" ||
    fail "$lock: the line does not say who holds what: $(cat "$work/out.txt")"
  [ "$(cat "$work/apt-get.log")" = $'update free\ninstall free' ] ||
    fail "$lock: apt-get ran while it was locked: $(cat "$work/apt-get.log")"
  [ "$took" -ge 2 ] || fail "$lock: deps.sh took only $took s"
done

# A lock that stays held: deps.sh gives up waiting and tries anyway.
hold /var/lib/apt/lists/lock 60
deps 2
kill "$holder"
holder=
[ "$(waiting_lines)" -eq 1 ] || fail "held for good: not one line saying it waits: $(cat "$work/out.txt")"
grep -q '^Still locked after 2 seconds' "$work/out.txt" || fail "held for good: no word of giving up: $(cat "$work/out.txt")"
[ "$(cat "$work/apt-get.log")" = $'update locked\ninstall locked' ] ||
  fail "held for good: apt-get was not tried: $(cat "$work/apt-get.log")"
[ "$took" -lt 30 ] || fail "held for good: deps.sh waited $took s for a 2 s limit"

# Nothing held: not a word about waiting.
deps 60
[ "$(waiting_lines)" -eq 0 ] || fail "nothing held, yet: $(cat "$work/out.txt")"
[ "$(cat "$work/apt-get.log")" = $'update free\ninstall free' ] || fail "nothing held: $(cat "$work/apt-get.log")"

echo "deps wait test: passed"
