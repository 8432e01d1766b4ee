"""settings.ini and the Run value as the running lumora.exe leaves them under Wine: made on the
first run, even without a local application data folder; untouched by a second copy, which only
hands over; replaced whole at exit; kept as it was by a restart; and the Run value follows "Start
with Windows" and the exe's own name and place. What the file's text means is the INI engine's and
the settings store's unit tests' and the INI fuzzer's; the Win32 side under the settings (file
helpers, file access, registry key) is settings_check.exe's, run here."""
import os
import re
import shutil
import unittest
from pathlib import Path

import harness
from common import quoted_command, run_value, test_tool

SETTINGS_CHECK_EXE = test_tool("settings_check")
FIRST_RUN_GLOBAL_SECTIONS = (
    b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\nStartWithWindows=1\r\nUseKeyboardLed=No\r\n"
    b"UseKeyboardLedDirectAccess=No\r\nShowTrayIcon=Yes\r\nUseTrayLed=No\r\nShowIndicatorLabel=Yes\r\n"
    b"\r\n[Appearance]\r\nOpacity=255\r\nFrequency=30\r\nColorRead=65280\r\nColorWrite=255\r\n"
    b"ColorOff=8388608\r\nStatPageRefresh=Yes\r\n")


class SettingsFile(unittest.TestCase):
    def run_once(self, session, exe=harness.LUMORA_EXE):
        """Runs the program once, silently; returns settings.ini as it left it."""
        process = session.start(exe, "s")
        session.wait_started()
        self.assertEqual(session.quit_lumora(process), 0)
        return Path(harness.settings_path(session)).read_bytes()

    def test_first_run_second_copy_exit_restart_renamed_exe_and_the_win32_side(self):
        with harness.Session("settings") as session:
            session.write_scenario(harness.disks(drives=1))
            path = harness.settings_path(session)
            # Not even the local application data folder: the shell makes it again when asked.
            shutil.rmtree(os.path.dirname(os.path.dirname(path)))
            process = session.start_lumora()
            worker = session.wait_started()
            self.assertEqual((worker["messageOnly"], worker["visible"]), (True, False), "a message-only worker")
            # The initial values in their order, then every device's lamp at its start position, in the
            # order of the set; the All-In-One lamp is enabled with its kind, which the first run leaves out.
            lamps_saved = re.compile(re.escape(FIRST_RUN_GLOBAL_SECTIONS) +
                                     rb"\r\n\[Physical Drive 0\]\r\nx=2\r\ny=2\r\nvisible=Yes\r\n"
                                     rb"\r\n\[All-In-One\]\r\nx=20\r\ny=2\r\nvisible=No\r\n"
                                     rb"\r\n\[C:\\ - [^\r\n]*\]\r\nx=38\r\ny=2\r\nvisible=Yes\r\n\Z", re.DOTALL)
            # Without "s" the options window opens, and its General page applies what it shows.
            harness.wait_until(lambda: os.path.isfile(path) and lamps_saved.match(Path(path).read_bytes()), 20,
                               what="the lamps saved at start-up")
            # A second copy wakes this one and leaves: it does not even get to recreate settings.ini.
            os.remove(path)
            self.assertEqual(session.run(harness.LUMORA_EXE, "s", timeout=30).returncode, 0)
            self.assertFalse(os.path.exists(path), "the second copy did nothing but hand over")
            self.assertEqual(session.quit_lumora(process), 0, "the first copy kept running")
            first = Path(path).read_bytes()  # rewritten whole at exit
            self.assertRegex(first, lamps_saved, "every lamp saved again at exit")
            self.assertEqual(os.listdir(os.path.dirname(path)), ["settings.ini"], "no temporary file stays behind")
            self.assertEqual(run_value(session), quoted_command())

            # A restart (the hand-over event died with the first copy) keeps what the user changed,
            # the place of the first lamp (Physical Drive 0) too.
            edited = first
            for old, new in ((b"Opacity=255", b"Opacity=128"), (b"UseTrayLed=No", b"UseTrayLed=Yes"),
                             (b"StartWithWindows=1", b"StartWithWindows=0"),
                             (b"x=2\r\ny=2\r\nvisible=Yes", b"x=300\r\ny=40\r\nvisible=No")):
                edited = edited.replace(old, new, 1)
            session.write_settings(edited)
            self.assertEqual(self.run_once(session), edited, "a lamp's place is loaded before it is saved")
            self.assertEqual(run_value(session), "REG_SZ ", "Start with Windows off keeps the value, empty")

            # A copy that was moved and renamed names itself in the Run value.
            renamed = session.drive_c("Program Files", "Lumora Test", "disk lamp.exe")
            os.makedirs(os.path.dirname(renamed))
            shutil.copy2(harness.LUMORA_EXE, renamed)
            session.write_settings(first)
            self.assertEqual(self.run_once(session, renamed), first)
            self.assertEqual(run_value(session), r'REG_SZ "C:\Program Files\Lumora Test\disk lamp.exe" s')

            done = session.run(SETTINGS_CHECK_EXE, r"C:\settings-check", timeout=180)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertRegex(done.stdout, r"\d+ checks, 0 failed")


if __name__ == "__main__":
    unittest.main()
