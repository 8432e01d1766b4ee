"""The options window of the running lumora.exe under Wine: the frame around its tabbed pages,
the About box, the ways to close it (a device change among them), none of which stops the
program, and the ways to ask for it: a second start, the tray icon's clicks and menu, a lamp's
double click and menu. Each makes the window when there is none and brings back an open one
(minimized here, for want of a window manager) as it was. Without a window manager Wine draws no
caption either: the close box's command is posted as the system menu sends it."""
import unittest

import harness
from common import FIRST_TRAY_ICON, LAMP, choose_menu_item, lamps, settings_ini, visible_menus
from options_page import (DIALOG, FRAME, TABS, centre, click, controls, frame, frames, inside, page, show_tab,
                          wait_closed)
from x11 import XDisplay

# The lamps stand clear of the options window, which opens at the top-left corner: a click on a
# lamp leaves its drag hint on screen, and the hint would cover the tabs.
SETTINGS = settings_ini(ShowTrayIcon="Yes", extra="[Physical Drive 0]\r\nx=600\r\ny=600\r\n"
                                                          "[Physical Drive 1]\r\nx=620\r\ny=600\r\n")
VERSION_LINE, IDC_VERSION = "Lumora Indicator version 1.104 ", 1030
WM_SYSCOMMAND, SC_CLOSE, SC_MINIMIZE, WS_MINIMIZE = 0x0112, 0xF060, 0xF020, 0x20000000
WM_DEVICECHANGE, DBT_DEVNODES_CHANGED = 0x219, 7
ALT, SHIFT, SLASH = 0xFFE9, 0xFFE1, 0x2F  # keysyms Alt_L, Shift_L, slash


def system_command(session, command):
    session.probe("post", FRAME, str(WM_SYSCOMMAND), str(command), "0")


def minimized(session):
    return session.probe_json("windows", FRAME)[0]["style"] & WS_MINIMIZE


def until_done(session, ask, done, what, tries=1):
    """Asks, then waits for done. A menu that closed before a busy machine could click it is
    asked for again."""
    for attempt in range(tries):
        try:
            ask()
            return harness.wait_until(done, 15 if attempt + 1 < tries else 20, what=what)
        except AssertionError:
            if attempt + 1 == tries or visible_menus(session):
                raise


class OptionsWindow(unittest.TestCase):
    def choose_from_menu(self, session, menu, item):
        """Clicks a menu of the menu bar ("File" 0, "Help" 1), then its item (0 or 1) in the popup."""
        tabs = controls(session, **{"class": TABS})[0]["rect"]
        session.probe("click", str(tabs[0] + 15 + 37 * menu), str(tabs[1] - 10))
        choose_menu_item(session, item)

    def test_the_frame_its_pages_about_box_and_every_way_to_open_and_close_it(self):
        with harness.Session("options") as session, XDisplay(session) as display:
            process = session.launch(SETTINGS)
            window = frame(session)
            name, shown = page(session)
            tabs = controls(session, **{"class": TABS})[0]["rect"]
            self.assertEqual(name, "General")
            # Sized for the page: the page fills the tab control's display area, the tab control the frame.
            self.assertTrue(inside(shown, tabs) and inside(tabs, window["rect"]), (shown, tabs, window["rect"]))
            self.assertLess(max(window["rect"][2] - shown[2], window["rect"][3] - shown[3]), 20)
            for name in ["Appearance", "Summary"]:
                show_tab(session, name)
                self.assertEqual(frame(session)["rect"], window["rect"], f"the frame keeps its size for {name}")

            # The keys reach the control with the focus in the page; the About box opens all the same.
            middle = ((shown[0] + shown[2]) // 2, (shown[1] + shown[3]) // 2)
            display.move_pointer([middle, (middle[0] + 1, middle[1])])
            for keys in [(ALT, SLASH), (ALT, SHIFT, SLASH)]:
                with self.subTest(keys=keys):
                    for key in keys:
                        display.key(key, True)
                    for key in reversed(keys):
                        display.key(key, False)
                    about = session.probe_json("wait-window", DIALOG, "10000")[0]
                    self.assertEqual((about["title"], session.probe_json("item-text", DIALOG, str(IDC_VERSION))),
                                     ("About Lumora", [VERSION_LINE]))
                    ok = next(child["rect"] for child in session.probe_json("children", DIALOG) if child["title"] == "OK")
                    session.probe("click", *centre(ok))
                    harness.wait_until(lambda: not session.probe_json("windows", DIALOG), 10, what="the About box gone")

            # Asked for again, the open window comes back as it was, even from the taskbar.
            system_command(session, SC_MINIMIZE)
            harness.wait_until(lambda: minimized(session), 10, what="the window minimized")
            self.assertEqual(session.run(harness.LUMORA_EXE, timeout=30).returncode, 0, "the second instance")
            harness.wait_until(lambda: not minimized(session), 10, what="the window restored")
            self.assertEqual(frame(session)["hwnd"], window["hwnd"])
            self.assertEqual(page(session)[0], "Summary")
            self.choose_from_menu(session, 0, 1)
            self.assertEqual(process.wait(15), 0, "Exit Lumora")

            process = session.launch(SETTINGS, "/s")
            self.assertEqual(frames(session), [], "no window on a silent start")
            # Where the lamps stand and how they show; the General page makes them anew when it opens.
            shown_lamps = lamps(session)
            lamp_centre = centre(session.probe_json("windows", LAMP)[0]["rect"])

            def choose_options(x, y):
                # "Options" is the first of the menu's two items.
                session.probe("click", x, y, "right")
                choose_menu_item(session, 0)
            hide, close_box = lambda: self.choose_from_menu(session, 0, 0), lambda: system_command(session, SC_CLOSE)
            for how, ask, tries, close in [
                    ("the tray icon's click", lambda: session.probe("click", *FIRST_TRAY_ICON), 1, hide),
                    ("the tray icon's double click", lambda: session.probe("click", *FIRST_TRAY_ICON, "double"), 1,
                     lambda: click(session, title="Close")),
                    ("the tray menu's Options", lambda: choose_options(*FIRST_TRAY_ICON), 3, close_box),
                    ("a lamp's double click", lambda: session.probe("click", *lamp_centre, "double"), 1, close_box),
                    ("a lamp menu's Options", lambda: choose_options(*lamp_centre), 3, close_box)]:
                with self.subTest(how=how):
                    opened = until_done(session, ask, lambda: frames(session), "the options window", tries)
                    # The General page stays: a lamp clicked while its lists lose the focus lives on.
                    system_command(session, SC_MINIMIZE)
                    harness.wait_until(lambda: minimized(session), 10, what="the window minimized")
                    until_done(session, ask, lambda: not minimized(session), "the window brought back", tries)
                    self.assertEqual([window["hwnd"] for window in frames(session)], [opened[0]["hwnd"]])
                    self.assertEqual(page(session)[0], "General")
                    # "Hide options", the page's "Close" and the close box: the window goes, the program stays.
                    close()
                    wait_closed(session)
                    self.assertIsNone(process.poll())
                    self.assertEqual(lamps(session), shown_lamps, "the lamps")

            # The General page lists the devices that a device change replaces: the window goes first.
            # Last: the lamps made anew flash for ten seconds, and the clicks above meet lamps at rest.
            def lamp_windows():
                return {window["hwnd"] for window in session.probe_json("windows", LAMP)}
            self.assertEqual(session.run(harness.LUMORA_EXE, timeout=30).returncode, 0, "the second instance")
            frame(session)
            before = lamp_windows()
            session.probe("post", "Worker", str(WM_DEVICECHANGE), str(DBT_DEVNODES_CHANGED), "0")
            wait_closed(session)
            harness.wait_until(lambda: lamps(session) == shown_lamps and not lamp_windows() & before, 10,
                               what="the lamps made anew")
            self.assertEqual(session.quit_lumora(process), 0)


if __name__ == "__main__":
    unittest.main()
