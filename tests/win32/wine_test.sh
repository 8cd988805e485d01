#!/usr/bin/env bash
# The Windows build under Wine, in a fresh Wine prefix on a private Xvfb:
#   1. every scenario script in tests/scenarios gives byte-identical pictures
#      and state lines from tavilo-headless.exe and from the Linux
#      tavilo-headless, and the scenarios that match a reference picture of
#      the program tests match it;
#   2. the settings file keeps damaged files, loses stale temporaries, and a
#      failed save is reported; a second tavilo-headless.exe hands over to the
#      first, which hears it while it waits for its script;
#   3. tavilo.exe opens its window with a fresh %APPDATA% and the icon of its
#      resources, a click on New and on a pole head sets a runner going, the
#      player count chosen in the option dialog is saved when Alt+F4 ends the
#      program with exit code 0, and a second tavilo.exe hands over to the
#      first and ends; then a game by keys alone (N, 1, A), the option dialog
#      by keys and Exit from the bar by F10, Left and Enter.
#
#   tests/win32/wine_test.sh LINUX_HEADLESS WINDOWS_BIN_DIR
#
# Needs wine, Xvfb, openbox, xdotool, xprop and ImageMagick. Set
# TAVILO_KEEP_WINE_TEST=1 to keep the working folder (pictures, logs).
set -euo pipefail

# English on both sides, whatever the machine's locale: Wine gives Windows'
# display language from LANG, the Linux host reads the locale variables.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE

root=$(cd "$(dirname "$0")/../.." && pwd)
linux_headless=$(realpath "$1")
windows_bin=$(realpath "$2")
work=$(mktemp -d /tmp/tavilo-wine.XXXXXX)
failures=0
pids=()

cleanup() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    for pid in "${pids[@]}"; do
        kill "$pid" >/dev/null 2>&1 || true
    done
    if [ -z "${TAVILO_KEEP_WINE_TEST:-}" ]; then
        rm -rf "$work"
    else
        echo "kept $work"
    fi
    exit "$status"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

pass() {
    echo "ok: $*"
}

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# A private X server and window manager (the manager makes activation and
# minimising work as on a desktop).
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

export WINEPREFIX="$work/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# Wine would otherwise offer to download Mono and Gecko, which it cannot here.
export WINEDLLOVERRIDES="mscoree,mshtml="
start=$(now)
wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w
echo "Wine prefix made in $(elapsed "$start" "$(now)") s"
# Wine links the user's Pictures to the home folder: the pictures saved here
# go into a folder of the prefix instead, out of the tester's home, where an
# earlier run's picture was taken for this run's.
rm -f "$WINEPREFIX/drive_c/users/$(whoami)/Pictures"
mkdir "$WINEPREFIX/drive_c/users/$(whoami)/Pictures"
# Keep one wine server for the whole run instead of one per program.
wineserver -p
windows_path() { winepath -w "$1" 2>/dev/null; }

# 1. Scenarios: the same pictures from both builds.
for script in "$root"/tests/scenarios/*.txt; do
    name=$(basename "$script" .txt)
    clock=$(sed -n 's/^# clock-start: *//p' "$script")
    for side in linux windows; do
        mkdir -p "$work/$name-$side"
    done
    (cd "$work/$name-linux" &&
        "$linux_headless" --config-dir "$work/$name-linux" ${clock:+--clock-start "$clock"} "$script" \
            >out.txt 2>err.txt) || fail "$name: the Linux build stopped with $?"
    (cd "$work/$name-windows" &&
        timeout 120 wine "$windows_bin/tavilo-headless.exe" --config-dir "$(windows_path "$work/$name-windows")" \
            ${clock:+--clock-start "$clock"} "$(windows_path "$script")" >out.txt 2>err.txt) ||
        fail "$name: the Windows build stopped with $?"
    if ! cmp -s "$work/$name-linux/out.txt" "$work/$name-windows/out.txt"; then
        fail "$name: the state lines differ between the Linux and the Windows build"
    elif [ -s "$work/$name-linux/out.txt" ]; then
        pass "$name: $(wc -l <"$work/$name-linux/out.txt") state lines"
    fi
    shots=$(cd "$work/$name-linux" && ls -- *.png 2>/dev/null || true)
    if [ -z "$shots" ]; then
        fail "$name: no pictures taken"
        continue
    fi
    for shot in $shots; do
        if ! cmp -s "$work/$name-linux/$shot" "$work/$name-windows/$shot"; then
            fail "$name: $shot differs between the Linux and the Windows build"
        elif [ -f "$root/tests/program/golden/$shot" ] &&
            ! cmp -s "$work/$name-linux/$shot" "$root/tests/program/golden/$shot"; then
            fail "$name: $shot differs from the reference picture"
        else
            pass "$name: $shot"
        fi
    done
done

# 2. The settings file of the Windows build keeps its promises: a damaged file
# is kept aside without replacing an earlier one, a temporary file left by a
# crash is removed, and a folder name beyond ASCII is no obstacle.
settings="$work/settings/Einstellungen für Tavilo"
mkdir -p "$settings"
printf 'not a registry file\n' >"$settings/registry.reg"
printf 'kept from before\n' >"$settings/registry.reg.bad"
printf 'half' >"$settings/.registry.reg.tmp-k1ll3d"
printf 'mine' >"$settings/registry.reg.tmp-backup"
printf 'press Option\npress >\npress OK\nquit\n' >"$work/settings.txt"
(cd "$work" && timeout 120 wine "$windows_bin/tavilo-headless.exe" --config-dir "$(windows_path "$settings")" \
    "$(windows_path "$work/settings.txt")" >"$work/settings.log" 2>&1) || fail "settings: the program stopped with $?"
grep -qi '"PlayerCount"=dword:00000007' "$settings/registry.reg" 2>/dev/null &&
    pass "settings: saved beside a damaged file" || fail "settings: the count 7 was not saved"
[ "$(cat "$settings/registry.reg.bad" 2>/dev/null)" = "kept from before" ] &&
    [ "$(cat "$settings/registry.reg.bad.1" 2>/dev/null)" = "not a registry file" ] &&
    pass "settings: the damaged file is kept as registry.reg.bad.1" ||
    fail "settings: the damaged files are not both kept ($(ls "$settings" | tr '\n' ' '))"
[ ! -e "$settings/.registry.reg.tmp-k1ll3d" ] && pass "settings: the stale temporary file is gone" ||
    fail "settings: the stale temporary file is still there"
[ "$(cat "$settings/registry.reg.tmp-backup" 2>/dev/null)" = "mine" ] &&
    pass "settings: a file the player named is left alone" || fail "settings: a file the player named was removed"
# A save that cannot be made is said out loud, naming the file.
printf 'not a folder\n' >"$work/settings/blocked"
(cd "$work" && timeout 120 wine "$windows_bin/tavilo-headless.exe" \
    --config-dir "$(windows_path "$work/settings/blocked")\\Tavilo" "$(windows_path "$work/settings.txt")" \
    >"$work/blocked.log" 2>&1) || fail "settings: the program stopped with $? when it could not save"
grep -q "could not save the settings to .*blocked.*Tavilo.registry.reg" "$work/blocked.log" &&
    pass "settings: a failed save is reported ($(grep -m1 'could not save' "$work/blocked.log" | tr -d '\r'))" ||
    fail "settings: a failed save was not reported: $(cat "$work/blocked.log")"

# A second tavilo-headless.exe hands over to the first, which hears it while
# it waits for its script on a pipe, before the script says anything more.
handover="$work/handover"
mkdir -p "$handover/settings"
mkfifo "$handover/script"
(cd "$handover" && exec timeout 120 wine "$windows_bin/tavilo-headless.exe" \
    --config-dir "$(windows_path "$handover/settings")" - <"$handover/script" >first.out 2>first.err) &
first_headless=$!
pids+=("$first_headless")
exec 4>"$handover/script"
printf 'state\n' >&4
for _ in $(seq 1 600); do
    [ -s "$handover/first.out" ] && break
    sleep 0.1
done
[ -s "$handover/first.out" ] || fail "hand-over: the first tavilo-headless.exe printed no state"
code=0
(cd "$handover" && printf 'state\n' | timeout 60 wine "$windows_bin/tavilo-headless.exe" \
    --config-dir "$(windows_path "$handover/settings")" - >second.out 2>second.err) || code=$?
[ "$code" -eq 0 ] && [ ! -s "$handover/second.out" ] &&
    pass "hand-over: the second tavilo-headless.exe ended at once with exit code 0" ||
    fail "hand-over: the second tavilo-headless.exe ended with $code and $(wc -l <"$handover/second.out") state lines"
for _ in $(seq 1 300); do
    grep -q "asked to bring the window to the front" "$handover/first.err" && break
    sleep 0.1
done
grep -q "asked to bring the window to the front" "$handover/first.err" &&
    pass "hand-over: the first tavilo-headless.exe heard it while waiting for its script" ||
    fail "hand-over: the first tavilo-headless.exe did not hear the second: $(cat "$handover/first.err")"
printf 'state\n' >&4
exec 4>&-
code=0
wait "$first_headless" || code=$?
[ "$code" -eq 0 ] && [ "$(wc -l <"$handover/first.out")" -eq 2 ] &&
    pass "hand-over: the first went on with its script and ended with exit code 0" ||
    fail "hand-over: the first ended with $code after $(wc -l <"$handover/first.out") state lines"

# 3. The desktop program. The window shows the device screen at a whole
# scale; device pixel (x, y) is at window pixel (x * scale + left, ...).
appdata="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming"
exe="$windows_bin/tavilo.exe"

window_of() {  # waits up to 30 s for a visible window titled Tavilo
    local w=""
    for _ in $(seq 1 300); do
        w=$(xdotool search --onlyvisible --name '^Tavilo$' 2>/dev/null | head -n1 || true)
        [ -n "$w" ] && break
        sleep 0.1
    done
    echo "$w"
}

start=$(now)
wine "$exe" >"$work/first.log" 2>&1 &
first=$!
w=$(window_of)
if [ -z "$w" ]; then
    fail "tavilo.exe showed no window"
    exit 1
fi
echo "tavilo.exe showed its window $(elapsed "$start" "$(now)") s after the start"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$w")"
scale=$((WIDTH / 240 < HEIGHT / 320 ? WIDTH / 240 : HEIGHT / 320))
left=$(((WIDTH - 240 * scale) / 2))
top=$(((HEIGHT - 320 * scale) / 2))
echo "window ${WIDTH}x${HEIGHT}, scale $scale"
[ "$scale" -ge 2 ] && pass "the picture is scaled by $scale" || fail "the picture is not scaled (window ${WIDTH}x${HEIGHT})"

# The icon in the .exe reaches the desktop: the 32 and 16 pixel icons of the
# window (as Wine hands them to X) are the artwork's pixels, magenta clear.
xprop -id "$w" -notype 32c _NET_WM_ICON | sed 's/^[^=]*= *//' | tr -d ' ' | tr ',' '\n' >"$work/icon.txt"
offset=1
for size in 32 16; do
    sed -n "${offset},$((offset + 1))p" "$work/icon.txt" | tr '\n' ' ' | grep -q "^$size $size " ||
        fail "the window has no $size-pixel icon where expected"
    sed -n "$((offset + 2)),$((offset + 1 + size * size))p" "$work/icon.txt" | awk '{ printf "%08x\n", $1 }' \
        >"$work/icon$size.got"
    convert "$root/resources/bitmaps/icon$size.bmp" -depth 8 rgb:- | od -An -v -tx1 -w3 |
        awk '{ c = $1 $2 $3; print (c == "ff00ff" ? "00000000" : "ff" c) }' >"$work/icon$size.want"
    cmp -s "$work/icon$size.got" "$work/icon$size.want" && pass "the window's $size-pixel icon is the artwork" ||
        fail "the window's $size-pixel icon differs from resources/bitmaps/icon$size.bmp"
    offset=$((offset + 2 + size * size))
done

tap() {  # device x, y
    xdotool mousemove --window "$w" $(($1 * scale + left + scale / 2)) $(($2 * scale + top + scale / 2)) click 1
}
shot() {  # the device screen as 240 x 320, sampled at the centre of each square
    import -window "$w" "$work/$1.window.png"
    convert "$work/$1.window.png" -crop "$((240 * scale))x$((320 * scale))+$left+$top" +repage \
        -filter point -sample 240x320 "$work/$1.png"
}
colour_count() {  # pixels of one colour on a device screen
    convert "$work/$1.png" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}
changed() {  # pixels that differ between two device screens in a rectangle
    compare -metric AE -crop "$5x$6+$3+$4" "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1 || true
}

shot title
title_diff=$(compare -metric AE "$work/title.png" "$root/tests/program/golden/title.png" null: 2>&1 | cut -d' ' -f1 || true)
[ "$title_diff" = "0" ] && pass "the window shows the title screen pixel for pixel" ||
    fail "the window's title screen differs from the reference in $title_diff pixels"

# A new game of six, and the first pole's ball sets its runner going.
tap 18 307     # New
sleep 1.5
tap 40 35      # the first pole's ball
sleep 0.4
shot started
sleep 2
shot later
moved=$(changed started later 0 40 240 200)
[ "${moved:-0}" -gt 0 ] 2>/dev/null && pass "a runner moved ($moved pixels of the ladder changed)" ||
    fail "no runner moved after a tap on the pole head"

# Alt+/ opens the About box (its caption is navy) over the running game, and
# the OK in its caption closes it.
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key --clearmodifiers alt+slash
sleep 1
shot about
navy=$(colour_count about '#000080')
[ "$navy" -gt 500 ] && pass "Alt+/ opened the About box" || fail "Alt+/ showed no About box ($navy navy pixels)"
tap 196 104    # the OK in the caption
sleep 1
shot closed
navy=$(colour_count closed '#000080')
[ "$navy" -eq 0 ] && pass "the About box's OK closed it" || fail "the About box is still shown"

# Sharing: after All has finished the game, Ctrl+S saves the board into the
# Pictures known folder, 720 x 882, the window's picture enlarged; Ctrl+C
# puts that picture (CF_DIB) and the result (CF_UNICODETEXT) on the
# clipboard, which a small program of our own reads back.
tap 54 307     # All
sleep 10
shot finished
pictures=$(winepath -u 'C:\users\'"$(whoami)"'\Pictures' 2>/dev/null || true)
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+s
saved=""
for _ in $(seq 1 50); do
    saved=$(compgen -G "$pictures/Tavilo *.png" | head -n1 || true)
    [ -n "$saved" ] && break
    sleep 0.1
done
if [ -z "$saved" ]; then
    fail "Ctrl+S saved no picture in $pictures"
else
    cp "$saved" "$work/saved.png"
    title=$(xdotool getwindowname "$w")
    [ "$title" = "Saved $(basename "$saved")" ] && pass "Ctrl+S saved $(basename "$saved")" ||
        fail "the title after Ctrl+S is '$title'"
    [ "$(identify -format '%wx%h' "$saved")" = 720x882 ] && pass "the picture is 720 x 882" ||
        fail "the picture is $(identify -format '%wx%h' "$saved")"
    convert "$saved" -filter point -sample 240x294 "$work/saved-small.png"
    convert "$work/finished.png" -crop 240x294+0+0 +repage "$work/finished-board.png"
    differ=$(compare -metric AE "$work/saved-small.png" "$work/finished-board.png" null: 2>&1 | cut -d' ' -f1 || true)
    [ "$differ" = 0 ] && pass "the saved picture is the window's board pixel for pixel" ||
        fail "the saved picture differs from the window's board in $differ pixels"
fi
x86_64-w64-mingw32-g++-posix -O2 -static -municode -o "$work/clipboard_check.exe" \
    "$root/tests/win32/clipboard_check.cpp" || fail "clipboard_check.exe does not build"
xdotool key --clearmodifiers ctrl+c
sleep 1
if copied=$(timeout 60 wine "$work/clipboard_check.exe" "$(windows_path "$work/clipboard.bmp")" 2>"$work/clipboard.log" |
            tr -d '\r'); then
    [[ $copied =~ ^Tavilo,\ 6\ players:\ 1\ →\ [1-6],\ 2\ →\ [1-6],\ 3\ →\ [1-6],\ 4\ →\ [1-6],\ 5\ →\ [1-6],\ 6\ →\ [1-6]$ ]] &&
        pass "Ctrl+C put the result on the clipboard: $copied" || fail "the clipboard's text is '$copied'"
    differ=$(compare -metric AE "$work/clipboard.bmp" "$work/saved.png" null: 2>&1 | cut -d' ' -f1 || true)
    [ "$differ" = 0 ] && pass "the clipboard's picture is the saved picture" ||
        fail "the clipboard's picture differs from the saved one in $differ pixels ($(cat "$work/clipboard.log"))"
else
    fail "clipboard_check found no text or no picture: $(cat "$work/clipboard.log")"
fi
sleep 4
title=$(xdotool getwindowname "$w")
[ "$title" = Tavilo ] && pass "the title bar says Tavilo again" || fail "the title stays '$title'"

# The option dialog: one player fewer, which starts a new game of five.
tap 91 307     # Option
sleep 1
tap 136 138    # <
sleep 0.5
tap 75 182     # OK
sleep 1
shot five
# A second copy hands over to the first: minimised, the first comes back.
xdotool windowminimize --sync "$w" 2>/dev/null || xdotool windowminimize "$w"
sleep 1
start=$(now)
if timeout 60 wine "$exe" >"$work/second.log" 2>&1; then
    pass "the second copy ended with exit code 0 after $(elapsed "$start" "$(now)") s"
else
    fail "the second copy ended with $?"
fi
sleep 1
windows=$( (xdotool search --onlyvisible --name '^Tavilo$' 2>/dev/null || true) | wc -l)
[ "$windows" -eq 1 ] && pass "the first window is shown again, and only it" ||
    fail "$windows visible Tavilo windows after the second start"

# Alt+F4 ends the program as Exit does, and the count is saved.
xdotool windowactivate --sync "$w" 2>/dev/null || true
sleep 0.5
xdotool key --clearmodifiers alt+F4
code=0
timeout 30 tail --pid="$first" -f /dev/null || true
wait "$first" || code=$?
[ "$code" -eq 0 ] && pass "Alt+F4 ended tavilo.exe with exit code 0" || fail "tavilo.exe ended with $code"
settings="$appdata/Tavilo/registry.reg"
if grep -qi '"PlayerCount"=dword:00000005' "$settings" 2>/dev/null; then
    pass "the player count 5 is saved in %APPDATA%\\Tavilo\\registry.reg"
else
    fail "the player count is not saved in $settings"
fi
ls -a "$appdata/Tavilo" | grep -q 'tmp' && fail "a temporary file was left beside the settings" || true

# Closing the window from the desktop ends the program as Exit does too, and
# the count saved before is read back.
wine "$exe" >"$work/third.log" 2>&1 &
third=$!
w=$(window_of)
if [ -z "$w" ]; then
    fail "tavilo.exe showed no window the second time"
else
    sleep 1
    wmctrl -c Tavilo
    code=0
    timeout 30 tail --pid="$third" -f /dev/null || true
    wait "$third" || code=$?
    [ "$code" -eq 0 ] && pass "closing the window ended tavilo.exe with exit code 0" ||
        fail "closing the window ended tavilo.exe with $code"
    # The program saves the count it runs with; 5 again means it was read.
    grep -qi '"PlayerCount"=dword:00000005' "$settings" 2>/dev/null &&
        pass "the saved count was read at the next start" || fail "the saved count was not read back"
fi

# A game by keys alone: N, the top row's 1 and A play it, O with Right and
# Enter takes one player more (6, from the 5 saved), F10 with Left and
# Enter runs Exit from the bar, which saves the count.
wine "$exe" >"$work/keys.log" 2>&1 &
keyed=$!
w=$(window_of)
if [ -z "$w" ]; then
    fail "tavilo.exe showed no window for the keys"
else
    sleep 1
    xdotool windowactivate --sync "$w" 2>/dev/null || true
    keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
    shot keys-title
    keys n
    sleep 1
    keys 1
    shot keys-started
    sleep 2
    shot keys-later
    moved=$(changed keys-started keys-later 0 40 240 200)
    [ "${moved:-0}" -gt 0 ] 2>/dev/null && pass "N and 1 set a runner going ($moved pixels of the ladder changed)" ||
        fail "no runner moved after the keys N and 1"
    keys a
    sleep 6
    shot keys-all
    arrived=$(changed keys-later keys-all 0 240 240 54)
    [ "${arrived:-0}" -gt 100 ] 2>/dev/null && pass "A sent the others down ($arrived pixels under the ladder)" ||
        fail "A showed no arrivals under the ladder"
    keys o
    keys Right
    keys Return
    sleep 1
    keys F10
    keys Left
    keys Return
    code=0
    timeout 30 tail --pid="$keyed" -f /dev/null || true
    wait "$keyed" || code=$?
    [ "$code" -eq 0 ] && pass "F10, Left and Enter ran Exit (exit code 0)" || fail "tavilo.exe ended with $code after the keys"
    grep -qi '"PlayerCount"=dword:00000006' "$settings" 2>/dev/null &&
        pass "O, Right and Enter saved the count 6" || fail "the count set by keys was not saved"
fi

echo "tavilo.exe is $(stat -c %s "$exe") bytes"
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all Windows checks passed"
