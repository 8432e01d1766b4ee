"""The Win32 side of the settings under Wine: file helpers, settings file access and registry key."""
import os
import unittest

import harness

SETTINGS_CHECK_EXE = os.path.join(harness.WINDOWS_BUILD, "tests", "settings_check.exe")


class SettingsHelpers(unittest.TestCase):
    def test_file_helpers_settings_file_access_and_registry_key(self):
        with harness.Session("settings-check") as session:
            done = session.run(SETTINGS_CHECK_EXE, r"C:\settings-check", timeout=180)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertRegex(done.stdout, r"\d+ checks, 0 failed")


if __name__ == "__main__":
    unittest.main()
