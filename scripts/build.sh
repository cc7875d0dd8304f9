#!/usr/bin/env bash
# Configures and builds into ./build (the programs land at build/torvo-tci and build/torvo-tci-sim).
# With target names (scripts/build.sh torvo-tci manual) only those and what they
# need are built; without, everything, tests and benchmarks included.
# TORVO_WERROR=ON turns warnings into errors (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVO_WERROR="${TORVO_WERROR:-OFF}" > /dev/null
targets=()
for t in "$@"; do
  targets+=(--target "$t")
done
cmake --build build -j"$(nproc)" "${targets[@]}"
