"""The Appearance page of the running lumora.exe under Wine: its sliders, colour dialog, check
boxes and "Default" change the lamps, the tray icon and the settings file at once, as a user sees
them. The sliders are moved with the keys that a trackbar takes once a click has given it the
focus; the colour dialog is typed into like any other dialog."""
import os
import threading
import time
import unittest

import harness
import test_options
from test_lamps import LAYERED, TOPMOST_TOOLWINDOW, XDisplay, disks, screen, settings_path
from test_options import DIALOG, FRAME, PAGE_MARKS, TAB_LABELS, TABS, centre
from test_tray import tray_icons

SETTINGS = ("[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon={tray}\r\nShowIndicatorLabel=No\r\n"
            "[Appearance]\r\nFrequency={frequency}\r\nOpacity={opacity}\r\n{extra}")
IDC_OPACITY, IDC_INTERVAL, IDC_OPACITY_TEXT, IDC_INTERVAL_TEXT = 1012, 1015, 1029, 1031
TRACKBAR, SWATCH_STYLE, WS_DISABLED = "msctls_trackbar32", 0x5000110D, 0x08000000
# The colour dialog's owner-drawn pictures: the colour field, the luminosity bar and, below them, the sample.
SAMPLE_STYLE = 0x5003100B
HOME, END, LEFT, RIGHT, PAGE_UP, BACKSPACE = 0xFF50, 0xFF57, 0xFF51, 0xFF53, 0xFF55, 0xFF08  # keysyms
DRIVE0 = (10, 8)  # inside the first lamp, away from its edges


def stored(session):
    """{(section, key): value} of settings.ini, names in lower case as the engine compares them."""
    values, section = {}, None
    with open(settings_path(session), encoding="latin-1") as f:
        for line in f.read().splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].lower()
            elif section is not None and "=" in line:
                key, _, value = line.partition("=")
                values[(section, key.lower())] = value
    return values


def pressed(display, keysym, times=1):
    # Paced as a typist would: each press is a message the busy program works through in turn.
    for _ in range(times):
        display.key(keysym, True)
        display.key(keysym, False)
        time.sleep(0.05)


def typed(display, text):
    for character in text:
        pressed(display, ord(character))


class AppearancePage(unittest.TestCase):
    # The options window's own helpers; inheriting them would run its tests again here.
    frame = test_options.OptionsWindow.frame
    children = test_options.OptionsWindow.children

    def open_page(self, session, tray="No", frequency=100, opacity=255, extra=""):
        session.write_scenario(disks())
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS.format(tray=tray, frequency=frequency, opacity=opacity, extra=extra))
        process = session.start_lumora()
        session.wait_started()
        self.frame(session)
        tabs = [child["rect"] for child in self.children(session) if child["class"] == TABS][0]
        x, y = TAB_LABELS["Appearance"]
        session.probe("click", str(tabs[0] + x), str(tabs[1] + y))
        harness.wait_until(lambda: self.shows_appearance(session), 10, what="the Appearance page")
        return process

    def shows_appearance(self, session):
        # Polled while the tab switch replaces one page by the other.
        children = self.children(session)
        pages = [child for child in children if child["class"] == DIALOG]
        return len(pages) == 1 and PAGE_MARKS["Appearance"] in {child["title"] for child in children}

    def controls(self, session, **match):
        """The page's controls whose fields match, top to bottom."""
        found = [child for child in self.children(session) if all(child[k] == v for k, v in match.items())]
        return sorted(found, key=lambda child: (child["rect"][1], child["rect"][0]))

    def click(self, session, title, index=0):
        session.probe("click", *centre(self.controls(session, title=title)[index]["rect"]))

    def text(self, session, control):
        return session.probe_json("item-text", FRAME, str(control))[0]

    def wait_text(self, session, control, text):
        harness.wait_until(lambda: self.text(session, control) == text, 10,
                           what=f"{text!r} beside the slider ({self.text(session, control)!r})")

    def slider(self, session, control):
        return int(session.probe("trackbar-pos", FRAME, str(control)))

    def lamps(self, session):
        return sorted((tuple(w["rect"]), w["exstyle"]) for w in session.probe_json("windows", "LUMORAIndicator"))

    def enabled(self, session, title):
        return not self.controls(session, title=title)[0]["style"] & WS_DISABLED

    def swatches(self, session):
        """The read, write and idle swatches' centres."""
        return [tuple(map(int, centre(s["rect"]))) for s in self.controls(session, style=SWATCH_STYLE)]

    def pixel(self, session, point):
        return session.probe("pixel", *map(str, point)).strip()

    def wait_pixels(self, session, points, what):
        def look():
            pixel = screen(session)
            return all(pixel(*point) == colour for point, colour in points.items())
        harness.wait_until(look, 20, interval=0.2, what=what)

    def close_page(self, session):
        self.click(session, "Close")
        harness.wait_until(lambda: not session.probe_json("windows", FRAME), 10, what="the options window gone")

    def test_the_opacity_slider_makes_every_lamp_see_through_and_the_read_out_follows(self):
        with harness.Session("appearance-opacity") as session, XDisplay(session) as display:
            process = self.open_page(session)
            places = [rect for rect, _ in self.lamps(session)]
            self.assertEqual(len(places), 2)
            # A click gives the slider the focus; then the keys move it as far as they name.
            session.probe("click", *centre(self.controls(session, **{"class": TRACKBAR})[0]["rect"]))
            for key, text, position, style in [
                    (HOME, "Invisible", 0, TOPMOST_TOOLWINDOW | LAYERED),
                    (RIGHT, "0%", 1, TOPMOST_TOOLWINDOW | LAYERED),
                    (END, "Opaque", 255, TOPMOST_TOOLWINDOW),
                    (LEFT, "99%", 254, TOPMOST_TOOLWINDOW | LAYERED)]:
                with self.subTest(text=text):
                    pressed(display, key)
                    self.wait_text(session, IDC_OPACITY_TEXT, text)
                    self.assertEqual(self.slider(session, IDC_OPACITY), position)
                    # Every lamp at once, and none of them moves, even when it cannot be seen.
                    self.assertEqual(self.lamps(session), [(rect, style) for rect in places])
            # One page further, wherever the trackbar's page size puts it: the per cent truncated.
            pressed(display, PAGE_UP)
            harness.wait_until(lambda: self.slider(session, IDC_OPACITY) < 254, 10, what="the slider a page down")
            position = self.slider(session, IDC_OPACITY)
            self.wait_text(session, IDC_OPACITY_TEXT, f"{position * 100 // 255}%")
            self.close_page(session)
            self.assertEqual(stored(session)[("appearance", "opacity")], str(position))
            self.assertEqual(session.quit_lumora(process), 0)

    def test_the_interval_slider_sets_the_interval_that_the_file_keeps(self):
        with harness.Session("appearance-interval") as session, XDisplay(session) as display:
            process = self.open_page(session)
            session.probe("click", *centre(self.controls(session, **{"class": TRACKBAR})[1]["rect"]))
            for keys, text, position in [(END, "30 ms", 8), (LEFT, "50 ms", 7), (LEFT, "70 ms", 6),
                                         (HOME, "1000 ms", 0)]:
                with self.subTest(text=text):
                    pressed(display, keys)
                    self.wait_text(session, IDC_INTERVAL_TEXT, text)
                    self.assertEqual(self.slider(session, IDC_INTERVAL), position)
            pressed(display, RIGHT, 3)
            self.wait_text(session, IDC_INTERVAL_TEXT, "300 ms")
            self.close_page(session)
            self.assertEqual(stored(session)[("appearance", "frequency")], "300")
            self.assertEqual(session.quit_lumora(process), 0)

    def test_a_stored_interval_moves_onto_the_entry_20_ms_below_it_or_stays_as_it_is(self):
        with harness.Session("appearance-stored-interval") as session:
            for frequency, position, kept in [(120, 5, 100), (90, 6, 70), (50, 7, 50), (40, 0, 40)]:
                with self.subTest(frequency=frequency):
                    process = self.open_page(session, frequency=frequency)
                    self.wait_text(session, IDC_INTERVAL_TEXT, f"{kept} ms")
                    self.assertEqual(self.slider(session, IDC_INTERVAL), position)
                    self.close_page(session)
                    self.assertEqual(stored(session)[("appearance", "frequency")], str(kept))
                    self.assertEqual(session.quit_lumora(process), 0)

    def test_a_colour_chosen_in_the_dialog_paints_the_swatch_and_the_lamps_and_a_cancelled_one_nothing(self):
        with harness.Session("appearance-colour") as session, XDisplay(session) as display:
            process = self.open_page(session)
            idle = self.swatches(session)[2]
            self.wait_pixels(session, {idle: "000080", DRIVE0: "000080"}, "the idle colour on swatch and lamp")

            def choose(open_dialog, edit, value, button, preview):
                open_dialog()
                harness.wait_until(lambda: session.probe_json("windows", DIALOG), 10, what="the colour dialog")
                dialog = session.probe_json("children", DIALOG)
                edits = sorted((c["rect"] for c in dialog if c["class"] == "Edit"), key=lambda r: (r[0], r[1]))
                # The red, green and blue boxes stand in the rightmost column, top to bottom.
                session.probe("click", *centre(edits[3 + edit]))
                pressed(display, END)
                pressed(display, BACKSPACE, 3)
                typed(display, value)
                # The dialog's own sample of the new colour: the typed value has arrived.
                sample = max((c["rect"] for c in dialog if c["style"] == SAMPLE_STYLE), key=lambda r: r[1])
                self.wait_pixels(session, {(sample[0] + 8, (sample[1] + sample[3]) // 2): preview},
                                 f"the dialog's sample in {preview}")
                session.probe("click", *centre([c["rect"] for c in dialog if c["title"] == button][0]))
                harness.wait_until(lambda: not session.probe_json("windows", DIALOG), 10, what="the dialog closed")

            # A click on the swatch opens the same dialog as its "Change" button.
            choose(lambda: session.probe("click", *map(str, idle)), 0, "255", "OK", "FF0080")
            self.wait_pixels(session, {idle: "FF0080", DRIVE0: "FF0080"}, "the chosen colour on swatch and lamp")
            choose(lambda: self.click(session, "Change", 2), 1, "255", "Cancel", "FFFF80")
            self.wait_pixels(session, {idle: "FF0080", DRIVE0: "FF0080"}, "the colour kept after Cancel")
            self.close_page(session)
            self.assertEqual(stored(session)[("appearance", "coloroff")], str(0x8000FF))
            self.assertEqual(session.quit_lumora(process), 0)

    def test_the_led_and_tray_boxes_switch_their_dependent_boxes_and_the_tray_icon(self):
        with harness.Session("appearance-boxes") as session:
            process = self.open_page(session, tray="Yes")
            led, direct = "Use keyboard ScrollLock led to indicate activity", "Use direct access mode"
            tray, activity = "Show icon in system tray", "Use icon to indicate activity"
            self.assertEqual((self.enabled(session, direct), self.enabled(session, activity)), (False, True))
            self.assertEqual(len(tray_icons(session)), 1)
            for box, dependent, on, icons in [(led, direct, True, 1), (led, direct, False, 1),
                                              (tray, activity, False, 0), (tray, activity, True, 1)]:
                with self.subTest(box=box, on=on):
                    self.click(session, box)
                    harness.wait_until(lambda: self.enabled(session, dependent) == on, 10,
                                       what=f"{dependent!r} {'enabled' if on else 'greyed'}")
                    harness.wait_until(lambda: len(tray_icons(session)) == icons, 10, what=f"{icons} tray icons")
            self.click(session, led)
            harness.wait_until(lambda: self.enabled(session, direct), 10, what="direct access enabled")
            self.close_page(session)
            values = stored(session)
            self.assertEqual((values[("general", "usekeyboardled")], values[("general", "showtrayicon")]),
                             ("Yes", "Yes"))
            self.assertEqual(session.quit_lumora(process), 0)

    def test_default_lines_the_lamps_up_and_puts_back_the_colours_opacity_and_interval(self):
        moved = "[Physical Drive 0]\r\nx=600\r\ny=600\r\n[Physical Drive 1]\r\nx=700\r\ny=500\r\n"
        with harness.Session("appearance-default") as session:
            process = self.open_page(session, frequency=200, opacity=100, extra=moved)
            self.assertEqual(self.lamps(session), [((600, 600, 616, 612), TOPMOST_TOOLWINDOW | LAYERED),
                                                   ((700, 500, 716, 512), TOPMOST_TOOLWINDOW | LAYERED)])
            # The lamps flash, so that the user finds them, and then rest in the new idle blue. The
            # flash lasts a hundred ticks, and a look takes a while on a busy machine: the looks
            # begin before the click.
            seen, stop = [], threading.Event()

            def look():
                while not stop.is_set():
                    seen.append(self.pixel(session, DRIVE0))
            watcher = threading.Thread(target=look, daemon=True)
            watcher.start()
            try:
                harness.wait_until(lambda: seen, 30, what="a first look at the lamp")
                self.click(session, "Default")
                harness.wait_until(lambda: seen[-1] == "0000FF", 30, what="the lamp idle after its flash")
            finally:
                stop.set()
                watcher.join()
            self.assertTrue(set(seen) - {seen[0], "0000FF"}, f"the flash shows other colours: {seen}")
            self.wait_text(session, IDC_INTERVAL_TEXT, "50 ms")
            self.assertEqual(self.text(session, IDC_OPACITY_TEXT), "Opaque")
            self.assertEqual((self.slider(session, IDC_OPACITY), self.slider(session, IDC_INTERVAL)), (255, 7))
            self.assertEqual(self.lamps(session), [((2, 2, 18, 14), TOPMOST_TOOLWINDOW),
                                                   ((20, 2, 36, 14), TOPMOST_TOOLWINDOW)])
            # Written at once, without waiting for the page to close.
            values = stored(session)
            self.assertEqual({key: values[key] for key in [
                ("appearance", "frequency"), ("appearance", "opacity"), ("appearance", "coloroff"),
                ("physical drive 0", "x"), ("physical drive 0", "y"), ("physical drive 1", "x")]}, {
                ("appearance", "frequency"): "50", ("appearance", "opacity"): "255",
                ("appearance", "coloroff"): str(0xFF0000), ("physical drive 0", "x"): "2",
                ("physical drive 0", "y"): "2", ("physical drive 1", "x"): "20"})
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
