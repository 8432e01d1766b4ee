"""The lamps of the running lumora.exe under Wine: where they stand, how they are made, the
colours they show while the scenario's disks read, write or rest, how they are dragged, and what
they do for a user at work elsewhere. Which kinds of lamp a mode shows is the device set's unit
tests'; reading and writing at once, the label and the DPI are the DPI test's; a see-through lamp
is the Appearance page test's."""
import json
import os
import time
import unittest

import harness
from common import (IDLE, READ, TOPMOST_TOOLWINDOW, WRITE, choose_menu_item, lamp_places, lamps, screen, settings_ini,
                    settings_path, stored_settings, visible_menus, wait_colours)
from harness import disks
from x11 import XDisplay
DRAG_HINT = "Press <Shift> to move all indicators.\nPress <Ctrl> to snap to grid."
HOLDER, WM_CLOSE = "LumoraProbeForeground", 0x10  # the class of probe's hold-foreground window


def lamp_settings(mode, **values):
    return settings_ini(**{"Class": mode, "ShowIndicatorLabel": "No", **values})


class Lamps(unittest.TestCase):
    def test_places_colours_drags_and_no_lamps(self):
        with harness.Session("lamps") as session:
            process = session.launch(lamp_settings(5), "/s")
            # Drives 0 and 1 and the All-In-One lamp: x = 2 + 18 x position in the device list.
            self.assertEqual(lamps(session), [((x, 2, x + 16, 14), TOPMOST_TOOLWINDOW, True) for x in (2, 20, 38)])
            drive0, drive1 = (10, 4), (28, 4)
            # The start-up flash ends in the idle colour.
            wait_colours(session, {drive0: IDLE, drive1: IDLE}, "idle lamps after the flash")
            with harness.ScenarioWriter(session, lambda step, pattern: disks(step, *pattern), (0, 0)) as activity:
                for reads, writes, colours, what in [
                        (1, 0, {drive0: READ, (10, 13): READ, drive1: IDLE}, "drive 0 reading"),
                        (0, 1, {drive0: WRITE, (10, 13): WRITE, drive1: IDLE}, "drive 0 writing"),
                        (0, 0, {drive0: IDLE, (10, 13): IDLE, drive1: IDLE}, "drive 0 resting")]:
                    activity.set((reads, writes))
                    wait_colours(session, colours, what)

            def stored_places():
                stored = stored_settings(session)
                return [tuple(stored.get(name, {}).get(key) for key in "xy")
                        for name in ("Physical Drive 0", "Physical Drive 1", "All-In-One")]

            def drag(start, by, places, what, key=None):
                """Drags and waits for the lamps of drive 0, drive 1 and All-In-One at these places,
                on screen and then in settings.ini, so that no save is due when the next drag begins."""
                # Pressed one pixel inside the lamp's top-left corner, so that every step of the
                # drag stays inside the lamp that follows the pointer.
                x, y = start[0] + 1, start[1] + 1
                with XDisplay(session) as display:
                    display.drag((x, y), (x + by[0], y + by[1]), key)
                harness.wait_until(lambda: lamp_places(session) == sorted(places), 10,
                                   what=f"{what} ({lamp_places(session)})")
                saved = [(str(x), str(y)) for x, y in places]
                harness.wait_until(lambda: stored_places() == saved, 10, what=f"{what}, saved")
                return saved

            drag((20, 2), (13, 20), [(2, 2), (33, 22), (38, 2)], "drive 1 moved alone")
            # With Ctrl, 13 pixels make one step of 8.
            drag((33, 22), (13, 0), [(2, 2), (41, 22), (38, 2)], "a step of 8", XDisplay.CONTROL)
            saved = drag((2, 2), (6, 4), [(8, 6), (47, 26), (44, 6)], "all lamps moved together", XDisplay.SHIFT)

            def file_state():
                with open(settings_path(session), "rb") as f:
                    return f.read(), os.fstat(f.fileno()).st_mtime_ns
            # Saved once: a save that came round again would rewrite the file every second.
            rested = file_state()
            time.sleep(2.5)
            self.assertEqual(file_state(), rested, "settings.ini untouched after the drag's save")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(), saved)

            # No lamp to flash: the 20 ms flash timer, which alone would wake the program 50 times a
            # second, has stopped. The update tick comes once a second, so that little else wakes it.
            process = session.launch(lamp_settings(256, Frequency=1000), "/s")
            self.assertEqual(lamp_places(session), [])
            before, began = harness.context_switches(process.pid), time.monotonic()
            time.sleep(2)
            rate = (harness.context_switches(process.pid) - before) / (time.monotonic() - began)
            self.assertLess(rate, 50, "context switches a second of lumora.exe without lamps")
            self.assertEqual(session.quit_lumora(process), 0)

    def test_tooltips_a_burst_of_device_changes_and_lamps_raised_over_a_window_without_taking_the_keyboard(self):
        with harness.Session("lamps-mode-1") as session:
            process = session.launch(lamp_settings(1), "/s")
            self.assertEqual(lamp_places(session), [(2, 2), (20, 2)])

            def shown_tip(start):
                return next((text for text in session.probe_json("texts", "tooltips_class32") if text.startswith(start)),
                            None)
            with XDisplay(session) as display:
                display.move_pointer([(8, 8), (9, 8), (10, 8)])
                # Wine's drive 0 answers the storage query as a SCSI disk without a model.
                statistics = harness.wait_until(lambda: shown_tip("Physical Drive 0 - SCSI disk\r\n"), 20,
                                                what="the statistics tooltip")
                # Name, totals, rates, requests and queue lengths, each on its own line.
                self.assertRegex(statistics, r"\r\nRead: .*\tWrite: .*\r\nRate KB/sec: ")
                # Under Wine the end of the start-up flash restacks the lamp, which takes the
                # focus and with it the capture from a lamp pressed before.
                wait_colours(session, {(10, 8): IDLE}, "the lamp idle after its flash")
                display.left_button(True)
                try:
                    harness.wait_until(lambda: shown_tip(DRAG_HINT), 20, what="the drag hint while the button is down")
                finally:
                    display.left_button(False)
                # Away from the lamps, so that no tooltip covers what comes next.
                display.move_pointer([(500, 500)])

            session.write_scenario(disks(drives=3))
            for _ in range(3):
                last = time.monotonic()
                session.probe("post", "Worker", str(0x219), "7", "0")  # WM_DEVICECHANGE, DBT_DEVNODES_CHANGED
            harness.wait_until(lambda: lamp_places(session) == [(2, 2), (20, 2), (38, 2)], 20,
                               what="the new drive's lamp")
            self.assertGreaterEqual(time.monotonic() - last, 3.0, "the rebuild waits 3 s after the last notification")
            # A new lamp flashes round the hue circle (one step a tick) and then rests in its own colour.
            seen = []
            harness.wait_until(lambda: seen.append(screen(session)(46, 8)) or seen[-1] == IDLE, 40,
                               interval=0.05, what="the new lamp idle after its flash")
            flash = set(seen[:-1])
            self.assertGreaterEqual(len(flash), 5, f"the flash shows changing colours: {seen}")
            self.assertNotIn(IDLE, flash, f"the flash does not pause in the idle colour: {seen}")

            # The user types in another program's window while the lamps are raised over the cover.
            holder = session.start(harness.PROBE_EXE, "hold-foreground", "60000")
            harness.wait_until(lambda: os.path.getsize(holder.out), 20,
                               what="another program's window in the foreground")
            with XDisplay(session) as display:
                display.cover(60, 30)
                wait_colours(session, {(50, 25): XDisplay.YELLOW}, "the cover on screen")
                # The lamps are put back on top every 10 s; the deadline leaves room for a slow tick.
                wait_colours(session, {(10, 8): IDLE, (28, 8): IDLE, (50, 25): XDisplay.YELLOW},
                             "lamps over the cover")
            session.probe("post", HOLDER, str(WM_CLOSE), "0", "0")
            self.assertEqual(holder.wait(15), 0)
            with open(holder.out) as f:
                self.assertEqual(json.loads(f.read().splitlines()[-1]),
                                 {"deactivated": False, "lostTo": None, "foregroundAtEnd": True},
                                 "the other program keeps the keyboard while the lamps are raised")
            # A lamp's menu stays open through the next pass: a user may take their time.
            session.probe("click", "10", "8", "right")
            harness.wait_until(lambda: visible_menus(session), 10, what="the lamp's menu")
            time.sleep(11)
            self.assertTrue(visible_menus(session), "the menu still open")
            choose_menu_item(session, 1)  # "Exit Lumora"
            self.assertEqual(process.wait(15), 0)


if __name__ == "__main__":
    unittest.main()
