"""The album on screen and the mouse steering it, through real X input."""
import time
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until

RED, GREEN, BLUE, WHITE = (220, 30, 30), (30, 200, 60), (40, 60, 230), (240, 240, 240)
CX, CY = harness.SCREEN_W // 2, harness.SCREEN_H // 2


def halves(left, right):
    """A 400 x 400 picture: `left` colour on its left half, `right` on its right half."""
    return (400, 400, lambda x, y: left if x < 200 else right)


# Folder 0: three pictures in three colours; folder 1: one white picture.
ALBUM = album_of([[(400, 400, solid(RED)), (400, 400, solid(GREEN)), (400, 400, solid(BLUE))],
                  [(400, 400, solid(WHITE))]])


def centre(run):
    return pixel(run.screenshot(), CX, CY)


class Viewer(unittest.TestCase):
    def test_first_picture_fills_the_height_with_counters_in_the_corner(self):
        with harness.Session(prepare=ALBUM) as run:
            shot = wait_until(lambda: (lambda s: s if close_to(pixel(s, CX, CY), RED) else None)(run.screenshot()))
            self.assertTrue(shot, "the first picture never showed")
            self.assertTrue(close_to(pixel(shot, CX, 5), RED))                 # top edge
            self.assertTrue(close_to(pixel(shot, CX, harness.SCREEN_H - 5), RED))  # bottom edge
            self.assertEqual(pixel(shot, 40, CY), (0, 0, 0))                   # black beside it
            # The counters: orange text in the top-left corner.
            orange = [pixel(shot, x, y) for x in range(0, 40) for y in range(0, 30)]
            self.assertTrue(any(close_to(p, (255, 200, 0), 40) for p in orange))
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())

    def test_arrow_keys_slide_the_strip(self):
        with harness.Session(prepare=ALBUM) as run:
            wait_until(lambda: close_to(centre(run), RED))
            # Left moves on through the folder: the last picture comes into view.
            run.xdotool("keydown", "Left")
            self.assertTrue(wait_until(lambda: close_to(centre(run), BLUE), 30), "Left did not slide the strip on")
            run.xdotool("keyup", "Left")
            run.xdotool("keydown", "Right")
            self.assertTrue(wait_until(lambda: close_to(centre(run), RED), 30), "Right did not slide back")
            run.xdotool("keyup", "Right")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)

    def test_wheel_steps_to_the_next_folder(self):
        with harness.Session(prepare=ALBUM) as run:
            wait_until(lambda: close_to(centre(run), RED))
            run.move(CX, CY)
            run.click(4)  # wheel away from the user
            self.assertTrue(wait_until(lambda: close_to(centre(run), WHITE), 20), "folder 1 never showed")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)

    def test_ring_menu_exit_ends_the_program(self):
        with harness.Session(prepare=ALBUM) as run:
            wait_until(lambda: close_to(centre(run), RED))
            run.move(CX, CY)
            run.xdotool("mousedown", 3)
            time.sleep(0.4)
            run.xdotool("mousemove_relative", "--", 0, -120)  # onto "Exit"
            time.sleep(0.6)
            run.xdotool("mouseup", 3)
            self.assertEqual(run.wait_for_exit(3), 0, run.output())

    def test_ring_menu_inside_fades_to_the_next_picture(self):
        with harness.Session(prepare=ALBUM) as run:
            wait_until(lambda: close_to(centre(run), RED))
            run.move(CX, CY)
            run.xdotool("mousedown", 3)

            def ring_pixels():
                shot = run.screenshot()
                ring = [pixel(shot, x, y) for x in range(CX - 160, CX + 160, 4) for y in range(CY - 130, CY + 130, 4)]
                return sum(close_to(p, (0, 255, 0), 40) for p in ring)

            self.assertGreater(wait_until(lambda: ring_pixels() > 200 and ring_pixels(), 20), 200,
                               "no ring over the picture")
            run.xdotool("mousemove_relative", "--", -110, -90)  # onto "Inside"
            time.sleep(0.6)
            run.xdotool("mouseup", 3)
            # The strip advances 5 pixels a frame: a slow (sanitizer) build takes many seconds.
            dark = wait_until(lambda: sum(centre(run)) < 120, 60, 0.05)
            self.assertTrue(dark, "no frame went dark")
            self.assertTrue(wait_until(lambda: close_to(centre(run), GREEN), 60), "the next picture never came")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)

    def test_holding_the_left_button_zooms_into_the_picture(self):
        album = album_of([[halves(RED, BLUE)]])
        with harness.Session(prepare=album) as run:
            wait_until(lambda: close_to(centre(run), BLUE) or close_to(centre(run), RED))
            before = run.screenshot()
            # Where the picture's left half ends before zooming.
            edge_before = next(x for x in range(0, CX) if close_to(pixel(before, x, CY), RED))
            run.move(CX, CY)
            run.xdotool("mousedown", 1)
            time.sleep(1.5)
            during = run.screenshot()
            run.xdotool("mouseup", 1)
            # Enlarged: red now reaches further left than before (or fills the left edge).
            edge_during = next((x for x in range(0, CX) if close_to(pixel(during, x, CY), RED)), CX)
            self.assertLess(edge_during, edge_before)
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)

    def test_right_button_and_wheel_turn_the_picture(self):
        album = album_of([[(600, 300, solid(GREEN))]])  # wide: turned, it leaves black corners
        with harness.Session(prepare=album) as run:
            wait_until(lambda: close_to(centre(run), GREEN))
            before = run.screenshot()
            top_left_of_picture = (CX - 500, 30)
            self.assertTrue(close_to(pixel(before, *top_left_of_picture), GREEN))
            run.move(CX, CY)
            run.xdotool("mousedown", 3)
            time.sleep(0.3)
            for _ in range(3):
                run.click(4)
                time.sleep(0.15)
            run.xdotool("mouseup", 3)
            turned = wait_until(lambda: (lambda s: pixel(s, *top_left_of_picture) == (0, 0, 0)
                                         and close_to(pixel(s, CX, CY), GREEN))(run.screenshot()), 5)
            self.assertTrue(turned, "the picture did not turn")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)

    def test_a_recorded_path_plays_back(self):
        # A large gradient: any shift of the view shows on screen.
        album = album_of([[(1200, 1000, lambda x, y: (x * 255 // 1200, y * 255 // 1000, 128)),
                           (400, 400, solid(GREEN))]])
        with harness.Session(prepare=album) as run:
            wait_until(lambda: sum(centre(run)) > 100)
            run.move(CX, CY)
            # Record: right press, onto "Record", release.
            run.xdotool("mousedown", 3)
            time.sleep(0.4)
            run.xdotool("mousemove_relative", "--", -170, 0)
            time.sleep(0.6)
            run.xdotool("mouseup", 3)
            time.sleep(0.3)
            # Drag with the left button held: key frames every 166 ms.
            run.move(CX, CY)
            run.xdotool("mousedown", 1)
            for step in range(14):
                run.xdotool("mousemove_relative", "--", 5 if step < 7 else -5, 3)
                time.sleep(0.12)
            run.xdotool("mouseup", 1)
            time.sleep(0.5)
            shots = []
            for _ in range(4):
                shots.append(run.screenshot()[2])
                time.sleep(0.35)
            self.assertGreater(len(set(shots)), 1, "the picture stood still: no playback")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0)


if __name__ == "__main__":
    harness.main()
