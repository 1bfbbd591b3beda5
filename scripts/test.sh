#!/usr/bin/env bash
# Fresh machine to a passing test suite: install what is missing, build, run
# every test headless, then the engine tests again under ASan+UBSan.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
export QT_QPA_PLATFORM=offscreen
"$top/scripts/build.sh" build -DREELVISTA_BENCH=OFF
(cd "$top/build" && ctest --output-on-failure -j "$(nproc)")
"$top/scripts/build.sh" build-asan -DREELVISTA_SANITIZE=ON -DREELVISTA_APPS=OFF -DREELVISTA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(nproc)" -R '^swf_|Corpus|Hostile')
