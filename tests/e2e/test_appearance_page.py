"""The Appearance page of the running lumora.exe under Wine: its sliders, colour dialog, check
boxes and "Default" change the lamps, the tray icon and the settings file at once, as a user sees
them. The sliders are moved with the keys that a trackbar takes once a click has given it the
focus; the colour dialog is typed into like any other dialog."""
import threading
import time
import unittest

import harness
from common import LAYERED, TOPMOST_TOOLWINDOW, lamps, settings_ini, stored_settings, tray_icons, wait_colours
from options_page import DIALOG, FRAME, centre, controls, frame, show_tab
from x11 import XDisplay

IDC_OPACITY, IDC_INTERVAL, IDC_OPACITY_TEXT, IDC_INTERVAL_TEXT = 1012, 1015, 1029, 1031
TRACKBAR, SWATCH_STYLE, WS_DISABLED = "msctls_trackbar32", 0x5000110D, 0x08000000
# The colour dialog's owner-drawn pictures: the colour field, the luminosity bar and, below them, the sample.
SAMPLE_STYLE = 0x5003100B
HOME, END, LEFT, RIGHT, PAGE_UP, BACKSPACE = 0xFF50, 0xFF57, 0xFF51, 0xFF53, 0xFF55, 0xFF08  # keysyms
DRIVE0 = (10, 8)  # inside the first lamp at its start place, away from its edges
MOVED = "[Physical Drive 0]\r\nx=600\r\ny=600\r\n[Physical Drive 1]\r\nx=700\r\ny=500\r\n"


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
    def open_page(self, session, **settings):
        process = session.launch(settings_ini(ShowIndicatorLabel="No", **settings))
        frame(session)
        show_tab(session, "Appearance")
        return process

    def click(self, session, title, index=0):
        session.probe("click", *centre(controls(session, title=title)[index]["rect"]))

    def text(self, session, control):
        return session.probe_json("item-text", FRAME, str(control))[0]

    def wait_text(self, session, control, text):
        harness.wait_until(lambda: self.text(session, control) == text, 10,
                           what=f"{text!r} beside the slider ({self.text(session, control)!r})")

    def slider(self, session, control):
        return int(session.probe("trackbar-pos", FRAME, str(control)))

    def enabled(self, session, title):
        return not controls(session, title=title)[0]["style"] & WS_DISABLED

    def close_page(self, session):
        self.click(session, "Close")
        harness.wait_until(lambda: not session.probe_json("windows", FRAME), 10, what="the options window gone")
        return stored_settings(session)

    def test_sliders_colours_boxes_and_default_change_the_lamps_the_tray_and_the_file(self):
        with harness.Session("appearance") as session, XDisplay(session) as display:
            # A stored interval moves onto the entry 20 ms below it, or stays as it is, and the file
            # keeps the page's interval, not the slider's entry (the rule's other cases are unit tests').
            for frequency, position, kept in [(120, 5, 100), (40, 0, 40)]:
                with self.subTest(frequency=frequency):
                    process = self.open_page(session, Frequency=frequency)
                    self.wait_text(session, IDC_INTERVAL_TEXT, f"{kept} ms")
                    self.assertEqual(self.slider(session, IDC_INTERVAL), position)
                    self.assertEqual(self.close_page(session)["Appearance"]["Frequency"], str(kept))
                    self.assertEqual(session.quit_lumora(process), 0)

            process = self.open_page(session, ShowTrayIcon="Yes", Frequency=200, Opacity=100, extra=MOVED)
            self.default_lines_the_lamps_up_and_puts_back_colours_opacity_and_interval(session)
            self.a_colour_chosen_in_the_dialog_paints_swatch_and_lamps_and_a_cancelled_one_nothing(session, display)
            opacity = self.the_opacity_slider_makes_every_lamp_see_through(session, display)
            self.the_interval_slider_sets_the_interval(session, display)
            self.the_led_and_tray_boxes_switch_their_dependent_boxes_and_the_icon(session)
            stored = self.close_page(session)
            self.assertEqual({key: stored[section][key] for section, key in [
                ("Appearance", "Opacity"), ("Appearance", "Frequency"), ("Appearance", "ColorOff"),
                ("General", "UseKeyboardLed"), ("General", "ShowTrayIcon")]},
                {"Opacity": str(opacity), "Frequency": "300", "ColorOff": str(0xFF0080), "UseKeyboardLed": "Yes",
                 "ShowTrayIcon": "Yes"})
            self.assertEqual(session.quit_lumora(process), 0)

    def default_lines_the_lamps_up_and_puts_back_colours_opacity_and_interval(self, session):
        self.assertEqual(lamps(session), [((600, 600, 616, 612), TOPMOST_TOOLWINDOW | LAYERED, True),
                                          ((700, 500, 716, 512), TOPMOST_TOOLWINDOW | LAYERED, True)])
        # The lamps flash, so that the user finds them, and then rest in the new idle blue. The
        # flash lasts a hundred ticks, and a look takes a while on a busy machine: the looks
        # begin before the click.
        seen, stop = [], threading.Event()

        def look():
            while not stop.is_set():
                seen.append(session.probe("pixel", *map(str, DRIVE0)).strip())
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
        self.assertEqual(lamps(session), [((2, 2, 18, 14), TOPMOST_TOOLWINDOW, True),
                                          ((20, 2, 36, 14), TOPMOST_TOOLWINDOW, True)])
        # Written at once, without waiting for the page to close.
        stored = stored_settings(session)
        self.assertEqual([stored[section][key] for section, key in [
            ("Appearance", "Frequency"), ("Appearance", "Opacity"), ("Appearance", "ColorOff"),
            ("Physical Drive 0", "x"), ("Physical Drive 0", "y"), ("Physical Drive 1", "x")]],
            ["50", "255", str(0xFF0000), "2", "2", "20"])

    def a_colour_chosen_in_the_dialog_paints_swatch_and_lamps_and_a_cancelled_one_nothing(self, session, display):
        # The read, write and idle swatches, top to bottom.
        idle = tuple(map(int, centre(controls(session, style=SWATCH_STYLE)[2]["rect"])))
        wait_colours(session, {idle: "0000FF", DRIVE0: "0000FF"}, "the idle colour on swatch and lamp")

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
            wait_colours(session, {(sample[0] + 8, (sample[1] + sample[3]) // 2): preview},
                                 f"the dialog's sample in {preview}")
            session.probe("click", *centre([c["rect"] for c in dialog if c["title"] == button][0]))
            harness.wait_until(lambda: not session.probe_json("windows", DIALOG), 10, what="the dialog closed")

        # A click on the swatch opens the same dialog as its "Change" button.
        choose(lambda: session.probe("click", *map(str, idle)), 0, "128", "OK", "8000FF")
        wait_colours(session, {idle: "8000FF", DRIVE0: "8000FF"}, "the chosen colour on swatch and lamp")
        choose(lambda: self.click(session, "Change", 2), 1, "255", "Cancel", "80FFFF")
        wait_colours(session, {idle: "8000FF", DRIVE0: "8000FF"}, "the colour kept after Cancel")

    def the_opacity_slider_makes_every_lamp_see_through(self, session, display):
        places = [rect for rect, _, _ in lamps(session)]
        # A click gives the slider the focus; then the keys move it as far as they name.
        session.probe("click", *centre(controls(session, **{"class": TRACKBAR})[0]["rect"]))
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
                self.assertEqual([lamp[:2] for lamp in lamps(session)], [(rect, style) for rect in places])
        # One page further, wherever the trackbar's page size puts it: the per cent truncated.
        pressed(display, PAGE_UP)
        harness.wait_until(lambda: self.slider(session, IDC_OPACITY) < 254, 10, what="the slider a page down")
        position = self.slider(session, IDC_OPACITY)
        self.wait_text(session, IDC_OPACITY_TEXT, f"{position * 100 // 255}%")
        return position

    def the_interval_slider_sets_the_interval(self, session, display):
        session.probe("click", *centre(controls(session, **{"class": TRACKBAR})[1]["rect"]))
        for keys, text, position in [(END, "30 ms", 8), (LEFT, "50 ms", 7), (LEFT, "70 ms", 6), (HOME, "1000 ms", 0)]:
            with self.subTest(text=text):
                pressed(display, keys)
                self.wait_text(session, IDC_INTERVAL_TEXT, text)
                self.assertEqual(self.slider(session, IDC_INTERVAL), position)
        pressed(display, RIGHT, 3)
        self.wait_text(session, IDC_INTERVAL_TEXT, "300 ms")

    def the_led_and_tray_boxes_switch_their_dependent_boxes_and_the_icon(self, session):
        led, direct = "Use keyboard ScrollLock led to indicate activity", "Use direct access mode"
        tray, activity = "Show icon in system tray", "Use icon to indicate activity"
        self.assertEqual((self.enabled(session, direct), self.enabled(session, activity)), (False, True))
        self.assertEqual(len(tray_icons(session)), 1)
        # A taskbar that says it was re-created while it kept the icon leaves the box in charge of it.
        session.probe("broadcast", "TaskbarCreated")
        for box, dependent, on, icons in [(led, direct, True, 1), (led, direct, False, 1),
                                          (tray, activity, False, 0), (tray, activity, True, 1)]:
            with self.subTest(box=box, on=on):
                self.click(session, box)
                harness.wait_until(lambda: self.enabled(session, dependent) == on, 10,
                                   what=f"{dependent!r} {'enabled' if on else 'greyed'}")
                harness.wait_until(lambda: len(tray_icons(session)) == icons, 10, what=f"{icons} tray icons")
        self.click(session, led)
        harness.wait_until(lambda: self.enabled(session, direct), 10, what="direct access enabled")


if __name__ == "__main__":
    unittest.main()
