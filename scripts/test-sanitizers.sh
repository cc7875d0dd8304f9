#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# ./build-asan and runs the whole test suite there, headless. Any report fails
# the run: UBSan halts on the first finding, ASan aborts, leaks count.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVO_SANITIZE=ON -DTORVO_BUILD_BENCH=OFF \
  -DTORVO_WERROR="${TORVO_WERROR:-OFF}" > /dev/null
cmake --build build-asan -j"$jobs"
export QT_QPA_PLATFORM=offscreen
# Qt's and the font libraries' own allocations that live until exit are not
# the project's; only those libraries are named in the suppressions.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2 --timeout 600
