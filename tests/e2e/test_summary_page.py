"""The Summary page of the running lumora.exe under Wine: the statistics of every shown device,
rebuilt every second while "Auto refresh" is checked, without losing the reader's place."""
import os
import time
import unittest

import harness
import test_options
from perfdata import scenario_text
from test_lamps import Activity, counters, disks, settings_path

SETTINGS = ("[General]\r\nClass={mode}\r\nversion=1.104\r\nShowTrayIcon=No\r\n[Appearance]\r\nFrequency=100\r\n"
            "[Physical Drive 1]\r\nvisible=No\r\n")
IDC_AUTO_REFRESH, IDC_STATISTICS = 1005, 1016
PHYSICAL, ALL_KINDS = 1, 7
READ_BYTES = 226


def busy_disks(step, drives):
    """disks() with drive 0 reading: its byte count, which the statistics show, grows each step."""
    drive0 = [(index, kind, size, step * 4096 if index == READ_BYTES else value)
              for index, kind, size, value in counters(queue=step, read_queue=step)]
    return scenario_text([
        (234, [("0 C:", drive0), *[(str(number), counters()) for number in range(1, drives)],
               ("_Total", counters())]),
        (236, [("C:", counters()), ("_Total", counters())]),
    ])


class BusyDrives(Activity):
    """Activity's busy drive 0, read in bytes, among as many drives as the test started with."""

    def __init__(self, session, drives):
        super().__init__(session)
        self.drives = drives

    def run(self):
        while not self.stop.wait(0.02):
            with self.lock:
                self.step += 1
                self.session.write_scenario(busy_disks(self.step, self.drives))


class SummaryPage(unittest.TestCase):
    frame = test_options.OptionsWindow.frame
    children = test_options.OptionsWindow.children
    page = test_options.OptionsWindow.page

    def start(self, session, mode, drives):
        session.write_scenario(disks(drives=drives))
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS.format(mode=mode))
        process = session.start_lumora()
        session.wait_started()
        self.frame(session)
        return process

    def show_tab(self, session, name):
        tabs = [child["rect"] for child in self.children(session) if child["class"] == test_options.TABS][0]
        x, y = test_options.TAB_LABELS[name]
        session.probe("click", str(tabs[0] + x), str(tabs[1] + y))
        harness.wait_until(lambda: self.page(session)[0] == name, 10, what=f"the {name} page")

    def control(self, session, cls, title=""):
        return [child["rect"] for child in self.children(session)
                if child["class"] == cls and child["title"] == title][0]

    def text(self, session):
        return session.probe_json("item-text", test_options.FRAME, str(IDC_STATISTICS))[0]

    def first_line(self, session):
        return int(session.probe("edit-first-line", test_options.FRAME, str(IDC_STATISTICS)))

    def wait_changed(self, session, text, what):
        return harness.wait_until(lambda: (lambda now: now if now != text else None)(self.text(session)), 10,
                                  what=what)

    def wait_still(self, session, what, quiet=3.0):
        """Waits for the text to stay the same for three refresh periods, while the disks keep
        changing; a page that still refreshes never gets there."""
        last = {"text": None, "since": 0.0}

        def still():
            now = self.text(session)
            if now != last["text"]:
                last.update(text=now, since=time.monotonic())
            return time.monotonic() - last["since"] >= quiet
        harness.wait_until(still, 15, what=what)
        return last["text"]

    def click_auto_refresh(self, session):
        session.probe("click", *test_options.centre(self.control(session, "Button", "Auto refresh")))

    def test_lists_the_shown_devices_and_refreshes_only_with_auto_refresh(self):
        with harness.Session("summary-refresh") as session:
            process = self.start(session, ALL_KINDS, drives=3)
            self.show_tab(session, "Summary")
            text = self.text(session)
            lines = text.split("\r\n")
            # Each device's block starts after a blank line with the device's name.
            names = [line.split(" - ")[0] for before, line in zip(lines, lines[1:]) if before == "" and line]
            self.assertEqual(names, ["Physical Drive 0", "Physical Drive 2", "All-In-One", "C:\\"], text)

            with BusyDrives(session, drives=3):
                text = self.wait_changed(session, text, "a refresh with the disk busy")
                self.wait_changed(session, text, "the next refresh")

                self.click_auto_refresh(session)
                frozen = self.wait_still(session, "the text to stop changing with Auto refresh off")

                # Leaving the page stores the choice; coming back builds the text once, and only once.
                self.show_tab(session, "General")
                with open(settings_path(session), encoding="latin-1") as f:
                    self.assertIn("StatPageRefresh=No", f.read())
                self.show_tab(session, "Summary")
                self.assertNotEqual(self.wait_still(session, "the rebuilt text to stay"), frozen)

                # The box shows the stored choice: one click turns the refresh back on.
                text = self.text(session)
                self.click_auto_refresh(session)
                self.wait_changed(session, text, "a refresh with Auto refresh on again")
            self.assertEqual(session.quit_lumora(process), 0)

    def test_a_refresh_keeps_the_place_the_reader_scrolled_to(self):
        with harness.Session("summary-scroll") as session:
            process = self.start(session, PHYSICAL, drives=9)
            self.show_tab(session, "Summary")
            self.assertEqual(self.first_line(session), 0)
            with BusyDrives(session, drives=9):
                # A click on the scroll bar's track, below the thumb, pages down.
                edit = self.control(session, "Edit")
                session.probe("click", str(edit[2] - 8), str(edit[3] - 30))
                first = harness.wait_until(lambda: self.first_line(session), 10, what="the box scrolled down")
                text = self.text(session)
                for refresh in range(2):
                    text = self.wait_changed(session, text, f"refresh {refresh + 1}")
                    self.assertEqual(self.first_line(session), first, f"after refresh {refresh + 1}")
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
