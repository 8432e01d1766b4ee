"""lumora.exe under Wine when the disk counters cannot find the disks: failing or switched off.
The system's own list then gives the lamps (Wine opens physical drive 0 alone and has C: and Z:
as fixed disks), each statistics text says why and how to repair it, and a repair shows within
about a minute without a restart."""
import unittest

import harness
from harness import disks
from common import IDC_STATISTICS, LAMP, PERFDISK_KEY, settings_ini, stored_settings
from options_page import FRAME, frame, show_tab

SETTINGS = settings_ini(Class=7)
SWITCHED_OFF = "the disk counters are switched off. Run \"lodctr /e:PerfDisk\" as administrator to switch them on."
BROKEN = "the disk counters are missing or broken. Run \"lodctr /r\" as administrator to rebuild them."
FROM_SYSTEM = ["Physical Drive 0", "All-In-One", "C:\\ - ", "Z:\\ - "]


def lamp_count(session):
    return len([w for w in session.probe_json("windows", LAMP) if w["visible"]])


class DisksWithoutCounters(unittest.TestCase):
    def check_found_by_the_system(self, session, why):
        harness.wait_until(lambda: lamp_count(session) == len(FROM_SYSTEM), 20, what="a lamp for each disk")
        frame(session)
        show_tab(session, "Summary")
        # The Summary page: every shown lamp's statistics in the order of the set, a blank line apart.
        text = session.probe_json("item-text", FRAME, str(IDC_STATISTICS))[0]
        blocks = text.strip("\r\n").split("\r\n\r\n")
        # Wine's drive 0 answers the storage query as a SCSI disk without a model, and holds C:.
        self.assertEqual([block.split("\r\n")[0].rstrip() for block in blocks],
                         ["Physical Drive 0 - SCSI disk", "All-In-One", "C:\\ -", "Z:\\ -"], blocks)
        self.assertTrue(blocks[0].endswith("\r\nVolumes: C:"), blocks[0])
        # Wine's disk driver answers no performance query: zero totals.
        for block in blocks:
            self.assertTrue(block.removesuffix("\r\nVolumes: C:").endswith(
                " Data Read: 0 bytes (0) \tData Write: 0 bytes (0)\r\nMeasured by the disk driver: " + why), block)

    def quit_and_check_sections(self, session, process, names):
        self.assertEqual(session.quit_lumora(process), 0)
        self.assertEqual([name for name in stored_settings(session)
                          if name not in ("General", "Appearance")], names)

    def test_failing_counters_repaired_while_running_and_switched_off_counters_leave_no_disk_without_its_lamp(self):
        with harness.Session("no-counters") as session:
            # Which answers of the counters count as broken is the device set's unit tests'.
            process = session.launch(SETTINGS, scenario="fail\n")
            self.check_found_by_the_system(session, BROKEN)
            session.write_scenario(disks(drives=3))
            harness.wait_until(lambda: lamp_count(session) == 5, 90, interval=1,
                               what="the lamps of the counters' drives 0-2, All-In-One and C:")
            self.quit_and_check_sections(session, process, FROM_SYSTEM + ["Physical Drive 1", "Physical Drive 2"])

            session.run("reg", "add", PERFDISK_KEY, "/v", "Disable Performance Counters", "/t", "REG_DWORD",
                        "/d", "1", "/f")
            process = session.launch(SETTINGS)
            self.check_found_by_the_system(session, SWITCHED_OFF)
            self.quit_and_check_sections(session, process, FROM_SYSTEM)


if __name__ == "__main__":
    unittest.main()
