#!/usr/bin/env bash
# Capture and wallpaper end to end: runs the test program on a virtual X server of its own,
# with Qt drawing through X11. Exits 77 (skipped) when xvfb-run is missing.
#
# Usage: capture_e2e.sh TEST_PROGRAM
set -euo pipefail
program=$(realpath -m "$1")
command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is not installed"; exit 77; }
export QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11
# A session without a desktop: the wallpaper goes to the root window.
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION
exec xvfb-run -a -n $((200 + $$ % 700)) -s "-screen 0 1280x720x24 -nolisten tcp -noreset" "$program"
