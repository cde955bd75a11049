#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Measures the real console-rpg binary through a pseudo-terminal and prints one table.

Usage: bench.py BINARY GAME_DATA [--quick]
Every figure comes from the real binary on the sample data (or a copy of it with
the hero moved where a figure needs it), talking to an 80 x 25 pseudo-terminal.
"""

import fcntl
import os
import pty
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

HERO = "●".encode("utf-8")
PAWN = "歩".encode("utf-8")
LEFT, RIGHT = b"\x1b[D", b"\x1b[C"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Game:
    """One run of the game on a pseudo-terminal, its output timestamped as it arrives."""

    def __init__(self, binary, work, env=None):
        self.master, slave = pty.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        self.started = time.monotonic()
        self.process = subprocess.Popen([binary], cwd=work, stdin=slave, stdout=slave, stderr=slave,
                                        env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", **(env or {})),
                                        pass_fds=[int(v) for k, v in (env or {}).items() if k.endswith("_FD")])
        os.close(slave)
        self.chunks = []  # (arrival time, bytes)
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        while True:
            try:
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            with self.lock:
                self.chunks.append((time.monotonic(), data))

    def output_since(self, index):
        with self.lock:
            return self.chunks[index:], len(self.chunks)

    def wait_for(self, needle, after_index=0, timeout=5.0):
        """Arrival time of the first chunk at or after after_index holding needle."""
        deadline = time.monotonic() + timeout
        seen = after_index
        while time.monotonic() < deadline:
            chunks, count = self.output_since(seen)
            for arrival, data in chunks:
                if needle in data:
                    return arrival, seen
                seen += 1
            time.sleep(0.0005)
        raise RuntimeError("no %r on the screen within %.1f s" % (needle, timeout))

    def bytes_until(self, index):
        with self.lock:
            return sum(len(d) for _, d in self.chunks[:index + 1])

    def send(self, data):
        os.write(self.master, data)
        return time.monotonic()

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS

    def peak_rss_kb(self):
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(timeout=5)
        os.close(self.master)
        self.reader.join(timeout=1)


def work_copy(game_data, hero_at=None, remove=None):
    work = tempfile.mkdtemp(prefix="console-rpg-bench-")
    for name in os.listdir(game_data):
        shutil.copy(os.path.join(game_data, name), work)
    if hero_at is not None:
        path = os.path.join(work, "Hero_Status_Info.txt")
        with open(path, "rb") as f:
            values = f.read().split()
        values[-2:] = [str(hero_at[0]).encode(), str(hero_at[1]).encode()]
        with open(path, "wb") as f:
            f.write(b" ".join(values) + b"\n")
    if remove:
        os.remove(os.path.join(work, remove))
    return work


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(fraction * (len(ordered) - 1))))]


def measure_start_up(binary, game_data, runs):
    times, sizes = [], []
    for _ in range(runs):
        work = work_copy(game_data)
        game = Game(binary, work)
        arrival, index = game.wait_for(PAWN)
        times.append((arrival - game.started) * 1000)
        sizes.append(game.bytes_until(index))
        game.stop()
        shutil.rmtree(work)
    return statistics.median(times), statistics.median(sizes)


def measure_key_latency(binary, game_data, presses):
    """Left and right in turn, far from the pawn: each press must redraw the hero."""
    work = work_copy(game_data)
    game = Game(binary, work)
    _, index = game.wait_for(PAWN)
    latencies = []
    seen = index + 1
    for i in range(presses):
        time.sleep(0.004 + (i % 7) * 0.0017)  # spread the presses over the loop's 10 ms
        _, seen = game.output_since(0)
        sent = game.send(LEFT if i % 2 == 0 else RIGHT)
        arrival, index = game.wait_for(HERO, seen)
        latencies.append((arrival - sent) * 1000)
        seen = index + 1
    game.stop()
    shutil.rmtree(work)
    return statistics.median(latencies), percentile(latencies, 0.95), len(latencies)


def measure_pawn_steps(binary, game_data, runs):
    """The hero 16 columns right of the pawn: the pawn walks to it, a step a call."""
    intervals = []
    for _ in range(runs):
        work = work_copy(game_data, hero_at=(24, 3))
        game = Game(binary, work)
        arrival, index = game.wait_for(PAWN)
        steps = [arrival]
        for _ in range(8):
            arrival, index = game.wait_for(PAWN, index + 1, timeout=2)
            steps.append(arrival)
        intervals += [(b - a) * 1000 for a, b in zip(steps[1:], steps[2:])]
        game.stop()
        shutil.rmtree(work)
    return statistics.median(intervals), min(intervals), max(intervals), len(intervals)


def measure_idle(binary, game_data, seconds):
    work = work_copy(game_data)
    game = Game(binary, work)
    game.wait_for(PAWN)
    before = game.cpu_seconds()
    time.sleep(seconds)
    used = game.cpu_seconds() - before
    rss = game.peak_rss_kb()
    game.stop()
    shutil.rmtree(work)
    return 100.0 * used / seconds, rss


def measure_notice(binary, game_data):
    work = work_copy(game_data, remove="Hero_Status_Info.txt")
    game = Game(binary, work)
    _, status, usage = os.wait4(game.process.pid, 0)
    game.process.returncode = os.waitstatus_to_exitcode(status)
    game.stop()
    shutil.rmtree(work)
    return usage.ru_utime + usage.ru_stime, time.monotonic() - game.started, game.process.returncode


def measure_allocations(binary, game_data, seconds):
    library = os.path.join(tempfile.mkdtemp(prefix="console-rpg-alloc-"), "alloc_counter.so")
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", "-o", library,
                    os.path.join(os.path.dirname(os.path.abspath(__file__)), "alloc_counter.c")], check=True)
    read_end, write_end = os.pipe()
    work = work_copy(game_data, hero_at=(24, 3))
    game = Game(binary, work, env={"LD_PRELOAD": library, "ALLOC_COUNTER_FD": str(write_end)})
    os.close(write_end)
    _, index = game.wait_for(PAWN)
    time.sleep(0.05)

    def count():
        game.process.send_signal(signal.SIGUSR2)
        text = b""
        while not text.endswith(b"\n"):
            text += os.read(read_end, 64)
        return int(text)

    at_start = count()
    deadline = time.monotonic() + seconds
    i = 0
    while time.monotonic() < deadline:  # walk about while the pawn chases
        game.send([LEFT, LEFT, RIGHT, RIGHT, b"\x1b[A", b"\x1b[B", b"x", b"\x1b[1;5A"][i % 8])
        i += 1
        time.sleep(0.05)
    after = count()
    game.stop()
    shutil.rmtree(work)
    shutil.rmtree(os.path.dirname(library))
    return after - at_start, i


def main():
    binary, game_data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    quick = "--quick" in sys.argv
    rows = []
    start_ms, field_bytes = measure_start_up(binary, game_data, 5 if quick else 20)
    rows.append(("start-up to the field fully drawn (median)", "%.1f" % start_ms, "ms", "< 20", start_ms < 20))
    median, p95, count = measure_key_latency(binary, game_data, 60 if quick else 240)
    rows.append(("key to screen, median of %d presses" % count, "%.1f" % median, "ms", "", None))
    rows.append(("key to screen, 95th percentile", "%.1f" % p95, "ms", "<= 25", p95 <= 25))
    step, low, high, count = measure_pawn_steps(binary, game_data, 2 if quick else 6)
    rows.append(("pawn step interval, median of %d (min %.0f, max %.0f)" % (count, low, high), "%.1f" % step, "ms",
                 "117 to 143", 117 <= step <= 143))
    idle, rss = measure_idle(binary, game_data, 3 if quick else 10)
    rows.append(("processor time idle in the field loop", "%.2f" % idle, "% of a core", "< 1", idle < 1))
    rows.append(("peak resident memory", "%.1f" % (rss / 1024), "MB", "< 4", rss < 4096))
    if not quick:
        cpu, elapsed, status = measure_notice(binary, game_data)
        rows.append(("processor time during the 30 s notice (ended after %.1f s, status %d)" % (elapsed, status),
                     "%.3f" % cpu, "s", "< 0.2", cpu < 0.2))
    allocations, keys = measure_allocations(binary, game_data, 10 if quick else 60)
    rows.append(("heap allocations after start-up (%d keys over %d s)" % (keys, 10 if quick else 60),
                 str(allocations), "", "0", allocations == 0))
    rows.append(("bytes written to draw the sample field", str(int(field_bytes)), "bytes", "< 3072", field_bytes < 3072))

    width = max(len(r[0]) for r in rows)
    print("%-*s  %10s  %-11s  %-10s  %s" % (width, "figure", "value", "unit", "goal", "met"))
    for name, value, unit, goal, met in rows:
        print("%-*s  %10s  %-11s  %-10s  %s" % (width, name, value, unit, goal, "" if met is None else
                                                ("yes" if met else "NO")))


if __name__ == "__main__":
    main()
