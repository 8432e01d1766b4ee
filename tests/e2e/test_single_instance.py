"""One instance per logon session: a second copy hands over and leaves at once."""
import os
import unittest

import harness


class SingleInstance(unittest.TestCase):
    def test_a_second_copy_hands_over_and_a_later_one_is_the_instance_again(self):
        with harness.Session("single-instance") as session:
            first = session.start_lumora()
            worker = session.wait_started()
            self.assertTrue(worker["messageOnly"], "the worker window is message-only")
            self.assertFalse(worker["visible"])

            # The first step a second copy would take past the hand-over is reading the settings.
            path = session.drive_c("users", "root", "AppData", "Local", "Lumora Indicator", "settings.ini")
            os.remove(path)
            second = session.run(harness.LUMORA_EXE, "s", timeout=30)
            self.assertEqual(second.returncode, 0)
            self.assertFalse(os.path.exists(path), "the second copy did nothing but hand over")
            self.assertEqual(session.quit_lumora(first), 0, "the first copy kept running and ends with code 0")

            # The event died with the first copy: the next copy runs as the instance.
            again = session.start_lumora("s")
            session.wait_started()
            self.assertEqual(session.quit_lumora(again), 0)


if __name__ == "__main__":
    unittest.main()
