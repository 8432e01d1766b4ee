"""settings.ini and the Run value as the running lumora.exe leaves them under Wine."""
import os
import re
import stat
import unittest

import harness

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"

FIRST_RUN_GLOBAL_SECTIONS = (
    b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\nStartWithWindows=1\r\nUseKeyboardLed=No\r\n"
    b"UseKeyboardLedDirectAccess=No\r\nShowTrayIcon=Yes\r\nUseTrayLed=No\r\nShowIndicatorLabel=Yes\r\n"
    b"\r\n[Appearance]\r\nOpacity=255\r\nFrequency=30\r\nColorRead=65280\r\nColorWrite=255\r\n"
    b"ColorOff=8388608\r\nStatPageRefresh=Yes\r\n")
# What may follow the two global sections: one section per device with its lamp's place.
DEVICE_SECTIONS = re.compile(rb"(\r\n\[[^\r\n]+\]\r\nx=-?\d+\r\ny=-?\d+\r\nvisible=(Yes|No)\r\n)*\Z")


def local_app_data(session, *parts):
    return session.drive_c("users", "root", "AppData", "Local", *parts)


def settings_path(session):
    return local_app_data(session, "Lumora Indicator", "settings.ini")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_settings(session, data):
    path = settings_path(session)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


def run_value(session):
    return session.probe("regget", RUN_KEY, "lumora.exe").rstrip("\r\n")


def quoted_command():
    return 'REG_SZ "' + harness.windows_path(harness.LUMORA_EXE) + '" s'


class Session(harness.Session):
    def run_lumora_once(self, *args):
        """Starts lumora.exe, waits for its worker window and ends it the way its Exit does."""
        process = self.start_lumora(*args)
        self.probe("wait-window", "Worker", "15000")
        return process

    def quit_lumora(self, process):
        self.probe("quit", "Worker")
        return process.wait(15)


class FirstRun(unittest.TestCase):
    def test_creates_the_folder_and_writes_the_initial_values(self):
        with Session("settings-first-run") as session:
            session.write_scenario("object 234\ninstance 0 C:\ninstance _Total\n"
                                   "object 236\ninstance C:\ninstance _Total\n")
            self.assertFalse(os.path.exists(local_app_data(session, "Lumora Indicator")))
            process = session.run_lumora_once("s")
            path = settings_path(session)
            # Written at start-up, before any lamp is saved.
            self.assertEqual(read_bytes(path), FIRST_RUN_GLOBAL_SECTIONS)
            self.assertEqual(run_value(session), quoted_command())
            self.assertEqual(session.quit_lumora(process), 0)
            final = read_bytes(path)
            self.assertTrue(final.startswith(FIRST_RUN_GLOBAL_SECTIONS), final[:400])
            # Every device's lamp is saved at exit, at its start position, in the order of the set.
            self.assertRegex(final[len(FIRST_RUN_GLOBAL_SECTIONS):], re.compile(
                rb"\r\n\[Physical Drive 0\]\r\nx=2\r\ny=2\r\nvisible=Yes\r\n"
                rb"\r\n\[All-In-One\]\r\nx=20\r\ny=2\r\nvisible=Yes\r\n"
                rb"\r\n\[C:\\ - [^\r\n]*\]\r\nx=38\r\ny=2\r\nvisible=Yes\r\n\Z"))
            leftovers = [name for name in os.listdir(os.path.dirname(path)) if name != "settings.ini"]
            self.assertEqual(leftovers, [], "no temporary file stays behind")

    def test_start_with_windows_off_keeps_the_value_with_empty_data(self):
        with Session("settings-run-off") as session:
            write_settings(session, b"[General]\r\nversion=1.104\r\nStartWithWindows=0\r\n")
            process = session.run_lumora_once("s")
            self.assertEqual(run_value(session), "REG_SZ ")
            self.assertEqual(session.quit_lumora(process), 0)

            write_settings(session, b"[General]\r\nversion=1.104\r\nStartWithWindows=1\r\n")
            process = session.run_lumora_once("s")
            self.assertEqual(run_value(session), quoted_command())
            self.assertEqual(session.quit_lumora(process), 0)


class HandWrittenFiles(unittest.TestCase):
    def test_a_versioned_file_is_read_as_written_and_its_own_lines_survive(self):
        original = (b";my notes about this file\r\n"
                    b"[appearance]\r\n"
                    b"Opacity = 50\r\n"
                    b"Frequency=20\r\n"
                    b"ColorRead=123 ; my green\r\n"
                    b"ColorRead=456\r\n"
                    b"; keep me\r\n"
                    b"[GENERAL]\r\n"
                    b"Class=256\r\n"
                    b"version=1.104\r\n"
                    b"ShowTrayIcon=no\r\n"
                    b"[Appearance]\r\n"
                    b"Opacity=7\r\n")
        with Session("settings-hand-written") as session:
            path = write_settings(session, original)
            process = session.run_lumora_once("s")
            started = read_bytes(path)
            self.assertTrue(started.startswith(b";my notes about this file=\r\n"), started)
            self.assertIn(b"Frequency=50\r\n", started, "building the lamps saves the settings at start-up")
            self.assertEqual(session.quit_lumora(process), 0)
            text = read_bytes(path).decode("latin-1")
            self.assertTrue(text.startswith(";my notes about this file=\r\n"), text)
            appearance = text.split("[appearance]\r\n", 1)[1].split("\r\n[", 1)[0]
            self.assertIn("Opacity = 50\r\n", appearance, "a key with a blank is not Opacity")
            self.assertIn("Frequency=50\r\n", appearance, "a stored 20 runs as 50")
            self.assertIn("ColorRead=123 ; my green\r\nColorRead=456\r\n", appearance, "the last duplicate is the one")
            self.assertIn("; keep me=\r\n", appearance)
            self.assertIn("Opacity=255\r\n", appearance, "the missing key was added to the first section")
            general = text.split("[GENERAL]\r\n", 1)[1].split("\r\n[", 1)[0]
            self.assertIn("Class=256\r\n", general)
            self.assertIn("ShowTrayIcon=No\r\n", general)
            self.assertIn("UseKeyboardLedDirectAccess=Yes\r\n", general, "missing: Yes")
            self.assertIn("\r\n[Appearance]\r\nOpacity=7\r\n", text, "the duplicate section is written back")

    def test_files_without_version_mark_are_converted_at_once(self):
        for stored, mode in (("0", "1"), ("1", "2"), ("2", "4"), ("3", "0")):
            with self.subTest(stored=stored), Session("settings-convert-" + stored) as session:
                path = write_settings(session, (
                    "[General]\r\nClass=%s\r\n[Appearance]\r\nFrequency=700\r\nOpacity=10\r\n"
                    "[Physical Drive 9]\r\nx=321\r\ny=45\r\nvisible=No\r\n" % stored).encode())
                process = session.run_lumora_once("s")
                text = read_bytes(path).decode("latin-1")
                self.assertIn("\r\n[General]\r\nClass=%s\r\nversion=1.104\r\nStartWithWindows=1\r\n" % mode, text)
                self.assertIn("[Appearance]\r\nFrequency=30\r\nOpacity=255\r\n", text)
                self.assertIn("\r\n[Physical Drive 9]\r\nx=321\r\ny=45\r\nvisible=No\r\n", text)
                self.assertEqual(session.quit_lumora(process), 0)

    def test_settings_persist_across_a_restart(self):
        with Session("settings-restart") as session:
            process = session.run_lumora_once("s")
            self.assertEqual(session.quit_lumora(process), 0)
            path = settings_path(session)
            changed = read_bytes(path).replace(b"Opacity=255", b"Opacity=128").replace(b"UseTrayLed=No", b"UseTrayLed=Yes")
            with open(path, "wb") as f:
                f.write(changed)
            process = session.run_lumora_once("s")
            self.assertEqual(session.quit_lumora(process), 0)
            again = read_bytes(path)
            self.assertIn(b"Opacity=128\r\n", again)
            self.assertIn(b"UseTrayLed=Yes\r\n", again)
            self.assertTrue(again.startswith(b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\n"))


class FaultsNeverCostTheSettings(unittest.TestCase):
    def test_a_read_only_file_is_left_byte_for_byte(self):
        original = b"[General]\r\nClass=0\r\n[Appearance]\r\nOpacity=10\r\n"  # no version: wants a rewrite
        with Session("settings-read-only") as session:
            path = write_settings(session, original)
            os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
            process = session.run_lumora_once("s")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(read_bytes(path), original)
            self.assertEqual(os.listdir(os.path.dirname(path)), ["settings.ini"], "the temporary file is removed")

    def test_a_file_of_random_bytes_neither_crashes_nor_stops_the_program(self):
        noise = bytes((i * 7919 + (i >> 3) * 104729) % 256 for i in range(20000)).replace(b"\x1a", b"\x1b")
        with Session("settings-noise") as session:
            path = write_settings(session, noise)
            process = session.run_lumora_once("s")
            self.assertEqual(session.quit_lumora(process), 0)
            written = read_bytes(path)
            self.assertIn(b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\n", written)
            # Every line of the old file that was an entry is still there, with its bytes.
            for line in noise.replace(b"\r\n", b"\n").split(b"\n"):
                if line and not line.startswith(b"=") and not (line.startswith(b"[") and line.endswith(b"]")):
                    self.assertIn(line, written)

    def test_a_folder_where_the_file_should_be_is_left_alone(self):
        with Session("settings-folder-in-the-way") as session:
            path = settings_path(session)
            os.makedirs(os.path.join(path, "inside"))
            process = session.run_lumora_once("s")
            self.assertEqual(run_value(session), quoted_command(), "runs on the initial values")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertTrue(os.path.isdir(os.path.join(path, "inside")))
            self.assertEqual(os.listdir(os.path.dirname(path)), ["settings.ini"])

    def test_a_missing_local_application_data_folder(self):
        with Session("settings-no-local-app-data") as session:
            local = local_app_data(session)
            if os.path.isdir(local):
                harness.shutil.rmtree(local)
            process = session.run_lumora_once("s")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertTrue(read_bytes(settings_path(session)).startswith(FIRST_RUN_GLOBAL_SECTIONS))

    def test_local_application_data_that_is_a_file_leaves_the_program_on_its_defaults(self):
        with Session("settings-local-app-data-is-a-file") as session:
            # Wine links Documents to the real home folder; keep everything inside the prefix.
            documents = session.drive_c("users", "root", "Documents")
            os.remove(documents)
            os.makedirs(documents)
            local = local_app_data(session)
            harness.shutil.rmtree(local)
            with open(local, "wb") as f:
                f.write(b"not a folder")
            process = session.run_lumora_once("s")
            self.assertEqual(run_value(session), quoted_command(), "runs on the initial values")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(read_bytes(local), b"not a folder")
            self.assertEqual(os.listdir(documents), [], "the folder was known, so no fallback is taken")

if __name__ == "__main__":
    unittest.main()
