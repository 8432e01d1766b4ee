"""The test disk-counter source, read back through HKEY_PERFORMANCE_DATA as lumora.exe reads it."""
import os
import unittest

import harness
from perfdata import BULK, COUNTER, QUEUE, parse_dump, scenario_text


def disks(total_bytes_read, reads):
    """Two objects in the shapes the program meets: _Total in the middle, a drive without
    volumes, a volume without a letter, one 64-bit value above 2^32 and 32-bit values."""
    def counters(scale):
        return [(1400, QUEUE, 8, 5_000_000_123 * scale), (226, BULK, 8, total_bytes_read * scale),
                (214, COUNTER, 4, reads * scale % 2**32)]
    return [
        (234, [("0 C: D:", counters(1)), ("_Total", counters(3)), ("1", counters(2))]),
        (236, [("C:", counters(1)), ("HarddiskVolume5", counters(2)), ("_Total", counters(3)),
               ("D:", counters(1))]),
    ]


class ScenarioSource(unittest.TestCase):
    def test_the_reader_sees_exactly_what_the_scenario_lists(self):
        with harness.Session("counter-scenario", with_display=False) as session:
            def dump(*query):
                return parse_dump(session.probe("perfdump", *query))

            def query_result(buffer_bytes):
                return session.probe("perfquery", str(buffer_bytes)).split()[0]

            first = disks(total_bytes_read=4_294_967_296 + 512, reads=4_000_000_000)
            session.write_scenario(scenario_text(first))
            block = dump()
            self.assertEqual(block.objects, first)
            self.assertEqual(block.header["objects"], 2)
            self.assertEqual(block.header["total"], block.header["size"],
                             "the header's length covers exactly the data returned")
            self.assertEqual([index for index, _ in dump("236").objects], [236], "only the objects asked for")

            # The source reads the file on every query: each query shows what the file says now.
            second = disks(total_bytes_read=7, reads=1)
            session.write_scenario(scenario_text(second))
            self.assertEqual(dump().objects, second)
            session.write_scenario("object 234\nnoinstances\ncounter 1400 0x00550500 8 9\n")
            self.assertEqual(dump().objects, [(234, [(None, [(1400, QUEUE, 8, 9)])])])
            session.write_scenario("nothing\n")
            block = dump()
            self.assertEqual((block.objects, block.header["objects"]), ([], 0))
            self.assertEqual(block.header["total"], block.header["header"], "a valid, empty block")

            session.write_scenario("fail\n")
            self.assertEqual([query_result(65536), query_result(1048576)], ["234", "234"],
                             "the query answers ERROR_MORE_DATA whatever the buffer")
            session.write_scenario(scenario_text(disks(1, 1)) + "minimum-size 150000\n")
            self.assertEqual(query_result(131072), "234")
            result, size = session.probe("perfquery", "196608").split()
            self.assertEqual(result, "0")
            self.assertGreater(int(size), 0)


def whole_disks():
    """This machine's whole disks (major, minor) in /proc/diskstats order, as the live source numbers them."""
    with open("/proc/diskstats") as f:
        rows = [line.split() for line in f]
    return [(int(major), int(minor)) for major, minor, name, *_ in rows
            if not name.startswith(("loop", "ram", "zram")) and os.path.isdir(f"/sys/block/{name}")]


class LiveSource(unittest.TestCase):
    def test_this_machines_disks_and_their_growing_counters(self):
        disks_here = whole_disks()
        self.assertTrue(disks_here, "this machine has at least one whole disk")
        with harness.Session("counter-live", with_display=False) as session:
            session.set_live_counters()
            block = parse_dump(session.probe("perfdump"))
            physical = block.instance_names(234)
            self.assertEqual([name.split(" ")[0] for name in physical],
                             [str(number) for number in range(len(disks_here))] + ["_Total"],
                             "each disk is named by its number, then comes the total")
            logical = block.instance_names(236)
            self.assertEqual((logical[-1], {"C:", "Z:"} - set(logical)), ("_Total", set()))
            # The disk that holds the prefix carries its C: drive, as Windows names it.
            holder = os.stat(session.prefix).st_dev
            if (os.major(holder), os.minor(holder)) in disks_here:
                self.assertIn("C:", physical[disks_here.index((os.major(holder), os.minor(holder)))].split(" ")[1:])

            written_before = block.counter(234, "_Total", 228)
            read_before = block.counter(234, "_Total", 226)
            payload = os.urandom(4 << 20)
            path = os.path.join(session.folder, "activity.bin")
            with open(path, "wb") as f:
                f.write(payload)
                f.flush()
                os.fsync(f.fileno())
            with open(path, "rb", buffering=0) as f:
                os.posix_fadvise(f.fileno(), 0, 0, os.POSIX_FADV_DONTNEED)  # so that reading reads the disk
                while f.read(1 << 20):
                    pass
            # The kernel counts a request when it completes, before fsync or read return: no waiting.
            after = parse_dump(session.probe("perfdump"))
            self.assertGreaterEqual(after.counter(234, "_Total", 228) - written_before, len(payload))
            self.assertGreaterEqual(after.counter(234, "_Total", 226) - read_before, len(payload) // 2)

if __name__ == "__main__":
    unittest.main()
