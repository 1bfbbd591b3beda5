#!/usr/bin/env bash
# Full screen end to end: the real program on a virtual X server without a window manager.
# It lists a folder of movies; a double click on the first cell's name box opens the movie
# full screen under the control bar, a dock panel that leaves a 2-pixel strip at the top;
# touching the strip slides the bar in, moving away hides it, and its leave button brings
# the main window back. The speakers' mute is watched on the test mixer device.
#
# Usage: fullscreen_e2e.sh PROGRAM ALSA_TEST_PLUGIN MOVIE_FOLDER OUTPUT_FOLDER
# Screenshots go to OUTPUT_FOLDER. Exits 77 (skipped) when the X tools are missing.
set -euo pipefail

program=$(realpath -m "$1") plugin=$(realpath -m "$2") movies=$(realpath -m "$3") out=$(realpath -m "$4")
for tool in xvfb-run xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -f "$plugin" ] || { echo "skipped: no test mixer plugin at $plugin"; exit 77; }
ls "$movies"/*.swf >/dev/null 2>&1 || { echo "skipped: no movies in $movies"; exit 77; }

readonly width=1600 height=1000
if [ -z "${REELVISTA_E2E_DISPLAY:-}" ]; then
    export REELVISTA_E2E_DISPLAY=1
    # A display number of its own, so that runs started together do not race for one.
    exec xvfb-run -a -n $((200 + $$ % 700)) -s "-screen 0 ${width}x${height}x24 -nolisten tcp" \
        "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out" "$work/movies"
cp "$movies"/*.swf "$work/movies/"

# The test mixer: the speakers start unmuted.
. "$(dirname "$0")/../support/x11_e2e.sh"
use_test_mixer
# Windows as "id width height x y", x and y on the screen: the top-level windows, or the
# windows inside one.
geometries() {
    xwininfo "$@" | awk '
    function num(t) { sub(/^\+/, "", t); return t + 0 }
    {
        for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+x[0-9]+[+-]-?[0-9]+[+-]-?[0-9]+$/) {
            match($i, /^[0-9]+x[0-9]+/); split(substr($i, 1, RLENGTH), size, "x")
            at = (i < NF && $NF ~ /^[+-]-?[0-9]+[+-]-?[0-9]+$/) ? $NF : substr($i, RLENGTH + 1)
            match(at, /^[+-]-?[0-9]+/)
            print $1, size[1], size[2], num(substr(at, 1, RLENGTH)), num(substr(at, RLENGTH + 1))
            break
        }
    }'
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
hidden() { ! viewable "$1"; }
main_window() { xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Reelvista V2.0".*/\1/p'; }
movie_window() {
    geometries -root -children | awk -v w=$width -v h=$height '$2 == w && $3 == h && !$4 && !$5 {print $1}'
}
bar_window() { geometries -root -children | awk -v w=$width '$2 == w && ($3 == 42 || $3 == 44) {print $1}' | head -n1; }
# The bar's window has this size and place.
bar_at() { geometries -root -children | awk -v id="$1" -v g="$2 $3 $4 $5" '$1 == id && ($2 " " $3 " " $4 " " $5) == g {f = 1} END {exit !f}'; }
# Whether a lookup finds something.
found() { [ -n "$("$@")" ]; }
# Cell 1's name box: of the 81 x 18 pixel windows (1215 x 270 twips), the top left one.
text1() { geometries -root -tree | awk '$2 == 81 && $3 == 18 {print $5, $4}' | sort -n -k1,1 -k2,2 | head -n1; }

# Native child windows let the cells and buttons be found by their size.
(cd "$work/movies" && QT_QPA_PLATFORM=xcb QT_USE_NATIVE_WINDOWS=1 exec "$program") \
    >"$out/program.log" 2>&1 &
pid=$!

waitfor "the main window exists" found main_window
main=$(main_window)
waitfor "the main window comes up after the splash" viewable "$main"
waitfor "cell 1 shows its name box" found text1
mute_is 0 || fail "the main window mutes the speakers at start"
import -window root "$out/1-main-window.png"

read -r y x <<<"$(text1)"
xdotool mousemove $((x + 40)) $((y + 9)) click --repeat 2 --delay 120 1

waitfor "the movie window covers the screen" found movie_window
movie=$(movie_window)
waitfor "the main window is hidden" hidden "$main"
waitfor "the speakers are unmuted in full screen" mute_is 1
bar=$(bar_window)
[ -n "$bar" ] || fail "the control bar exists"
waitfor "the bar is docked hidden, 2 pixels on screen" bar_at "$bar" $width 44 0 -42
xprop -id "$bar" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DOCK ||
    fail "the bar is a dock panel"
xprop -id "$bar" _NET_WM_STRUT_PARTIAL | grep -q "= 0, 0, 2, 0" ||
    fail "the bar reserves its 2-pixel strip"
sleep 1
import -window root "$out/2-full-screen.png"

# Touches the strip from below and looks for the bar shown. Without a window manager the
# stacking of the bar and the movie window settles a moment after they map, and a pointer
# that arrived before then moved over the movie window: touching again is what a user does.
touch_strip() {
    xdotool mousemove 800 5 mousemove 800 0
    sleep 0.2
    bar_at "$bar" $width 42 0 0
}
waitfor "touching the strip slides the bar in" touch_strip
import -window root "$out/3-bar-shown.png"
xdotool mousemove 800 53
waitfor "the bar hides 11 pixels below it" bar_at "$bar" $width 44 0 -42
waitfor "the bar slides in again" touch_strip

# The leave button is the bar's rightmost button.
leave=$(geometries -tree -id "$bar" | awk '$2 < 60 && $3 < 42 {print $4 + int($2 / 2), $5 + int($3 / 2)}' |
    sort -n | tail -n1)
[ -n "$leave" ] || fail "the bar has buttons"
read -r lx ly <<<"$leave"
xdotool mousemove "$lx" "$ly" click 1

waitfor "the main window comes back" viewable "$main"
waitfor "the movie window is gone" hidden "$movie"
waitfor "the bar is gone" hidden "$bar"
waitfor "the speakers are muted again" mute_is 0
sleep 1
import -window root "$out/4-back.png"
echo "PASS: full screen entered from a cell, bar slid in and out, left; screenshots in $out"
