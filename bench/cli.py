#!/usr/bin/env python3
"""torvo-tci-cli from process start to exit against torvo-tci-sim, beside a
bare QCoreApplication that opens the same pseudo-terminal.

Usage: bench/cli.py [--build build] [--runs 15]
Targets (medians): read <= 0.4 s, program --no-wait <= 0.5 s, info <= 0.3 s.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def timed(command, env):
    start = time.monotonic()
    result = subprocess.run(command, env=env, capture_output=True, timeout=60)
    return time.monotonic() - start, result.returncode


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--runs", type=int, default=15)
    args = ap.parse_args()
    home = tempfile.mkdtemp(prefix="torvo-cli-bench-")
    env = dict(os.environ, TORVO_TCI_HOME=home)
    sim = subprocess.Popen([os.path.join(args.build, "torvo-tci-sim")], stdout=subprocess.PIPE, text=True)
    pty = sim.stdout.readline().strip()
    cli = os.path.join(args.build, "torvo-tci-cli")
    ign = os.path.join(home, "set.ign")
    subprocess.run([cli, "--port", pty, "read", "-o", ign], env=env, check=True)
    cases = {
        "bare open": ([os.path.join(args.build, "bench", "bench-bare-open"), pty], None),
        "info": ([cli, "--port", pty, "info"], 0.3),
        "read": ([cli, "--port", pty, "read"], 0.4),
        "program --no-wait": ([cli, "--port", pty, "program", ign, "--no-wait"], 0.5),
    }
    failed = False
    try:
        for name, (command, target) in cases.items():
            times = []
            for _ in range(args.runs):
                seconds, code = timed(command, env)
                if code != 0:
                    print(f"{name}: exit code {code}")
                    failed = True
                    break
                times.append(seconds)
                if name.startswith("program"):
                    time.sleep(2)  # let the unit finish storing
            if not times:
                continue
            median = statistics.median(times)
            verdict = "" if target is None else (" ok" if median <= target else " MISSED")
            limit = "" if target is None else f" (target <= {target:.1f} s)"
            print(f"{name:18s} median {median:.3f} s  min {min(times):.3f}  max {max(times):.3f}{limit}{verdict}")
            failed |= target is not None and median > target
    finally:
        sim.terminate()
        sim.wait()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
