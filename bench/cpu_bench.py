#!/usr/bin/env python3
"""lumora.exe's CPU time and memory under Wine against a floor program: cpu_bench.py OUT.json

Runs the real lumora.exe for BENCH_CPU_SECONDS (default 60) at Frequency 30 with sixteen lamps
whose disks change what they do several times a second, then lumora.exe with no lamps (Class=256,
the other settings the same), then the floor program (bench/floor), which only ticks at the same
interval and takes the same performance-data snapshot, each in a session of its own. For each it
measures, over the same stretch after start-up, the CPU time of the Wine process and, apart, of its
session's wineserver (every Win32 call that reaches the server costs there), the other Wine
processes of the session and the X server, and the process's peak resident memory (VmHWM). Writes
everything to OUT.json and prints a report.

Goals: lumora.exe's CPU time within 2 times the floor's, its peak resident memory within 4 MB of
the floor's, and without lamps at most a tenth of the floor's CPU time: what no user sees must
cost next to nothing. The first CPU goal is judged per performance-data query (the opens of the
scenario file count them), since on a busy machine either program may tick less often than asked;
without lamps there is nothing to query. A missed goal fails only a run of 60 seconds or more:
short runs are too noisy.

Options, for finding where the time goes:
  --seconds N          instead of BENCH_CPU_SECONDS
  --set Key=Value      a settings.ini value for lumora.exe (e.g. Frequency=100, Class=1,
                       ShowIndicatorLabel=No, UseTrayLed=No, ShowTrayIcon=No, UseKeyboardLed=Yes);
                       the run without lamps follows all but Class, the floor follows Frequency
  --only lumora|no_lamps|floor  measure one of the three
  --quiet-disks        the scenario's disks stay idle

Paths: LUMORA_WINDOWS_BUILD (default build/windows) and LUMORA_E2E_WORK (default build/bench/e2e),
where the template Wine prefix is made when it is missing.
"""
import argparse
import ctypes
import json
import os
import select
import struct
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
os.environ.setdefault("LUMORA_WINDOWS_BUILD", os.path.join(SOURCE, "build", "windows"))
os.environ.setdefault("LUMORA_E2E_WORK", os.path.join(SOURCE, "build", "bench", "e2e"))
os.environ.setdefault("PYTHONDONTWRITEBYTECODE", "1")
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(SOURCE, "tools", "wine"))

import harness  # noqa: E402
from harness import counters  # noqa: E402
from perfdata import scenario_text  # noqa: E402

FLOOR_EXE = os.path.join(harness.WINDOWS_BUILD, "bench", "lumora_floor.exe")
CPU_FACTOR_GOAL = 2.0
MEMORY_GOAL_KB = 4 * 1024
NO_LAMPS_CPU_FRACTION_GOAL = 0.1
NO_LAMPS = {"Class": "256"}
ENFORCED_FROM_SECONDS = 60
# After start-up: the lamps' two-second flash is over and both programs tick steadily.
SETTLE_SECONDS = 4

# Seven drives, the All-In-One lamp and eight volumes: sixteen lamps.
DRIVES = 7
VOLUMES = [f"{letter}:" for letter in "CDEFGHIJ"]
SETTINGS = {
    "General": {"Class": "7", "version": "1.104", "StartWithWindows": "0", "ShowTrayIcon": "Yes",
                "UseTrayLed": "Yes", "UseKeyboardLed": "No", "ShowIndicatorLabel": "Yes"},
    "Appearance": {"Frequency": "30", "Opacity": "255"},
}


def disk_activity(quiet=False):
    """The scenario at each step, for a writer three times a tick, so that a tick finds the queues
    grown even when the writer runs late and a busy disk never looks idle by accident. Each
    disk's queues grow by a pattern that changes every 200 ms and differs from disk to disk, so
    that lamps keep changing colour: resting, reading, writing, both."""
    totals = {}

    def instance(name, number, step):
        reads, writes = (0, 0) if quiet else [(0, 0), (1, 0), (0, 1), (2, 1)][(step // 20 + number) % 4]
        read_queue, write_queue = totals.get(name, (0, 0))
        read_queue, write_queue = read_queue + reads * 1000, write_queue + writes * 1000
        totals[name] = (read_queue, write_queue)
        return name, counters(read_queue + write_queue, read_queue, write_queue)

    def total(instances):
        # Each instance's counters are (queue, read queue, write queue, ...) in that order.
        reads, writes = (sum(values[i][3] for _, values in instances) for i in (5, 6))
        return "_Total", counters(reads + writes, reads, writes)

    def text(step, _):
        drives = [instance(f"{n} {VOLUMES[n]}" if n < len(VOLUMES) else str(n), n, step) for n in range(DRIVES)]
        volumes = [instance(name, DRIVES + n, step) for n, name in enumerate(VOLUMES)]
        return scenario_text([(234, drives + [total(drives)]), (236, volumes + [total(volumes)])])
    return text


class ScenarioReads:
    """Counts the opens of the scenario file, one for each performance-data query of either
    program: the proof that both really ticked at the same rate."""
    IN_OPEN = 0x20

    def __init__(self, session):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or self.libc.inotify_add_watch(
                self.fd, os.path.dirname(session.drive_c("lumora-test", "scenario.txt")).encode(), self.IN_OPEN) < 0:
            raise OSError(ctypes.get_errno(), "inotify")
        self.count, self.counting = 0, False
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def run(self):
        while not self.stop.is_set():
            if not select.select([self.fd], [], [], 0.2)[0]:
                continue
            data, at = os.read(self.fd, 65536), 0
            while at + 16 <= len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, at)
                name = data[at + 16: at + 16 + length].rstrip(b"\0")
                at += 16 + length
                if self.counting and mask & self.IN_OPEN and name == b"scenario.txt":
                    self.count += 1

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stop.set()
        self.thread.join()
        os.close(self.fd)


def session_processes(session):
    """{pid: command name} of every process that runs in the session's prefix."""
    wanted = f"WINEPREFIX={session.prefix}".encode()
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if wanted not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{entry}/stat") as f:
                found[int(entry)] = f.read().partition("(")[2].rpartition(")")[0]
        except OSError:
            continue
    return found


def cpu_of(pids):
    return sum(harness.cpu_seconds(pid) or 0.0 for pid in pids)


def merged_settings(overrides):
    sections = {name: dict(keys) for name, keys in SETTINGS.items()}
    for key, value in overrides.items():
        section = next((name for name, keys in sections.items() if key in keys), "General")
        sections[section][key] = value
    return sections


def write_settings(session, overrides):
    sections = merged_settings(overrides)
    session.write_settings("".join(f"[{name}]\r\n" + "".join(f"{key}={value}\r\n" for key, value in keys.items())
                                   for name, keys in sections.items()))
    return sections


def start_lumora(session, settings):
    process = session.start_lumora("/s")
    session.wait_started()
    lamps = session.probe_json("windows", "LUMORAIndicator")
    # Checked for the modes whose lamps the scenario decides: all sixteen, or none at all.
    expected = {SETTINGS["General"]["Class"]: DRIVES + 1 + len(VOLUMES), NO_LAMPS["Class"]: 0}.get(
        settings["General"]["Class"])
    if expected is not None and len(lamps) != expected:
        raise RuntimeError(f"expected {expected} lamps, lumora.exe shows {len(lamps)}")
    return process, len(lamps)


def start_floor(session, settings):
    process = session.start(FLOOR_EXE, settings["Appearance"]["Frequency"])

    def ticking():
        if process.poll() is not None:
            raise RuntimeError(f"the floor program ended with {process.returncode}")
        with open(process.out) as f:
            return f.read().strip()
    said = harness.wait_until(ticking, 60, what="the floor program's first tick")
    if said != "ticking":
        raise RuntimeError(f"the floor program reads no performance data: {said!r}")
    return process, 0


def measure(name, start, seconds, overrides, quiet):
    with harness.Session(f"cpu-{name}") as session:
        settings = write_settings(session, overrides)
        with harness.ScenarioWriter(session, disk_activity(quiet), period=0.01), ScenarioReads(session) as reads:
            process, lamps = start(session, settings)
            time.sleep(SETTLE_SECONDS)
            others = session_processes(session)
            server = [pid for pid, command in others.items() if command.startswith("wineserver")]
            rest = [pid for pid in others if pid != process.pid and pid not in server]
            xvfb = [session.xvfb.process.pid]
            before = [harness.cpu_seconds(process.pid), cpu_of(server), cpu_of(rest), cpu_of(xvfb)]
            resident_before = harness.resident_kb(process.pid, "VmRSS")
            began, reads.counting = time.monotonic(), True
            time.sleep(seconds)
            after = [harness.cpu_seconds(process.pid), cpu_of(server), cpu_of(rest), cpu_of(xvfb)]
            elapsed, reads.counting = time.monotonic() - began, False
            if after[0] is None or process.poll() is not None:
                raise RuntimeError(f"{name} ended during the measurement")
            peak = harness.resident_kb(process.pid, "VmHWM")
            resident_after = harness.resident_kb(process.pid, "VmRSS")
            if start is start_lumora and session.quit_lumora(process) != 0:
                raise RuntimeError("lumora.exe did not end with exit code 0")
    spent = [round(a - b, 3) for a, b in zip(after, before)]
    return {"cpu_seconds": spent[0], "wineserver_cpu_seconds": spent[1], "other_wine_cpu_seconds": spent[2],
            "xvfb_cpu_seconds": spent[3], "startup_cpu_seconds": round(before[0], 3), "vmhwm_kb": peak,
            "vmrss_growth_kb": resident_after - resident_before,
            "measured_seconds": round(elapsed, 1), "queries_per_second": round(reads.count / elapsed, 1),
            "cpu_ms_per_query": round(1000 * spent[0] / reads.count, 2) if reads.count else None,
            "lamps": lamps, "load_average": round(os.getloadavg()[0], 2),
            "other_wine_processes": sorted(command for pid, command in others.items() if pid in rest)}


def ratio(a, b):
    return round(a / b, 2) if b > 0 else None


def compare(results, seconds):
    lumora, floor, no_lamps = results["lumora"], results["floor"], results["no_lamps"]
    total = {name: r["cpu_seconds"] + r["wineserver_cpu_seconds"] for name, r in (("lumora", lumora), ("floor", floor))}
    cpu_ratio = ratio(lumora["cpu_seconds"], floor["cpu_seconds"])
    per_query_ratio = ratio(lumora["cpu_ms_per_query"] or 0, floor["cpu_ms_per_query"] or 0)
    memory_kb = lumora["vmhwm_kb"] - floor["vmhwm_kb"]
    # Judged per query: on a busy machine either program can fall behind its timer and tick less
    # often, and then spends less in the same time without doing its work any cheaper.
    cpu_met = per_query_ratio is not None and per_query_ratio <= CPU_FACTOR_GOAL
    # In CPU seconds, not per query: without lamps nothing is queried, and the whole cost is what
    # the program spends beside the work it is there for.
    no_lamps_ratio = ratio(no_lamps["cpu_seconds"], floor["cpu_seconds"])
    no_lamps_met = no_lamps_ratio is not None and no_lamps_ratio <= NO_LAMPS_CPU_FRACTION_GOAL
    return {"cpu_ratio": cpu_ratio, "cpu_per_query_ratio": per_query_ratio,
            "total_ratio": ratio(total["lumora"], total["floor"]), "memory_difference_kb": memory_kb,
            "no_lamps_cpu_ratio": no_lamps_ratio,
            "goals": {"cpu_within_2_times_floor": cpu_met,
                      "memory_within_4_mb_of_floor": memory_kb <= MEMORY_GOAL_KB,
                      "no_lamps_cpu_within_a_tenth_of_floor": no_lamps_met},
            "goals_enforced": seconds >= ENFORCED_FROM_SECONDS}


def report(summary):
    print(f"CPU benchmark: {summary['seconds']} s at Frequency {summary['settings']['Appearance']['Frequency']}")
    print(f"{'':8} {'process':>9} {'wineserver':>11} {'other Wine':>11} {'Xvfb':>7} {'VmHWM':>10} {'lamps':>6} "
          f"{'queries/s':>10} {'ms/query':>9}")
    for name in ("lumora", "no_lamps", "floor"):
        if name in summary:
            r, label = summary[name], name.replace("_", " ")
            print(f"{label:8} {r['cpu_seconds']:>8.2f}s {r['wineserver_cpu_seconds']:>10.2f}s "
                  f"{r['other_wine_cpu_seconds']:>10.2f}s {r['xvfb_cpu_seconds']:>6.2f}s {r['vmhwm_kb']:>7} KB "
                  f"{r['lamps']:>6} {r['queries_per_second']:>10} {str(r['cpu_ms_per_query']):>9}  load {r['load_average']}")
    if "cpu_ratio" not in summary:
        return 0
    goals = summary["goals"]
    print(f"CPU lumora/floor per query: {summary['cpu_per_query_ratio']}x (goal <= {CPU_FACTOR_GOAL:g}x): "
          f"{'met' if goals['cpu_within_2_times_floor'] else 'MISSED'}; in all: {summary['cpu_ratio']}x, "
          f"with the wineserver: {summary['total_ratio']}x")
    print(f"VmHWM lumora - floor: {summary['memory_difference_kb']} KB (goal <= {MEMORY_GOAL_KB} KB): "
          f"{'met' if goals['memory_within_4_mb_of_floor'] else 'MISSED'}")
    print(f"CPU no lamps/floor: {summary['no_lamps_cpu_ratio']}x (goal <= {NO_LAMPS_CPU_FRACTION_GOAL:g}x): "
          f"{'met' if goals['no_lamps_cpu_within_a_tenth_of_floor'] else 'MISSED'}")
    if all(goals.values()):
        return 0
    if not summary["goals_enforced"]:
        print(f"(a run shorter than {ENFORCED_FROM_SECONDS} s does not fail on a missed goal)")
        return 0
    print("FAIL: a goal is missed")
    return 1


def ensure_template():
    """The template prefix, made when missing or when it names another build's counter source."""
    registry = os.path.join(harness.TEMPLATE, "system.reg")
    library = harness.windows_path(harness.PERFSOURCE_DLL).replace("\\", "\\\\")
    try:
        with open(registry, encoding="utf-8", errors="replace") as f:
            if library in f.read():
                return
    except OSError:
        pass
    harness.make_template()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--seconds", type=float, default=float(os.environ.get("BENCH_CPU_SECONDS", "60")))
    parser.add_argument("--set", action="append", default=[], metavar="Key=Value")
    parser.add_argument("--only", choices=("lumora", "no_lamps", "floor"))
    parser.add_argument("--quiet-disks", action="store_true")
    options = parser.parse_args(argv[1:])
    overrides = dict(item.split("=", 1) for item in options.set)
    for exe in (harness.LUMORA_EXE, FLOOR_EXE, harness.PERFSOURCE_DLL, harness.PROBE_EXE):
        if not os.path.exists(exe):
            print(f"missing {exe}: build the windows preset first")
            return 2
    ensure_template()

    summary = {"seconds": options.seconds, "settings": merged_settings(overrides)}
    # One after the other, never together: each has the machine to itself.
    runs = (("lumora", start_lumora, overrides), ("no_lamps", start_lumora, {**overrides, **NO_LAMPS}),
            ("floor", start_floor, overrides))
    for name, start, settings in runs:
        if options.only in (None, name):
            summary[name] = measure(name, start, options.seconds, settings, options.quiet_disks)
    if options.only is None:
        summary.update(compare(summary, options.seconds))
    with open(options.out, "w") as f:
        json.dump(summary, f, indent=2)
    return report(summary)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
