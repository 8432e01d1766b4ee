"""The Wine session machinery: runs the real lumora.exe and our Windows test tools under Wine,
for the end-to-end tests and for `make run`, `make screenshots` and `make bench`.

Every test gets a copy of one template Wine prefix (made once per test run by
`python3 tools/wine/harness.py make-template`) and an Xvfb display of its own, and ends every
process it started: the programs, the display and the prefix's wineserver. Nothing is ended by name.
What another process does is awaited as an observable condition with a deadline, never slept for.

Paths come from the environment that CTest sets (see tests/e2e/CMakeLists.txt):
  LUMORA_WINDOWS_BUILD  the windows build folder (lumora.exe, tests/probe.exe, tests/lumora_perfsource.dll)
  LUMORA_E2E_WORK       where the template prefix and each test's folder live
"""
import json
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

from perfdata import BULK, COUNTER, QUEUE, scenario_text

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
WINDOWS_BUILD = os.environ.get("LUMORA_WINDOWS_BUILD", os.path.join(SOURCE, "build", "windows"))
WORK = os.environ.get("LUMORA_E2E_WORK", os.path.join(SOURCE, "build", "native", "e2e"))
TEMPLATE = os.path.join(WORK, "template-prefix")

LUMORA_EXE = os.path.join(WINDOWS_BUILD, "lumora.exe")
PROBE_EXE = os.path.join(WINDOWS_BUILD, "tests", "probe.exe")
PERFSOURCE_DLL = os.path.join(WINDOWS_BUILD, "tests", "lumora_perfsource.dll")

PROVIDER_KEY = r"HKLM\System\CurrentControlSet\Services\LumoraTestDisk\Performance"
SCENARIO_WINDOWS_PATH = r"C:\lumora-test\scenario.txt"
IDLE, READ, WRITE = "000080", "00FF00", "FF0000"  # the lamps' default colours as RRGGBB
# Wine's standalone tray (there is no window manager) and the tray lamp's resting and lit colours.
TRAY, TRAY_ICON = "__winex11_standalone_tray", "__winex11_tray_icon"
TRAY_IDLE, TRAY_ACTIVE = "184020", "30E040"


WINE_LOADER_FAILURE = "failed to map the shared user data"


def wine_binary():
    # Debian's `wine` wrapper complains on every start when the 32-bit half is missing.
    return "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine"


def wineserver_binary():
    return "/usr/lib/wine/wineserver64" if os.path.exists("/usr/lib/wine/wineserver64") else "wineserver"


def base_env(prefix, display=None):
    # Wine's own errors stay in each launch's .err file, and in a failed probe's message.
    debug = os.environ.get("LUMORA_WINEDEBUG", "-all,err+all")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG=debug, WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
    env.pop("DISPLAY", None)
    return env if display is None else dict(env, DISPLAY=display)


def windows_path(linux_path):
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


def run_to_files(args, env, timeout, out, err):
    """Runs a program with its output going to the given files, never to pipes: the first Wine
    process of a prefix starts the wineserver and Wine's services, which inherit its standard
    handles and live on, so a pipe would never see its end."""
    process = subprocess.Popen(args, env=env, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
    try:
        returncode = process.wait(timeout)
    finally:
        end_process(process, 0)
    out.seek(0)
    err.seek(0)
    return subprocess.CompletedProcess(process.args, returncode, out.read(), err.read())


def run_checked(args, env, timeout, what):
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        done = run_to_files(args, env, timeout, out, err)
    if done.returncode != 0:
        raise RuntimeError(f"{what} failed ({done.returncode}): {done.stderr.strip()[-2000:]}")
    return done.stdout


def register_counter_source(prefix, env, scenario=True):
    """Registers our performance provider in a prefix; without a scenario it serves live data."""
    values = [("Library", windows_path(PERFSOURCE_DLL)), ("Open", "OpenPerfData"), ("Collect", "CollectPerfData"),
              ("Close", "ClosePerfData")] + ([("Scenario", SCENARIO_WINDOWS_PATH)] if scenario else [])
    for name, data in values:
        run_checked([wine_binary(), "reg", "add", PROVIDER_KEY, "/v", name, "/t", "REG_SZ", "/d", data, "/f"],
                    env, 60, f"reg add {name}")


def make_prefix(prefix, scenario=True):
    """A fresh prefix with the counter source registered; returns once the registry is on disk."""
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    env = base_env(prefix)
    run_checked([wine_binary(), "wineboot", "-i"], env, 180, "wineboot")
    register_counter_source(prefix, env, scenario)
    os.makedirs(os.path.join(prefix, "drive_c", "lumora-test"), exist_ok=True)
    # Let the server end by itself: it writes the registry to disk on its way out.
    subprocess.run([wineserver_binary(), "-w"], env=env, timeout=60)


def make_template():
    for old in ("tests", "attic"):
        shutil.rmtree(os.path.join(WORK, old), ignore_errors=True)
    make_prefix(TEMPLATE)
    print(f"template prefix ready: {TEMPLATE}")


def read_bmp(bmp_path):
    """The probe's 24-bit bottom-up BMP as rows of RGB bytes, top row first."""
    with open(bmp_path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(bytes(rgb))
    return rows


def bmp_to_png(bmp_path, png_path):
    """Converts the probe's BMP to PNG without any image library."""
    rows = read_bmp(bmp_path)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", len(rows[0]) // 3, len(rows), 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(b"".join(b"\x00" + row for row in rows), 6)) + chunk(b"IEND", b"")
    with open(png_path, "wb") as f:
        f.write(png)


def copy_prefix(template, prefix):
    """Copies a prefix in about a second: Wine's own DLLs (hundreds of megabytes under
    drive_c/windows) are hard links, since nothing writes them; everything else is copied."""
    shared = os.path.join(template, "drive_c", "windows") + os.sep

    def copy(source, target):
        (os.link if source.startswith(shared) else shutil.copy2)(source, target)

    # The server's lock file belongs to the template's own (already ended) server.
    shutil.copytree(template, prefix, symlinks=True, copy_function=copy,
                    ignore=lambda folder, names: ["wineserver"] if folder == template else [])


def start_wineserver(env):
    """Starts the prefix's wineserver before any program, and keeps it until stop_wineserver.
    Debian's Wine lets the first client of a prefix pick the server's folder, and a server that
    ends by itself when its last program ends can pull that folder away from under the next
    program to start; one server for the whole session has neither race."""
    subprocess.run([wineserver_binary(), "-p"], env=env, timeout=30, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_wineserver(env):
    """Ends the prefix's wineserver and everything running in it, and waits until it is gone:
    a new prefix at the same inode must not meet the old server's socket on its way out."""
    subprocess.run([wineserver_binary(), "-k"], env=env, timeout=30)
    subprocess.run([wineserver_binary(), "-w"], env=env, timeout=30)
    # Debian's Wine names the server's folder under /tmp in the prefix; it outlives the server.
    try:
        with open(os.path.join(env["WINEPREFIX"], "wineserver")) as f:
            name = f.read().strip()
    except OSError:
        name = ""
    if name.startswith("wine-") and os.sep not in name:
        shutil.rmtree(os.path.join("/tmp", name), ignore_errors=True)


def take_screenshot(prefix, display, png_path):
    """Saves what a display shows as PNG, through the probe running in the given prefix."""
    bmp = os.path.splitext(png_path)[0] + ".bmp"
    run_checked([wine_binary(), PROBE_EXE, "screenshot", windows_path(bmp)], base_env(prefix, display),
                30, "probe screenshot")
    bmp_to_png(bmp, png_path)
    os.remove(bmp)


class Xvfb:
    """A private X display; the server picks a free number and tells it through a pipe."""

    def __init__(self, size="1024x768x24"):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)  # a Ctrl+C meant for the caller must not take the display away
        os.close(write_end)
        number, deadline = b"", time.monotonic() + 20
        while not number.endswith(b"\n"):
            ready = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))[0]
            piece = os.read(read_end, 16) if ready else b""
            if not piece:
                break
            number += piece
        os.close(read_end)
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        self.process.terminate()
        end_process(self.process)


class Session:
    """One test's world: a prefix copied from the template, a display, and what runs in them."""

    def __init__(self, name, with_display=True):
        self.name = name
        self.folder = os.path.join(WORK, "tests", name)
        if os.path.exists(self.folder):
            # Moved aside, not deleted: Wine names a prefix's server after the prefix folder's
            # inode, and a freed inode handed to a new prefix while the old server is still on its
            # way out makes the new one fail to start. make-template clears the attic.
            attic = os.path.join(WORK, "attic")
            os.makedirs(attic, exist_ok=True)
            os.rename(self.folder, os.path.join(attic, f"{name}-{time.time_ns()}"))
        os.makedirs(self.folder)
        self.prefix = os.path.join(self.folder, "prefix")
        if not os.path.isdir(TEMPLATE):
            raise RuntimeError(f"no template prefix at {TEMPLATE}: run `harness.py make-template` first")
        copy_prefix(TEMPLATE, self.prefix)
        self.xvfb = Xvfb() if with_display else None
        self.env = base_env(self.prefix, self.xvfb.display if self.xvfb else None)
        self.processes = []
        start_wineserver(self.env)
        self.launches = 0

    def __enter__(self):
        return self

    def __exit__(self, kind, value, traceback):
        if kind is not None:
            self.keep_screenshot()
        self.close()
        return False

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.terminate()
        stop_wineserver(self.env)
        for process in self.processes:
            end_process(process)
        if self.xvfb:
            self.xvfb.stop()

    def keep_screenshot(self):
        if not self.xvfb:
            return
        png = os.path.join(self.folder, "failure.png")
        try:
            take_screenshot(self.prefix, self.xvfb.display, png)
            print(f"screenshot of the failed test's display: {png}", file=sys.stderr)
        except Exception as error:  # the screenshot must never hide the test's own failure
            print(f"no screenshot: {error}", file=sys.stderr)

    def _output_stem(self, exe):
        """Each launch keeps its output in the test's folder, for the post-mortem."""
        self.launches += 1
        return os.path.join(self.folder, f"{self.launches:03d}-{os.path.basename(exe)}")

    def _output_files(self, exe):
        stem = self._output_stem(exe)
        return open(stem + ".out", "w+"), open(stem + ".err", "w+")

    def start(self, exe, *args):
        """Starts a program and returns its process, whose `out` and `err` name the files its
        standard output and error go to."""
        stem = self._output_stem(exe)
        with open(stem + ".out", "w+") as out, open(stem + ".err", "w+") as err:
            process = subprocess.Popen([wine_binary(), exe, *args], env=self.env, stdout=out, stderr=err,
                                       stdin=subprocess.DEVNULL)
        process.out, process.err = stem + ".out", stem + ".err"
        self.processes.append(process)
        return process

    def run(self, exe, *args, timeout=60):
        for attempt in range(3):
            out, err = self._output_files(exe)
            with out, err:
                done = run_to_files([wine_binary(), exe, *args], self.env, timeout, out, err)
            # Now and then, on a busy machine, Wine's loader cannot place the process's shared
            # page and gives up before the program runs: the launch, not the program, failed.
            if done.returncode == 0 or WINE_LOADER_FAILURE not in done.stderr:
                return done
        return done

    def start_lumora(self, *args):
        return self.start(LUMORA_EXE, *args)

    def wait_started(self, timeout=30):
        """Returns lumora.exe's worker window once its message loop runs: every start-up step
        (settings read and saved, Run value, device set) is then behind it, whatever their order."""
        return self.probe_json("wait-loop", "Worker", str(timeout * 1000), timeout=timeout + 30)[0]

    def quit_lumora(self, process, timeout=15):
        """Ends lumora.exe the way its Exit command does and returns its exit code."""
        self.probe("quit", "Worker")
        return process.wait(timeout)

    def probe(self, *args, timeout=30):
        done = self.run(PROBE_EXE, *args, timeout=timeout)
        if done.returncode != 0:
            raise AssertionError(f"probe {' '.join(args)} exited {done.returncode:#x}: {done.stderr.strip()}")
        return done.stdout

    def probe_json(self, *args, timeout=30):
        return [json.loads(line) for line in self.probe(*args, timeout=timeout).splitlines() if line.strip()]

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def write_scenario(self, text):
        path = self.drive_c("lumora-test", "scenario.txt")
        temporary = path + ".new"
        with open(temporary, "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(temporary, path)  # the provider never sees half a file

    def write_settings(self, data):
        """Writes settings.ini: text with its own line ends, or bytes."""
        path = settings_path(self)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data.encode("latin-1") if isinstance(data, str) else data)

    def launch(self, settings, *args, scenario=None):
        """Starts lumora.exe on these settings (None: whatever the prefix holds) and scenario (two
        resting drives unless given), and returns it once its message loop runs."""
        self.write_scenario(disks() if scenario is None else scenario)
        if settings is not None:
            self.write_settings(settings)
        process = self.start_lumora(*args)
        self.wait_started()
        return process

    def set_live_counters(self):
        """Switches this prefix's counter source to this machine's real disks."""
        run_checked([wine_binary(), "reg", "delete", PROVIDER_KEY, "/v", "Scenario", "/f"],
                    self.env, 60, "reg delete Scenario")


def end_process(process, grace=10):
    """Waits up to grace seconds for a process that was asked to end, then kills it."""
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def cpu_seconds(pid):
    """utime + stime of a process, or None once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rpartition(")")[2].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def context_switches(pid):
    """How often the process's threads have given up the processor or been made to: each time a
    Wine program wakes up, for a timer say, costs a few."""
    total = 0
    for thread in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{thread}/status") as f:
            total += sum(int(line.split()[1]) for line in f if line.split(":")[0].endswith("ctxt_switches"))
    return total


def resident_kb(pid, field):
    """The peak (VmHWM) or present (VmRSS) resident memory of a process."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise RuntimeError(f"no {field} for process {pid}")


def wait_until(condition, timeout, interval=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def settings_path(session):
    return session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator", "settings.ini")


def counters(queue=0, read_queue=0, write_queue=0, read_bytes=0, write_bytes=0, reads=0, writes=0):
    """A disk's counters as lumora.exe reads them: queue time, bytes and requests, zero unless given."""
    return [(1400, QUEUE, 8, queue), (226, BULK, 8, read_bytes), (228, BULK, 8, write_bytes),
            (214, COUNTER, 4, reads), (216, COUNTER, 4, writes),
            (1402, QUEUE, 8, read_queue), (1404, QUEUE, 8, write_queue)]


def disks(step=0, reads=0, writes=0, drives=2):
    """Drives and volume C:; drive 0 has queued `reads` and `writes` per step, the rest rest."""
    drive0 = counters(queue=step * (reads + writes or 1) if reads or writes else 0,
                      read_queue=step * reads, write_queue=step * writes)
    others = [(str(number), counters()) for number in range(1, drives)]
    return scenario_text([
        (234, [("0 C:", drive0), *others, ("_Total", counters())]),
        (236, [("C:", counters()), ("_Total", counters())]),
    ])


class ScenarioWriter:
    """Rewrites a session's scenario every `period` seconds from text(step, pattern), faster than
    the ticks, so that every tick finds the disks moved on. The pattern changes under the lock,
    so that no write of the old pattern lands after set() returns."""

    def __init__(self, session, text, pattern=None, period=0.02):
        self.session, self.text, self.pattern, self.period = session, text, pattern, period
        self.stop, self.lock = threading.Event(), threading.Lock()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def set(self, pattern):
        with self.lock:
            self.pattern = pattern

    def write(self, step):
        with self.lock:
            self.session.write_scenario(self.text(step, self.pattern))

    def run(self):
        step = 0
        while not self.stop.wait(self.period):
            step += 1
            self.write(step)

    def __enter__(self):
        self.write(0)
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stop.set()
        self.thread.join()


def tray_icons(session):
    """[(rectangle, visible)] of the icons in Wine's tray window; [] while the tray is hidden."""
    if not any(window["visible"] for window in session.probe_json("windows", TRAY)):
        return []
    return [(window["rect"], window["visible"]) for window in session.probe_json("children", TRAY)
            if window["class"] == TRAY_ICON]


def screen(session):
    """The screen's colour at (x, y) as RRGGBB, from one screenshot."""
    bmp = session.drive_c("lumora-test", "screen.bmp")
    session.probe("screenshot", windows_path(bmp))
    rows = read_bmp(bmp)
    return lambda x, y: rows[y][3 * x:3 * x + 3].hex().upper()


def main(argv):
    if argv[1:] == ["make-template"]:
        make_template()
        return 0
    if len(argv) == 5 and argv[1] == "screenshot":
        take_screenshot(argv[2], argv[3], argv[4])
        return 0
    print(__doc__)
    print("usage: harness.py make-template | harness.py screenshot PREFIX DISPLAY OUT.png")
    return 2


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main(sys.argv))
