"""Lamps that no monitor shows come back onto the screen, at start-up and when the screen
shrinks under the running lumora.exe; a lamp that shows a corner stays where it was put."""
import unittest

import harness
from common import lamp_places, settings_ini, stored_settings
from x11 import shrink_screen

WM_DISPLAYCHANGE = 0x007E


def stored_places(session, *sections):
    stored = stored_settings(session)
    return [(stored.get(section, {}).get("x"), stored.get(section, {}).get("y")) for section in sections]


def settings(places, hidden=()):
    extra = "".join(f"[Physical Drive {number}]\r\nx={x}\r\ny={y}\r\n" for number, (x, y) in enumerate(places))
    extra += "".join(f"[Physical Drive {number}]\r\nx={x}\r\ny={y}\r\nvisible=No\r\n" for number, x, y in hidden)
    return settings_ini(extra=extra, ShowIndicatorLabel="No")


class OffscreenLamps(unittest.TestCase):
    def test_a_lost_lamp_comes_onto_the_screen_at_start_and_keeps_its_new_place(self):
        with harness.Session("offscreen-start") as session:
            # Drive 0 from another machine's far monitor; drive 1 shows its top-left corner;
            # drive 2 is switched off and has no lamp to bring back.
            process = session.launch(settings([(5000, 5000), (1015, 760)], hidden=[(2, 5000, 5000)]), "/s",
                                     scenario=harness.disks(drives=3))
            harness.wait_until(lambda: lamp_places(session) == [(1008, 756), (1015, 760)], 20,
                               what="drive 0's lamp in the screen's far corner, drive 1's where it was")
            sections = ("Physical Drive 0", "Physical Drive 1", "Physical Drive 2")
            # Written with the start-up's own save, before anything else could write it.
            self.assertEqual(stored_places(session, *sections[:2]), [("1008", "756"), ("1015", "760")])
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(session, *sections), [("1008", "756"), ("1015", "760"), ("5000", "5000")])

    def test_a_lamp_left_off_a_shrunken_screen_comes_back(self):
        with harness.Session("offscreen-display-change") as session:
            process = session.launch(settings([(900, 700), (790, 590)]), "/s")
            harness.wait_until(lambda: lamp_places(session) == [(790, 590), (900, 700)], 20, what="the stored places")
            shrink_screen(session.xvfb.display, 800, 600)
            # Wine tells its windows when a Windows program changes the resolution, not when
            # the X server does; lumora.exe is told here as Windows would tell it.
            session.probe("post", "LUMORADisplayWatch", str(WM_DISPLAYCHANGE), "24", str(600 << 16 | 800))
            harness.wait_until(lambda: lamp_places(session) == [(784, 588), (790, 590)], 20,
                               what="drive 0's lamp in the smaller screen's corner, drive 1's left alone")
            harness.wait_until(lambda: stored_places(session, "Physical Drive 0") == [("784", "588")], 10,
                               what="the new place in settings.ini before the program ends")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(session, "Physical Drive 0", "Physical Drive 1"),
                             [("784", "588"), ("790", "590")])


if __name__ == "__main__":
    unittest.main()
