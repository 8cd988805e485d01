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
#      resources, a click on New and on a pole head sends a runner to its
#      arrival, the About box and the option dialog open and close, the
#      player count chosen in the option dialog is saved when Alt+F4 ends the
#      program with exit code 0, and a second tavilo.exe hands over to the
#      first and ends; then a game by keys alone (N, 1, A), the option dialog
#      by keys and Exit from the bar by F10, Left and Enter.
#
# The desktop program is never given a fixed time: after each step the test
# waits, up to a time-out, for the state that step leads to, read from the
# window's pixels (compared with what the Linux tavilo-headless shows in the
# same state), from the window list or from the process.
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
began=$(now)

# wait_for SECONDS COMMAND...: runs the command until it succeeds, every
# tenth of a second, and fails once the seconds have passed without success.
wait_for() {
    local end
    end=$(awk -v t="$(now)" -v s="$1" 'BEGIN { printf "%.3f", t + s }')
    shift
    until "$@"; do
        awk -v t="$(now)" -v e="$end" 'BEGIN { exit !(t < e) }' || return 1
        sleep 0.1
    done
}

# A private X server and window manager (the manager makes activation and
# minimising work as on a desktop).
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
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
# The Windows name of an absolute path, through the drive Z: that every Wine
# prefix maps to /; worked out here rather than by winepath, one Wine
# process less each time, and one that cannot fail on a busy machine.
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

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
        fail "$name: the Windows build stopped with $?: $(tr -d '\r' <"$work/$name-windows/err.txt" | head -n3)"
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
wait_for 60 test -s "$handover/first.out" || fail "hand-over: the first tavilo-headless.exe printed no state"
code=0
(cd "$handover" && printf 'state\n' | timeout 60 wine "$windows_bin/tavilo-headless.exe" \
    --config-dir "$(windows_path "$handover/settings")" - >second.out 2>second.err) || code=$?
[ "$code" -eq 0 ] && [ ! -s "$handover/second.out" ] &&
    pass "hand-over: the second tavilo-headless.exe ended at once with exit code 0" ||
    fail "hand-over: the second tavilo-headless.exe ended with $code and $(wc -l <"$handover/second.out") state lines"
wait_for 30 grep -q "asked to bring the window to the front" "$handover/first.err" &&
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
desktop_began=$(now)
appdata="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming"
exe="$windows_bin/tavilo.exe"

# What the Linux headless host shows in each state the desktop program is
# brought to below. The ladder is random, but what is compared is not: the
# dialogs and the intro panel cover it, and an arrived runner's ball looks
# the same under every pole.
mkdir -p "$work/reference"
cat >"$work/reference/steps.txt" <<'STEPS'
press New
wait 600
shot greeting.png
tap 40 35
wait 10000
shot arrived.png
key alt+/
wait 300
shot about.png
tap 196 104
wait 300
tap 54 307
wait 10000
shot finished.png
press Option
wait 300
shot option6.png
tap 136 138
wait 300
shot option5.png
tap 75 182
wait 600
shot five.png
tap 54 307
wait 10000
shot finished5.png
STEPS
(cd "$work/reference" && "$linux_headless" --config-dir "$work/reference" steps.txt >/dev/null) ||
    fail "the Linux build could not make the reference pictures"

# Rectangles of the device screen that are compared, as WIDTHxHEIGHT+LEFT+TOP.
panel=183x178+27+55     # the intro panel with its edge
about=178x106+31+94     # the About box
option=188x126+26+84    # the option dialog
arrival=240x20+0+236    # the row of balls under the poles
whole=240x320+0+0

visible_windows() { (xdotool search --onlyvisible --name '^Tavilo$' 2>/dev/null || true) | wc -l; }
window_found() {
    w=$(xdotool search --onlyvisible --name '^Tavilo$' 2>/dev/null | head -n1 || true)
    [ -n "$w" ]
}
no_window_visible() { [ "$(visible_windows)" -eq 0 ]; }
one_window_visible() { [ "$(visible_windows)" -eq 1 ]; }

# The device screen sits in the window at a whole scale, centred. The
# window's size can still change after it first shows, so every look reads
# it again first; taps use the last one read.
w="" WIDTH=0 HEIGHT=0 scale=0 left=0 top=0
differs="no picture" red="no picture" navy="no picture" balls="no picture" title=""
place() {
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || return 1
    scale=$((WIDTH / 240 < HEIGHT / 320 ? WIDTH / 240 : HEIGHT / 320))
    [ "$scale" -ge 1 ] || return 1
    left=$(((WIDTH - 240 * scale) / 2))
    top=$(((HEIGHT - 320 * scale) / 2))
}
# look NAME OPERATION...: the device screen as NAME.png (240 x 320, sampled
# at the centre of each square of the window), and what the ImageMagick
# operations after it print; one process a look, so that polls come often
# on a busy machine.
look() {
    local name=$1
    shift
    convert "x:$w" -crop "$((240 * scale))x$((320 * scale))+$left+$top" +repage -filter point -sample 240x320 \
        -write "$work/$name.png" "$@" 2>/dev/null
}
tap() {  # device x, y
    xdotool mousemove --window "$w" $(($1 * scale + left + scale / 2)) $(($2 * scale + top + scale / 2)) click 1
}
# counting COLOUR: the operations that print how many pixels of a picture
# have the colour, in ops.
counting() { ops=(-fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:); }
# shows NAME REFERENCE RECTANGLE: the screen matches the reference picture
# in the rectangle; how many pixels differed last is in $differs.
shows() {
    differs="no picture"
    place || return 1
    differs=$(look "$1" -crop "$3" +repage \( "$2" -crop "$3" +repage \) \
        -compose difference -composite -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:) ||
        { differs="no picture"; return 1; }
    [ "$differs" = 0 ]
}
# arrived NAME: runner 1's ball stands under one of the poles, as in the
# headless host's picture; only then is there red below the ladder.
counting '#FF0000'
arrived_red=$(convert "$work/reference/arrived.png" -crop "$arrival" +repage "${ops[@]}")
arrived() {
    place || return 1
    counting '#FF0000'
    red=$(look "$1" -crop "$arrival" +repage "${ops[@]}") || { red="no picture"; return 1; }
    [ "$red" = "$arrived_red" ]
}
# finished NAME: every runner's ball stands under a pole, as in the headless
# host's picture: as many pixels of each runner's colour below the ladder.
runner_colours='#(FF0000|FF9900|FFFF00|33CC00|00CCFF|0000FF|CC00FF|CCCCCC) '
all_balls=$(convert "$work/reference/finished.png" -crop "$arrival" +repage -format %c histogram:info:- |
    grep -E "$runner_colours" | sort || true)
five_balls=$(convert "$work/reference/finished5.png" -crop "$arrival" +repage -format %c histogram:info:- |
    grep -E "$runner_colours" | sort || true)
finished() {
    place || return 1
    balls=$(look "$1" -crop "$arrival" +repage -format %c histogram:info:- | grep -E "$runner_colours" | sort) ||
        { balls="no picture"; return 1; }
    [ "$balls" = "$all_balls" ]
}
# changed NAME BEFORE RECTANGLE: the screen no longer matches the picture
# BEFORE (an earlier look) in the rectangle.
changed() {
    shows "$@" && return 1
    [ "$differs" != "no picture" ]
}
picture_saved() {
    saved=$(compgen -G "$pictures/Tavilo *.png" | head -n1 || true)
    [ -n "$saved" ]
}
titled() {  # TEXT: the window's title
    title=$(xdotool getwindowname "$w" 2>/dev/null || true)
    [ "$title" = "$1" ]
}
no_navy() {  # NAME: not one pixel of the About box's navy caption
    place || return 1
    counting '#000080'
    navy=$(look "$1" "${ops[@]}") || { navy="no picture"; return 1; }
    [ "$navy" = 0 ]
}

start=$(now)
wine "$exe" >"$work/first.log" 2>&1 &
first=$!
if ! wait_for 60 window_found; then
    fail "tavilo.exe showed no window"
    exit 1
fi
echo "tavilo.exe showed its window $(elapsed "$start" "$(now)") s after the start"

title_screen="$root/tests/program/golden/title.png"
wait_for 30 shows title "$title_screen" "$whole" && pass "the window shows the title screen pixel for pixel" ||
    fail "the window's title screen differs from the reference in $differs pixels"
echo "window ${WIDTH}x${HEIGHT}, scale $scale"
[ "$scale" -ge 2 ] && pass "the picture is scaled by $scale" ||
    fail "the picture is not scaled (window ${WIDTH}x${HEIGHT})"

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

# A new game of six greets with the intro panel, and the first pole's ball
# sends its runner down to its arrival.
tap 18 307     # New
wait_for 30 shows greeting "$work/reference/greeting.png" "$panel" && pass "New shows the intro panel" ||
    fail "New showed no intro panel ($differs pixels differ from the headless host's)"
tap 40 35      # the first pole's ball
wait_for 30 arrived running && pass "the first runner arrived under a pole" ||
    fail "no runner arrived after a tap on the pole head ($red red pixels below the ladder, $arrived_red wanted)"

# Alt+/ opens the About box over the game, and the OK in its caption closes it.
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key --clearmodifiers alt+slash
wait_for 30 shows about "$work/reference/about.png" "$about" && pass "Alt+/ opened the About box" ||
    fail "Alt+/ showed no About box ($differs pixels differ from the headless host's)"
tap 196 104    # the OK in the caption
wait_for 30 no_navy closed && pass "the About box's OK closed it" ||
    fail "the About box is still shown ($navy navy pixels)"

# Sharing: after All has finished the game, Ctrl+S saves the board into the
# Pictures known folder, 720 x 882, the window's picture enlarged; Ctrl+C
# puts that picture (CF_DIB) and the result (CF_UNICODETEXT) on the
# clipboard, which a small program of our own reads back.
tap 54 307     # All
wait_for 60 finished finished && pass "All sent every runner to its arrival" ||
    fail "not every runner arrived after All (runner colours below the ladder: $balls)"
pictures="$WINEPREFIX/drive_c/users/$(whoami)/Pictures"
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+s
saved=""
if ! wait_for 30 picture_saved; then
    fail "Ctrl+S saved no picture in $pictures"
else
    cp "$saved" "$work/saved.png"
    wait_for 30 titled "Saved $(basename "$saved")" && pass "Ctrl+S saved $(basename "$saved")" ||
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
wait_for 30 titled "Copied the result" || fail "the title after Ctrl+C is '$title'"
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
wait_for 30 titled Tavilo && pass "the title bar says Tavilo again" || fail "the title stays '$title'"

# The option dialog: one player fewer, which starts a new game of five with
# the intro panel's next message.
tap 91 307     # Option
wait_for 30 shows option "$work/reference/option6.png" "$option" && pass "Option opened its dialog with 6" ||
    fail "Option showed no dialog with 6 ($differs pixels differ from the headless host's)"
tap 136 138    # <
wait_for 30 shows fewer "$work/reference/option5.png" "$option" && pass "< made the count 5" ||
    fail "< did not make the count 5 ($differs pixels differ from the headless host's)"
tap 75 182     # OK
wait_for 30 shows five "$work/reference/five.png" "$panel" &&
    pass "OK started a new game with the next greeting" ||
    fail "OK started no new game ($differs pixels of the panel differ from the headless host's)"

# A second copy hands over to the first: minimised, the first comes back.
xdotool windowminimize --sync "$w" 2>/dev/null || xdotool windowminimize "$w"
wait_for 30 no_window_visible || fail "the window did not go away when minimised"
start=$(now)
if timeout 60 wine "$exe" >"$work/second.log" 2>&1; then
    pass "the second copy ended with exit code 0 after $(elapsed "$start" "$(now)") s"
else
    fail "the second copy ended with $?"
fi
wait_for 30 one_window_visible && pass "the first window is shown again, and only it" ||
    fail "$(visible_windows) visible Tavilo windows after the second start"

# Alt+F4 ends the program as Exit does, and the count is saved.
xdotool windowactivate --sync "$w" 2>/dev/null || true
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
# the count saved before is read back. The title screen shows once the
# program is in its message loop, ready for the close.
wine "$exe" >"$work/third.log" 2>&1 &
third=$!
if ! wait_for 60 window_found; then
    fail "tavilo.exe showed no window the second time"
else
    wait_for 30 shows again "$title_screen" "$whole" ||
        fail "the second start shows no title screen ($differs pixels differ)"
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
# Enter runs Exit from the bar, which saves the count. Each key waits for
# the change it makes on the screen before the next.
wine "$exe" >"$work/keys.log" 2>&1 &
keyed=$!
bar=240x26+0+294        # the menu bar
if ! wait_for 60 window_found; then
    fail "tavilo.exe showed no window for the keys"
elif ! wait_for 30 shows keys-title "$title_screen" "$whole"; then
    fail "the start for the keys shows no title screen ($differs pixels differ)"
else
    xdotool windowactivate --sync "$w" 2>/dev/null || true
    keys() { xdotool key --clearmodifiers "$@"; }
    keys n
    wait_for 30 changed keys-new "$work/keys-title.png" "$whole" || fail "N changed nothing on the screen"
    keys 1
    wait_for 30 arrived keys-started && pass "N and 1 sent the first runner to its arrival" ||
        fail "no runner arrived after the keys N and 1 ($red red pixels below the ladder, $arrived_red wanted)"
    keys a
    all_balls=$five_balls
    wait_for 60 finished keys-all && pass "A sent the others to their arrivals" ||
        fail "not every runner arrived after A (runner colours below the ladder: $balls)"
    keys o
    wait_for 30 changed keys-option "$work/keys-all.png" "$option" || fail "O opened no dialog"
    keys Right
    wait_for 30 changed keys-more "$work/keys-option.png" "$option" || fail "Right changed nothing in the dialog"
    keys Return
    wait_for 30 changed keys-closed "$work/keys-more.png" "$option" || fail "Enter did not close the dialog"
    keys F10
    wait_for 30 changed keys-bar "$work/keys-closed.png" "$bar" || fail "F10 marked nothing in the bar"
    keys Left
    wait_for 30 changed keys-exit "$work/keys-bar.png" "$bar" || fail "Left moved nothing in the bar"
    keys Return
    code=0
    timeout 30 tail --pid="$keyed" -f /dev/null || true
    wait "$keyed" || code=$?
    [ "$code" -eq 0 ] && pass "F10, Left and Enter ran Exit (exit code 0)" || fail "tavilo.exe ended with $code after the keys"
    grep -qi '"PlayerCount"=dword:00000006' "$settings" 2>/dev/null &&
        pass "O, Right and Enter saved the count 6" || fail "the count set by keys was not saved"
fi

echo "tavilo.exe is $(stat -c %s "$exe") bytes; its checks took $(elapsed "$desktop_began" "$(now)") s," \
    "the whole run $(elapsed "$began" "$(now)") s"
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all Windows checks passed"
