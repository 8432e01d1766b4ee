"""The ways out of the running program under Wine: the tray menu's and a lamp's "Exit Lumora",
clicked as a user clicks them, end the program without any lamp reading the record that the
shutdown deleted, and the tray menu opens even when its usual owner window could not be made.

exit_check.exe is the resident program itself (start-up, message loop, shutdown) with the lamp
records in memory that faults when read after their deletion: exit code 3 and the culprit on
stderr. After the shutdown it sends each remaining lamp what a window can still get before its
process ends, and prints how many lamps there were."""
import json
import unittest

import harness
from common import FIRST_TRAY_ICON, IDLE, choose_menu_item, settings_ini, test_tool

EXIT_CHECK_EXE = test_tool("exit_check")
DRIVE1_LAMP = ("28", "8")
# The idle colour of the settings' defaults, in drive 1's lamp clear of its label.
DRIVE1_IDLE = ("33", "12")


class Exit(unittest.TestCase):
    def exit_through(self, session, icon, *args):
        """Starts exit_check.exe, right-clicks the icon or lamp, chooses "Exit Lumora", and returns
        what the tool printed once it has ended cleanly."""
        session.write_scenario(harness.disks())
        session.write_settings(settings_ini(ShowTrayIcon="Yes"))
        process = session.start(EXIT_CHECK_EXE, *args)
        session.wait_started()
        # Under Wine a lamp's menu does not open while the lamps flash at start-up.
        harness.wait_until(lambda: session.probe("pixel", *DRIVE1_IDLE).strip() == IDLE, 20, what="the flash over")
        session.probe("click", *icon, "right")
        choose_menu_item(session, 1)  # "Exit Lumora"
        code = process.wait(20)
        with open(process.err) as err, open(process.out) as out:
            self.assertEqual(code, 0, err.read())
            return json.loads(out.read())

    def test_each_menu_ends_the_program_without_a_lamp_reading_a_deleted_record(self):
        with harness.Session("exit") as session:
            # The tray menu made a hidden window of ours the foreground one; as it goes, activation
            # passes to a lamp whose record has just been deleted.
            self.assertEqual(self.exit_through(session, FIRST_TRAY_ICON), {"lamps": 2})
            # The lamp that was clicked goes with its menu; the other lives on to the end.
            self.assertEqual(self.exit_through(session, DRIVE1_LAMP), {"lamps": 1})
            # Without the hidden window the menu would have no owner and never open.
            self.assertEqual(self.exit_through(session, FIRST_TRAY_ICON, "broken-menu-owner"), {"lamps": 2})


if __name__ == "__main__":
    unittest.main()
