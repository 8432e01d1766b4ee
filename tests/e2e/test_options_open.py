"""The ways of asking the running lumora.exe for its options window under Wine besides a second
start: the tray icon's clicks and menu, a lamp's double click and menu. Each makes the window
when there is none and brings back an open one (minimized here, since there is no window
manager to stack windows) as it was, without making another."""
import os
import unittest

import harness
import test_options
from test_lamps import disks, settings_path
from test_options import FRAME, MENU, WM_SYSCOMMAND, SC_CLOSE, SC_MINIMIZE, WS_MINIMIZE, frames

# The lamps stand clear of the options window, which opens at the top-left corner: a click on a
# lamp leaves its drag hint on screen, and the hint would cover the tabs.
SETTINGS = ("[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon=Yes\r\n[Appearance]\r\nFrequency=100\r\n"
            "[Physical Drive 0]\r\nx=600\r\ny=600\r\n[Physical Drive 1]\r\nx=620\r\ny=600\r\n")
# The centre of the first icon in Wine's standalone tray, which a restored options window covers.
TRAY_ICON = ("13", "32")


def visible_menus(session):
    # The menu window exists before it has its place on the screen.
    return [window["rect"] for window in session.probe_json("windows", MENU) if window["visible"]]


def choose_options(session, x, y):
    """Right-clicks (x, y) and clicks "Options", the first of the two items of the menu there."""
    session.probe("click", x, y, "right")
    menu = harness.wait_until(lambda: visible_menus(session), 10, what="the menu")[0]
    session.probe("click", str(menu[0] + 20), str((3 * menu[1] + menu[3]) // 4))


def until_done(session, ask, done, what, tries=1):
    """Asks, then waits for done. Under Wine the lamps' 10-second return to the top closes an open
    menu, so a menu that closed before a busy machine could click it is asked for again."""
    for attempt in range(tries):
        try:
            ask()
            return harness.wait_until(done, 15 if attempt + 1 < tries else 20, what=what)
        except AssertionError:
            if attempt + 1 == tries or visible_menus(session):
                raise


class OpeningTheOptions(unittest.TestCase):
    children = test_options.OptionsWindow.children
    page = test_options.OptionsWindow.page

    def test_the_tray_icon_and_a_lamp_open_the_window_and_bring_it_back(self):
        with harness.Session("options-open") as session:
            session.write_scenario(disks())
            os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
            with open(settings_path(session), "w", newline="") as f:
                f.write(SETTINGS)
            process = session.start_lumora("/s")
            session.wait_started()
            lamp = [window["rect"] for window in session.probe_json("windows", "LUMORAIndicator")][0]
            lamp_centre = (str((lamp[0] + lamp[2]) // 2), str((lamp[1] + lamp[3]) // 2))

            def minimized():
                return session.probe_json("windows", FRAME)[0]["style"] & WS_MINIMIZE

            for how, ask, tries in [
                    ("the tray icon's click", lambda: session.probe("click", *TRAY_ICON), 1),
                    ("the tray icon's double click", lambda: session.probe("click", *TRAY_ICON, "double"), 1),
                    ("the tray menu's Options", lambda: choose_options(session, *TRAY_ICON), 3),
                    ("a lamp's double click", lambda: session.probe("click", *lamp_centre, "double"), 1),
                    ("a lamp menu's Options", lambda: choose_options(session, *lamp_centre), 3)]:
                with self.subTest(how=how):
                    self.assertEqual(frames(session), [], "no window before")
                    opened = until_done(session, ask, lambda: frames(session), "the options window", tries)
                    self.assertEqual(len(opened), 1)
                    # The General page stays: a lamp clicked while its lists lose the focus lives on.

                    session.probe("post", FRAME, str(WM_SYSCOMMAND), str(SC_MINIMIZE), "0")
                    harness.wait_until(minimized, 10, what="the window minimized")
                    until_done(session, ask, lambda: not minimized(), "the window brought back", tries)
                    self.assertEqual([window["hwnd"] for window in frames(session)], [opened[0]["hwnd"]])
                    self.assertEqual(self.page(session)[0], "General")

                    session.probe("post", FRAME, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")
                    harness.wait_until(lambda: not session.probe_json("windows", FRAME), 10, what="the window gone")
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
