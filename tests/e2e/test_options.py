"""The options window of the running lumora.exe under Wine: when it opens, the frame around its
tabbed pages, the About box, and the ways to close it, none of which stops the program. There is
no window manager here, so Wine draws no caption: the close box's command is sent as the system
menu sends it, and everything else is clicked or typed."""
import os
import unittest

import harness
from test_lamps import XDisplay, disks, settings_path

# Pages are child dialogs, the About box the only top-level one.
FRAME, TABS, DIALOG, MENU = "LUMORA", "SysTabControl32", "#32770", "#32768"
SETTINGS = "[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon=No\r\n[Appearance]\r\nFrequency=100\r\n"
# A button that only its own page has.
PAGE_MARKS = {"General": "Where are my indicators?", "Appearance": "Default", "Summary": "Auto refresh"}
# Where each tab's label sits in the tab control, from its top-left corner, in Wine's dialog font.
TAB_LABELS = {"General": (30, 10), "Appearance": (97, 10), "Summary": (172, 10)}
VERSION_LINE, IDC_VERSION = "Lumora Indicator version 1.104 ", 1030
WM_SYSCOMMAND, SC_CLOSE, SC_MINIMIZE, WS_MINIMIZE = 0x0112, 0xF060, 0xF020, 0x20000000
ALT, SHIFT, SLASH = 0xFFE9, 0xFFE1, 0x2F  # keysyms Alt_L, Shift_L, slash


def lamp_places(session):
    """Where the lamps stand and how they show; the General page makes them anew when it opens."""
    return [(w["rect"], w["visible"], w["exstyle"]) for w in session.probe_json("windows", "LUMORAIndicator")]


def frames(session):
    return [window for window in session.probe_json("windows", FRAME) if window["visible"]]


def inside(inner, outer):
    return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]


def centre(rect):
    return str((rect[0] + rect[2]) // 2), str((rect[1] + rect[3]) // 2)


class OptionsWindow(unittest.TestCase):
    def start(self, session, *args):
        session.write_scenario(disks())
        os.makedirs(os.path.dirname(settings_path(session)), exist_ok=True)
        with open(settings_path(session), "w", newline="") as f:
            f.write(SETTINGS)
        process = session.start_lumora(*args)
        session.wait_started()
        return process

    def frame(self, session):
        """The one options window, once it is on screen."""
        harness.wait_until(lambda: frames(session), 20, what="the options window")
        shown = frames(session)
        self.assertEqual(len(shown), 1)
        return shown[0]

    def children(self, session):
        return session.probe_json("children", FRAME)

    def page(self, session):
        """The name of the one page the frame holds, and its rectangle."""
        children = self.children(session)
        pages = [child for child in children if child["class"] == DIALOG]
        titles = {child["title"] for child in children}
        names = [name for name, mark in PAGE_MARKS.items() if mark in titles]
        self.assertEqual((len(pages), len(names)), (1, 1), f"one page at a time: {titles}")
        return names[0], pages[0]["rect"]

    def second_instance(self, session):
        self.assertEqual(session.run(harness.LUMORA_EXE, timeout=30).returncode, 0, "the second instance")

    def still_running(self, session, process, lamps):
        self.assertIsNone(process.poll())
        self.assertTrue(session.probe_json("windows", "Worker"), "the worker window")
        self.assertEqual(lamp_places(session), lamps, "the lamps")

    def choose_from_menu(self, session, menu, item):
        """Clicks a menu of the menu bar ("File" 0, "Help" 1), then its item (0 or 1) in the popup."""
        tabs = [child["rect"] for child in self.children(session) if child["class"] == TABS][0]
        session.probe("click", str(tabs[0] + 15 + 37 * menu), str(tabs[1] - 10))
        popup = session.probe_json("wait-window", MENU, "10000")[0]["rect"]
        session.probe("click", str(popup[0] + 20), str(popup[1] + (popup[3] - popup[1]) * (2 * item + 1) // 4))

    def about_box(self, session):
        about = session.probe_json("wait-window", DIALOG, "10000")[0]
        self.assertEqual(about["title"], "About Lumora")
        self.assertEqual(session.probe_json("item-text", DIALOG, str(IDC_VERSION)), [VERSION_LINE])
        ok = [child["rect"] for child in session.probe_json("children", DIALOG) if child["title"] == "OK"][0]
        session.probe("click", *centre(ok))
        harness.wait_until(lambda: not session.probe_json("windows", DIALOG), 10, what="the About box to close")

    def test_opens_at_start_up_with_the_general_page_and_switches_tabs(self):
        with harness.Session("options-frame") as session, XDisplay(session) as display:
            process = self.start(session)
            frame = self.frame(session)
            name, page = self.page(session)
            tabs = [child["rect"] for child in self.children(session) if child["class"] == TABS][0]
            self.assertEqual(name, "General")
            # Sized for the page: the page fills the tab control's display area, the tab control the frame.
            self.assertTrue(inside(page, tabs) and inside(tabs, frame["rect"]), (page, tabs, frame["rect"]))
            self.assertLess(frame["rect"][2] - page[2], 20)
            self.assertLess(frame["rect"][3] - page[3], 20)

            for name in ["Appearance", "Summary", "General", "Summary"]:
                with self.subTest(tab=name):
                    x, y = TAB_LABELS[name]
                    session.probe("click", str(tabs[0] + x), str(tabs[1] + y))
                    harness.wait_until(lambda: self.page(session)[0] == name, 10, what=f"the {name} page")
                    self.assertEqual(self.frame(session)["rect"], frame["rect"], "the frame keeps its size")

            # The keys reach the control with the focus in the page; the About box opens all the same.
            middle = ((page[0] + page[2]) // 2, (page[1] + page[3]) // 2)
            display.move_pointer([middle, (middle[0] + 1, middle[1])])
            for keys in [(ALT, SLASH), (ALT, SHIFT, SLASH)]:
                with self.subTest(keys=keys):
                    for key in keys:
                        display.key(key, True)
                    for key in reversed(keys):
                        display.key(key, False)
                    self.about_box(session)

            # Asked for again, the open window comes back as it was, even from the taskbar.
            session.probe("post", FRAME, str(WM_SYSCOMMAND), str(SC_MINIMIZE), "0")
            harness.wait_until(lambda: session.probe_json("windows", FRAME)[0]["style"] & WS_MINIMIZE, 10,
                               what="the window minimized")
            self.second_instance(session)
            harness.wait_until(lambda: not session.probe_json("windows", FRAME)[0]["style"] & WS_MINIMIZE, 10,
                               what="the window restored")
            self.assertEqual(self.frame(session)["hwnd"], frame["hwnd"])
            self.assertEqual(self.page(session)[0], "Summary")
            self.assertEqual(session.quit_lumora(process), 0)

    def test_every_way_of_closing_leaves_the_program_running_and_exit_ends_it(self):
        with harness.Session("options-close") as session:
            process = self.start(session, "/s")
            self.assertEqual(frames(session), [], "no window on a silent start")
            lamps = lamp_places(session)
            self.assertTrue(lamps)

            def close_with_page_button():
                close = [child["rect"] for child in self.children(session) if child["title"] == "Close"][0]
                session.probe("click", *centre(close))
            for how, close in [
                    ("Hide options", lambda: self.choose_from_menu(session, 0, 0)),
                    ("the close box", lambda: session.probe("post", FRAME, str(WM_SYSCOMMAND), str(SC_CLOSE), "0")),
                    ("the page's Close", close_with_page_button)]:
                with self.subTest(how=how):
                    self.second_instance(session)
                    self.frame(session)
                    close()
                    harness.wait_until(lambda: not session.probe_json("windows", FRAME), 10, what="the window gone")
                    self.still_running(session, process, lamps)

            self.second_instance(session)
            self.frame(session)
            self.choose_from_menu(session, 0, 1)
            self.assertEqual(process.wait(15), 0, "Exit Lumora")


if __name__ == "__main__":
    unittest.main()
