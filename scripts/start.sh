#!/usr/bin/env bash
# Starts the built program tree. Usage: start.sh BUILD_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prog="$top/${1:-build}/program"
if [ -x "$prog/reelvista" ]; then
  cd "$prog/samples" && exec "$prog/reelvista"
fi
# Without the main window, render frame 1 of every sample movie to PNG.
out="$top/${1:-build}/sample-renders"
mkdir -p "$out"
for f in "$prog"/samples/*.swf; do
  n=$(basename "$f" .swf)
  "$prog/reelvista-render" "$f" "$out/$n.png" && echo "rendered $out/$n.png"
done
