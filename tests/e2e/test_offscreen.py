"""Lamps that no monitor shows come back onto the screen, at start-up and when the screen
shrinks under the running lumora.exe; a lamp that shows a corner stays where it was put (the
rule itself is the lamp rescue's unit tests')."""
import unittest

import harness
from common import lamp_places, settings_ini, stored_settings
from x11 import shrink_screen

WM_DISPLAYCHANGE = 0x007E


def stored_places(session, *sections):
    stored = stored_settings(session)
    return [(stored.get(section, {}).get("x"), stored.get(section, {}).get("y")) for section in sections]


class OffscreenLamps(unittest.TestCase):
    def test_a_lost_lamp_comes_onto_the_screen_at_start_and_when_the_screen_shrinks(self):
        with harness.Session("offscreen") as session:
            # Drive 0 from another machine's far monitor; drive 1 will show only its top-left corner
            # once the screen shrinks; drive 2 is switched off and has no lamp to bring back.
            places = ("[Physical Drive 0]\r\nx=5000\r\ny=5000\r\n[Physical Drive 1]\r\nx=790\r\ny=590\r\n"
                      "[Physical Drive 2]\r\nx=5000\r\ny=5000\r\nvisible=No\r\n")
            process = session.launch(settings_ini(extra=places, ShowIndicatorLabel="No"), "/s",
                                     scenario=harness.disks(drives=3))
            harness.wait_until(lambda: lamp_places(session) == [(790, 590), (1008, 756)], 20,
                               what="drive 0's lamp in the screen's far corner, drive 1's where it was")
            sections = ("Physical Drive 0", "Physical Drive 1", "Physical Drive 2")
            # Written with the start-up's own save, before anything else could write it.
            self.assertEqual(stored_places(session, *sections[:2]), [("1008", "756"), ("790", "590")])
            shrink_screen(session.xvfb.display, 800, 600)
            # Wine tells its windows when a Windows program changes the resolution, not when
            # the X server does; lumora.exe is told here as Windows would tell it.
            session.probe("post", "LUMORADisplayWatch", str(WM_DISPLAYCHANGE), "24", str(600 << 16 | 800))
            harness.wait_until(lambda: lamp_places(session) == [(784, 588), (790, 590)], 20,
                               what="drive 0's lamp in the smaller screen's corner, drive 1's left alone")
            harness.wait_until(lambda: stored_places(session, sections[0]) == [("784", "588")], 10,
                               what="the new place in settings.ini before the program ends")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(session, *sections), [("784", "588"), ("790", "590"), ("5000", "5000")])


if __name__ == "__main__":
    unittest.main()
