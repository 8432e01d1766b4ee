"""The Summary page of the running lumora.exe under Wine: the statistics of every shown device,
rebuilt every second while "Auto refresh" is checked, without losing the reader's place."""
import time
import unittest

import harness
from harness import counters, disks
from perfdata import scenario_text
from common import IDC_STATISTICS, settings_ini, stored_settings
from options_page import FRAME, click, controls, frame, item_text, show_tab

DRIVES = 9


def busy_disks(step):
    """disks() with drive 0 reading: its byte count, which the statistics show, grows each step."""
    drive0 = counters(queue=step, read_queue=step, read_bytes=step * 4096)
    return scenario_text([
        (234, [("0 C:", drive0), *[(str(number), counters()) for number in range(1, DRIVES)],
               ("_Total", counters())]),
        (236, [("C:", counters()), ("_Total", counters())]),
    ])


class SummaryPage(unittest.TestCase):
    def first_line(self, session):
        return int(session.probe("edit-first-line", FRAME, str(IDC_STATISTICS)))

    def wait_changed(self, session, text, what):
        return harness.wait_until(lambda: (lambda now: now != text and now)(item_text(session, IDC_STATISTICS)), 10,
                                  what=what)

    def wait_still(self, session, what, quiet=3.0):
        """Waits for the text to stay the same for three refresh periods, while the disks keep
        changing; a page that still refreshes never gets there."""
        last = {"text": None, "since": 0.0}

        def still():
            now = item_text(session, IDC_STATISTICS)
            if now != last["text"]:
                last.update(text=now, since=time.monotonic())
            return time.monotonic() - last["since"] >= quiet
        harness.wait_until(still, 15, what=what)
        return last["text"]

    def test_lists_the_shown_devices_and_refreshes_only_with_auto_refresh_keeping_the_readers_place(self):
        with harness.Session("summary") as session:
            process = session.launch(settings_ini(Class=7, extra="[Physical Drive 1]\r\nvisible=No\r\n"),
                                     scenario=disks(drives=DRIVES))
            frame(session)
            show_tab(session, "Summary")
            self.assertEqual(self.first_line(session), 0)
            text = item_text(session, IDC_STATISTICS)
            lines = text.split("\r\n")
            # Each device's block starts after a blank line with the device's name.
            names = [line.split(" - ")[0] for before, line in zip(lines, lines[1:]) if before == "" and line]
            self.assertEqual(names, ["Physical Drive 0"] + [f"Physical Drive {n}" for n in range(2, DRIVES)] +
                             ["All-In-One", "C:\\"], text)

            with harness.ScenarioWriter(session, lambda step, _: busy_disks(step)):
                self.wait_changed(session, text, "a refresh with the disk busy")
                click(session, title="Auto refresh")
                frozen = self.wait_still(session, "the text to stop changing with Auto refresh off")

                # Leaving the page stores the choice; coming back builds the text once, and only once.
                show_tab(session, "General")
                self.assertEqual(stored_settings(session)["Appearance"]["StatPageRefresh"], "No")
                show_tab(session, "Summary")
                self.assertNotEqual(self.wait_still(session, "the rebuilt text to stay"), frozen)

                # The box shows the stored choice: one click turns the refresh back on. A click on
                # the scroll bar's track, below the thumb, pages down; the refreshes keep the place.
                click(session, title="Auto refresh")
                edit = controls(session, **{"class": "Edit"})[0]["rect"]
                session.probe("click", str(edit[2] - 8), str(edit[3] - 30))
                first = harness.wait_until(lambda: self.first_line(session), 10, what="the box scrolled down")
                text = item_text(session, IDC_STATISTICS)
                for refresh in range(2):
                    text = self.wait_changed(session, text, f"refresh {refresh + 1}")
                    self.assertEqual(self.first_line(session), first, f"after refresh {refresh + 1}")
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
