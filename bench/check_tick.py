#!/usr/bin/env python3
"""Checks the tick benchmark's JSON: check_tick.py build/bench/tick.json [--short]

At 256 disks our tick must be at least 10 times faster than the straightforward walk, and its
time per disk may grow at most 2 times from 16 to 1024 disks. The growth is judged on a full run
only: at 1024 disks a tick touches about 750 KB, more than a core's cache holds, so its time per
disk depends on what else the machine's caches serve, and a short run (--short, from
BENCH_MIN_TIME) reports it without failing. The speed-up, 150 times and more, is always judged."""
import json
import sys


def main(argv):
    if len(argv) not in (2, 3) or (len(argv) == 3 and argv[2] != "--short"):
        print(__doc__)
        return 2
    short = len(argv) == 3
    with open(argv[1]) as f:
        runs = json.load(f)["benchmarks"]
    times = {}
    for run in runs:
        if run.get("run_type", "iteration") != "iteration":
            continue
        name, _, disks = run["name"].partition("/")
        # The best of the repetitions: other work on the machine only ever adds time.
        key = (name, int(disks))
        if key not in times or run["real_time"] < times[key][0]:
            times[key] = (run["real_time"], run["time_unit"], run["disks"])

    def per_disk(name, disks):
        time, _, devices = times[(name, disks)]
        return time / devices

    print(f"{'disks':>6} {'ours':>12} {'walk':>12} {'speed-up':>9} {'ours/device':>12}")
    for disks in sorted({d for _, d in times}):
        ours, unit, devices = times[("BM_TickIndexed", disks)]
        walk, _, _ = times[("BM_TickStraightforward", disks)]
        print(f"{disks:>6} {ours:>10.1f}{unit:>2} {walk:>10.1f}{unit:>2} {walk / ours:>8.1f}x "
              f"{ours / devices:>10.3f}{unit:>2}")

    failures = []
    speed_up = times[("BM_TickStraightforward", 256)][0] / times[("BM_TickIndexed", 256)][0]
    if speed_up < 10:
        failures.append(f"at 256 disks ours is only {speed_up:.1f} times faster than the walk (needs 10)")
    growth = per_disk("BM_TickIndexed", 1024) / per_disk("BM_TickIndexed", 16)
    if growth > 2 and not short:
        failures.append(f"time per disk grows {growth:.2f} times from 16 to 1024 disks (at most 2)")
    print(f"speed-up at 256 disks: {speed_up:.1f}x (>= 10); per-disk growth 16 -> 1024: {growth:.2f}x (<= 2"
          f"{', judged on a full run only' if short else ''})")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
