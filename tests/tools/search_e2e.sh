#!/usr/bin/env bash
# Search end to end: runs the test program on a virtual X server of its own, with Qt drawing
# through X11 and the pointer driven by xdotool. Exits 77 (skipped) when xvfb-run or
# xdotool is missing.
#
# Usage: search_e2e.sh TEST_PROGRAM
set -euo pipefail
program=$(realpath -m "$1")
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
export QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11
unset WAYLAND_DISPLAY
exec xvfb-run -a -n $((200 + $$ % 700)) -s "-screen 0 1280x800x24 -nolisten tcp -noreset" "$program"
