#!/usr/bin/env python3
"""The link against the simulator answering at once:

1. live-data requests every 6 ticks (330 ms), measured at the simulator from
   the frames it receives: mean interval error under 2 % over 100 requests;
2. a Program of the default set reaches its success report within 4 ticks of
   its first frame (bench-program-ticks);
3. the tool idling with a live unit uses under 1 % of one core.

Usage: bench/link.py [--build build] [--requests 100]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def start_sim(build, home, *extra):
    log = os.path.join(home, "sim.log")
    sim = subprocess.Popen([os.path.join(build, "torvo-tci-sim"), "--log", log, *extra],
                           stdout=subprocess.PIPE, text=True)
    pty = sim.stdout.readline().strip()
    with open(os.path.join(home, "Torvo_TCI.ini"), "w") as f:
        f.write(f"[PORTS]\nCOM1={pty}\n")
    return sim, log


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--requests", type=int, default=100)
    args = ap.parse_args()
    env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    failed = False

    # 1 and 3: the real program idling against the unit.
    home = tempfile.mkdtemp(prefix="torvo-bench-")
    sim, log = start_sim(args.build, home)
    seconds = args.requests * 0.33 + 2
    app = subprocess.Popen([os.path.join(args.build, "torvo-tci")],
                           env=dict(env, TORVO_TCI_HOME=home,
                                    TORVO_TCI_QUIT_AFTER_MS=str(int(seconds * 1000))),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app.wait(timeout=seconds + 30)
    sim.terminate()
    sim.wait()
    stamps = []
    with open(log) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 3 and parts[1] == "rx" and parts[2] == "0x30":
                stamps.append(float(parts[0]))
    gaps = [b - a for a, b in zip(stamps, stamps[1:])][: args.requests]
    if len(gaps) < args.requests:
        print(f"only {len(gaps)} live-data intervals seen", file=sys.stderr)
        return 1
    mean = statistics.mean(gaps)
    error = abs(mean - 330.0) / 330.0 * 100
    print(f"live-data interval: mean {mean:.1f} ms (error {error:.2f} %), "
          f"stdev {statistics.stdev(gaps):.1f} ms, min {min(gaps):.1f}, max {max(gaps):.1f}, n={len(gaps)}")
    failed |= error >= 2.0

    # 3: idle CPU over 20 s of a running program.
    home = tempfile.mkdtemp(prefix="torvo-bench-")
    sim, _ = start_sim(args.build, home)
    app = subprocess.Popen([os.path.join(args.build, "torvo-tci")],
                           env=dict(env, TORVO_TCI_HOME=home, TORVO_TCI_QUIT_AFTER_MS="30000"),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(4)
    cpu0, wall0 = cpu_seconds(app.pid), time.monotonic()
    time.sleep(20)
    cpu1, wall1 = cpu_seconds(app.pid), time.monotonic()
    share = (cpu1 - cpu0) / (wall1 - wall0) * 100
    print(f"idle CPU with a live unit: {share:.2f} % of one core (target < 1 %)")
    failed |= share >= 1.0
    app.terminate()
    app.wait()
    sim.terminate()
    sim.wait()

    # 2: ticks of a Program.
    home = tempfile.mkdtemp(prefix="torvo-bench-")
    sim, _ = start_sim(args.build, home)
    result = subprocess.run([os.path.join(args.build, "bench", "bench-program-ticks"), "20"],
                            env=dict(env, TORVO_TCI_HOME=home), capture_output=True, text=True)
    sim.terminate()
    sim.wait()
    print(result.stdout.strip() or result.stderr.strip())
    failed |= result.returncode != 0
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
