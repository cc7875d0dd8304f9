#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz into ./build-fuzz (clang) and runs
# each for a while: scripts/fuzz.sh [seconds-per-target], 6 by default (about a
# minute in all, as CI runs it); give more by hand for a deeper run.
# Seeds come from tests/fuzz/corpus/<target>; what a run finds beyond them is
# kept in build-fuzz/corpus/<target> for the next run. Any crash, sanitizer
# report or broken invariant fails the script and names the reproducer, which
# a target replays when given as its argument.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-6}

./scripts/install-deps.sh
# clang and its run-time libraries (libFuzzer, the sanitizers) are only needed here.
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVO_FUZZ=ON \
  -DTORVO_BUILD_TESTS=OFF -DTORVO_BUILD_BENCH=OFF > /dev/null
cmake --build build-fuzz --target fuzz_targets -j"$jobs"

# The file targets write a file per input; memory-backed scratch keeps that
# from dominating the run.
scratch_root=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm
scratch=$(mktemp -d "$scratch_root/torvo-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# target and the longest input it is given
targets=(
  "fuzz_parameter_file 65536"
  "fuzz_image_file 70000"
  "fuzz_settings_file 65536"
  "fuzz_test_marker 65536"
  "fuzz_receive_path 4096"
  "fuzz_ini_text 16384"
  "fuzz_port_mapping 16384"
  "fuzz_recording 65536"
  "fuzz_live_row 64"
  "fuzz_cli_arguments 4096"
)
failed=0
summary=()
for entry in "${targets[@]}"; do
  read -r target max_len <<< "$entry"
  corpus=build-fuzz/corpus/$target
  artifacts=build-fuzz/artifacts/$target
  log=build-fuzz/logs/$target.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  status=0
  ./build-fuzz/fuzz/$target -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "tests/fuzz/corpus/$target" > "$log" 2>&1 || status=$?
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    failed=1
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    echo "FAILED $target (exit $status); log $log" >&2
    grep -E 'invariant broken|ERROR:|SUMMARY:' "$log" | head -n 5 >&2 || true
    echo "reproducer: ${reproducer:-none written}; replay with ./build-fuzz/fuzz/$target ${reproducer:-<file>}" >&2
    summary+=("$target: FAILED")
  else
    summary+=("$target: ${runs:-?} runs in ${seconds} s, corpus $(find "$corpus" -type f | wc -l) files")
  fi
done
printf '%s\n' "${summary[@]}"
exit "$failed"
