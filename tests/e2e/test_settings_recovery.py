"""settings.ini as an editor saved it (with a byte-order mark), and the leftover of a save that a
killed process never finished, as the running lumora.exe leaves them under Wine."""
import os
import unittest

import harness

# Versioned, with values that differ from every default; "Frequency=20" makes start-up write.
SETTINGS = ("[General]\r\nClass=1\r\nversion=1.104\r\nShowTrayIcon=No\r\n"
            "[Appearance]\r\nOpacity=77\r\nFrequency=20\r\n[Caf\u00e9 \u0414]\r\nx=5\r\n")


class MarkedSettingsFiles(unittest.TestCase):
    def run_lumora_on(self, name, settings, others=()):
        """Starts lumora.exe on these files in its settings folder and ends it the way its Exit
        does; returns settings.ini as it was left and the names the folder then holds."""
        with harness.Session(name) as session:
            folder = session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator")
            os.makedirs(folder)
            for file_name, data in (("settings.ini", settings),) + others:
                with open(os.path.join(folder, file_name), "wb") as f:
                    f.write(data)
            process = session.start_lumora("s")
            session.wait_started()
            self.assertEqual(session.quit_lumora(process), 0)
            with open(os.path.join(folder, "settings.ini"), "rb") as f:
                return f.read(), sorted(os.listdir(folder))

    def assert_written_single_byte_with_every_value(self, written):
        self.assertFalse(written.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")), written[:40])
        text = written.decode("latin-1")
        self.assertEqual(text.lower().count("[general]"), 1, text)
        for line in ("Class=1", "version=1.104", "ShowTrayIcon=No", "Opacity=77", "Frequency=50",
                     "[Caf\u00e9 ?]\r\nx=5"):
            self.assertIn("\r\n" + line + "\r\n", text)

    def test_utf8_with_mark_beside_a_stale_temporary_file_and_files_of_others(self):
        others = (("settings.ini.1234-5.tmp", b"[General]\r\n" * 40000), ("settings.ini.bak", b"mine"),
                  ("notes.tmp", b"mine too"))
        written, names = self.run_lumora_on("settings-utf8-mark", b"\xef\xbb\xbf" + SETTINGS.encode("utf-8"), others)
        self.assert_written_single_byte_with_every_value(written)
        self.assertEqual(names, ["notes.tmp", "settings.ini", "settings.ini.bak"])

    def test_utf16_little_endian_with_mark(self):
        written, names = self.run_lumora_on("settings-utf16-mark", ("\ufeff" + SETTINGS).encode("utf-16-le"))
        self.assert_written_single_byte_with_every_value(written)
        self.assertEqual(names, ["settings.ini"])


if __name__ == "__main__":
    unittest.main()
