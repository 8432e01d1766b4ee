"""The Win32 side of the settings under Wine: file helpers, settings file access, registry key,
and the Run value of an executable that was moved and renamed."""
import os
import shutil
import unittest

import harness

SETTINGS_CHECK_EXE = os.path.join(harness.WINDOWS_BUILD, "tests", "settings_check.exe")
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


class SettingsHelpers(unittest.TestCase):
    def test_file_helpers_settings_file_access_and_registry_key(self):
        with harness.Session("settings-check") as session:
            done = session.run(SETTINGS_CHECK_EXE, r"C:\settings-check", timeout=180)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertRegex(done.stdout, r"\d+ checks, 0 failed")

    def test_a_moved_and_renamed_executable_registers_its_own_quoted_path(self):
        with harness.Session("settings-renamed-exe") as session:
            folder = session.drive_c("Program Files", "Lumora Test")
            os.makedirs(folder)
            renamed = os.path.join(folder, "disk lamp.exe")
            shutil.copy2(harness.LUMORA_EXE, renamed)
            process = session.start(renamed, "s")
            session.probe("wait-window", "Worker", "15000")
            value = session.probe("regget", RUN_KEY, "lumora.exe").rstrip("\r\n")
            self.assertEqual(value, r'REG_SZ "C:\Program Files\Lumora Test\disk lamp.exe" s')
            session.probe("quit", "Worker")
            self.assertEqual(process.wait(15), 0)


if __name__ == "__main__":
    unittest.main()
