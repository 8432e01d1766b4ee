"""The keyboard LED on its real Win32 operations under Wine: led_check.exe runs the update
tick's three calls and reports the ScrollLock toggle state after each tick, and where the
"Kbd" device name points while the LED lives and after it is gone. Wine applies a synthetic
key press to the key state inside the call, so the state read one tick interval later is the
one the next tick of lumora.exe starts from. A thread under Wine 8 does not see a key that
was toggled before its message queue existed (it learns the key's state at its next change),
so every test starts from a fresh session, with ScrollLock off."""
import json
import os
import unittest

import harness

LED_CHECK_EXE = os.path.join(harness.WINDOWS_BUILD, "tests", "led_check.exe")
TICK_MS = "50"


class KeyboardLed(unittest.TestCase):
    def setUp(self):
        self.session = harness.Session("keyboard_led")
        self.addCleanup(self.session.close)

    def run_ticks(self, *ticks):
        done = self.session.run(LED_CHECK_EXE, TICK_MS, *ticks)
        self.assertEqual(done.returncode, 0, done.stderr)
        lines = [json.loads(line) for line in done.stdout.splitlines() if line.strip()]
        self.assertEqual(lines[0], {"kbd": "\\Device\\KeyboardClass0"})
        self.assertEqual(lines[-1], {"kbdAfter": None}, "the LED removes the name it defined")
        return [line["scrollLock"] for line in lines[1:-1]]

    def test_scroll_lock_follows_each_tick_and_goes_off_with_the_option(self):
        # Key mode; a state that only reads lights it; then the option goes off after a lit
        # tick, and the ticks without the option leave the key alone.
        ticks = ["k0", "k10000", "k1", "k0", "k80", "k1", "o1", "o0"]
        self.assertEqual(self.run_ticks(*ticks), [False, True, True, False, True, True, False, False])

    def test_direct_access_never_presses_the_key_and_clears_what_key_mode_lit(self):
        # Wine has no keyboard class device to open, so direct access shows nothing, quietly.
        self.assertEqual(self.run_ticks("k0", "d1", "k1", "d1", "d0", "k1", "k1"),
                         [False, False, True, False, False, True, True])


if __name__ == "__main__":
    unittest.main()
