"""The tray icon and the ScrollLock key of the running lumora.exe under Wine: the icon is there
when the user wants it, shows a second activity lamp with UseTrayLed, and goes with the program;
in key mode the ScrollLock state follows reading and writing. Wine's standalone tray holds each
icon as a 20 x 20 child window, the first at 3,22 on screen.

led_check.exe first runs the keyboard LED's real Win32 operations: the update tick's three calls,
with the ScrollLock state a tick later (Wine applies a synthetic key press inside the call), and
where the "Kbd" device name points while the LED lives and after. A thread under Wine 8 does not
see a key toggled before its message queue existed, so every run starts and ends with ScrollLock
off."""
import json
import time
import unittest

import harness
from common import settings_ini, test_tool
from harness import TRAY_ACTIVE as ACTIVE_LAMP, TRAY_IDLE as IDLE_LAMP, disks, tray_icons
from x11 import XDisplay

# The lamp of tools/make_icons.py's 16 x 16 drawing, centred in the first icon's window.
TRAY_LAMP = (16, 32)
TIP = "Lumora Indicator  - HDD activity monitor"
LED_CHECK_EXE = test_tool("led_check")


class ScrollLockWatch:
    """probe's account of the ScrollLock state as another process sees it, one line a change."""

    def __init__(self, session):
        self.path = session.start(harness.PROBE_EXE, "watch-scroll-lock", "120000").out
        self.seen = 0

    def lines(self):
        with open(self.path) as f:
            return f.read().split()

    def wait_lit(self, what):
        """Waits for the key to go on after the last wait; a busy disk keeps it toggling."""
        start = self.seen
        harness.wait_until(lambda: "on" in self.lines()[start:], 20, what=what)

    def wait_settled_off(self, what, quiet=1.0):
        last = {"count": -1, "since": 0.0}

        def settled():
            lines = self.lines()
            if len(lines) != last["count"]:
                last.update(count=len(lines), since=time.monotonic())
            return lines[-1:] == ["off"] and time.monotonic() - last["since"] >= quiet
        harness.wait_until(settled, 20, what=what)

    def mark(self):
        self.seen = len(self.lines())


class TrayIcon(unittest.TestCase):
    def wait_lamp(self, session, colour, what):
        harness.wait_until(lambda: session.probe("pixel", *map(str, TRAY_LAMP)).strip() == colour, 20,
                           interval=0.05, what=what)

    def led_ticks(self, session, *ticks):
        done = session.run(LED_CHECK_EXE, "50", *ticks)  # one tick each 50 ms
        self.assertEqual(done.returncode, 0, done.stderr)
        lines = [json.loads(line) for line in done.stdout.splitlines() if line.strip()]
        self.assertEqual(lines[0], {"kbd": "\\Device\\KeyboardClass0"})
        self.assertEqual(lines[-1], {"kbdAfter": None}, "the LED removes the name it defined")
        return [line["scrollLock"] for line in lines[1:-1]]

    def test_the_icon_shows_as_the_settings_say_lights_with_scroll_lock(self):
        with harness.Session("tray") as session:
            # Key mode; a state that only reads lights it; then the option goes off after a lit
            # tick, and the ticks without the option leave the key alone.
            self.assertEqual(self.led_ticks(session, "k0", "k10000", "k1", "k0", "k80", "k1", "o1", "o0"),
                             [False, True, True, False, True, True, False, False])
            # Direct access never presses the key and clears what key mode lit (Wine has no keyboard
            # class device to open, so direct access shows nothing, quietly); the option off again.
            self.assertEqual(self.led_ticks(session, "k0", "d1", "k1", "d1", "d0", "k1", "k1", "o0"),
                             [False, False, True, False, False, True, True, False])

            def start(tray, lamp):
                return session.launch(settings_ini(ShowTrayIcon=tray, UseTrayLed=lamp, UseKeyboardLed="Yes",
                                                           UseKeyboardLedDirectAccess="No"), "/s")

            # The program's icon is the lit lamp too.
            for tray, lamp, icon in [("No", "Yes", None), ("Yes", "No", ACTIVE_LAMP)]:
                with self.subTest(ShowTrayIcon=tray, UseTrayLed=lamp):
                    process = start(tray, lamp)
                    # The icon is added before the message loop runs, so it would be there by now.
                    self.assertEqual(tray_icons(session), [([3, 22, 23, 42], True)] if icon else [])
                    if icon:
                        self.wait_lamp(session, icon, "the program's icon on a resting disk")
                        with XDisplay(session) as display:
                            display.move_pointer([(12, 31), (13, 32), (14, 32)])
                            harness.wait_until(lambda: TIP in session.probe_json("texts", "tooltips_class32"), 20,
                                               what="the icon's tooltip")
                            display.move_pointer([(500, 500)])  # the tooltip must not cover the next icon
                    self.assertEqual(session.quit_lumora(process), 0)

            process = start("Yes", "Yes")
            self.assertEqual(tray_icons(session), [([3, 22, 23, 42], True)])
            self.wait_lamp(session, IDLE_LAMP, "the idle lamp")
            # Windows says this after a DPI or display change too, and the tray keeps its icons then,
            # as Wine's does: the icon must stay one, and go on following the disks below.
            session.probe("broadcast", "TaskbarCreated")
            scroll_lock = ScrollLockWatch(session)
            # A pattern of None fails the performance data: no tick between sees a disk that merely stopped.
            with harness.ScenarioWriter(session, lambda step, pattern: "fail\n" if pattern is None
                                        else disks(step, *pattern), (0, 0)) as activity:
                for reads, writes, lit, what in [(1, 0, True, "drive 0 reading"), (0, 0, False, "drive 0 resting"),
                                                 (0, 1, True, "drive 0 writing")]:
                    scroll_lock.mark()
                    activity.set((reads, writes))
                    self.wait_lamp(session, ACTIVE_LAMP if lit else IDLE_LAMP, f"the tray lamp, {what}")
                    if lit:
                        scroll_lock.wait_lit(f"ScrollLock on, {what}")
                    else:
                        scroll_lock.wait_settled_off(f"ScrollLock off, {what}")
                # A tick without performance data ends early, and still shows both outputs idle.
                activity.set(None)
                self.wait_lamp(session, IDLE_LAMP, "the tray lamp while the performance data fails")
                scroll_lock.wait_settled_off("ScrollLock off while the performance data fails")
            session.write_scenario(disks())
            self.assertEqual(tray_icons(session), [([3, 22, 23, 42], True)], "still one icon")

            # The tray menu's Exit item is the exit test's.
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(tray_icons(session), [], "the icon went with the program")


if __name__ == "__main__":
    unittest.main()
