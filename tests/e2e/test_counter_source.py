"""The test disk-counter source, read back through HKEY_PERFORMANCE_DATA as lumora.exe reads it."""
import os
import unittest

import harness
from perfdata import parse_dump, scenario_text

QUEUE = 0x00550500    # PERF_COUNTER_100NS_QUEUELEN_TYPE
BULK = 0x40020500     # PERF_AVERAGE_BULK
COUNTER = 0x10410400  # PERF_COUNTER_COUNTER


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


def as_read_back(objects):
    return [(index, [(name, list(counters)) for name, counters in instances]) for index, instances in objects]


class ScenarioSource(unittest.TestCase):
    def test_the_reader_sees_exactly_what_the_scenario_lists(self):
        with harness.Session("counter-scenario", with_display=False) as session:
            first = disks(total_bytes_read=4_294_967_296 + 512, reads=4_000_000_000)
            session.write_scenario(scenario_text(first))
            block = parse_dump(session.probe("perfdump"))
            self.assertEqual(block.objects, as_read_back(first))
            self.assertEqual(block.header["objects"], 2)
            self.assertEqual(block.header["total"], block.header["size"],
                             "the header's length covers exactly the data returned")

            # The source reads the file on every query: the next query shows the new values.
            second = disks(total_bytes_read=7, reads=1)
            session.write_scenario(scenario_text(second))
            self.assertEqual(parse_dump(session.probe("perfdump")).objects, as_read_back(second))

            # Only the objects asked for, in the order of the data.
            only_logical = parse_dump(session.probe("perfdump", "236"))
            self.assertEqual([index for index, _ in only_logical.objects], [236])

    def test_an_object_without_instances_and_nothing_at_all(self):
        with harness.Session("counter-nothing", with_display=False) as session:
            session.write_scenario("object 234\nnoinstances\ncounter 1400 0x00550500 8 9\n")
            block = parse_dump(session.probe("perfdump"))
            self.assertEqual(block.objects, [(234, [(None, [(1400, QUEUE, 8, 9)])])])

            session.write_scenario("nothing\n")
            block = parse_dump(session.probe("perfdump"))
            self.assertEqual(block.objects, [])
            self.assertEqual(block.header["objects"], 0)
            self.assertEqual(block.header["total"], block.header["header"], "a valid, empty block")

    def test_a_failing_query_and_a_block_that_needs_a_larger_buffer(self):
        with harness.Session("counter-fail", with_display=False) as session:
            session.write_scenario("fail\n")
            self.assertEqual(session.probe("perfquery", "65536").split()[0], "234",
                             "the query answers ERROR_MORE_DATA whatever the buffer")
            self.assertEqual(session.probe("perfquery", "1048576").split()[0], "234")

            session.write_scenario(scenario_text(disks(1, 1)) + "minimum-size 150000\n")
            self.assertEqual(session.probe("perfquery", "131072").split()[0], "234")
            result, size = session.probe("perfquery", "196608").split()
            self.assertEqual(result, "0")
            self.assertGreater(int(size), 0)


def whole_disks():
    """This machine's whole disks in /proc/diskstats order, as the live source numbers them."""
    names = []
    with open("/proc/diskstats") as f:
        for line in f:
            fields = line.split()
            name = fields[2]
            if name.startswith(("loop", "ram", "zram")) or not os.path.isdir(f"/sys/block/{name}"):
                continue
            names.append((name, int(fields[0]), int(fields[1])))
    return names


class LiveSource(unittest.TestCase):
    def test_this_machines_disks_and_their_growing_counters(self):
        disks_here = whole_disks()
        self.assertTrue(disks_here, "this machine has at least one whole disk")
        with harness.Session("counter-live", with_display=False) as session:
            session.set_live_counters()
            block = parse_dump(session.probe("perfdump"))
            physical = block.instance_names(234)
            self.assertEqual(len(physical), len(disks_here) + 1)
            self.assertEqual(physical[-1], "_Total")
            for number, name in enumerate(physical[:-1]):
                self.assertEqual(name.split(" ")[0], str(number), f"instance {name!r} is named by its number")
            logical = block.instance_names(236)
            self.assertIn("C:", logical)
            self.assertIn("Z:", logical)
            self.assertEqual(logical[-1], "_Total")

            # The disk that holds the prefix carries its C: drive, as Windows names it.
            st_dev = os.stat(session.prefix).st_dev
            holder = [i for i, (_, major, minor) in enumerate(disks_here)
                      if (major, minor) == (os.major(st_dev), os.minor(st_dev))]
            if holder:
                self.assertIn("C:", physical[holder[0]].split(" ")[1:])

            written_before = block.counter(234, "_Total", 228)
            read_before = block.counter(234, "_Total", 226)
            payload = os.urandom(4 << 20)
            path = os.path.join(session.folder, "activity.bin")
            with open(path, "wb") as f:
                f.write(payload)
                f.flush()
                os.fsync(f.fileno())
            # Drop the file from the page cache so that reading it really reads the disk.
            fd = os.open(path, os.O_RDONLY)
            try:
                os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
                while os.read(fd, 1 << 20):
                    pass
            finally:
                os.close(fd)

            after = parse_dump(session.probe("perfdump"))
            self.assertGreaterEqual(after.counter(234, "_Total", 228) - written_before, len(payload))
            self.assertGreaterEqual(after.counter(234, "_Total", 226) - read_before, len(payload) // 2)


if __name__ == "__main__":
    unittest.main()
