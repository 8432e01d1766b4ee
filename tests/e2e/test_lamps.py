"""The lamps of the running lumora.exe under Wine: where they stand, how they are made, and the
colours they show while the scenario's disks read, write, do both or rest."""
import ctypes
import os
import struct
import threading
import time
import unittest

import harness
from perfdata import BULK, COUNTER, QUEUE, scenario_text

IDLE, READ, WRITE = "000080", "00FF00", "FF0000"  # the default colours as RRGGBB
TOPMOST_TOOLWINDOW, LAYERED = 0x88, 0x80000
DRAG_HINT = "Press <Shift> to move all indicators.\nPress <Ctrl> to snap to grid."
SETTINGS = ("[General]\r\nClass={mode}\r\nversion=1.104\r\nShowTrayIcon=No\r\nShowIndicatorLabel={label}\r\n"
            "[Appearance]\r\nFrequency=100\r\nOpacity={opacity}\r\n")


def counters(queue=0, read_queue=0, write_queue=0):
    return [(1400, QUEUE, 8, queue), (226, BULK, 8, 0), (228, BULK, 8, 0), (214, COUNTER, 4, 0),
            (216, COUNTER, 4, 0), (1402, QUEUE, 8, read_queue), (1404, QUEUE, 8, write_queue)]


def disks(step=0, reads=0, writes=0, drives=2):
    """Drives and volume C:; drive 0 has queued `reads` and `writes` per step, the rest rest."""
    drive0 = counters(queue=step * (reads + writes or 1) if reads or writes else 0,
                      read_queue=step * reads, write_queue=step * writes)
    others = [(str(number), counters()) for number in range(1, drives)]
    return scenario_text([
        (234, [("0 C:", drive0), *others, ("_Total", counters())]),
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


class XAttributes(ctypes.Structure):
    _fields_ = [(name, ctypes.c_ulong) for name in ("background_pixmap", "background_pixel", "border_pixmap",
                                                     "border_pixel")] + [
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


class XDisplay:
    """The session's X display as a user's hands and another program see it. Keys and pointer go
    through XTEST: Wine does not show keys that another Windows process injects in the state
    that GetAsyncKeyState reads, and only events of one queue keep their order."""
    CONTROL, SHIFT = 0xFFE3, 0xFFE1  # keysyms Control_L and Shift_L
    VIRTUAL_KEYS = {CONTROL: 0x11, SHIFT: 0x10}
    YELLOW = "FFFF00"

    def __init__(self, session):
        self.x11, self.xtest = x11, xtest = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        pointer, ulong, uint, sint = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_int
        x11.XOpenDisplay.restype, x11.XOpenDisplay.argtypes = pointer, [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ulong, [pointer]
        x11.XCreateSimpleWindow.restype = ulong
        x11.XCreateSimpleWindow.argtypes = [pointer, ulong, sint, sint, uint, uint, uint, ulong, ulong]
        x11.XChangeWindowAttributes.argtypes = [pointer, ulong, ulong, ctypes.POINTER(XAttributes)]
        x11.XMapRaised.argtypes = [pointer, ulong]
        x11.XKeysymToKeycode.argtypes = [pointer, ulong]
        x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [pointer]
        xtest.XTestFakeKeyEvent.argtypes = [pointer, uint, sint, ulong]
        xtest.XTestFakeMotionEvent.argtypes = [pointer, sint, sint, sint, ulong]
        xtest.XTestFakeButtonEvent.argtypes = [pointer, uint, sint, ulong]
        self.session = session
        self.display = x11.XOpenDisplay(session.xvfb.display.encode())
        if not self.display:
            raise AssertionError("cannot open the session's display")

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.x11.XCloseDisplay(self.display)  # also takes away the cover

    def key(self, keysym, down):
        self.xtest.XTestFakeKeyEvent(self.display, self.x11.XKeysymToKeycode(self.display, keysym), int(down), 0)
        self.x11.XFlush(self.display)

    def move_pointer(self, points):
        for x, y in points:
            self.xtest.XTestFakeMotionEvent(self.display, -1, x, y, 0)
            self.x11.XFlush(self.display)
            time.sleep(0.05)

    def left_button(self, down):
        self.xtest.XTestFakeButtonEvent(self.display, 1, int(down), 0)
        self.x11.XFlush(self.display)

    def drag(self, start, end, key=None):
        """Presses the left button at start, moves to end in steps as a hand would, releases.
        The key goes down with the pointer already on the lamp: with no window manager the X
        server gives a key to the window under the pointer, and only the lamp's own process
        tells Wine that the key is down, in its own time."""
        self.move_pointer([start])
        if key:
            self.key(key, True)
            self.session.probe("wait-key", str(self.VIRTUAL_KEYS[key]), "10000")
        self.left_button(True)
        self.move_pointer([(start[0] + (end[0] - start[0]) * step // 8, start[1] + (end[1] - start[1]) * step // 8)
                           for step in range(1, 9)])
        self.left_button(False)
        if key:
            self.key(key, False)

    def cover(self, width, height):
        """Raises another program's window over the top-left corner: a plain yellow X window,
        which stays above every window that does not raise itself again."""
        window = self.x11.XCreateSimpleWindow(self.display, self.x11.XDefaultRootWindow(self.display), 0, 0, width,
                                              height, 0, 0, int(self.YELLOW, 16))
        attributes = XAttributes(override_redirect=1)
        self.x11.XChangeWindowAttributes(self.display, window, 1 << 9, ctypes.byref(attributes))  # CWOverrideRedirect
        self.x11.XMapRaised(self.display, window)
        self.x11.XFlush(self.display)


def settings_path(session):
    return session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator", "settings.ini")


def stored_positions(session):
    """{section: (x, y)} of every section of settings.ini that holds a position."""
    try:
        with open(settings_path(session), encoding="latin-1") as f:
            text = f.read()
    except OSError:
        return {}
    sections, section = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = sections.setdefault(line[1:-1], {})
        elif section is not None and "=" in line:
            key, _, value = line.partition("=")
            section[key] = value
    positions = {name: (int(keys["x"]), int(keys["y"])) for name, keys in sections.items() if "x" in keys and "y" in keys}
    return positions


def lamp_places(session):
    return sorted(tuple(w["rect"][:2]) for w in session.probe_json("windows", "LUMORAIndicator"))


class Lamps(unittest.TestCase):
    def start(self, session, mode, opacity=255, label="No", extra=""):
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS.format(mode=mode, opacity=opacity, label=label) + extra)
        process = session.start_lumora("/s")
        session.wait_started()
        return process

    def wait_colours(self, session, points, what):
        """Waits until every (x, y) shows its colour in one screenshot."""
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

            stored = "[Physical Drive 1]\r\nx=100\r\ny=50\r\n[All-In-One]\r\nvisible=No\r\n"
            for mode, extra, places in [
                    (4, "", [(38, 2)]),
                    (3, "", [(2, 2), (20, 2), (56, 2)]),
                    (256, "", []),
                    # A stored place, and a lamp the user switched off, which no mode shows.
                    (7, stored, [(2, 2), (56, 2), (100, 50)])]:
                process = self.start(session, mode=mode, extra=extra)
                self.assertEqual(lamp_places(session), places, f"mode {mode}")
                self.assertEqual(session.quit_lumora(process), 0)

    def test_dragging_moves_a_lamp_alone_in_steps_of_8_or_all_and_the_file_keeps_where_they_went(self):
        with harness.Session("lamps-drag") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=5)
            self.assertEqual(lamp_places(session), [(2, 2), (20, 2), (38, 2)])
            self.wait_colours(session, {(10, 8): IDLE}, "the lamps idle after their flash")

            def drag(start, by, key=None):
                # Pressed one pixel inside the lamp's top-left corner, so that every step of the
                # drag stays inside the lamp that follows the pointer.
                x, y = start[0] + 1, start[1] + 1
                with XDisplay(session) as display:
                    display.drag((x, y), (x + by[0], y + by[1]), key)

            drag((20, 2), (13, 20))
            harness.wait_until(lambda: lamp_places(session) == [(2, 2), (33, 22), (38, 2)], 10, what="drive 1 moved alone")
            # With Ctrl, 13 pixels make one step of 8.
            drag((33, 22), (13, 0), XDisplay.CONTROL)
            harness.wait_until(lambda: lamp_places(session) == [(2, 2), (38, 2), (41, 22)], 10,
                               what=f"a step of 8 ({lamp_places(session)})")
            drag((2, 2), (6, 4), XDisplay.SHIFT)
            harness.wait_until(lambda: lamp_places(session) == [(8, 6), (44, 6), (47, 26)], 10,
                               what=f"all lamps moved together ({lamp_places(session)})")
            expected = {"Physical Drive 0": (8, 6), "Physical Drive 1": (47, 26), "All-In-One": (44, 6)}
            harness.wait_until(lambda: all(stored_positions(session).get(k) == v for k, v in expected.items()),
                               10, what="the positions saved after the drags")

            # "Exit Lumora" is the second item of the lamp's menu.
            session.probe("click", "12", "10", "right")
            menu = session.probe_json("wait-window", "#32768", "10000")[0]["rect"]
            session.probe("click", str(menu[0] + 20), str((menu[1] + 3 * menu[3]) // 4))
            self.assertEqual(process.wait(15), 0)
            self.assertTrue(all(stored_positions(session).get(k) == v for k, v in expected.items()))

    def test_a_burst_of_device_changes_rebuilds_once_and_the_new_lamp_flashes(self):
        with harness.Session("lamps-devices") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=1)
            self.assertEqual(lamp_places(session), [(2, 2), (20, 2)])
            session.write_scenario(disks(drives=3))
            for _ in range(3):
                last = time.monotonic()
                session.probe("post", "Worker", str(0x219), "7", "0")  # WM_DEVICECHANGE, DBT_DEVNODES_CHANGED
            harness.wait_until(lambda: lamp_places(session) == [(2, 2), (20, 2), (38, 2)], 20,
                               what="the new drive's lamp")
            self.assertGreaterEqual(time.monotonic() - last, 3.0, "the rebuild waits 3 s after the last notification")
            # A new lamp flashes round the hue circle (one step a tick) and then rests in its own colour.
            seen = []
            harness.wait_until(lambda: seen.append(screen(session)(46, 8)) or seen[-1] == IDLE, 40,
                               interval=0.05, what="the new lamp idle after its flash")
            flash = set(seen[:-1])
            self.assertGreaterEqual(len(flash), 5, f"the flash shows changing colours: {seen}")
            self.assertNotIn(IDLE, flash, f"the flash does not pause in the idle colour: {seen}")
            self.assertEqual(session.quit_lumora(process), 0)

    def test_a_window_laid_over_the_lamps_is_overtaken_within_ten_seconds(self):
        with harness.Session("lamps-topmost") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=1)
            self.wait_colours(session, {(10, 8): IDLE}, "an idle lamp")
            with XDisplay(session) as display:
                display.cover(60, 30)
                self.wait_colours(session, {(50, 25): XDisplay.YELLOW}, "the cover on screen")
                # The lamps are put back on top every 10 s; the deadline leaves room for a slow tick.
                self.wait_colours(session, {(10, 8): IDLE, (28, 8): IDLE, (50, 25): XDisplay.YELLOW},
                                  "lamps over the cover")
            # A lamp's menu stays open through the next pass: a user may take their time.
            session.probe("click", "10", "8", "right")
            menu = session.probe_json("wait-window", "#32768", "10000")[0]["rect"]
            time.sleep(11)
            self.assertTrue([w for w in session.probe_json("windows", "#32768") if w["visible"]], "the menu still open")
            # "Exit Lumora" is the second item of the lamp's menu.
            session.probe("click", str(menu[0] + 20), str((menu[1] + 3 * menu[3]) // 4))
            self.assertEqual(process.wait(15), 0)

    def test_a_lamps_tooltip_shows_its_statistics_and_while_dragging_the_hint(self):
        with harness.Session("lamps-tooltip") as session:
            session.write_scenario(disks())
            process = self.start(session, mode=1)

            def shown_tip(start):
                return next((text for text in session.probe_json("texts", "tooltips_class32") if text.startswith(start)),
                            None)
            with XDisplay(session) as display:
                display.move_pointer([(8, 8), (9, 8), (10, 8)])
                statistics = harness.wait_until(lambda: shown_tip("Physical Drive 0 - "), 20, what="the statistics tooltip")
                # Name, totals, rates, requests and queue lengths, each on its own line.
                self.assertRegex(statistics, r"\r\nRead: .*\tWrite: .*\r\nRate KB/sec: ")
                # Under Wine the end of the start-up flash restacks the lamp, which takes the
                # focus and with it the capture from a lamp pressed before.
                self.wait_colours(session, {(10, 8): IDLE}, "the lamp idle after its flash")
                display.left_button(True)
                try:
                    harness.wait_until(lambda: shown_tip(DRAG_HINT), 20, what="the drag hint while the button is down")
                finally:
                    display.left_button(False)
            self.assertEqual(session.quit_lumora(process), 0)

if __name__ == "__main__":
    unittest.main()
