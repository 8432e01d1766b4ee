#!/usr/bin/env python3
"""`make screenshots`: pictures of lumora.exe running under Wine, written into docs/ for the README.

Four made-up drives do both, read, write and rest; the All-In-One lamp sums them. The tooltip is
drive 0's, the one Wine answers the storage query for, so that it shows the drive's description. Every picture
is cut from the first screenshot that shows what the picture is about (checked pixel by pixel,
with a deadline), so a picture that does not show its subject is never written. The lamps are
16 x 12 pixels: they are enlarged with nearest-neighbour scaling, and one crop keeps their real
size. PNG files are written without any image library, which a fresh machine does not have.

The Wine prefix is made anew in build/screenshots (or $LUMORA_E2E_WORK) on every run, so that it
registers the counter source of the build in use.
"""
import ctypes
import os
import struct
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, ".."))
DOCS = os.path.join(SOURCE, "docs")
os.environ.setdefault("LUMORA_E2E_WORK", os.path.join(SOURCE, "build", "screenshots"))
sys.path.insert(0, os.path.join(HERE, "wine"))
import harness  # noqa: E402
from perfdata import scenario_text  # noqa: E402
from harness import IDLE, READ, TRAY_ACTIVE, TRAY_IDLE, WRITE, counters, screen, settings_path  # noqa: E402
from x11 import XDisplay  # noqa: E402
import options_page  # noqa: E402

# Windows 2000's desktop colour, behind the lamps instead of the bare X display's black.
DESKTOP = "3A6EA5"
# What the drives do, as (read, write) queue growth per step: the split of the first lies at
# row 9 of 12, and the All-In-One lamp's, summing 4 reading to 2 writing, at row 8.
RESTING = [(0, 0)] * 4
BUSY = [(3, 1), (1, 0), (0, 1), (0, 0)]
ROW_TOP = 60  # below the tray window, which Wine puts at the top-left corner
LAMPS = [(2 + 18 * place, ROW_TOP) for place in range(5)]  # drives 0 to 3, then All-In-One
# The lamps' settings sections, in the order of their row; C: (labelled "System") shows in mode 7 alone.
LAMP_NAMES = [f"Physical Drive {n}" for n in range(4)] + ["All-In-One", "C:\\ - System"]
SCALE = 8
COLOUR_BLIND_SAFE = ("0072B2", "E69F00", "3C3C3C")  # read, write, idle
# Per step and unit of activity: queue time (100 ns), bytes and requests, so that the tooltip
# shows plausible figures; small enough that no tick's growth overflows the 16 bits a lamp reads.
QUEUE_UNIT, BYTES_UNIT, REQUESTS_UNIT = 1000, 65536, 2


class Drives:
    """The scenario's text at each step of harness.ScenarioWriter: each drive's counters grow by its
    (read, write) pattern, and _Total holds their sums."""

    def __init__(self):
        self.totals = [[0] * 7 for _ in range(5)]  # queue, read/write queue, bytes, requests

    def text(self, step, patterns):
        for drive, (reads, writes) in enumerate(patterns):
            if reads or writes:
                growth = [reads + writes, reads, writes, reads, writes, reads, writes]
                units = [QUEUE_UNIT] * 3 + [BYTES_UNIT] * 2 + [REQUESTS_UNIT] * 2
                for total in (self.totals[drive], self.totals[4]):
                    for i, (g, u) in enumerate(zip(growth, units)):
                        total[i] += g * u
        names = ["0 C:", "1", "2", "3", "_Total"]
        instances = []
        for name, (queue, read_queue, write_queue, read_bytes, write_bytes, reads, writes) in zip(names, self.totals):
            instances.append((name, counters(queue, read_queue, write_queue, read_bytes, write_bytes,
                                             reads % 2**32, writes % 2**32)))
        return scenario_text([(234, instances), (236, [("C:", counters()), ("_Total", counters())])])


def paint_desktop(session):
    with XDisplay(session) as display:
        x11, ulong = display.x11, ctypes.c_ulong
        x11.XSetWindowBackground.argtypes = [ctypes.c_void_p, ulong, ulong]
        x11.XClearWindow.argtypes = [ctypes.c_void_p, ulong]
        root = x11.XDefaultRootWindow(display.display)
        x11.XSetWindowBackground(display.display, root, int(DESKTOP, 16))
        x11.XClearWindow(display.display, root)
        x11.XFlush(display.display)
    # The root window keeps its background after the connection closes.
    shoot_when(session, {(600, 600): DESKTOP}, "the desktop colour")


def lamp_colours(patterns, label, palette=(READ, WRITE, IDLE)):
    """The colours that show the patterns, at points of each lamp; with a label, only in its
    last column, which the one-digit labels leave free (the "All" label reaches column 14)."""
    read, write, idle = palette
    columns = [15] if label else [0, 15]
    wanted = {}
    for (left, top), (reads, writes) in zip(LAMPS, patterns + [tuple(map(sum, zip(*patterns)))]):
        split = 12 * reads // (reads + writes) if reads or writes else 12
        for row in range(12):
            colour = (read if row < split else write) if reads or writes else idle
            wanted.update({(left + column, top + row): colour for column in columns})
    return wanted


def shoot_when(session, colours, what, also=lambda pixel: True, timeout=30):
    """The first screenshot in which every (x, y) shows its RRGGBB colour and `also` holds."""
    def look():
        pixel = screen(session)
        return pixel if all(pixel(*point) == colour for point, colour in colours.items()) and also(pixel) else None
    return harness.wait_until(look, timeout, interval=0.05, what=what)


def labelled(pixel):
    """Every lamp carries white (or nearly white, where Wine smooths the glyph) pixels."""
    return all(any(min(bytes.fromhex(pixel(left + x, top + y))) >= 0xE0 for x in range(16) for y in range(12))
               for left, top in LAMPS)


def crop(pixel, left, top, right, bottom, scale=1):
    return [[pixel(x // scale, y // scale) for x in range(left * scale, right * scale)]
            for y in range(top * scale, bottom * scale)]


def save(rows, name):
    """Writes RRGGBB rows as docs/NAME.png, through the harness's BMP converter."""
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(b"".join(bytes.fromhex(colour)[::-1] for colour in row).ljust(stride, b"\0")
                      for row in reversed(rows))
    bmp = os.path.join(DOCS, name + ".bmp")
    with open(bmp, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
                struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)
    harness.bmp_to_png(bmp, os.path.join(DOCS, name + ".png"))
    os.remove(bmp)
    print(f"docs/{name}.png ({width} x {height})")


def start(session, label, colours="", mode=5, lamps_left=LAMPS[0][0]):
    """lumora.exe with its lamps in a row from (lamps_left, ROW_TOP)."""
    os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
    places = "".join(f"[{name}]\r\nx={lamps_left + 18 * place}\r\ny={ROW_TOP}\r\n"
                     for place, name in enumerate(LAMP_NAMES))
    with open(settings_path(session), "w", newline="") as f:
        f.write(f"[General]\r\nClass={mode}\r\nversion=1.104\r\nShowTrayIcon=Yes\r\nUseTrayLed=Yes\r\n"
                f"ShowIndicatorLabel={label}\r\n[Appearance]\r\nFrequency=100\r\n{colours}{places}")
    process = session.start_lumora("/s")
    session.wait_started()
    return process


def quit_lumora(session, process):
    code = session.quit_lumora(process)
    if code != 0:
        raise AssertionError(f"lumora.exe ended with code {code}")


def tray_icon(session):
    """The rectangle of the program's icon (the only one) in Wine's tray window."""
    icons = [rect for rect, visible in harness.tray_icons(session) if visible]
    return icons[0] if icons else None


def visible_tooltip(session):
    tips = [w["rect"] for w in session.probe_json("windows", "tooltips_class32") if w["visible"]]
    return tips[0] if tips and tips[0][2] > tips[0][0] else None


def shoot_tooltip(session, lamp, busy_since):
    """The tooltip of a lamp under the pointer. Its rates describe the last complete statistics
    interval (a second or more of the data's clock), which no window shows ending: two seconds
    after the busy lamps were seen, an interval that saw them busy has ended."""
    left, top = lamp
    with XDisplay(session) as display:
        display.move_pointer([(left + 6, top + 6), (left + 7, top + 6), (left + 8, top + 6)])
    harness.wait_until(lambda: visible_tooltip(session), 20, what="a lamp's tooltip")
    shown = []

    def whole_tooltip(pixel):
        """The tooltip stands where its window says, with the desktop around it (it grows with
        its figures), and its middle line holds more than two colours: text on its background."""
        tip = visible_tooltip(session)
        if not tip or time.monotonic() < busy_since + 2:
            return False
        tip_left, tip_top, tip_right, tip_bottom = tip
        middle = (tip_top + tip_bottom) // 2
        edges = [pixel(tip_left - 1, middle), pixel(tip_right, middle), pixel((tip_left + tip_right) // 2, tip_bottom)]
        inside = {pixel(x, middle) for x in range(tip_left, tip_right)}
        shown[:] = tip
        return edges == [DESKTOP] * 3 and DESKTOP not in inside and len(inside) > 2
    pixel = shoot_when(session, lamp_colours(BUSY, False), "the whole tooltip beside the busy lamps",
                       also=whole_tooltip)
    margin = 4
    save(crop(pixel, 0, min(top, shown[1]) - margin, max(shown[2], LAMPS[-1][0] + 16) + margin, shown[3] + margin),
         "lamp-tooltip")
    # Off the lamps, so that the next start shows no tooltip. (Over the bare X root Wine sees
    # no motion, so this tooltip itself stays until the program ends.)
    with XDisplay(session) as display:
        display.move_pointer([(600, 600)])


def shoot_options_pages(session):
    """The options window's pages, as a second start opens it. A page is taken once two
    screenshots in a row show the window alike: it has painted, and the Summary page's once a
    second refresh is not half drawn."""
    if session.run(harness.LUMORA_EXE, timeout=30).returncode != 0:
        raise AssertionError("the second start did not end cleanly")
    for name in ("General", "Appearance", "Summary"):
        if name != "General":
            options_page.show_tab(session, name)
        left, top, right, bottom = options_page.frame(session)["rect"]
        # Without a window manager nothing draws the caption or the frame's border: the picture is
        # the client area, where the desktop ends (away from the tray window at the top left).
        pixel = screen(session)
        column, middle = right - 12, (top + bottom) // 2
        top = next(y for y in range(top, bottom) if pixel(column, y) != DESKTOP)
        bottom = max(y for y in range(top, bottom) if pixel(column, y) != DESKTOP) + 1
        left = next(x for x in range(left, right) if pixel(x, middle) != DESKTOP)
        right = max(x for x in range(left, right) if pixel(x, middle) != DESKTOP) + 1
        last = []

        def settled():
            rows = crop(screen(session), left, top, right, bottom)
            same, last[:] = rows == last, rows
            return same
        harness.wait_until(settled, 20, interval=0.1, what=f"the {name} page painted")
        save(last, "options-" + name.lower())


def main():
    os.makedirs(DOCS, exist_ok=True)
    harness.make_template()
    with harness.Session("screenshots") as session, \
            harness.ScenarioWriter(session, Drives().text, RESTING) as drives:
        # C:'s label, which Wine's mount manager reads as it starts with the first program.
        with open(session.drive_c(".windows-label"), "w") as f:
            f.write("System\n")
        paint_desktop(session)
        process = start(session, label="No")
        left, top, right, bottom = harness.wait_until(lambda: tray_icon(session), 20, what="the tray icon")
        # The icon's 16 x 16 image stands centred in its window, its lamp 11 pixels right of and
        # 8 below the image's corner. The crop takes in the tray's left end around the icon.
        tray_lamp = (left + 2 + 11, top + 2 + 8)
        icon = (left - 3, top - 3, right + 17, bottom + 3)
        row = (0, ROW_TOP - 2, LAMPS[-1][0] + 16 + 2, ROW_TOP + 12 + 2)

        colours = {**lamp_colours(RESTING, False), tray_lamp: TRAY_IDLE}
        pixel = shoot_when(session, colours, "resting lamps and the idle tray lamp")
        save(crop(pixel, *icon, scale=SCALE), "tray-idle")

        drives.set(BUSY)
        colours = {**lamp_colours(BUSY, False), tray_lamp: TRAY_ACTIVE}
        pixel = shoot_when(session, colours, "busy lamps and the active tray lamp")
        save(crop(pixel, *icon, scale=SCALE), "tray-active")
        save(crop(pixel, *row, scale=SCALE), "lamps")
        save(crop(pixel, *row), "lamps-actual-size")
        shoot_tooltip(session, LAMPS[0], busy_since=time.monotonic())
        quit_lumora(session, process)

        process = start(session, label="Yes")
        pixel = shoot_when(session, lamp_colours(BUSY, True), "busy lamps with their labels", also=labelled)
        save(crop(pixel, *row, scale=SCALE), "lamps-label")
        quit_lumora(session, process)

        # The palette of the Appearance page's "Colour-blind safe", as that button stores it.
        process = start(session, label="No",
                        colours="ColorRead=11694592\r\nColorWrite=40934\r\nColorOff=3947580\r\n")
        pixel = shoot_when(session, lamp_colours(BUSY, False, COLOUR_BLIND_SAFE), "busy lamps in the safe palette")
        save(crop(pixel, *row, scale=SCALE), "lamps-colour-blind-safe")
        quit_lumora(session, process)

        # Every kind of lamp, so that the pages list them all; the drives keep reading and writing.
        process = start(session, label="No", mode=7, lamps_left=600)
        shoot_options_pages(session)
        quit_lumora(session, process)
    return 0


if __name__ == "__main__":
    sys.exit(main())
