"""The General page of the running lumora.exe under Wine: its lists of drives and disks, the mode
boxes and "Start with Windows", each clicked as a user clicks them, with the lamps, the Run value
and settings.ini they change."""
import unittest

import harness
from harness import counters
from perfdata import scenario_text
from common import lamp_places, quoted_command, run_value, settings_ini, stored_settings
from options_page import centre, controls, frame

# Two drives and two volumes that the prefix does not have, so that the volumes keep their bare
# names. Lamps start at x = 2 + 18 x place in the set: drive 0, drive 1, All-In-One, M:, N:.
SCENARIO = scenario_text([
    (234, [("0 M:", counters()), ("1 N:", counters()), ("_Total", counters())]),
    (236, [("M:", counters()), ("N:", counters()), ("_Total", counters())]),
])
# Drive 0 was dragged away from its start place, beside the options window.
DRIVE0, DRIVE1, ALL_IN_ONE, VOLUME_M, VOLUME_N = (600, 300), (20, 2), (38, 2), (56, 2), (74, 2)
PLACES = "[Physical Drive 0]\r\nx=600\r\ny=300\r\n[Physical Drive 1]\r\nvisible=No\r\n"
PHYSICAL_BOX = "Physical drive -  Every indicator displays the state of the single hard disk"
LOGICAL_BOX = "Logical disks - Every indicator displays the state of the single logical drive"
ALL_IN_ONE_BOX = "'All-in-one' - Show all devices activity in one indicator"
START_BOX = "Start with Windows"
WHERE_BUTTON = "Where are my indicators?"
# Inside the first lamp in the top row, clear of its label; the idle colour after a reset.
FIRST_LAMP, RESET_IDLE = ("16", "12"), "0000FF"
# A list item's height in Wine's dialog font, and the colours of a selected and an unselected item.
ITEM_HEIGHT, SELECTED, UNSELECTED = 13, "3096FA", "FFFFFF"


class GeneralPage(unittest.TestCase):
    def start(self, session, mode):
        settings = settings_ini(Class=mode, StartWithWindows=1, ColorOff=65535, Frequency=1000, extra=PLACES)
        process = session.launch(settings, scenario=SCENARIO)
        frame(session)
        return process

    def item_point(self, list_rect, item):
        # Right of the names, where only the item's background shows.
        return list_rect[2] - 12, list_rect[1] + 2 + ITEM_HEIGHT * item + ITEM_HEIGHT // 2

    def selections(self, session, lists):
        """[[selected?] per item] for the two lists' first two items, read from the screen."""
        seen = [[session.probe("pixel", *map(str, self.item_point(rect, item))).strip() for item in range(2)]
                for rect in lists]
        self.assertLessEqual(set(seen[0] + seen[1]), {SELECTED, UNSELECTED}, f"the items' backgrounds: {seen}")
        return [[value == SELECTED for value in colours] for colours in seen]

    def wait_lamps(self, session, places, what):
        harness.wait_until(lambda: lamp_places(session) == sorted(places), 10,
                           what=f"{what}: lamps at {sorted(places)}, not {lamp_places(session)}")

    def test_names_and_boxes_choose_the_lamps_and_the_file_keeps_them_and_a_name_ends_no_indicators(self):
        with harness.Session("general-page") as session:
            process = self.start(session, mode=3)
            # The physical and the logical list, top to bottom.
            lists = physical, logical = [child["rect"] for child in controls(session, **{"class": "ListBox"})]
            self.wait_lamps(session, [DRIVE0, VOLUME_M, VOLUME_N], "as the settings have them")
            harness.wait_until(lambda: self.selections(session, lists) == [[True, False], [True, True]], 10,
                               what="the lists selected as the settings have them")

            def click_item(list_rect, item):
                session.probe("click", *map(str, self.item_point(list_rect, item)))

            def click_box(title):
                session.probe("click", *centre(controls(session, title=title)[0]["rect"]))

            for what, click, places, selected in [
                    ("drive 1 chosen", lambda: click_item(physical, 1),
                     [DRIVE0, DRIVE1, VOLUME_M, VOLUME_N], [[True, True], [True, True]]),
                    ("drive 1 dropped", lambda: click_item(physical, 1),
                     [DRIVE0, VOLUME_M, VOLUME_N], [[True, False], [True, True]]),
                    # The drives keep their choice in the list while their kind is off.
                    ("physical drives off", lambda: click_box(PHYSICAL_BOX),
                     [VOLUME_M, VOLUME_N], [[True, False], [True, True]]),
                    ("a drive chosen switches its kind on", lambda: click_item(physical, 1),
                     [DRIVE0, DRIVE1, VOLUME_M, VOLUME_N], [[True, True], [True, True]]),
                    ("volume N: dropped", lambda: click_item(logical, 1),
                     [DRIVE0, DRIVE1, VOLUME_M], [[True, True], [True, False]]),
                    ("logical disks off", lambda: click_box(LOGICAL_BOX),
                     [DRIVE0, DRIVE1], [[True, True], [True, False]]),
                    ("all-in-one on", lambda: click_box(ALL_IN_ONE_BOX),
                     [DRIVE0, DRIVE1, ALL_IN_ONE], [[True, True], [True, False]])]:
                with self.subTest(what):
                    click()
                    self.wait_lamps(session, places, what)
                    self.assertEqual(self.selections(session, lists), selected, what)

            for value in ["REG_SZ ", quoted_command(), "REG_SZ "]:
                click_box(START_BOX)
                harness.wait_until(lambda: run_value(session) == value, 10,
                                   what=f"the Run value {value!r}, not {run_value(session)!r}")

            # The shown lamps line up along the top from x 2, and the colours and interval are reset.
            click_box(WHERE_BUTTON)
            self.wait_lamps(session, [(2, 2), (20, 2), (38, 2)], "lined up")
            # Each lamp flashes for a hundred ticks so that the user finds it, and then rests in the
            # reset idle blue: five seconds at the reset interval of 50 ms, where the second it
            # replaces would take a hundred.
            harness.wait_until(lambda: session.probe("pixel", *FIRST_LAMP).strip() != RESET_IDLE, 10, what="the flash")
            harness.wait_until(lambda: session.probe("pixel", *FIRST_LAMP).strip() == RESET_IDLE, 30,
                               what="the flash over at the new interval")

            self.assertEqual(session.quit_lumora(process), 0)
            stored = stored_settings(session)
            self.assertEqual([stored[section][key] for section, key in [
                ("General", "Class"), ("General", "StartWithWindows"), ("Appearance", "Frequency"),
                ("Appearance", "ColorOff"), ("Physical Drive 0", "x"), ("Physical Drive 0", "y")]],
                ["5", "0", "50", "16711680", "2", "2"])
            self.assertEqual({name: stored[name]["visible"] for name in
                              ["Physical Drive 0", "Physical Drive 1", "All-In-One", "M:", "N:"]},
                             {"Physical Drive 0": "Yes", "Physical Drive 1": "Yes", "All-In-One": "Yes",
                              "M:": "Yes", "N:": "No"})

            # Without indicators, a name chosen shows the physical drives alone.
            process = self.start(session, mode=256)
            self.assertEqual(lamp_places(session), [], "no lamps")
            click_item(controls(session, **{"class": "ListBox"})[0]["rect"], 1)
            self.wait_lamps(session, [DRIVE0, DRIVE1], "drives after a name is chosen")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_settings(session)["General"]["Class"], "1", "a kind, not a kind and 'none'")


if __name__ == "__main__":
    unittest.main()
