#!/usr/bin/env bash
# The lock end to end: the screen saver program and the main program's lock screen on a
# virtual X server with a window manager (openbox), attacked by a second X client
# (lock_probe) and by real input (xdotool without --window sends through XTEST, the path a
# keyboard takes). The speakers' mute is watched on the test mixer device.
#
# Usage: lock_e2e.sh SCREEN_SAVER MAIN_PROGRAM LOCK_PROBE ALSA_TEST_PLUGIN MOVIE OUTPUT_FOLDER
# Exits 77 (skipped) when the X tools or the window manager are missing.
set -euo pipefail

scr=$(realpath -m "$1") main=$(realpath -m "$2") probe=$(realpath -m "$3")
plugin=$(realpath -m "$4") movie=$(realpath -m "$5") out=$(realpath -m "$6")
for tool in xvfb-run xdotool xwininfo openbox import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -f "$plugin" ] || { echo "skipped: no test mixer plugin at $plugin"; exit 77; }

if [ -z "${REELVISTA_E2E_DISPLAY:-}" ]; then
    export REELVISTA_E2E_DISPLAY=1
    exec xvfb-run -a -n $((200 + $$ % 700)) -s "-screen 0 1280x800x24 -nolisten tcp" "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out" "$work/config/reelvista" "$work/empty" "$work/movies"
cp "$movie" "$work/movies/"
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work

# The test mixer: the speakers start unmuted.
. "$(dirname "$0")/../support/x11_e2e.sh"
use_test_mixer

openbox >"$out/openbox.log" 2>&1 &
pids+=($!)
sleep 1

step() { echo "-- $*"; }
locked() { [ "$("$probe" grab)" = refused ]; }
# Locked, with the lock's windows up and holding the keys.
ready() { locked && top_is OrbisaneSCR && sleep 0.3; }
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
top_is() { [ "$("$probe" top)" = "$1" ]; }
settings() { printf '"%s"\r\n"%s"\r\n%s\r\n' "$movie" "$1" "$2" >"$work/config/reelvista/scr.ini"; }
# Starts the screen saver with the given arguments; `saver` holds its process id.
start_saver() {
    "$scr" "$@" >>"$out/saver.log" 2>&1 &
    saver=$!
    pids+=($saver)
}
exit_code() {
    local code=0
    wait "$1" || code=$?
    echo $code
}

# ---- the screen saver, attacked ----
step "the screen saver, attacked"
settings pw 1
start_saver /s
waitfor "the screen saver holds the keyboard" locked
waitfor "the speakers are muted while it runs (mute 1)" mute_is 0
waitfor "the lock is on top" top_is OrbisaneSCR
sleep 1
import -window root "$out/1-locked.png"

"$probe" window 3 >"$work/probe.out" &
probepid=$!
sleep 1
xdotool type --delay 30 hello
xdotool key Return
wait $probepid || true
grep -q "keys 0" "$work/probe.out" || fail "keys reached another window: $(cat "$work/probe.out")"
waitfor "a window mapped later ends up below the lock" top_is OrbisaneSCR

for keys in alt+F4 ctrl+q ctrl+w Escape ctrl+alt+BackSpace super+l; do
    xdotool key "$keys"
done
sleep 0.5
running $saver || fail "a key combination ended the lock"
"$probe" close OrbisaneSCR >/dev/null || fail "the lock's windows are named OrbisaneSCR"
sleep 0.5
running $saver || fail "a close request ended the lock"
locked || fail "the grab went after a close request"

child=$(pgrep -P $saver | head -n1)
[ -n "$child" ] || fail "the movie plays in a process of its own"
kill -9 "$child"
sleep 1
running $saver || fail "killing the movie process ended the lock"
locked || fail "the grab went with the movie process"
waitfor "the movie process is started again" bash -c "pgrep -P $saver | grep -qvx $child"

xdotool mousemove 10 10 sleep 0.2 mousemove 600 400
sleep 0.8 # the cursor watch shows the box
xdotool type --delay 30 PW
xdotool key Return
sleep 0.5
running $saver || fail "a password in the wrong case ended the lock"
xdotool key x # shows the box; not typed into it
sleep 0.3
xdotool type --delay 30 pw
sleep 0.5
running $saver || fail "the password without Enter ended the lock"
import -window root "$out/2-password.png"
xdotool key Return
waitfor "the password and Enter end the screen saver" ended $saver
[ "$(exit_code $saver)" = 0 ] || fail "the screen saver ends with status 0"
waitfor "the speakers are unmuted after it" mute_is 1
! locked || fail "the grab is released"

# ---- every way of starting it gives the same run ----
step "arguments"
settings "" 0
for args in "/p 1234" "/c" "-display :99 --help"; do
    # shellcheck disable=SC2086
    start_saver $args
    waitfor "the screen saver locks when started with $args" locked
    waitfor "its window is up ($args)" top_is OrbisaneSCR
    sleep 0.3
    waitfor "mute 0 leaves the speakers on" mute_is 1
    xdotool key space
    sleep 0.3
    xdotool key Return # the empty password
    waitfor "Enter alone ends the run with an empty password ($args)" ended $saver
done

# ---- refusals ----
step "refusals"
settings pw 1
"$probe" hold 6 >"$work/hold.out" &
holder=$!
pids+=($holder)
waitfor "the probe holds the keyboard" grep -q holding "$work/hold.out"
start_saver
waitfor "a grab held elsewhere makes the screen saver give up" ended $saver
[ "$(exit_code $saver)" = 3 ] || fail "the refusal ends with status 3"
mute_is 1 || fail "a refusal leaves the mute as it was"
kill $holder 2>/dev/null || true

step "wayland"
WAYLAND_DISPLAY=wayland-9 "$scr" >>"$out/saver.log" 2>&1 && fail "a Wayland session is locked" ||
    [ $? = 4 ] || fail "a Wayland session is refused with status 4"

step "no settings"
XDG_CONFIG_HOME=$work/empty start_saver
waitfor "without settings a message shows" top_is OrbisaneSCR
import -window root "$out/3-not-configured.png"
xdotool key Return
waitfor "the screen saver ends after the message" ended $saver
[ "$(exit_code $saver)" = 1 ] || fail "no settings: status 1"

# ---- the main program's lock screen ----
step "the main program"
use_test_mixer
(cd "$work/movies" && QT_QPA_PLATFORM=xcb exec "$main") >"$out/main.log" 2>&1 &
mainpid=$!
pids+=($mainpid)
main_window() { xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Reelvista V2.0".*/\1/p' | head -n1; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
mainvisible() { local w; w=$(main_window); [ -n "$w" ] && viewable "$w"; }
waitfor "the main window comes up" mainvisible
lock_from_menu() {
    xdotool key alt+l
    sleep 0.5
    xdotool key l
    waitfor "the lock screen holds the keyboard" ready
    locker=$(pgrep -P $mainpid | head -n1)
    [ -n "$locker" ] || fail "the lock screen runs as a process of its own"
}
sleep 1
lock_from_menu
mainvisible && fail "the main window is hidden while locked"
mute_is 0 || fail "ifMute T keeps the speakers muted while locked"
sleep 1
import -window root "$out/4-main-locked.png"
xdotool key x
sleep 0.3
xdotool key Return
waitfor "the main window comes back after the password" mainvisible
mute_is 0 || fail "the speakers are muted again after the lock screen"
! locked || fail "the grab is released after the lock screen"

lock_from_menu
kill -9 $mainpid
sleep 1
locked || fail "a crash of the main program ended the lock"
xdotool key x
sleep 0.3
xdotool key Return
waitfor "the password ends the lock screen without the main program" ended $locker
! locked || fail "the grab is released"
echo "PASS: screen saver and lock screen held against every attack; screenshots in $out"
