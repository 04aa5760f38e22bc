"""The search screen, opened from the ring menu and steered along its bars with real X input."""
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until
from gestures import (CX, CY, SLOW, W, H, choose, counters, quit_with_escape, row_span, column_span, settle,
                      shot_where)

BACKGROUND, PANEL = (0, 0, 55), (255, 100, 50)
BAR, BAR_LIT, BAR_PEN, TICK_RED = (100, 100, 0), (200, 200, 0), (0, 155, 0), (255, 0, 0)

ROSE, GREEN = (200, 60, 120), (30, 160, 70)
WHITE, PURPLE = (240, 240, 240), (150, 40, 200)
CYAN, BROWN, BLUE, PINK, TEAL = (40, 200, 220), (90, 50, 10), (40, 60, 230), (250, 160, 200), (20, 110, 110)

# Three usable folders of square pictures in colours found nowhere else on the screen.
ALBUM = album_of([[(400, 400, solid(c)) for c in (ROSE, GREEN)],
                  [(400, 400, solid(c)) for c in (WHITE, PURPLE)],
                  [(400, 400, solid(c)) for c in (CYAN, BROWN, BLUE, PINK, TEAL)]])

# The bars on a 1280 x 800 screen: a tick unit of 7.08 pixels; tick i (from 1) stands for index
# i - 1, is centred on x = W/2 - 355 + i * 7.08 and hovered through a window three pixels high.
UNIT = (720 - 12) / 100


def tick_x(i):
    return int(CX - 355 + i * UNIT)


FOLDER_TICK_Y, PICTURE_TICK_Y = CY + 265, CY - 265   # the pointer's snap points
FOLDER_TICK_TOP, PICTURE_TICK_TOP = CY + 263, CY - 267  # top edges of the tick squares


def ticks_on(shot, y):
    """The ticks drawn on a bar whose squares' top edges lie on row y: at each tick's place, the
    green pen of a plain tick or the red of the selected one."""
    def drawn(i):
        p = pixel(shot, tick_x(i) - 1, y)
        return close_to(p, BAR_PEN, 20) or close_to(p, TICK_RED, 20)
    return sum(1 for i in range(1, 101) if drawn(i))


def search_screen(preview):
    """A search screen whose preview (350 x 350, centred) shows the colour `preview`."""
    def shown(shot):
        return (pixel(shot, 50, 50) == BACKGROUND and pixel(shot, W - 50, H - 50) == BACKGROUND
                and pixel(shot, CX - 390, CY) == PANEL and pixel(shot, CX + 390, CY + 200) == PANEL
                and close_to(pixel(shot, CX, CY), preview, 6))
    return shown


def pointer_at(run):
    """Where the X pointer is."""
    values = dict(line.split("=", 1) for line in run.xdotool("getmouselocation", "--shell").split())
    return int(values["X"]), int(values["Y"])


def left_click_into_viewer(run):
    """A left click that ends search: pressed, held until the viewer draws again, released."""
    run.xdotool("mousedown", 1)
    back = shot_where(run, lambda s: pixel(s, 50, 50) != BACKGROUND)
    run.xdotool("mouseup", 1)
    assert back, "the search screen stayed after a left press"


class Search(unittest.TestCase):
    def test_the_bars_pick_a_folder_and_a_picture_and_a_press_goes_there(self):
        with harness.Session(prepare=ALBUM) as run:
            start = shot_where(run, lambda s: close_to(pixel(s, CX, CY), ROSE))
            self.assertTrue(start, "the first picture never showed")
            counters_before = counters(start)

            choose(run, "Search")
            shot = shot_where(run, search_screen(ROSE))
            self.assertTrue(shot, "no search screen previewing the picture in view")
            # The preview: the square picture 350 pixels high, centred; the panel around it.
            self.assertEqual(row_span(shot, CY, ROSE, 6), (CX - 175, CX + 174))
            self.assertEqual(column_span(shot, CX - 100, ROSE, 6), (CY - 175, CY + 174))
            self.assertEqual(pixel(shot, CX - 180, CY), PANEL)
            self.assertEqual(pixel(shot, CX, CY - 290), PANEL)
            # Two bars, not lit: one tick per folder below, one per picture of folder 0 above.
            self.assertEqual(pixel(shot, CX + 300, CY + 256), BAR)
            self.assertEqual(pixel(shot, CX + 300, CY - 256), BAR)
            self.assertEqual(ticks_on(shot, FOLDER_TICK_TOP), 3)
            self.assertEqual(ticks_on(shot, PICTURE_TICK_TOP), 2)

            # Onto the folder bar's third tick: folder 2, previewed by its first picture.
            target = (tick_x(3), FOLDER_TICK_Y)

            def on_folder_2(s):
                return search_screen(CYAN)(s) and pixel(s, CX + 300, CY + 256) == BAR_LIT

            shot = shot_where(run, lambda s: (run.move(*target), on_folder_2(s))[1])
            self.assertTrue(shot, "the folder bar did not select folder 2")
            self.assertEqual(pixel(shot, CX + 300, CY - 256), BAR)  # the picture bar is not lit
            # The picture bar now counts the five pictures of folder 2.
            self.assertEqual(ticks_on(shot, PICTURE_TICK_TOP), 5)
            self.assertEqual(ticks_on(shot, FOLDER_TICK_TOP), 3)

            # Onto the picture bar's fourth tick: picture 3 of folder 2.
            target = (tick_x(4), PICTURE_TICK_Y)

            def on_picture_3(s):
                return search_screen(PINK)(s) and pixel(s, CX + 300, CY - 256) == BAR_LIT

            shot = shot_where(run, lambda s: (run.move(*target), on_picture_3(s))[1])
            self.assertTrue(shot, "the picture bar did not select picture 3")
            # The search screen snaps the pointer onto the hovered tick: press only once the
            # pointer rests on the target.
            def resting_on_target():
                run.move(*target)
                settle(0.3)
                if pointer_at(run) != target:
                    return None
                rest = run.screenshot()
                return rest if on_picture_3(rest) and pointer_at(run) == target else None

            shot = wait_until(resting_on_target, SLOW)
            self.assertTrue(shot, "the pointer did not stay on the picture bar")
            self.assertEqual(pixel(shot, CX + 300, CY + 256), BAR)  # the folder bar is no longer lit
            self.assertEqual(row_span(shot, CY, PINK, 6), (CX - 175, CX + 174))

            # A left click on the bar: back in the viewer at folder 2, picture 3. The button is
            # held as a user's click is, until the viewer shows again: the release then snaps the
            # strip onto the picture the jump chose.
            left_click_into_viewer(run)
            shot = shot_where(run, lambda s: close_to(pixel(s, CX, CY), PINK) and pixel(s, 40, CY) == (0, 0, 0))
            last = run.screenshot()
            self.assertTrue(shot, "the viewer did not come back at folder 2, picture 3: %s at the centre, %s beside"
                            % (pixel(last, CX, CY), pixel(last, 40, CY)))
            self.assertNotEqual(pixel(shot, 50, 50), BACKGROUND)
            # The picture stands centred on the strip, the counters in the corner have changed.
            span = row_span(shot, CY, pixel(shot, CX, CY))
            self.assertLessEqual(abs((span[0] + span[1]) / 2 - CX), 2, span)
            self.assertNotEqual(counters(shot), counters_before)
            quit_with_escape(self, run)

    def test_a_press_on_the_preview_at_once_returns_to_where_the_user_was(self):
        with harness.Session(prepare=ALBUM) as run:
            self.assertTrue(shot_where(run, lambda s: close_to(pixel(s, CX, CY), ROSE)))
            # Folder 1 by the Up key, then its second picture by the Left key.
            run.key("Up")
            self.assertTrue(shot_where(run, lambda s: close_to(pixel(s, CX, CY), WHITE)), "Up did not step")
            run.xdotool("keydown", "Left")
            moved = shot_where(run, lambda s: close_to(pixel(s, CX, CY), PURPLE), interval=0.02)
            run.xdotool("keyup", "Left")
            self.assertTrue(moved, "Left did not slide to the second picture")

            choose(run, "Search")
            # Opened, the bars are seeded from the picture in view: folder 1, picture 1.
            shot = shot_where(run, search_screen(PURPLE))
            self.assertTrue(shot, "the search screen did not preview the picture in view")
            self.assertEqual(ticks_on(shot, PICTURE_TICK_TOP), 2)

            # The pointer still rests on Search, inside the preview: click there at once.
            left_click_into_viewer(run)
            shot = shot_where(run, lambda s: close_to(pixel(s, CX, CY), PURPLE) and pixel(s, 50, 50) != BACKGROUND
                              and pixel(s, 40, CY) == (0, 0, 0))
            self.assertTrue(shot, "the viewer did not come back at the same picture")
            # The strip now stands exactly on the picture: centred.
            span = row_span(shot, CY, PURPLE)
            self.assertLessEqual(abs((span[0] + span[1]) / 2 - CX), 2, span)
            quit_with_escape(self, run)


if __name__ == "__main__":
    harness.main()
