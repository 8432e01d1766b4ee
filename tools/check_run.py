#!/usr/bin/env python3
"""Proves `make run`: check_run.py [SECONDS]

Starts `make run` as a user would, lets lumora.exe run for SECONDS (default 10), then ends it
the way Ctrl+C does (SIGINT to run.py, whose handler asks the program to quit), and checks that
`make run` exits 0, that lumora.exe itself ended with code 0, and that no process it started is
left over. The Wine prefix lives in a private XDG_DATA_HOME, so the user's own is not touched."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, ".."))


def live_pids():
    return {int(name) for name in os.listdir("/proc") if name.isdigit()}


def started_by_run(pid, marker):
    # Every process that make run starts (wine, wineserver, Xvfb) inherits the private
    # XDG_DATA_HOME, even those that leave their parent behind.
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return marker in f.read().split(b"\0")
    except OSError:
        return False


def describe(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace").strip()
    except OSError:
        return None


def children(pid):
    found = []
    for other in live_pids():
        try:
            with open(f"/proc/{other}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == pid:
            found.append(other)
    return found


def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.2)
    raise SystemExit(f"check_run: timed out waiting for {what}")


def main(argv):
    seconds = float(argv[1]) if len(argv) > 1 else 10.0
    env = dict(os.environ)
    env.pop("DISPLAY", None)  # as on a machine without a desktop: run.py starts its own Xvfb
    env["XDG_DATA_HOME"] = tempfile.mkdtemp(prefix="lumora-run-")
    marker = f"XDG_DATA_HOME={env['XDG_DATA_HOME']}".encode()
    output_path = os.path.join(env["XDG_DATA_HOME"], "make-run.log")
    with open(output_path, "wb") as output:
        make = subprocess.Popen(["make", "--no-print-directory", "run"], cwd=SOURCE, env=env,
                                stdout=output, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

        def log():
            with open(output_path, errors="replace") as f:
                return f.read()

        wait_until(lambda: "lumora.exe is running" in log() or make.poll() is not None, 900, "lumora.exe to start")
        if make.poll() is not None:
            raise SystemExit(f"check_run: make run ended early with {make.returncode}:\n{log()}")
        time.sleep(seconds)  # the program runs on its own for a while: nothing is being waited for
        runner = [pid for pid in children(make.pid) if "tools/run.py" in (describe(pid) or "")]
        if not runner:
            raise SystemExit(f"check_run: run.py is not running under make:\n{log()}")
        os.kill(runner[0], signal.SIGINT)
        code = make.wait(120)
    text = log()
    print(text, end="")
    failures = []
    if code != 0:
        failures.append(f"make run exited {code}")
    if "lumora.exe ended with code 0." not in text:
        failures.append("lumora.exe did not end with code 0")
    # wineserver and Xvfb end a moment after the script: wait for them with a deadline.
    deadline = time.monotonic() + 30
    while True:
        left = {pid: describe(pid) for pid in live_pids() if started_by_run(pid, marker)}
        left = {pid: text for pid, text in left.items() if text}
        if not left or time.monotonic() > deadline:
            break
        time.sleep(0.5)
    for pid, command in sorted(left.items()):
        failures.append(f"left over: {pid} {command}")
    for failure in failures:
        print("FAIL:", failure)
    if not left:
        shutil.rmtree(env["XDG_DATA_HOME"], ignore_errors=True)  # a whole Wine prefix
    print("make run: " + ("passed" if not failures else "failed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
