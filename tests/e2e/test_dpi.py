"""lumora.exe on screens of 144 and 192 DPI (the prefix's LogPixels), and at 96 as before: the
lamps' size, start places, colours and label, a lamp told of a new DPI, and the options window,
whose texts are measured against their controls on every page."""
import json
import unittest

import harness
from harness import disks
from common import IDLE, LAMP, READ, WRITE, lamp_rects, screen, settings_ini, test_tool, wait_colours, whitish
from options_page import DIALOG, FRAME, controls, page, show_tab
LAMP_SIZES = {96: (16, 12), 144: (24, 18), 192: (32, 24)}
WM_DPICHANGED = 0x02E0
TEXT_FIT_EXE = test_tool("text_fit")
FAULTS_OF_THE_TEMPLATES = {
    ("too long", "General", -1, "Click on drive or disk name to enable or disable indicator for it."),
    ("too long", "Appearance", -1, "Visible"),
    ("cut off by the page or the frame", "Summary", 1, "Close"),
}


def set_dpi(session, dpi):
    """The DPI of the prefix's screen, as Wine reads it when a program starts."""
    done = session.run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                       "/d", str(dpi), "/f")
    if done.returncode != 0:
        raise AssertionError(f"reg add LogPixels failed: {done.stderr}")


def tell_dpi(session, window_class, dpi):
    """WM_DPICHANGED as Windows sends it when a window crosses onto a monitor of another DPI;
    Wine has one DPI for all monitors and never sends it. No suggested rectangle: a pointer
    cannot cross processes."""
    session.probe("post", window_class, str(WM_DPICHANGED), str(dpi << 16 | dpi), "0")


def label_height(session, rect):
    """How many rows of the lamp the white label's glyphs span."""
    pixel = screen(session)
    rows = [y for y in range(rect[1], rect[3]) for x in range(rect[0], rect[2]) if whitish(bytes.fromhex(pixel(x, y)))]
    return max(rows) - min(rows) + 1 if rows else 0


def texts(session):
    """Every text control of the options window: what its text needs in the dialog font, the room
    it has, and how much of it the page and the frame leave visible."""
    done = session.run(TEXT_FIT_EXE, FRAME, "MS Shell Dlg 2", "8")
    if done.returncode != 0:
        raise AssertionError(f"text_fit failed: {done.stderr}")
    return [json.loads(line) for line in done.stdout.splitlines() if line.strip()]


def page_layout(session):
    """The frame's children as (class, title, rectangle), and the handles of its pages."""
    shown = controls(session)
    return (sorted((child["class"], child["title"], tuple(child["rect"])) for child in shown),
            [child["hwnd"] for child in shown if child["class"] == DIALOG])


class HighDpi(unittest.TestCase):
    def test_lamps_and_options_texts_grow_with_the_dpi(self):
        faults = {}
        with harness.Session("dpi") as session:
            for dpi, (width, height) in LAMP_SIZES.items():
                set_dpi(session, dpi)
                process = session.launch(settings_ini(ShowIndicatorLabel="Yes"), "/s")
                # Drives 0 and 1 stand in a row, 2 pixels apart, as "Where are my indicators?" lines them up.
                drive0, drive1 = (2, 2, 2 + width, 2 + height), (4 + width, 2, 4 + 2 * width, 2 + height)
                self.assertEqual(lamp_rects(session), [drive0, drive1], f"{dpi} DPI")
                # Colours are looked at on the right edge, clear of the label; the bottom row shows
                # that the whole grown lamp is painted.
                right, bottom = drive0[2] - 2, drive0[3] - 1
                wait_colours(session, {(right, 2): IDLE, (right, bottom): IDLE, (drive1[2] - 1, bottom): IDLE},
                             f"idle lamps after the flash at {dpi} DPI")
                # The label font grows with the lamp: its digit spans more than half the lamp's height.
                harness.wait_until(lambda: label_height(session, drive0) * 2 > height, 10,
                                   what=f"a label of the lamp's size at {dpi} DPI ({label_height(session, drive0)})")
                if dpi == 192:
                    # Three parts reading to one writing split the grown lamp, not one of 96 DPI's height.
                    split = 2 + height * 3 // 4
                    with harness.ScenarioWriter(session, lambda step, pattern: disks(step, *pattern), (3, 1)):
                        wait_colours(session, {(right, 2): READ, (right, split - 1): READ, (right, split): WRITE,
                                               (right, bottom): WRITE, (drive1[2] - 2, bottom): IDLE},
                                     f"read above write, split at {split - 2} of {height}")
                if dpi == 96:
                    # Told of 192 DPI, one lamp doubles in place, its label with it; the other stays.
                    tell_dpi(session, LAMP, 192)
                    either = [[(2, 2, 34, 26), drive1], [drive0, (20, 2, 52, 26)]]
                    harness.wait_until(lambda: lamp_rects(session) in either, 10,
                                       what="one lamp grown in place for 192 DPI")
                    grown = max(lamp_rects(session), key=lambda rect: rect[2] - rect[0])
                    wait_colours(session, {(grown[2] - 2, 3): IDLE, (grown[2] - 1, 25): IDLE}, "the grown lamp idle")
                    harness.wait_until(lambda: label_height(session, grown) * 2 > 24, 10,
                                       what="the grown lamp's label grown too")

                # The options window, asked for by a second start, has every text of every page fit.
                self.assertEqual(session.run(harness.LUMORA_EXE, timeout=30).returncode, 0)
                harness.wait_until(lambda: page(session)[0] == "General", 20, what=f"the options window at {dpi} DPI")
                faults[dpi] = set()
                for name in ("General", "Appearance", "Summary"):
                    if name != "General":
                        show_tab(session, name, dpi)
                    for control in texts(session):
                        key = (name, control["id"], control["text"])
                        if control["need"][0] > control["room"][0] or control["need"][1] > control["room"][1]:
                            faults[dpi].add(("too long", *key))
                        if control["shown"] != control["size"]:
                            faults[dpi].add(("cut off by the page or the frame", *key))
                    if name == "Appearance":
                        # A DPI change lays the frame out anew around a General page made at the new
                        # DPI and brings the shown page back; told of the DPI it has, nothing moves.
                        before, old_pages = page_layout(session)
                        tell_dpi(session, FRAME, dpi)

                        def laid_out_again():
                            layout, pages = page_layout(session)
                            return pages not in ([], old_pages) and layout == before
                        harness.wait_until(laid_out_again, 10,
                                           what=f"the Appearance page made anew in its place at {dpi} DPI")
                self.assertEqual(session.quit_lumora(process), 0)
        # The templates are those of 96 DPI, where Wine's dialog font is wider than Windows'
        # Tahoma and two texts are too long (and the Summary page's "Close" loses a pixel row to
        # rounding); whatever fits at 96 DPI must fit at every DPI, and a control added to them
        # must fit at 96 DPI too.
        for dpi in (144, 192):
            self.assertEqual(faults[dpi] - faults[96], set(), f"at {dpi} DPI, beyond those at 96: {faults[96]}")
        self.assertEqual(faults[96], FAULTS_OF_THE_TEMPLATES, "at 96 DPI: only the templates' own")


if __name__ == "__main__":
    unittest.main()
