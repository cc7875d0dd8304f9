#!/usr/bin/env python3
"""Start-up time: process start to main window shown, for torvo-tci and for a
minimal Qt window built beside it, alternating in the same run.

Each program prints "shown <CLOCK_MONOTONIC ns>" at its window's first paint
(TORVO_TCI_QUIT_AFTER_MS=0 makes it close right after). Target: the median of
torvo-tci at most 1.3 times the median of the minimal window.

Usage: bench/startup.py [--build build] [--runs 15] [--platform offscreen|xcb]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def one_run(program, env):
    start = time.monotonic_ns()
    proc = subprocess.run([program], env=env, capture_output=True, text=True, timeout=60)
    for line in proc.stdout.splitlines():
        if line.startswith("shown "):
            return (int(line.split()[1]) - start) / 1e6, proc.returncode
    raise RuntimeError(f"{program} printed no 'shown' line (exit {proc.returncode}): {proc.stderr[-400:]}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--platform", default=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    args = ap.parse_args()

    home = tempfile.mkdtemp(prefix="torvo-bench-")
    env = dict(os.environ, QT_QPA_PLATFORM=args.platform, TORVO_TCI_QUIT_AFTER_MS="0",
               TORVO_TCI_HOME=home)
    # COM1 is a simulated unit, so the start includes opening a real port (and
    # no "Com opening error" box can hold a run up).
    sim = subprocess.Popen([os.path.join(args.build, "torvo-tci-sim")], stdout=subprocess.PIPE, text=True)
    pty = sim.stdout.readline().strip()
    with open(os.path.join(home, "Torvo_TCI.ini"), "w") as f:
        f.write(f"[PORTS]\nCOM1={pty}\n")
    programs = {"torvo-tci": os.path.join(args.build, "torvo-tci"),
                "minimal": os.path.join(args.build, "bench", "bench-minimal-window")}
    times = {name: [] for name in programs}
    for name, program in programs.items():  # warm the file cache once
        one_run(program, env)
    for _ in range(args.runs):
        for name, program in programs.items():
            ms, code = one_run(program, env)
            if code != 0:
                print(f"{name} exited with {code}", file=sys.stderr)
                return 1
            times[name].append(ms)
    sim.terminate()
    sim.wait()
    for name, values in times.items():
        print(f"{name:10s} median {statistics.median(values):7.1f} ms  min {min(values):7.1f}  "
              f"max {max(values):7.1f}  (n={len(values)})")
    ratio = statistics.median(times["torvo-tci"]) / statistics.median(times["minimal"])
    print(f"ratio torvo-tci / minimal: {ratio:.2f} (target <= 1.30)")
    return 0 if ratio <= 1.3 else 2


if __name__ == "__main__":
    sys.exit(main())
