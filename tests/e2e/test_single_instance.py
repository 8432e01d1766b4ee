"""One instance per logon session: a second copy hands over and leaves at once."""
import time
import unittest

import harness


class SingleInstance(unittest.TestCase):
    def test_second_copy_exits_with_zero_while_the_first_keeps_running(self):
        with harness.Session("single-instance") as session:
            first = session.start_lumora()
            worker = session.probe_json("wait-window", "Worker", "10000")[0]
            self.assertTrue(worker["messageOnly"], "the worker window is message-only")
            self.assertFalse(worker["visible"])

            started = time.monotonic()
            second = session.run(harness.LUMORA_EXE, "s", timeout=10)
            elapsed = time.monotonic() - started
            self.assertEqual(second.returncode, 0)
            self.assertLess(elapsed, 1.0, "the second copy hands over within a second")
            self.assertGreaterEqual(elapsed, 0.2, "it waits 200 ms after waking the first copy")

            self.assertIsNone(first.poll(), "the first copy keeps running")
            workers = session.probe_json("windows", "Worker")
            self.assertEqual([w["pid"] for w in workers], [worker["pid"]],
                             "the second copy created no window of its own")

            session.probe("quit", "Worker")
            self.assertEqual(first.wait(10), 0, "the first copy ends with code 0 when asked to quit")

    def test_a_new_copy_starts_normally_after_the_first_has_ended(self):
        with harness.Session("restart") as session:
            first = session.start_lumora("s")
            session.probe("wait-window", "Worker", "10000")
            session.probe("quit", "Worker")
            self.assertEqual(first.wait(10), 0)

            again = session.start_lumora("s")
            session.probe("wait-window", "Worker", "10000")
            self.assertIsNone(again.poll(), "the event died with the first copy; this one is the instance")
            session.probe("quit", "Worker")
            self.assertEqual(again.wait(10), 0)


if __name__ == "__main__":
    unittest.main()
