"""The General page of the running lumora.exe under Wine: an item of each device list, a mode box,
"Start with Windows" and "Where are my indicators?", each clicked as a user clicks it, with the
lamps, the Run value and settings.ini they change. Which lamps each kind of click chooses is the
unit tests' table; here each control is wired to it."""
import unittest

import harness
from harness import counters
from perfdata import scenario_text
from common import lamp_places, run_value, settings_ini, stored_settings
from options_page import click, controls, frame

# Two drives and two volumes that the prefix does not have, so that the volumes keep their bare
# names. Lamps start at x = 2 + 18 x place in the set: drive 0, drive 1, All-In-One, M:, N:.
SCENARIO = scenario_text([
    (234, [("0 M:", counters()), ("1 N:", counters()), ("_Total", counters())]),
    (236, [("M:", counters()), ("N:", counters()), ("_Total", counters())]),
])
# Drive 0 was dragged away from its start place, beside the options window.
DRIVE0, DRIVE1, ALL_IN_ONE, VOLUME_M, VOLUME_N = (600, 300), (20, 2), (38, 2), (56, 2), (74, 2)
PLACES = "[Physical Drive 0]\r\nx=600\r\ny=300\r\n[Physical Drive 1]\r\nvisible=No\r\n"
ALL_IN_ONE_BOX = "'All-in-one' - Show all devices activity in one indicator"
# Inside the first lamp in the top row, clear of its label; the idle colour after a reset.
FIRST_LAMP, RESET_IDLE = ("16", "12"), "0000FF"
ITEM_HEIGHT = 13  # a list item's height in Wine's dialog font


class GeneralPage(unittest.TestCase):
    def wait_lamps(self, session, places, what):
        harness.wait_until(lambda: lamp_places(session) == sorted(places), 10,
                           what=f"{what}: lamps at {sorted(places)}, not {lamp_places(session)}")

    def test_a_list_item_a_mode_box_start_with_windows_and_where_are_my_indicators(self):
        with harness.Session("general-page") as session:
            settings = settings_ini(Class=3, StartWithWindows=1, ColorOff=65535, Frequency=1000, extra=PLACES)
            process = session.launch(settings, scenario=SCENARIO)
            frame(session)
            # The physical and the logical list, top to bottom.
            physical, logical = [child["rect"] for child in controls(session, **{"class": "ListBox"})]
            self.wait_lamps(session, [DRIVE0, VOLUME_M, VOLUME_N], "as the settings have them")

            def click_second_item(list_rect):
                # Right of the names; an apply reads what the list selected from the records.
                session.probe("click", str(list_rect[2] - 12), str(list_rect[1] + 2 + ITEM_HEIGHT * 3 // 2))
            for what, click_it, places in [
                    ("drive 1 chosen", lambda: click_second_item(physical), [DRIVE0, DRIVE1, VOLUME_M, VOLUME_N]),
                    ("volume N: dropped", lambda: click_second_item(logical), [DRIVE0, DRIVE1, VOLUME_M]),
                    ("all-in-one on", lambda: click(session, title=ALL_IN_ONE_BOX),
                     [DRIVE0, DRIVE1, ALL_IN_ONE, VOLUME_M])]:
                with self.subTest(what):
                    click_it()
                    self.wait_lamps(session, places, what)

            # The settings had it on, so the start wrote the command; the click empties it.
            click(session, title="Start with Windows")
            harness.wait_until(lambda: run_value(session) == "REG_SZ ", 10,
                               what=f"the Run value emptied, not {run_value(session)!r}")

            # The shown lamps line up along the top from x 2, and the colours and interval are reset.
            click(session, title="Where are my indicators?")
            self.wait_lamps(session, [(2, 2), (20, 2), (38, 2), (56, 2)], "lined up")
            # Each lamp flashes for a hundred ticks so that the user finds it, and then rests in the
            # reset idle blue: five seconds at the reset interval of 50 ms, where the second it
            # replaces would take a hundred.
            harness.wait_until(lambda: session.probe("pixel", *FIRST_LAMP).strip() != RESET_IDLE, 10, what="the flash")
            harness.wait_until(lambda: session.probe("pixel", *FIRST_LAMP).strip() == RESET_IDLE, 30,
                               what="the flash over at the new interval")

            self.assertEqual(session.quit_lumora(process), 0)
            stored = stored_settings(session)
            self.assertEqual([stored["General"]["Class"], stored["General"]["StartWithWindows"]], ["7", "0"])
            self.assertEqual([stored[name]["visible"] for name in ["Physical Drive 1", "All-In-One", "N:"]],
                             ["Yes", "Yes", "No"])


if __name__ == "__main__":
    unittest.main()
