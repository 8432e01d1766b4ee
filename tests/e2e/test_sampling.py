"""The device set and the counter samplers on the real Win32 implementations, fed by the scenario
counter source: sampling_check.exe builds the devices as lumora.exe does and samples them
tick by tick while the scenario changes. The disks that the system lists when the counters cannot
are the disks-without-counters test's."""
import json
import unittest

import harness
from harness import counters
from common import test_tool
from perfdata import scenario_text

SAMPLING_CHECK_EXE = test_tool("sampling_check")


def disks(drive0, drive2, total, c, h, volume5):
    """A gap in the drive numbers (no drive 1), a drive without volumes, "_Total" in the middle
    of the logical disks, and a volume without a letter whose name begins with H."""
    return [
        (234, [("0 C: H:", counters(**drive0)), ("2", counters(**drive2)), ("_Total", counters(**total))]),
        (236, [("C:", counters(**c)), ("H:", counters(**h)), ("HarddiskVolume5", counters(**volume5)),
               ("_Total", counters()), ("D:", counters(queue=1))]),
    ]


def run_ticks(session, steps):
    """Runs sampling_check over the scenario steps; returns its devices and one record per tick."""
    arguments = []
    for number, text in enumerate(steps):
        with open(session.drive_c("lumora-test", f"step{number}.txt"), "w", encoding="utf-8") as f:
            f.write(text)
        arguments.append(f"C:\\lumora-test\\step{number}.txt")
    done = session.run(SAMPLING_CHECK_EXE, "ticks", harness.SCENARIO_WINDOWS_PATH, "0", *arguments, timeout=120)
    if done.returncode != 0:
        raise AssertionError(f"sampling_check failed ({done.returncode}): {done.stderr}")
    lines = [json.loads(line) for line in done.stdout.splitlines() if line.strip()]
    return lines[0]["devices"], lines[1:]


def device(path, name, label, kind, description="", extra=""):
    return {"path": path, "name": name, "label": label, "kind": kind, "description": description,
            "serialNumber": "", "extraText": extra}


# Wine's drive 0 answers the storage query with no model and a SCSI bus, and holds C:; Wine has
# no drive 2, so its query fails and it stays undescribed.
EXPECTED_DEVICES = [
    device("\\\\.\\PHYSICALDRIVE0", "Physical Drive 0", "0", 1, "SCSI disk", "Volumes: C:"),
    device("\\\\.\\PHYSICALDRIVE2", "Physical Drive 2", "2", 1),
    device("_Total", "All-In-One", "All", 4),
    device("\\\\.\\C:", "C:\\ - LumoraSys", "C:", 2),
    device("\\\\.\\H:", "H:", "H:", 2),
    device("\\\\.\\HarddiskVolume5", "HarddiskVolume5", "hd5", 2),
]


class Samplers(unittest.TestCase):
    maxDiff = None

    def test_devices_states_and_texts_through_the_counters(self):
        quiet = dict(drive0=dict(queue=10), drive2=dict(queue=20), total=dict(queue=30),
                     c=dict(queue=40, read_bytes=1_610_612_736, write_bytes=524_288_000),
                     h=dict(queue=50), volume5=dict(queue=60))
        busy = dict(quiet, drive0=dict(queue=11, read_queue=5), total=dict(queue=31, write_queue=3),
                    h=dict(queue=51, read_queue=2, write_queue=4))
        with harness.Session("sampling", with_display=False) as session:
            with open(session.drive_c(".windows-label"), "w") as f:  # C:'s label, read as Wine's mount manager starts
                f.write("LumoraSys\n")
            devices, ticks = run_ticks(session, [scenario_text(disks(**quiet)), scenario_text(disks(**busy)),
                                                 "fail\n", scenario_text(disks(**busy))])

        self.assertEqual(devices, EXPECTED_DEVICES)
        self.assertEqual([tick["refreshed"] for tick in ticks], [True, True, False, True])
        # The first update compares with zeros: every device whose queue total is non-zero is active.
        self.assertEqual(ticks[0]["states"], [0x10000] * 6)
        self.assertEqual(ticks[1]["states"], [0x50000, 0, 0x3, 0, 0x20004, 0],
                         "drive 2 and HarddiskVolume5 read their own (unchanged) counters")
        self.assertEqual(ticks[3]["states"], [0] * 6, "after a failed tick the totals are unchanged")
        c_text = ticks[1]["texts"][3]
        self.assertTrue(c_text.startswith("C:\\ - LumoraSys\r\nRead: 1.50 GB (1,610,612,736) "
                                          "\tWrite: 500 MB (524,288,000)\r\nRate KB/sec: "), c_text)
        self.assertRegex(c_text, r"\r\nRate KB/sec: [\d,]+ KB      \t\tRate KB/sec: [\d,]+ KB"
                                 r"\r\nRequests/sec: \d+       \t\tRequests/sec: \d+"
                                 r"\r\nQueue length/sec: \d+\.\d{3} \t\tQueue length/sec: \d+\.\d{3}$")


if __name__ == "__main__":
    unittest.main()
