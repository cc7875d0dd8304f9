#!/usr/bin/env python3
"""A babbling line: random bytes at full speed on a pseudo-terminal for 60 s,
what a faulty USB-serial adapter can do, against the window (torvo-tci on
COM1) and the command line (torvo-tci-cli live). For each program: resident
memory when the flood has run for a few seconds, the largest seen and at the
end, and its CPU share over the flood.

Targets: memory within 10 MB of where it was after the first seconds, CPU under
25 % of one core.

Usage: bench/flood.py [--build build] [--seconds 60] [--only window|cli]
"""
import argparse
import os
import subprocess
import sys
import tempfile
import threading
import time
import tty

WARM_UP_S = 5
MAX_GROWTH_KB = 10 * 1024
MAX_CPU_PERCENT = 25.0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


class Flood:
    """Writes random bytes into the master side as fast as the terminal takes them."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.written = 0
        self.stopped = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def run(self):
        noise = os.urandom(65536)
        at = 0
        while not self.stopped.is_set():
            try:
                n = os.write(self.master, noise[at:at + 4096])
            except OSError:
                return
            self.written += n
            at = (at + n) % (len(noise) - 4096)

    def start(self):
        self.thread.start()

    def stop(self):
        self.stopped.set()
        # A write blocked on a full terminal returns once the descriptor goes.
        os.close(self.slave)
        os.close(self.master)
        self.thread.join(timeout=5)


def measure(name, command, env, seconds):
    flood = Flood()
    home = tempfile.mkdtemp(prefix="torvo-bench-flood-")
    with open(os.path.join(home, "Torvo_TCI.ini"), "w") as f:
        f.write(f"[PORTS]\nCOM1={flood.path}\n")
    command = [part.replace("{pty}", flood.path) for part in command]
    run_env = dict(env, TORVO_TCI_HOME=home,
                   TORVO_TCI_QUIT_AFTER_MS=str(int((WARM_UP_S + seconds + 10) * 1000)))
    flood.start()
    program = subprocess.Popen(command, env=run_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(WARM_UP_S)
    if program.poll() is not None:
        flood.stop()
        print(f"{name}: ended after {WARM_UP_S} s of the flood (exit {program.returncode})", file=sys.stderr)
        return False
    rss0, cpu0, wall0, bytes0 = rss_kb(program.pid), cpu_seconds(program.pid), time.monotonic(), flood.written
    peak = rss0
    while time.monotonic() - wall0 < seconds:
        time.sleep(1)
        peak = max(peak, rss_kb(program.pid))
    rss1, cpu1, wall1, bytes1 = rss_kb(program.pid), cpu_seconds(program.pid), time.monotonic(), flood.written
    alive = program.poll() is None
    program.terminate()
    try:
        program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()
    flood.stop()
    share = (cpu1 - cpu0) / (wall1 - wall0) * 100
    growth = peak - rss0
    mb = (bytes1 - bytes0) / 1e6
    print(f"{name}: {wall1 - wall0:.0f} s of flood, {mb:.0f} MB offered ({mb / (wall1 - wall0):.1f} MB/s); "
          f"resident {rss0 / 1024:.1f} MB after {WARM_UP_S} s, largest {peak / 1024:.1f} MB, "
          f"at the end {rss1 / 1024:.1f} MB (growth {growth / 1024:.1f} MB, target < 10); "
          f"CPU {share:.1f} % of one core (target < 25)")
    if not alive:
        print(f"{name}: the program ended during the flood", file=sys.stderr)
    return alive and growth < MAX_GROWTH_KB and share < MAX_CPU_PERCENT


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--only", choices=["window", "cli"])
    args = ap.parse_args()
    env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    runs = {
        "window": [os.path.join(args.build, "torvo-tci")],
        "cli": [os.path.join(args.build, "torvo-tci-cli"), "--port", "{pty}", "live",
                "--duration", str(int(WARM_UP_S + args.seconds + 10))],
    }
    ok = True
    for name, command in runs.items():
        if args.only and name != args.only:
            continue
        ok &= measure(name, command, env, args.seconds)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
