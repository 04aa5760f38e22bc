"""The program starts over the whole screen, makes its album and ends cleanly."""
import os
import time
import unittest

import harness


class StartUp(unittest.TestCase):
    def test_first_start_makes_the_album_and_covers_the_screen(self):
        with harness.Session() as run:
            for folder in range(21):
                self.assertTrue(os.path.isdir(run.path("album", str(folder))), folder)
            self.assertFalse(os.path.exists(run.path("album", "21")))
            self.assertEqual(run.window_geometry(), (0, 0, harness.SCREEN_W, harness.SCREEN_H))
            shot = run.screenshot()
            self.assertEqual(shot[:2], (harness.SCREEN_W, harness.SCREEN_H))
            for x, y in [(0, 0), (640, 400), (1279, 799)]:
                self.assertEqual(harness.pixel(shot, x, y), (0, 0, 0))
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(2), 0, run.output())

    def test_enter_ends_it_like_escape(self):
        with harness.Session() as run:
            run.key("Return")
            self.assertEqual(run.wait_for_exit(2), 0, run.output())

    def test_a_close_request_ends_it_cleanly(self):
        with harness.Session() as run:
            started = time.time()
            run.request_close()
            self.assertEqual(run.wait_for_exit(2), 0, run.output())
            self.assertLess(time.time() - started, 2)

    def test_other_keys_and_mouse_do_not_end_it(self):
        with harness.Session() as run:
            run.key("a")
            run.key("Left")
            run.move(10, 10)
            run.click(1)
            self.assertIsNone(run.wait_for_exit(0.5))
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(2), 0, run.output())


if __name__ == "__main__":
    harness.main()
