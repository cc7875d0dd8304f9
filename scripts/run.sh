#!/usr/bin/env bash
# Builds the tool and runs it against the unit simulator: the simulator opens a
# pseudo-terminal, and a throw-away settings folder maps COM1 to it, so your own
# settings are never touched. Pass --real to run the tool on your own settings
# and serial ports instead (see README: "A real unit").
# Only the programs and the manuals F1 opens are built; scripts/test.sh builds
# the tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh torvo-tci torvo-tci-sim torvo-tci-cli manual

if [ "${1:-}" = "--real" ]; then
  shift
  exec ./build/torvo-tci "$@"
fi

home=$(mktemp -d -t torvo-tci-XXXXXX)
simout="$home/sim.out"
./build/torvo-tci-sim --store "$home/unit-block.txt" > "$simout" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$home"' EXIT
for _ in $(seq 100); do
  [ -s "$simout" ] && break
  sleep 0.05
done
pty=$(head -n 1 "$simout")
[ -n "$pty" ] || { echo "the simulator did not start" >&2; exit 1; }
printf '[PORTS]\nCOM1=%s\n' "$pty" > "$home/Torvo_TCI.ini"
echo "Simulated unit on $pty (COM1); settings in $home"
TORVO_TCI_HOME="$home" ./build/torvo-tci "$@"
