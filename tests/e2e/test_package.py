"""The Windows packages as a user gets them: the version information that Explorer reads from
lumora.exe and from the installer, the portable zip, and the installer and its uninstaller run
silently under Wine, over a running copy too."""
import os
import subprocess
import sys
import unittest
import zipfile

import harness
from common import RUN_KEY, registry
from options_page import frames

PACKAGING = os.path.join(harness.SOURCE, "packaging")
sys.path.insert(0, PACKAGING)
import make_package  # noqa: E402  (found through the path above)

VERSION = "1.104"
COPYRIGHT = "Copyright (c) 2026 The Lumora Indicator authors"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora Indicator"
INSTALLED = r"C:\users\root\AppData\Local\Programs\Lumora Indicator"
LAMP_SECTION = b"\r\n[Physical Drive 0]\r\nx=2\r\ny=2\r\nvisible=Yes\r\n"


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = os.path.join(harness.WORK, "package")
        done = subprocess.run([sys.executable, os.path.join(PACKAGING, "make_package.py"), harness.LUMORA_EXE, folder],
                              capture_output=True, text=True, timeout=120)
        if done.returncode != 0:
            raise RuntimeError(f"make_package.py failed: {done.stdout}{done.stderr}")
        names = make_package.package_names(make_package.version_defines())
        cls.setup, cls.portable = (os.path.join(folder, name) for name in names)

    def test_version_information_and_portable_zip(self):
        for path, strings in (
                (harness.LUMORA_EXE, {"ProductName": "Lumora Indicator", "FileVersion": VERSION,
                                      "ProductVersion": VERSION, "LegalCopyright": COPYRIGHT,
                                      "OriginalFilename": "lumora.exe"}),
                (self.setup, {"ProductName": "Lumora Indicator", "ProductVersion": VERSION,
                              "LegalCopyright": COPYRIGHT})):
            with self.subTest(os.path.basename(path)):
                file_version, product_version, found = make_package.version_resource(path)
                self.assertEqual((file_version, product_version), ((1, 104, 0, 0), (1, 104, 0, 0)))
                self.assertEqual({key: found.get(key) for key in strings}, strings)
                self.assertTrue(found.get("FileDescription"), "Explorer shows the description as the name")
        with zipfile.ZipFile(self.portable) as archive:
            self.assertEqual(sorted(archive.namelist()), ["LICENSE.txt", "README.txt", "lumora.exe"])
            with open(harness.LUMORA_EXE, "rb") as f:
                self.assertEqual(archive.read("lumora.exe"), f.read())
            for name, line in (("README.txt", b"## Putting it on a Windows machine\r\n"),
                               ("LICENSE.txt", b"MIT License\r\n\r\n" + COPYRIGHT.encode() + b"\r\n")):
                text = archive.read(name)
                self.assertIn(line, text, name)
                self.assertNotIn(b"\n", text.replace(b"\r\n", b""), f"{name}: every line ends as Notepad wants")

    def test_silent_install_over_a_running_copy_and_silent_uninstall(self):
        with harness.Session("package") as session:
            # Wine would otherwise mirror the Start menu shortcut into this machine's own menus.
            session.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
            session.write_scenario(harness.disks())
            settings = harness.settings_path(session)
            folder = session.drive_c("users", "root", "AppData", "Local", "Programs", "Lumora Indicator")
            shortcut = session.drive_c("users", "root", "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                       "Programs", "Lumora Indicator.lnk")
            exe = INSTALLED + r"\lumora.exe"

            self.assertEqual(session.run(self.setup, "/S").returncode, 0)
            self.assertEqual(sorted(os.listdir(folder)), ["LICENSE.txt", "lumora.exe", "uninstall.exe"])
            self.assertTrue(os.path.isfile(shortcut))
            self.assertEqual(registry(session, RUN_KEY, "lumora.exe"), f'REG_SZ "{exe}" s')
            for value, expected in (("DisplayName", "REG_SZ Lumora Indicator"), ("DisplayVersion", "REG_SZ 1.104"),
                                    ("Publisher", "REG_SZ The Lumora Indicator authors"),
                                    ("DisplayIcon", f"REG_SZ {exe},0"),
                                    ("UninstallString", f'REG_SZ "{INSTALLED}\\uninstall.exe"'),
                                    ("QuietUninstallString", f'REG_SZ "{INSTALLED}\\uninstall.exe" /S')):
                self.assertEqual(registry(session, UNINSTALL_KEY, value), expected, value)
            size = registry(session, UNINSTALL_KEY, "EstimatedSize").split()
            self.assertEqual(size[0], "REG_DWORD")
            self.assertGreater(int(size[1], 0), os.path.getsize(harness.LUMORA_EXE) // 1024, "size in KB")

            first = session.wait_started()
            self.assertEqual(frames(session), [], "the installed copy started silently")
            with open(settings, "rb") as f:
                self.assertNotIn(LAMP_SECTION, f.read(), "a lamp's place reaches the file only when it ends")

            # Over the running copy: it ends through its Exit command, which saves the lamps' places.
            self.assertEqual(session.run(self.setup, "/S").returncode, 0)
            second = session.wait_started()
            self.assertNotEqual(second["pid"], first["pid"], "the old copy ended and the new one started")
            with open(settings, "rb") as f:
                self.assertIn(LAMP_SECTION, f.read(), "the old copy saved its lamps on the way out")

            self.assertEqual(session.run(os.path.join(folder, "uninstall.exe"), "/S").returncode, 0)
            # The uninstaller carries on from a copy of itself in the temporary folder.
            harness.wait_until(lambda: not os.path.exists(folder), 30, what="the program's folder removed")
            harness.wait_until(lambda: not session.probe_json("windows", "Worker"), 15, what="no lumora.exe running")
            self.assertFalse(os.path.exists(shortcut))
            harness.wait_until(lambda: registry(session, UNINSTALL_KEY, "DisplayName") is None, 15,
                               what="the uninstall entry removed")
            self.assertIsNone(registry(session, RUN_KEY, "lumora.exe"))
            with open(settings, "rb") as f:
                self.assertIn(LAMP_SECTION, f.read(), "the user's settings stay for a later install")


if __name__ == "__main__":
    unittest.main()
