#!/usr/bin/env bash
# The README's play command, tried as a player would: on a private X server
# with a small window manager and a fresh settings folder, ./scripts/play.sh
# must build the game and open its window; a click on New must change the
# picture; after All has finished the game, Ctrl+S must save the board into
# the Pictures folder of the user-dirs file, 720 x 882, the window's picture
# enlarged, and Ctrl+C must put the result on the clipboard; the window
# manager's close request must end the game with status 0, and the player
# count must have been saved. Then a game by keys alone: N, a digit and A
# play it, O with Left and Enter saves one player fewer, and F10, Left and
# Enter run Exit from the bar.
#   .ci/play_test.sh [OUTPUT_DIR]   (screenshots are left in OUTPUT_DIR)
# Also: without a display, play.sh and tavilo say so and name the headless
# host, and tavilo names the display it could not reach.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/play-test}"
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid=
play_pid=
cleanup() {
  [ -n "$play_pid" ] && kill "$play_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "play test: FAILED: $*" >&2; exit 1; }
# Waits for the game to end after what was done to it ($2); it must exit 0,
# else its log ($1) is shown.
game_ends() {
  local status=0
  timeout 20 tail --pid="$play_pid" -f /dev/null || fail "$2 did not end the game"
  wait "$play_pid" || status=$?
  play_pid=
  [ "$status" -eq 0 ] || { cat "$1" >&2; fail "the game exited with status $status after $2"; }
}

# No display at all: play.sh says so before building, naming the headless host.
if env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ./scripts/play.sh >"$work/nodisplay.txt" 2>&1; then
  fail "play.sh without a display exited 0"
fi
grep -q 'tavilo-headless' "$work/nodisplay.txt" || fail "play.sh without a display does not name tavilo-headless"

# A private X server (it picks a free display number itself) and openbox.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/displayfd" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 number <"$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$number"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
openbox >/dev/null 2>&1 &
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

config="$work/config"
mkdir -p "$config" "$work/xdg"
# The Pictures folder as xdg-user-dirs names it; the game makes it.
echo "XDG_PICTURES_DIR=\"$work/Bilder\"" >"$work/xdg/user-dirs.dirs"
start=$(date +%s%N)
XDG_CONFIG_HOME="$work/xdg" ./scripts/play.sh --scale 2 --config-dir "$config" >"$out/play.log" 2>&1 &
play_pid=$!
# The first run builds the game; give it time, then the window must come.
wid=$(timeout 1200 xdotool search --sync --onlyvisible --name '^Tavilo$' | head -n 1) ||
  { cat "$out/play.log" >&2; fail "no window titled Tavilo appeared"; }
echo "play test: window after $(( ($(date +%s%N) - start) / 1000000 )) ms"
sleep 1
import -window root "$out/title.png"
# New is the first button of the bar at the bottom: device pixel (19, 307),
# twice that in a window at scale 2.
xdotool mousemove --window "$wid" 38 614 click 1
sleep 1
import -window root "$out/new.png"
changed=$(compare -metric AE "$out/title.png" "$out/new.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 1000 ] 2>/dev/null || fail "clicking New changed $changed pixels"

# All (device pixel (54, 307)) finishes the game well within ten seconds.
xdotool mousemove --window "$wid" 108 614 click 1
sleep 10
import -window "$wid" "$out/finished.png"
xdotool windowactivate --sync "$wid" key ctrl+s
for _ in $(seq 50); do compgen -G "$work/Bilder/Tavilo *.png" >/dev/null && break; sleep 0.1; done
saved=$(compgen -G "$work/Bilder/Tavilo *.png" | head -n 1) || fail "Ctrl+S saved no picture in $work/Bilder"
[[ $(basename "$saved") =~ ^Tavilo\ [0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}-[0-9]{2}-[0-9]{2}\.png$ ]] ||
  fail "the picture is named $(basename "$saved")"
title=$(xdotool getwindowname "$wid")
[ "$title" = "Saved $(basename "$saved")" ] || fail "the title after Ctrl+S is '$title'"
cp "$saved" "$out/saved.png"
[ "$(identify -format '%wx%h' "$saved")" = 720x882 ] || fail "the picture is $(identify -format '%wx%h' "$saved")"
# Both sampled down to the device's 240 x 294: every device pixel is a 3 x 3
# block in the picture and a 2 x 2 block in the window.
convert "$saved" -sample 240x294 "$work/saved-small.png"
convert "$out/finished.png" -crop 480x588+0+0 +repage -sample 240x294 "$work/window-small.png"
differ=$(compare -metric AE "$work/saved-small.png" "$work/window-small.png" null: 2>&1 || true)
[ "${differ%% *}" = 0 ] || fail "the saved picture differs from the window in $differ pixels"
xdotool key ctrl+c
sleep 0.5
copied=$(timeout 5 xclip -o -selection clipboard) || fail "nothing on the clipboard after Ctrl+C"
[[ $copied =~ ^Tavilo,\ 6\ players:\ 1\ →\ [1-6],\ 2\ →\ [1-6],\ 3\ →\ [1-6],\ 4\ →\ [1-6],\ 5\ →\ [1-6],\ 6\ →\ [1-6]$ ]] ||
  fail "the clipboard holds '$copied'"
poles=$(grep -o '→ [1-6]' <<<"$copied" | sort | tr -d '\n')
[ "$poles" = "→ 1→ 2→ 3→ 4→ 5→ 6" ] || fail "the result sends two players to one pole: $copied"
echo "play test: Ctrl+S saved $(basename "$saved"), Ctrl+C copied: $copied"
# The note in the title bar gives way to the title again.
for _ in $(seq 60); do [ "$(xdotool getwindowname "$wid")" = Tavilo ] && break; sleep 0.1; done
[ "$(xdotool getwindowname "$wid")" = Tavilo ] || fail "the title stays '$(xdotool getwindowname "$wid")'"

wmctrl -c Tavilo
game_ends "$out/play.log" "the close request"
grep -q '^"PlayerCount"=dword:0000000[2-8]' "$config/registry.reg" 2>/dev/null ||
  fail "the player count was not saved in $config/registry.reg"
[ ! -e "$work/xdg/tavilo" ] || fail "settings were written outside --config-dir"

# The game by keys alone, the same build started again.
XDG_CONFIG_HOME="$work/xdg" ./scripts/play.sh --scale 2 --config-dir "$config" >"$out/keys.log" 2>&1 &
play_pid=$!
wid=$(timeout 120 xdotool search --sync --onlyvisible --name '^Tavilo$' | head -n 1) ||
  { cat "$out/keys.log" >&2; fail "no window titled Tavilo appeared the second time"; }
xdotool windowactivate --sync "$wid" 2>/dev/null || true
sleep 1
keys() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
pixels_between() { compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 | cut -d' ' -f1 || true; }
import -window root "$out/keys-title.png"
keys n
sleep 1
import -window root "$out/keys-new.png"
[ "$(pixels_between keys-title keys-new)" -gt 1000 ] 2>/dev/null || fail "N did not start a game"
keys 1
import -window root "$out/keys-started.png"
sleep 1.5
import -window root "$out/keys-later.png"
[ "$(pixels_between keys-started keys-later)" -gt 0 ] 2>/dev/null || fail "no runner moved after the key 1"
keys a
sleep 5
import -window root "$out/keys-all.png"
[ "$(pixels_between keys-later keys-all)" -gt 500 ] 2>/dev/null || fail "A did not send the others down"
keys o
keys Left
keys Return
sleep 1
keys F10
keys Left
keys Return
game_ends "$out/keys.log" "Exit by F10, Left and Enter"
grep -q '^"PlayerCount"=dword:00000005' "$config/registry.reg" 2>/dev/null ||
  fail "O, Left and Enter did not save a count of 5 (the default less one): $(grep PlayerCount "$config/registry.reg")"

# A display that is set but cannot be reached is named in the message.
if DISPLAY=:987 build/play/platform/hosts/tavilo >"$work/unreachable.txt" 2>&1; then
  fail "tavilo on an unreachable display exited 0"
fi
grep -q ':987' "$work/unreachable.txt" || fail "tavilo does not name the display it tried"
grep -q 'tavilo-headless' "$work/unreachable.txt" || fail "tavilo does not name the headless host"
echo "play test: passed (screenshots in $out)"
