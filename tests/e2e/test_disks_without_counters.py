"""lumora.exe under Wine when the disk counters cannot find the disks: switched off, answering
nothing, failing, or missing the PhysicalDisk object. The system's own list then gives the lamps
(Wine opens physical drive 0 alone and has C: and Z: as fixed disks), each statistics text says
why and how to repair it, and a repair shows within about a minute without a restart."""
import os
import re
import unittest

import harness
from perfdata import scenario_text
from test_lamps import counters, settings_path
from test_options import FRAME, TABS, TAB_LABELS

PERFDISK_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\PerfDisk\Performance"
SETTINGS = "[General]\r\nClass=7\r\nversion=1.104\r\nShowTrayIcon=No\r\n[Appearance]\r\nFrequency=100\r\n"
IDC_STATISTICS = 1016
SWITCHED_OFF = "the disk counters are switched off. Run \"lodctr /e:PerfDisk\" as administrator to switch them on."
BROKEN = "the disk counters are missing or broken. Run \"lodctr /r\" as administrator to rebuild them."
FROM_SYSTEM = ["Physical Drive 0", "All-In-One", "C:\\ - ", "Z:\\ - "]


def working(drives=1):
    return scenario_text([
        (234, [*[(f"{number} C:" if number == 0 else str(number), counters()) for number in range(drives)],
               ("_Total", counters())]),
        (236, [("C:", counters()), ("_Total", counters())]),
    ])


def sections(session):
    with open(settings_path(session), encoding="latin-1") as f:
        return re.findall(r"^\[(.*)\]\r?$", f.read(), re.MULTILINE)


def lamp_count(session):
    return len([w for w in session.probe_json("windows", "LUMORAIndicator") if w["visible"]])


class DisksWithoutCounters(unittest.TestCase):
    def start(self, session):
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS)
        process = session.start_lumora()
        session.wait_started()
        return process

    def summary(self, session):
        """The Summary page's text: every shown lamp's statistics, in the order of the set."""
        def tabs():
            found = [c["rect"] for c in session.probe_json("children", FRAME) if c["class"] == TABS]
            return found[0] if found else None
        rect = harness.wait_until(tabs, 20, what="the options window")
        x, y = TAB_LABELS["Summary"]
        session.probe("click", str(rect[0] + x), str(rect[1] + y))
        return harness.wait_until(
            lambda: session.probe_json("item-text", FRAME, str(IDC_STATISTICS))[0], 10, what="the Summary text")

    def check_found_by_the_system(self, session, process, why):
        harness.wait_until(lambda: lamp_count(session) == len(FROM_SYSTEM), 20, what="a lamp for each disk")
        blocks = self.summary(session).strip("\r\n").split("\r\n\r\n")
        self.assertEqual([block.split("\r\n")[0].rstrip() for block in blocks],
                         ["Physical Drive 0 -", "All-In-One", "C:\\ -", "Z:\\ -"], blocks)
        for block in blocks:
            self.assertTrue(block.endswith("\r\nMeasured by the disk driver: " + why), block)

    def quit_and_check_sections(self, session, process, names):
        self.assertEqual(session.quit_lumora(process), 0)
        self.assertEqual([name for name in sections(session) if name not in ("General", "Appearance")], names)

    def test_failing_incomplete_or_switched_off_counters_leave_no_disk_without_its_lamp(self):
        cases = [("failing", "fail\n", BROKEN),
                 ("no PhysicalDisk object", scenario_text([(236, [("C:", counters()), ("_Total", counters())])]),
                  BROKEN),
                 ("switched off", working(), SWITCHED_OFF)]
        with harness.Session("no-counters") as session:
            for name, scenario, why in cases:
                with self.subTest(name):
                    session.write_scenario(scenario)
                    if why == SWITCHED_OFF:
                        session.run("reg", "add", PERFDISK_KEY, "/v", "Disable Performance Counters", "/t",
                                    "REG_DWORD", "/d", "1", "/f")
                    process = self.start(session)
                    self.check_found_by_the_system(session, process, why)
                    self.quit_and_check_sections(session, process, FROM_SYSTEM)

    def test_counters_that_come_back_rebuild_the_lamps_from_them_within_a_minute(self):
        with harness.Session("counters-back") as session:
            session.write_scenario("nothing\n")
            process = self.start(session)
            self.check_found_by_the_system(session, process, BROKEN)
            session.write_scenario(working(drives=3))
            harness.wait_until(lambda: lamp_count(session) == 5, 90, interval=1,
                               what="the lamps of the counters' drives 0-2, All-In-One and C:")
            self.quit_and_check_sections(session, process, FROM_SYSTEM + [
                "Physical Drive 1", "Physical Drive 2"])


if __name__ == "__main__":
    unittest.main()
