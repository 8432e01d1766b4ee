"""The lamps of the running lumora.exe under Wine: where they stand, how they are made, and the
colours they show while the scenario's disks read, write, do both or rest."""
import os
import struct
import threading
import unittest

import harness
from perfdata import BULK, COUNTER, QUEUE, scenario_text

IDLE, READ, WRITE = "000080", "00FF00", "FF0000"  # the default colours as RRGGBB
TOPMOST_TOOLWINDOW, LAYERED = 0x88, 0x80000
SETTINGS = ("[General]\r\nClass={mode}\r\nversion=1.104\r\n[Appearance]\r\nFrequency=100\r\nOpacity={opacity}\r\n"
            "ShowTrayIcon=No\r\nShowIndicatorLabel={label}\r\n")


def counters(queue=0, read_queue=0, write_queue=0):
    return [(1400, QUEUE, 8, queue), (226, BULK, 8, 0), (228, BULK, 8, 0), (214, COUNTER, 4, 0),
            (216, COUNTER, 4, 0), (1402, QUEUE, 8, read_queue), (1404, QUEUE, 8, write_queue)]


def disks(step=0, reads=0, writes=0):
    """Two drives and volume C:; drive 0 has queued `reads` and `writes` per step, the rest rest."""
    drive0 = counters(queue=step * (reads + writes or 1) if reads or writes else 0,
                      read_queue=step * reads, write_queue=step * writes)
    return scenario_text([
        (234, [("0 C:", drive0), ("1", counters()), ("_Total", counters())]),
        (236, [("C:", counters()), ("_Total", counters())]),
    ])


class Activity:
    """Rewrites the scenario faster than the ticks, so that every tick sees drive 0 move on."""

    def __init__(self, session):
        self.session, self.pattern, self.step = session, (0, 0), 0
        self.stop, self.lock = threading.Event(), threading.Lock()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def set(self, reads, writes):
        with self.lock:
            self.pattern = (reads, writes)

    def run(self):
        while not self.stop.wait(0.02):
            with self.lock:
                self.step += 1
                reads, writes = self.pattern
                self.session.write_scenario(disks(self.step, reads, writes))

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stop.set()
        self.thread.join()


def screen(session):
    """Returns the screen's colour at (x, y) as RRGGBB, from one screenshot."""
    bmp = session.drive_c("lumora-test", "screen.bmp")
    session.probe("screenshot", harness.windows_path(bmp))
    with open(bmp, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + x * 3
        return data[at:at + 3][::-1].hex().upper()
    return pixel


def lamps(session):
    found = session.probe_json("windows", "LUMORAIndicator")
    return sorted((tuple(w["rect"]), w["exstyle"], w["visible"]) for w in found)


class Lamps(unittest.TestCase):
    def start(self, session, mode, opacity=255, label="No"):
        settings = os.path.join(session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator"))
        os.makedirs(settings, exist_ok=True)
        with open(os.path.join(settings, "settings.ini"), "w", newline="") as f:
            f.write(SETTINGS.format(mode=mode, opacity=opacity, label=label))
        process = session.start_lumora("/s")
        session.wait_started()
        return process

    def wait_colours(self, session, points, what):
        """Waits until every (x, y) shows its colour in one screenshot; returns the last look."""
        def look():
            pixel = screen(session)
            seen = {point: pixel(*point) for point in points}
            return seen if seen == points else None
        harness.wait_until(look, 20, interval=0.05, what=what)

    def test_lamps_stand_at_their_default_places_and_show_what_the_disk_does(self):
        with harness.Session("lamps") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=5)
            # Drives 0 and 1 and the All-In-One lamp: x = 2 + 18 x position in the device list.
            self.assertEqual(lamps(session), [((x, 2, x + 16, 14), TOPMOST_TOOLWINDOW, True) for x in (2, 20, 38)])
            drive0, drive1 = (10, 4), (28, 4)
            # The start-up flash ends in the idle colour.
            self.wait_colours(session, {drive0: IDLE, drive1: IDLE}, "idle lamps after the flash")
            with Activity(session) as activity:
                for reads, writes, colours, what in [
                        (1, 0, {drive0: READ, (10, 13): READ, drive1: IDLE}, "drive 0 reading"),
                        (0, 1, {drive0: WRITE, (10, 13): WRITE, drive1: IDLE}, "drive 0 writing"),
                        # Three parts reading to one writing: the split lies at row 9 of 12.
                        (3, 1, {(10, 10): READ, (10, 11): WRITE, (3, 2): READ, (17, 13): WRITE}, "both, split at 9"),
                        (0, 0, {drive0: IDLE, (10, 13): IDLE, drive1: IDLE}, "drive 0 resting")]:
                    activity.set(reads, writes)
                    self.wait_colours(session, colours, what)
            self.assertEqual(session.quit_lumora(process), 0)

    def test_modes_choose_the_lamps_and_the_label_is_white(self):
        with harness.Session("lamps-modes") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=2, opacity=200, label="Yes")
            # Volume C: alone, at its place after drives 0 and 1 and the All-In-One entry; see-through.
            self.assertEqual(lamps(session), [((56, 2, 72, 14), TOPMOST_TOOLWINDOW | LAYERED, True)])

            def label_shows():
                pixel = screen(session)
                lamp = [bytes.fromhex(pixel(x, y)) for x in range(56, 72) for y in range(2, 14)]
                # Wine smooths the glyphs: white blended over the idle blue keeps red equal to green.
                whitish = [rgb for rgb in lamp if rgb[0] == rgb[1] >= 0xE0 and rgb[2] >= rgb[0]]
                return whitish and bytes.fromhex(IDLE) in lamp
            harness.wait_until(label_shows, 20, interval=0.05, what="a white label on an idle lamp")
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
