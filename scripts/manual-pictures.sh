#!/usr/bin/env bash
# Remakes the manual's pictures (help/images/*.png) from the real windows: builds the
# program and the picture tool, then runs the tool on a 1920x1080 virtual X server.
# Run it again whenever a window changes, and commit the pictures.
# Usage: manual-pictures.sh [BUILD_DIR]  (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
"$top/scripts/setup-debian.sh"
cmake -S "$top" -B "$top/$dir" -G Ninja >/dev/null
cmake --build "$top/$dir" -j "$(nproc)" --target reelvista manual_pictures
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
# The sound of the movies goes nowhere: a private ALSA configuration with a null output.
alsa_conf=$(mktemp)
# The pictures show the samples in a folder of neutral name, not the build tree's path.
movies=/tmp/Movies
[ -e "$movies" ] && { echo "$movies is in the way: remove it first" >&2; exit 1; }
mkdir "$movies"
trap 'rm -f "$alsa_conf"; rm -rf "$movies"' EXIT
cp "$top/$dir/program/samples/"*.swf "$movies/"
printf 'pcm.!default { type null }\n' >"$alsa_conf"
ALSA_CONFIG_PATH="$alsa_conf" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
  "$top/$dir/tools/manual_pictures" "$top/help/images" "$top/$dir/program" "$movies"
