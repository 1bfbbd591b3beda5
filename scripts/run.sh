#!/usr/bin/env bash
# Fresh machine to a running Reelvista: install what is missing, build, start it
# on the bundled sample movies.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
"$top/scripts/build.sh" build
exec "$top/scripts/start.sh" build
