#!/usr/bin/env bash
# Configures and builds into ./build (the programs land at build/torvo-tci and build/torvo-tci-sim).
# TORVO_WERROR=ON turns warnings into errors (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVO_WERROR="${TORVO_WERROR:-OFF}" > /dev/null
cmake --build build -j"$(nproc)"
