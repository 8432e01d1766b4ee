"""The Appearance page of the running lumora.exe under Wine: its sliders, colour dialog, check
boxes and "Default" change the lamps, the tray icon and the settings file at once, as a user sees
them. A slider is moved with a key that a trackbar takes once a click has given it the focus; the
colour dialog is typed into like any other dialog; "Colour-blind safe" is pressed with the disks
busy. The read-outs and the interval table beside the sliders are the unit tests'."""
import threading
import time
import unittest

import harness
from harness import disks
from common import LAMP, LAYERED, TOPMOST_TOOLWINDOW, lamps, settings_ini, stored_settings, tray_icons, wait_colours
from options_page import DIALOG, FRAME, centre, click, controls, frame, item_text, show_tab, wait_closed
from x11 import XDisplay

IDC_OPACITY, IDC_INTERVAL, IDC_OPACITY_TEXT, IDC_INTERVAL_TEXT = 1012, 1015, 1029, 1031
TRACKBAR, SWATCH_STYLE, WS_DISABLED = "msctls_trackbar32", 0x5000110D, 0x08000000
# The colour dialog's owner-drawn pictures: the colour field, the luminosity bar and, below them, the sample.
SAMPLE_STYLE = 0x5003100B
HOME, END, BACKSPACE = 0xFF50, 0xFF57, 0xFF08  # keysyms
DRIVE0 = (10, 8)  # inside the first lamp at its start place, away from its edges
MOVED = "[Physical Drive 0]\r\nx=600\r\ny=600\r\n[Physical Drive 1]\r\nx=700\r\ny=500\r\n"


def pressed(display, keysym):
    # Paced as a typist would: each press is a message the busy program works through in turn.
    display.key(keysym, True)
    display.key(keysym, False)
    time.sleep(0.05)


class AppearancePage(unittest.TestCase):
    def wait_text(self, session, control, text):
        harness.wait_until(lambda: item_text(session, control) == text, 10,
                           what=f"{text!r} beside the slider ({item_text(session, control)!r})")

    def slider(self, session, control):
        return int(session.probe("trackbar-pos", FRAME, str(control)))

    def enabled(self, session, title):
        return not controls(session, title=title)[0]["style"] & WS_DISABLED

    def test_sliders_colours_boxes_and_default_change_the_lamps_the_tray_and_the_file(self):
        with harness.Session("appearance") as session, XDisplay(session) as display:
            process = session.launch(settings_ini(ShowIndicatorLabel="No", ShowTrayIcon="Yes", Frequency=120,
                                                  Opacity=100, extra=MOVED))
            frame(session)
            show_tab(session, "Appearance")
            # A stored interval 20 ms above an entry of the slider's moves onto it.
            self.wait_text(session, IDC_INTERVAL_TEXT, "100 ms")
            self.assertEqual(self.slider(session, IDC_INTERVAL), 5)
            self.default_lines_the_lamps_up_and_puts_back_colours_opacity_and_interval(session)
            self.a_colour_chosen_in_the_dialog_paints_swatch_and_lamps_and_a_cancelled_one_nothing(session, display)
            self.colour_blind_safe_paints_swatches_and_lamps_and_is_written_at_once(session)
            self.the_sliders_set_every_lamps_opacity_and_the_interval(session, display)
            self.the_led_and_tray_boxes_switch_their_dependent_boxes_and_the_icon(session)
            click(session, title="Close")
            wait_closed(session)
            stored = stored_settings(session)
            self.assertEqual([stored["Appearance"][key] for key in ("Opacity", "Frequency", "ColorOff")] +
                             [stored["General"][key] for key in ("UseKeyboardLed", "ShowTrayIcon")],
                             ["0", "1000", str(0x3C3C3C), "Yes", "Yes"])
            self.assertEqual(session.quit_lumora(process), 0)

    def default_lines_the_lamps_up_and_puts_back_colours_opacity_and_interval(self, session):
        # The lamps, moved and see-through at the start, line up opaque. They flash, so that the
        # user finds them, and then rest in the new idle blue. The flash lasts a hundred ticks, and
        # a look takes a while on a busy machine: the looks begin before the click.
        seen, stop = [], threading.Event()

        def look():
            while not stop.is_set():
                seen.append(session.probe("pixel", *map(str, DRIVE0)).strip())
        watcher = threading.Thread(target=look, daemon=True)
        watcher.start()
        try:
            harness.wait_until(lambda: seen, 30, what="a first look at the lamp")
            click(session, title="Default")
            harness.wait_until(lambda: seen[-1] == "0000FF", 30, what="the lamp idle after its flash")
        finally:
            stop.set()
            watcher.join()
        self.assertTrue(set(seen) - {seen[0], "0000FF"}, f"the flash shows other colours: {seen}")
        self.wait_text(session, IDC_INTERVAL_TEXT, "50 ms")
        self.assertEqual(item_text(session, IDC_OPACITY_TEXT), "Opaque")
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
            for key in [END, BACKSPACE, BACKSPACE, BACKSPACE, *map(ord, value)]:
                pressed(display, key)
            # The dialog's own sample of the new colour: the typed value has arrived.
            sample = max((c["rect"] for c in dialog if c["style"] == SAMPLE_STYLE), key=lambda r: r[1])
            wait_colours(session, {(sample[0] + 8, (sample[1] + sample[3]) // 2): preview},
                                 f"the dialog's sample in {preview}")
            session.probe("click", *centre([c["rect"] for c in dialog if c["title"] == button][0]))
            harness.wait_until(lambda: not session.probe_json("windows", DIALOG), 10, what="the dialog closed")

        # A click on the swatch opens the same dialog as its "Change" button.
        choose(lambda: session.probe("click", *map(str, idle)), 0, "128", "OK", "8000FF")
        wait_colours(session, {idle: "8000FF", DRIVE0: "8000FF"}, "the chosen colour on swatch and lamp")
        choose(lambda: click(session, 2, title="Change"), 1, "255", "Cancel", "80FFFF")
        wait_colours(session, {idle: "8000FF", DRIVE0: "8000FF"}, "the colour kept after Cancel")

    def colour_blind_safe_paints_swatches_and_lamps_and_is_written_at_once(self, session):
        # Drive 0 reads three parts to one part written: blue over orange; drive 1 rests in grey.
        swatches = [tuple(map(int, centre(swatch["rect"]))) for swatch in controls(session, style=SWATCH_STYLE)]
        with harness.ScenarioWriter(session, lambda step, _: disks(step, 3, 1)):
            click(session, title="Colour-blind safe")
            wait_colours(session, {**dict(zip(swatches, ["0072B2", "E69F00", "3C3C3C"])),
                                   (10, 4): "0072B2", (10, 13): "E69F00", (28, 8): "3C3C3C"},
                         "the palette on the swatches and the lamps")
        palette = [str(0xB27200), str(0x009FE6), str(0x3C3C3C)]
        harness.wait_until(lambda: [stored_settings(session).get("Appearance", {}).get(key)
                                    for key in ("ColorRead", "ColorWrite", "ColorOff")] == palette, 10,
                           what="the palette in settings.ini before the page closes")
        # Screen readers name a lamp by its window's text: the device, as Wine's drive 0 describes itself.
        self.assertEqual(sorted(w["title"] for w in session.probe_json("windows", LAMP)),
                         ["Physical Drive 0 - SCSI disk", "Physical Drive 1"])

    def the_sliders_set_every_lamps_opacity_and_the_interval(self, session, display):
        places = [rect for rect, _, _ in lamps(session)]
        for index, slider, readout, text in [(0, IDC_OPACITY, IDC_OPACITY_TEXT, "Invisible"),
                                             (1, IDC_INTERVAL, IDC_INTERVAL_TEXT, "1000 ms")]:
            # A click gives the slider the focus; then the key moves it to its left end.
            click(session, index, **{"class": TRACKBAR})
            pressed(display, HOME)
            self.wait_text(session, readout, text)
            self.assertEqual(self.slider(session, slider), 0)
        # Every lamp at once, and none of them moves, even when it cannot be seen.
        self.assertEqual(lamps(session), [(rect, TOPMOST_TOOLWINDOW | LAYERED, True) for rect in places])

    def the_led_and_tray_boxes_switch_their_dependent_boxes_and_the_icon(self, session):
        led, direct = "Use keyboard ScrollLock led to indicate activity", "Use direct access mode"
        tray, activity = "Show icon in system tray", "Use icon to indicate activity"
        self.assertEqual((self.enabled(session, direct), self.enabled(session, activity)), (False, True))
        self.assertEqual(len(tray_icons(session)), 1)
        for box, dependent, on, icons in [(led, direct, True, 1), (led, direct, False, 1), (tray, activity, False, 0),
                                          (tray, activity, True, 1), (led, direct, True, 1)]:
            with self.subTest(box=box, on=on):
                click(session, title=box)
                harness.wait_until(lambda: self.enabled(session, dependent) == on, 10,
                                   what=f"{dependent!r} {'enabled' if on else 'greyed'}")
                harness.wait_until(lambda: len(tray_icons(session)) == icons, 10, what=f"{icons} tray icons")


if __name__ == "__main__":
    unittest.main()
