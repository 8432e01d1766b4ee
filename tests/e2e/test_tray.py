"""The tray icon and the ScrollLock key of the running lumora.exe under Wine: the icon is there
when the user wants it, shows a second activity lamp with UseTrayLed, and its menu ends the
program; in key mode the ScrollLock state follows reading and writing. Wine's standalone tray
(no window manager here) is a top-level window that holds each icon as a 20 x 20 child window,
the first at 3,22 on screen, and passes real clicks on it to the program."""
import os
import time
import unittest

import harness
from test_lamps import Activity, XDisplay, disks

TRAY, ICON = "__winex11_standalone_tray", "__winex11_tray_icon"
# The lamp of tools/make_icons.py's 16 x 16 drawing, centred in the first icon's window.
TRAY_LAMP = (16, 32)
# The program's icon is the lit lamp too.
IDLE_LAMP, ACTIVE_LAMP, PROGRAM_ICON = "184020", "30E040", "30E040"
TIP = "Lumora Indicator  - HDD activity monitor"
SETTINGS = ("[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon={tray}\r\nUseTrayLed={lamp}\r\n"
            "UseKeyboardLed=Yes\r\nUseKeyboardLedDirectAccess=No\r\n[Appearance]\r\nFrequency=100\r\n")


def settings_path(session):
    return session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator", "settings.ini")


def tray_icons(session):
    if not any(window["visible"] for window in session.probe_json("windows", TRAY)):
        return []
    return [(window["rect"], window["visible"]) for window in session.probe_json("children", TRAY)
            if window["class"] == ICON]


class FailingScenario:
    """Hands Activity's writes to the session until told to fail, and then only "fail": no tick
    between the two sees a disk that merely stopped."""

    def __init__(self, session):
        self.session, self.failing = session, False

    def write_scenario(self, text):
        self.session.write_scenario("fail\n" if self.failing else text)


class ScrollLockWatch:
    """probe's account of the ScrollLock state as another process sees it, one line a change."""

    def __init__(self, session):
        session.start(harness.PROBE_EXE, "watch-scroll-lock", "120000")
        self.path = os.path.join(session.folder, f"{session.launches:03d}-probe.exe.out")
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
    def start(self, session, tray, lamp="Yes"):
        session.write_scenario(disks())
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS.format(tray=tray, lamp=lamp))
        process = session.start_lumora("/s")
        session.wait_started()
        return process

    def wait_lamp(self, session, colour, what):
        harness.wait_until(lambda: session.probe("pixel", *map(str, TRAY_LAMP)).strip() == colour, 20,
                           interval=0.05, what=what)

    def test_the_settings_choose_whether_an_icon_shows_and_which(self):
        for tray, lamp, icon in [("No", "Yes", None), ("Yes", "No", PROGRAM_ICON)]:
            with self.subTest(ShowTrayIcon=tray, UseTrayLed=lamp), harness.Session("tray-settings") as session:
                process = self.start(session, tray, lamp)
                # The icon is added before the message loop runs, so it would be there by now.
                self.assertEqual(tray_icons(session), [([3, 22, 23, 42], True)] if icon else [])
                if icon:
                    self.wait_lamp(session, icon, "the program's icon on a resting disk")
                    with XDisplay(session) as display:
                        display.move_pointer([(12, 31), (13, 32), (14, 32)])
                        harness.wait_until(lambda: TIP in session.probe_json("texts", "tooltips_class32"), 20,
                                           what="the icon's tooltip")
                self.assertEqual(session.quit_lumora(process), 0)

    def test_the_icon_and_scroll_lock_are_lamps_and_the_menu_ends_the_program(self):
        with harness.Session("tray") as session:
            process = self.start(session, tray="Yes")
            self.assertEqual(tray_icons(session), [([3, 22, 23, 42], True)])
            self.wait_lamp(session, IDLE_LAMP, "the idle lamp")
            scroll_lock = ScrollLockWatch(session)
            scenario = FailingScenario(session)
            with Activity(scenario) as activity:
                for reads, writes, lit, what in [(1, 0, True, "drive 0 reading"), (0, 0, False, "drive 0 resting"),
                                                 (0, 1, True, "drive 0 writing")]:
                    scroll_lock.mark()
                    activity.set(reads, writes)
                    self.wait_lamp(session, ACTIVE_LAMP if lit else IDLE_LAMP, f"the tray lamp, {what}")
                    if lit:
                        scroll_lock.wait_lit(f"ScrollLock on, {what}")
                    else:
                        scroll_lock.wait_settled_off(f"ScrollLock off, {what}")
                # A tick without performance data ends early, and still shows both outputs idle.
                with activity.lock:
                    scenario.failing = True
                self.wait_lamp(session, IDLE_LAMP, "the tray lamp while the performance data fails")
                scroll_lock.wait_settled_off("ScrollLock off while the performance data fails")
            session.write_scenario(disks())

            # Exit writes the whole file again: every lamp's place among it.
            os.remove(settings_path(session))
            session.probe("click", "13", "32", "right")
            menu = session.probe_json("wait-window", "#32768", "10000")[0]["rect"]
            # "Exit Lumora" is the second of the menu's two items.
            session.probe("click", str(menu[0] + 20), str((menu[1] + 3 * menu[3]) // 4))
            self.assertEqual(process.wait(15), 0)
            with open(settings_path(session), encoding="latin-1") as f:
                self.assertIn("[Physical Drive 0]\nx=2\ny=2\nvisible=Yes\n", f.read())
            self.assertEqual(tray_icons(session), [], "the icon went with the program")


if __name__ == "__main__":
    unittest.main()
