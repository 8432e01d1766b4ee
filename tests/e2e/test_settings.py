"""settings.ini and the Run value as the running lumora.exe leaves them under Wine, the
single-instance hand-over that keeps a second copy from touching them, and the Win32 side of the
settings (file helpers, file access, registry key) that settings_check.exe runs."""
import os
import re
import shutil
import unittest
from pathlib import Path

import harness
from common import RUN_KEY, quoted_command, run_value, test_tool

SETTINGS_CHECK_EXE = test_tool("settings_check")

FIRST_RUN_GLOBAL_SECTIONS = (
    b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\nStartWithWindows=1\r\nUseKeyboardLed=No\r\n"
    b"UseKeyboardLedDirectAccess=No\r\nShowTrayIcon=Yes\r\nUseTrayLed=No\r\nShowIndicatorLabel=Yes\r\n"
    b"\r\n[Appearance]\r\nOpacity=255\r\nFrequency=30\r\nColorRead=65280\r\nColorWrite=255\r\n"
    b"ColorOff=8388608\r\nStatPageRefresh=Yes\r\n")
# Versioned, with values that differ from every default; "Frequency=20" makes start-up write.
MARKED = ("[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon=No\r\n"
          "[Appearance]\r\nOpacity=77\r\nFrequency=20\r\n[Caf\u00e9 \u0414]\r\nx=5\r\n")


def local_app_data(session, *parts):
    return session.drive_c("users", "root", "AppData", "Local", *parts)


def read_bytes(path):
    return Path(path).read_bytes()


class SettingsFile(unittest.TestCase):
    def run_once(self, session, exe=harness.LUMORA_EXE):
        """Runs the program once; returns settings.ini as its start-up left it (None: no file)."""
        process = session.start(exe, "s")
        session.wait_started()
        path = harness.settings_path(session)
        started = read_bytes(path) if os.path.isfile(path) else None
        self.assertEqual(session.quit_lumora(process), 0)
        return started

    def test_first_run_restart_hand_written_unversioned_marked_and_spoilt_files(self):
        with harness.Session("settings") as session:
            session.write_scenario("object 234\ninstance 0 C:\ninstance _Total\n"
                                   "object 236\ninstance C:\ninstance _Total\n")
            path = harness.settings_path(session)
            self.assertFalse(os.path.exists(os.path.dirname(path)))
            process = session.start_lumora()
            worker = session.wait_started()
            self.assertEqual((worker["messageOnly"], worker["visible"]), (True, False), "a message-only worker")
            # Every device's lamp at its start position, in the order of the set, after the global
            # sections; the All-In-One lamp is enabled with its kind, which the first run leaves out.
            lamps_saved = re.compile(re.escape(FIRST_RUN_GLOBAL_SECTIONS) +
                                     rb"\r\n\[Physical Drive 0\]\r\nx=2\r\ny=2\r\nvisible=Yes\r\n"
                                     rb"\r\n\[All-In-One\]\r\nx=20\r\ny=2\r\nvisible=No\r\n"
                                     rb"\r\n\[C:\\ - [^\r\n]*\]\r\nx=38\r\ny=2\r\nvisible=Yes\r\n\Z")
            # Without "s" the options window opens, and its General page applies what it shows.
            harness.wait_until(lambda: lamps_saved.match(read_bytes(path)), 20, what="the lamps saved at start-up")
            # A second copy wakes this one and leaves: it does not even get to recreate settings.ini.
            os.remove(path)
            self.assertEqual(session.run(harness.LUMORA_EXE, "s", timeout=30).returncode, 0)
            self.assertFalse(os.path.exists(path), "the second copy did nothing but hand over")
            self.assertEqual(session.quit_lumora(process), 0, "the first copy kept running")
            first = read_bytes(path)  # rewritten whole at exit
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
            self.run_once(session)
            self.assertEqual(read_bytes(path), edited, "a lamp's place is loaded before it is saved")
            self.assertEqual(run_value(session), "REG_SZ ", "Start with Windows off keeps the value, empty")

            # A versioned hand-written file, read by a copy that was moved and renamed.
            renamed = session.drive_c("Program Files", "Lumora Test", "disk lamp.exe")
            os.makedirs(os.path.dirname(renamed))
            shutil.copy2(harness.LUMORA_EXE, renamed)
            session.write_settings(b";my notes about this file\r\n[appearance]\r\nOpacity = 50\r\nFrequency=20\r\n"
                                   b"ColorRead=123 ; my green\r\nColorRead=456\r\n; keep me\r\n[GENERAL]\r\n"
                                   b"Class=256\r\nversion=1.104\r\nShowTrayIcon=no\r\n[Appearance]\r\nOpacity=7\r\n")
            started = self.run_once(session, renamed)
            self.assertTrue(started.startswith(b";my notes about this file=\r\n"), started)
            self.assertIn(b"Frequency=50\r\n", started, "building the lamps saves the settings at start-up")
            text = read_bytes(path).decode("latin-1")
            self.assertTrue(text.startswith(";my notes about this file=\r\n"), text)
            appearance = text.split("[appearance]\r\n", 1)[1].split("\r\n[", 1)[0]
            for line, why in (("Opacity = 50\r\n", "a key with a blank is not Opacity"),
                              ("Frequency=50\r\n", "a stored 20 runs as 50"),
                              ("ColorRead=123 ; my green\r\nColorRead=456\r\n", "the last duplicate is the one"),
                              ("; keep me=\r\n", "a comment line is an entry"),
                              ("Opacity=255\r\n", "the missing key was added to the first section")):
                self.assertIn(line, appearance, why)
            general = text.split("[GENERAL]\r\n", 1)[1].split("\r\n[", 1)[0]
            for line in ("Class=256\r\n", "ShowTrayIcon=No\r\n", "UseKeyboardLedDirectAccess=Yes\r\n"):
                self.assertIn(line, general)
            self.assertIn("\r\n[Appearance]\r\nOpacity=7\r\n", text, "the duplicate section is written back")
            self.assertEqual(run_value(session), r'REG_SZ "C:\Program Files\Lumora Test\disk lamp.exe" s')

            # A file without a version mark is converted and saved at once; its lamps keep their places.
            session.write_settings(b"[General]\r\nClass=0\r\n[Appearance]\r\nFrequency=700\r\nOpacity=10\r\n"
                                   b"[Physical Drive 9]\r\nx=321\r\ny=45\r\nvisible=No\r\n")
            started = self.run_once(session).decode("latin-1")
            self.assertIn("\r\n[General]\r\nClass=1\r\nversion=1.104\r\nStartWithWindows=1\r\n", started)
            self.assertIn("[Appearance]\r\nFrequency=30\r\nOpacity=255\r\n", started)
            self.assertIn("\r\n[Physical Drive 9]\r\nx=321\r\ny=45\r\nvisible=No\r\n", started)

            # The Win32 helpers under the settings, each checked on its own.
            done = session.run(SETTINGS_CHECK_EXE, r"C:\settings-check", timeout=180)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertRegex(done.stdout, r"\d+ checks, 0 failed")

            # What cannot be used is left alone, what an editor saved is read, and the program
            # runs on its initial values.
            unversioned = b"[General]\r\nClass=0\r\n[Appearance]\r\nOpacity=10\r\n"  # wants a rewrite
            noise = bytes((i * 7919 + (i >> 3) * 104729) % 256 for i in range(20000)).replace(b"\x1a", b"\x1b")
            folder, local = os.path.dirname(path), local_app_data(session)
            documents = session.drive_c("users", "root", "Documents")

            def read_only():
                session.write_settings(unversioned)
                os.chmod(path, 0o444)

            def local_is_a_file():
                os.remove(documents)  # Wine links Documents to the real home folder: keep to the prefix
                os.makedirs(documents)
                shutil.rmtree(local)
                Path(local).write_bytes(b"not a folder")

            def marked(data, *others):
                def spoil():
                    session.write_settings(data)
                    for name, content in others:
                        Path(folder, name).write_bytes(content)
                return spoil

            def written_single_byte_with_every_value():
                written = read_bytes(path)
                text = written.decode("latin-1")
                return (written.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")), text.lower().count("[general]"),
                        [line for line in ("Class=1", "version=1.104", "ShowTrayIcon=No", "Opacity=77", "Frequency=50",
                                           "[Caf\u00e9 ?]\r\nx=5") if f"\r\n{line}\r\n" not in text],
                        sorted(os.listdir(folder)))

            def lost_entries():
                written = read_bytes(path)
                return [line for line in noise.replace(b"\r\n", b"\n").split(b"\n") if line not in written and
                        line and not line.startswith(b"=") and not (line.startswith(b"[") and line.endswith(b"]"))]

            cases = [  # how the prefix is spoilt, what is seen after the run, what must be seen
                ("UTF-8 with its mark beside a stale temporary file and files of others",
                 marked(b"\xef\xbb\xbf" + MARKED.encode("utf-8"), ("settings.ini.1234-5.tmp", b"[General]\r\n" * 40000),
                        ("settings.ini.bak", b"mine"), ("notes.tmp", b"mine too")),
                 written_single_byte_with_every_value, (False, 1, [], ["notes.tmp", "settings.ini", "settings.ini.bak"])),
                ("UTF-16 little-endian with its mark", marked(("\ufeff" + MARKED).encode("utf-16-le")),
                 written_single_byte_with_every_value, (False, 1, [], ["settings.ini"])),
                ("read-only file", read_only, lambda: (read_bytes(path), os.listdir(folder)),
                 (unversioned, ["settings.ini"])),
                ("random bytes", lambda: session.write_settings(noise),
                 lambda: (b"\r\n[General]\r\nClass=2\r\nversion=1.104\r\n" in read_bytes(path), lost_entries()),
                 (True, [])),
                ("folder in the way", lambda: os.makedirs(os.path.join(path, "inside")),
                 lambda: (os.path.isdir(os.path.join(path, "inside")), os.listdir(folder)), (True, ["settings.ini"])),
                ("no local application data", lambda: shutil.rmtree(local),
                 lambda: read_bytes(path)[:len(FIRST_RUN_GLOBAL_SECTIONS)], FIRST_RUN_GLOBAL_SECTIONS),
                ("local application data is a file", local_is_a_file,
                 lambda: (read_bytes(local), os.listdir(documents)), (b"not a folder", [])),
            ]
            for name, spoil, seen, expected in cases:
                with self.subTest(name):
                    shutil.rmtree(folder, ignore_errors=True)
                    spoil()
                    session.run("reg", "delete", RUN_KEY, "/v", "lumora.exe", "/f")
                    self.run_once(session)
                    self.assertEqual(seen(), expected)
                    self.assertEqual(run_value(session), quoted_command(), "runs on the initial values")


if __name__ == "__main__":
    unittest.main()
