#!/bin/sh
# Runs a test program on a virtual X server through Qt's xcb plugin; skipped (77) where
# xvfb-run is missing. Usage: under_xvfb.sh PROGRAM [ARGS...]
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not installed"; exit 77; }
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" env QT_QPA_PLATFORM=xcb "$@"
