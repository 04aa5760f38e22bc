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
            # The example picture stands in the middle, black on either side of it.
            self.assertNotEqual(harness.pixel(shot, 640, 400), (0, 0, 0))
            for x, y in [(2, 400), (1277, 400)]:
                self.assertEqual(harness.pixel(shot, x, y), (0, 0, 0))
            for name in ("0/0.bmp", "Readme.txt"):
                self.assertTrue(os.path.isfile(run.path("album", name)), name)
            with open(run.path("album", "Readme.txt"), "rb") as readme:
                self.assertTrue(readme.read().startswith(
                    b"Thank you for using Vellumor Quenmira 2.1. Now let's learn how to use it.\n\nAlbum Management:"))
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(2), 0, run.output())
            # One folder with the example picture: 4 + (4 + 624) + 8 + 4 bytes.
            self.assertEqual(os.path.getsize(run.path("album", "._album_.txt")), 644)

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
