#!/usr/bin/env python3
"""`make run`: lumora.exe under Wine, fed with this machine's real disk counters.

The Wine prefix is the user's own for this program (created on first use, kept between runs):
$XDG_DATA_HOME/lumora-indicator/wineprefix. Without a DISPLAY a private Xvfb display is
started. Ctrl+C ends the program, its wineserver and the display.
"""
import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "wine"))
import harness  # noqa: E402


def user_prefix():
    data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    return os.path.join(data, "lumora-indicator", "wineprefix")


def probe(*args, env):
    subprocess.run([harness.wine_binary(), harness.PROBE_EXE, *args], env=env, timeout=150,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    prefix = user_prefix()
    if not os.path.isdir(os.path.join(prefix, "drive_c")):
        print(f"Creating the Wine prefix {prefix} (once; about half a minute)...")
        harness.make_prefix(prefix, scenario=False)
    else:
        # The counter source's path may have changed with the checkout; registering is cheap.
        harness.register_counter_source(prefix, harness.base_env(prefix), scenario=False)

    xvfb = None
    display = os.environ.get("DISPLAY")
    if not display:
        xvfb = harness.Xvfb()
        display = xvfb.display
        print(f"No DISPLAY: started Xvfb on {display}. To take a screenshot of it:\n"
              f"  python3 tools/wine/harness.py screenshot {prefix} {display} shot.png")
    env = harness.base_env(prefix, display)
    harness.start_wineserver(env)
    # Its own session, so that Ctrl+C reaches only this script, which then asks the program to
    # quit the way Windows would end its message loop: its shutdown still saves the settings.
    program = subprocess.Popen([harness.wine_binary(), harness.LUMORA_EXE], env=env, start_new_session=True)
    code = 1
    try:
        probe("wait-window", "Worker", "120000", env=env)
        print("lumora.exe is running; Ctrl+C ends it.", flush=True)
        code = program.wait()
        print(f"lumora.exe ended with code {code}.")
    except KeyboardInterrupt:
        print("\nEnding lumora.exe...")
        # Ctrl+C may come before the program has made its worker window, which receives the quit.
        probe("wait-window", "Worker", "30000", env=env)
        probe("quit", "Worker", env=env)
        try:
            code = program.wait(30)
            print(f"lumora.exe ended with code {code}.")
        except subprocess.TimeoutExpired:
            print("lumora.exe did not end when asked.")
    finally:
        harness.stop_wineserver(env)
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
        if xvfb:
            xvfb.stop()
    # The program's own exit code, so that a failed shutdown shows in `make run`'s status.
    return code


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    # A shell without job control starts background commands with Ctrl+C ignored, and Python
    # keeps it ignored: make run under a CI runner or `nohup ... &` would then never end.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    sys.exit(main())
