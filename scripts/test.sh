#!/usr/bin/env bash
# Fresh machine to a passing test suite: install what is missing, build, run
# every test headless, then the engine tests again under ASan+UBSan.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

# The benchmarks are left out here; build them with -DREELVISTA_BENCH=ON. Both trees are
# unity builds: built once from nothing, batches of sources compile in about half the
# time (everyday trees keep one object per source for quick rebuilds).
"$top/scripts/build.sh" build -DREELVISTA_BENCH=OFF -DCMAKE_UNITY_BUILD=ON
(cd "$top/build" && ctest --output-on-failure -j "$(nproc)")

# The engine again with the sanitizers, over the fixtures and the corpus.
cmake -S "$top" -B "$top/build-asan" -G Ninja -DREELVISTA_SANITIZE=ON -DREELVISTA_APPS=OFF \
  -DREELVISTA_BENCH=OFF -DCMAKE_UNITY_BUILD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null
cmake --build "$top/build-asan" --target test_swf -j "$(nproc)"
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$top/tests/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$(nproc)" -L '^swf$')
