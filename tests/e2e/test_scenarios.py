"""A user's sittings with the viewer, every feature through real X input.

Each scenario is one or two runs of the program; the checks are on screenshots (colours, where a
picture stands, what changes between frames) and on the record file left behind. What
test_viewer.py and test_search.py already check is not repeated here.
"""
import os
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until
from gestures import (BLACK, CX, CY, SLOW, W, centre, choose, copy_album, press_ring, quit_with_escape,
                      record_file, rest_on, ring_gone, row_span, settle, shot_where, turned_by, turned_like,
                      wheel_with_middle_held)

ROSE, GREEN, BLUE, PINK = (200, 60, 120), (30, 160, 70), (40, 60, 230), (250, 160, 200)
WHITE, PURPLE, TEAL, BROWN, CYAN = (240, 240, 240), (150, 40, 200), (20, 110, 110), (90, 50, 10), (40, 200, 220)
PALETTE = {"rose": ROSE, "green": GREEN, "blue": BLUE, "pink": PINK, "white": WHITE, "purple": PURPLE,
           "teal": TEAL, "brown": BROWN, "cyan": CYAN}
OVERLAY_TEXT = [(255, 200, 0), (255, 100, 0)]


def square(colour):
    return (400, 400, solid(colour))


def name_at(shot, x=CX, y=CY):
    """The palette name of the colour at (x, y), "black", or None."""
    p = pixel(shot, x, y)
    if p == BLACK:
        return "black"
    return next((name for name, c in PALETTE.items() if close_to(p, c)), None)


def names_on_row(shot, y=CY):
    """The palette colours found along row y."""
    found = set()
    for x in range(0, W, 2):
        name = name_at(shot, x, y)
        if name not in (None, "black"):
            found.add(name)
    return found


def centred(shot, name, y=CY, slack=3):
    """True when the colour `name` spans row y symmetrically about the screen centre."""
    span = row_span(shot, y, PALETTE[name], 12)
    return bool(span) and abs((span[0] + span[1]) / 2 - CX) <= slack


def one_picture_centred(shot):
    names = names_on_row(shot)
    return len(names) == 1 and centred(shot, next(iter(names)))


def text_mask(shot, x0, y0, x1, y1):
    """Where the overlay texts' colours are in a rectangle: what the text says, whatever lies under it."""
    return frozenset((x, y) for y in range(y0, y1) for x in range(x0, x1)
                     if any(close_to(pixel(shot, x, y), c, 30) for c in OVERLAY_TEXT))


def counter_mask(shot):
    return text_mask(shot, 0, 0, 110, 66)


def colour_ranges(samples):
    """Per channel, the spread of a list of colours."""
    return [max(s[i] for s in samples) - min(s[i] for s in samples) for i in range(3)]


def held_click(run):
    """A left click as a user makes it: the button stays down until the viewer has drawn the
    zoom it starts (so the frames have taken in every earlier move), then comes up."""
    run.xdotool("mousedown", 1)
    zoomed = shot_where(run, lambda s: pixel(s, 40, CY) != BLACK)
    run.xdotool("mouseup", 1)
    assert zoomed, "holding the left button did not zoom"


class Pointer:
    """The pointer, moved sideways a little at a time; kept out of the border where the viewer
    re-centres it (a jump back of 300 pixels or more is ignored by the strip)."""

    def __init__(self, run, x, y):
        self.run, self.x, self.y = run, x, y

    def left(self, step=20):
        self.x -= step
        if self.x < 250:
            self.x = W - 250
            self.run.move(self.x, self.y)
            settle(0.2)
            self.x -= step
        self.run.move(self.x, self.y)


class Scenarios(unittest.TestCase):
    def test_the_strip_follows_the_pointer_and_fixed_pushes_a_centred_picture(self):
        order = ["rose", "green", "blue", "pink", "purple", "teal", "brown"]
        album = album_of([[square(PALETTE[name]) for name in order], [square(WHITE)]])
        with harness.Session(prepare=album) as run:
            self.assertTrue(shot_where(run, lambda s: name_at(s) == "rose"))
            pointer = Pointer(run, CX, CY)

            # Normal viewing: small moves to the left slide the strip on; the next picture comes
            # in from the left while the first goes out to the right, both on screen at once.
            shot = shot_where(run, lambda s: (pointer.left(), {"rose", "green"} <= names_on_row(s))[1], SLOW, 0.2)
            self.assertTrue(shot, "the strip did not slide under the pointer")
            self.assertLess(row_span(shot, CY, GREEN, 12)[1], row_span(shot, CY, ROSE, 12)[0])

            # A click snaps the strip onto one picture, centred.
            held_click(run)
            shot = shot_where(run, lambda s: pixel(s, 40, CY) == BLACK and one_picture_centred(s))
            self.assertTrue(shot, "the strip did not snap onto a picture")
            here = name_at(shot)
            self.assertIn(here, ("rose", "green"))
            self.assertFalse(close_to(pixel(shot, CX, CY), WHITE))

            # Fixed: sideways moves push the strip on; the picture in view stays centred and alone.
            choose(run, "Fixed")
            self.assertTrue(ring_gone(run))
            pointer = Pointer(run, CX + 110, CY + 90)
            seen = []

            def pushed_on(s):
                pointer.left()
                seen.append(s)
                return name_at(s) not in (here, "black")

            shot = shot_where(run, pushed_on, SLOW, 0.2)
            self.assertTrue(shot, "Fixed did not push the strip on")
            self.assertGreater(order.index(name_at(shot)), order.index(here))
            for s in seen + [shot]:
                self.assertLessEqual(len(names_on_row(s)), 1, "Fixed showed two pictures at once")
            self.assertTrue(one_picture_centred(shot))

            # Fast Fixed: resting on the item over two seconds makes each move push 1000 pixels
            # instead of 150, so nearly every move brings another picture (in normal Fixed four
            # moves of 150 pixels change the picture in view once at most).
            press_ring(run)
            rest_on(run, "Fixed")
            settle(3.0)
            run.xdotool("mouseup", 3)
            self.assertTrue(ring_gone(run))
            pointer = Pointer(run, CX + 110, CY + 90)
            names = [name_at(run.screenshot())]
            for _ in range(4):
                pointer.left()
                settle(0.6)
                shot = run.screenshot()
                self.assertTrue(one_picture_centred(shot))
                names.append(name_at(shot))
            changes = sum(1 for a, b in zip(names, names[1:]) if a != b)
            self.assertGreaterEqual(changes, 2, "fast Fixed pushed no faster than 150 pixels a move: %s" % names)
            quit_with_escape(self, run)

    def test_static_zooms_pans_by_hand_and_wheels_through_the_folder(self):
        album = album_of([[square(c) for c in (ROSE, GREEN, BLUE)], [square(WHITE)]])
        with harness.Session(prepare=album) as run:
            self.assertTrue(shot_where(run, lambda s: name_at(s) == "rose"))
            choose(run, "Static")
            # The picture grows to its zoom target: it now covers the whole width.
            shot = shot_where(run, lambda s: close_to(pixel(s, 40, CY), ROSE) and close_to(pixel(s, W - 40, CY), ROSE))
            self.assertTrue(shot, "Static did not zoom into the picture")

            # The pointer pans it by hand: to the left shows the picture's left edge, and black
            # beyond it, on the left of the screen; to the right the same on the right.
            x, y = CX + 170, CY  # where the gesture left the pointer
            run.move(x - 60, y)
            shot = shot_where(run, lambda s: pixel(s, 40, CY) == BLACK and close_to(pixel(s, W - 40, CY), ROSE))
            self.assertTrue(shot, "moving the pointer left did not pan the picture")
            self.assertEqual(name_at(shot), "rose")
            run.move(x + 60, y)
            shot = shot_where(run, lambda s: pixel(s, W - 40, CY) == BLACK and close_to(pixel(s, 40, CY), ROSE))
            self.assertTrue(shot, "moving the pointer right did not pan the picture")

            # The wheel steps through the pictures of the folder, not through the folders; each
            # new picture comes up zoomed and centred again.
            def filled_with(name):
                return lambda s: all(name_at(s, px, CY) == name for px in (40, CX, W - 40))

            for click, expected in ((5, "green"), (5, "blue"), (4, "green")):
                run.click(click)
                self.assertTrue(shot_where(run, filled_with(expected)), "the wheel did not show " + expected)
            # At the last picture a further turn stays there; a turn back proves it did not leave.
            run.click(5)
            self.assertTrue(shot_where(run, filled_with("blue")))
            run.click(5)
            settle(1.0)
            run.click(4)
            self.assertTrue(shot_where(run, filled_with("green")), "the wheel went past the last picture")

            # A left click ends Static: the picture is back to its size on the strip.
            held_click(run)
            shot = shot_where(run, lambda s: pixel(s, 40, CY) == BLACK and one_picture_centred(s))
            self.assertTrue(shot, "a click did not end Static")
            self.assertEqual(name_at(shot), "green")
            quit_with_escape(self, run)

    def test_dynam_runs_by_itself_rotate_stops_it_and_rand_leaves_the_folder(self):
        others = ["white", "purple", "teal", "brown"]
        album = album_of([[square(c) for c in (ROSE, GREEN, BLUE)]] + [[square(PALETTE[o])] for o in others])
        with harness.Session(prepare=album) as run:
            self.assertTrue(shot_where(run, lambda s: name_at(s) == "rose"))

            # Dynam: with no input at all the pictures come one after the other, each alone on
            # the screen, and after the last the strip runs back to the first.
            choose(run, "Dynam")
            sequence, crowded = [], []

            def ran_back(s):
                name = name_at(s)
                if len(names_on_row(s)) > 1:
                    crowded.append(s)
                if name in ("rose", "green", "blue") and (not sequence or sequence[-1] != name):
                    sequence.append(name)
                return "blue" in sequence and "rose" in sequence[sequence.index("blue"):]

            self.assertTrue(wait_until(lambda: ran_back(run.screenshot()), SLOW, 0.05),
                            "Dynam did not run through the folder and back: %s" % sequence)
            self.assertFalse(crowded, "Dynam showed two pictures at once")

            # Rotate returns to normal viewing: the strip stands still where Dynam left it.
            choose(run, "Rotate")
            self.assertTrue(ring_gone(run))
            settle(0.3)
            shots = []
            for _ in range(6):
                shots.append(run.screenshot())
                settle(0.3)
            def pictures(shot):
                """The pictures on the middle row: name -> (first, last) x."""
                return {name: row_span(shot, CY, PALETTE[name], 12) for name in names_on_row(shot)}

            def width(span):
                return span[1] - span[0]

            first = pictures(shots[0])
            self.assertTrue(first)
            main = max(first, key=lambda name: width(first[name]))
            for s in shots[1:]:
                now = pictures(s)
                # Only the breathing changes the pictures' size: their edges move a few pixels, so
                # a neighbour's sliver at the edge may come and go, but the picture in view stays.
                self.assertIn(main, now, "the strip moved after Rotate: %s, then %s" % (first, now))
                shift = (sum(now[main]) - sum(first[main])) / 2
                self.assertLess(abs(shift), 30, "the strip moved after Rotate: %s, then %s" % (first, now))
                for name, span in now.items():
                    self.assertTrue(name in first or width(span) < 100,
                                    "%s came into view after Rotate: %s, then %s" % (name, first, now))

            # Rand: the speed shows under the counters and the wheel raises it; at the end of the
            # folder the strip jumps to a folder chosen at random.
            choose(run, "Rand")
            speed_5 = shot_where(run, lambda s: len(text_mask(s, 0, 62, 45, 92)) > 20)
            self.assertTrue(speed_5, "no speed under the counters in Rand")
            for _ in range(5):
                run.click(4)
                settle(0.1)
            faster = shot_where(run, lambda s: len(text_mask(s, 0, 62, 45, 92)) > len(text_mask(speed_5, 0, 62, 45, 92)))
            self.assertTrue(faster, "the wheel did not raise the speed (two digits)")
            self.assertTrue(shot_where(run, lambda s: name_at(s) in others, 2 * SLOW),
                            "Rand never left folder 0")
            quit_with_escape(self, run)

    def test_zoom_and_pan_are_kept_a_recorded_path_plays_and_survives_a_restart(self):
        # Gradients: where the view stands shows in the colour at the centre of the screen.
        def gradient_a(x, y):
            return (x * 255 // 600, y * 255 // 500, 128)

        def gradient_b(x, y):
            return (40, x * 255 // 600, 200)

        album = album_of([[(600, 500, gradient_a), (600, 500, gradient_b)]])
        with harness.Session(prepare=album) as run:
            plain = shot_where(run, lambda s: close_to(pixel(s, CX, CY), (127, 127, 128), 4))
            self.assertTrue(plain, "the first picture never showed")

            # Hold the left button: the picture zooms over the whole width; drag to the right:
            # the view moves right over the picture.
            run.xdotool("mousedown", 1)
            self.assertTrue(shot_where(run, lambda s: pixel(s, 40, CY) != BLACK), "no zoom")
            for _ in range(8):
                run.xdotool("mousemove_relative", "--", 5, 0)
                settle(0.05)
            panned = shot_where(run, lambda s: pixel(s, CX, CY)[0] > 127 + 30)
            self.assertTrue(panned, "dragging did not pan the zoomed picture")
            run.xdotool("mouseup", 1)
            self.assertTrue(shot_where(run, lambda s: pixel(s, 40, CY) == BLACK
                                       and close_to(pixel(s, CX, CY), (127, 127, 128), 4)), "no zoom out")
            # Held again without moving: the zoom goes back to where the picture was panned.
            run.xdotool("mousedown", 1)
            again = shot_where(run, lambda s: pixel(s, 40, CY) != BLACK and pixel(s, CX, CY)[0] > 127 + 30)
            self.assertTrue(again, "the pan position was not kept")
            run.xdotool("mouseup", 1)
            self.assertTrue(shot_where(run, lambda s: pixel(s, 40, CY) == BLACK))

            # Record a path: Record, then a drag with the left button (key frames every 166 ms).
            choose(run, "Record")
            self.assertTrue(ring_gone(run))
            run.xdotool("mousedown", 1)
            for step in range(14):
                run.xdotool("mousemove_relative", "--", 5 if step < 7 else -5, 3)
                settle(0.12)
            run.xdotool("mouseup", 1)
            # Played back forth and back: the view wanders, so the centre's colour does.
            samples = []
            played = wait_until(lambda: (samples.append(centre(run)), max(colour_ranges(samples)) >= 15)[1], SLOW)
            self.assertTrue(played, "the recorded path did not play: %s" % samples)

            # Exit from the ring menu writes the record file.
            choose(run, "Exit")
            self.assertEqual(run.wait_for_exit(SLOW), 0, run.output())
            saved = record_file(run)
            self.assertEqual(saved.size, 4 + (4 + 2 * 624) + 8 + 4)
            first, second = saved.pictures[0]
            self.assertEqual(first["recorded"], 1)
            self.assertTrue(3 <= first["key_count"] <= 39, first["key_count"])
            self.assertEqual(first["steps"], 10)
            keys = first["keys"][:first["key_count"]]
            self.assertGreater(len(set((k[0], k[1]) for k in keys)), 1, keys)
            self.assertTrue(all(k[2] == 1.5 for k in keys), keys)
            self.assertEqual((second["recorded"], second["key_count"]), (0, 0))

            # Started again: the recorded picture plays at once, with no input; the other does not.
            with harness.Session(prepare=copy_album(run.folder)) as again_run:
                samples = []
                played = wait_until(lambda: (samples.append(centre(again_run)),
                                             max(colour_ranges(samples)) >= 15)[1], SLOW)
                self.assertTrue(played, "the restored path did not play: %s" % samples)
                again_run.xdotool("keydown", "Left")
                other = shot_where(again_run, lambda s: close_to(pixel(s, CX, CY), (40, 128, 200), 20))
                again_run.xdotool("keyup", "Left")
                self.assertTrue(other, "Left did not bring the second picture")
                settle(0.5)
                still = []
                for _ in range(6):
                    still.append(centre(again_run))
                    settle(0.25)
                self.assertLessEqual(max(colour_ranges(still)), 4, still)
                quit_with_escape(self, again_run)
                kept = record_file(again_run).pictures[0][0]
                self.assertEqual((kept["recorded"], kept["key_count"]), (1, first["key_count"]))
                self.assertEqual(kept["keys"], first["keys"])

    def test_folders_brightness_and_angle_are_restored_after_a_restart(self):
        wide = (600, 300, solid(WHITE))  # turned, it leaves black corners
        album = album_of([[square(ROSE)], [wide], [square(CYAN)]])
        grey_165 = tuple(round(c * 165 / 255) for c in WHITE)
        corner = (CX - 500, 30)  # inside the wide picture until it is turned
        with harness.Session(prepare=album) as run:
            shot = shot_where(run, lambda s: name_at(s) == "rose")
            self.assertTrue(shot)
            folder_0_counters = counter_mask(shot)

            def shows(name):
                return shot_where(run, lambda s: name_at(s) == name)

            # The arrow keys: Down in folder 0 stays there (Up then reaches folder 1, not past
            # it); Up in the last folder stays there (Down then comes back to folder 1).
            run.key("Down")
            run.key("Up")
            self.assertTrue(shows("white"), "Down in folder 0 did not stay in folder 0")
            run.key("Up")
            self.assertTrue(shows("cyan"))
            run.key("Up")
            run.key("Down")
            self.assertTrue(shows("white"), "Up in the last folder did not stay there")
            # The wheel, both ways.
            for click, name in ((4, "cyan"), (5, "white"), (5, "rose"), (4, "white")):
                run.click(click)
                self.assertTrue(shows(name), "the wheel did not step to " + name)

            # Middle button held, three turns toward the user: the picture darkens to 165 of 255.
            wheel_with_middle_held(run, 5)
            self.assertTrue(shot_where(run, lambda s: close_to(pixel(s, CX, CY), grey_165, 3)), "no darker picture")

            # Right button held, three turns away: the picture turns by 30 degrees.
            self.assertTrue(close_to(pixel(run.screenshot(), *corner), grey_165, 3))
            press_ring(run)
            for _ in range(3):
                run.click(4)
                settle(0.5)
            run.xdotool("mouseup", 3)
            turned = shot_where(run, lambda s: pixel(s, *corner) == BLACK and close_to(pixel(s, CX, CY), grey_165, 3)
                                and not close_to(pixel(s, CX, CY - 120), (0, 255, 0), 40))
            self.assertTrue(turned, "the picture did not turn")
            folder_1_counters = counter_mask(turned)
            self.assertNotEqual(folder_1_counters, folder_0_counters)
            quit_with_escape(self, run)

            saved = record_file(run)
            self.assertEqual(saved.size, 4 + 3 * (4 + 624) + 8 + 3 * 4)
            self.assertEqual((saved.folder, saved.brightness), (1, 165))
            self.assertEqual([[p["angle"] for p in f] for f in saved.pictures], [[0], [30], [0]])
            self.assertEqual(saved.strip_offsets, [0, 0, 0])

            # Started again: folder 1, turned and dark, from the first frame on.
            with harness.Session(prepare=copy_album(run.folder)) as again:
                shot = shot_where(again, lambda s: pixel(s, *corner) == BLACK
                                  and close_to(pixel(s, CX, CY), grey_165, 3))
                self.assertTrue(shot, "folder 1 did not come back turned and dark")
                self.assertEqual(counter_mask(shot), folder_1_counters)
                # Three turns away with the middle button held: full brightness again.
                wheel_with_middle_held(again, 4)
                self.assertTrue(shot_where(again, lambda s: close_to(pixel(s, CX, CY), WHITE, 3)), "not brighter")
                quit_with_escape(self, again)
                saved = record_file(again)
                self.assertEqual((saved.folder, saved.brightness), (1, 255))
                self.assertEqual(saved.pictures[1][0]["angle"], 30)

    def test_a_picture_turned_past_a_full_circle_keeps_the_record_file(self):
        # An oblong picture: its sides show the angle it is turned by, its width whether it stands across.
        album = album_of([[(400, 300, solid(ROSE))]])

        def turned_by_10(shot):
            return turned_like(shot, ROSE, 10) and turned_by(shot, ROSE)[1]

        with harness.Session(prepare=album) as run:
            self.assertTrue(shot_where(run, lambda s: name_at(s) == "rose"))
            # Right button held, the wheel turned away 37 times: each turn is waited for on screen.
            press_ring(run)
            for turn in range(1, 38):
                run.click(4)
                self.assertTrue(shot_where(run, lambda s: turned_like(s, ROSE, 10 * turn)),
                                "turn %d was not shown" % turn)
            run.xdotool("mouseup", 3)
            self.assertTrue(ring_gone(run))
            self.assertTrue(shot_where(run, turned_by_10))
            quit_with_escape(self, run)
            # 370 degrees are kept as the 10 they show.
            self.assertEqual(record_file(run).pictures[0][0]["angle"], 10)

            # Started again: the record file stays, and the picture is still turned by 10 degrees.
            with harness.Session(prepare=copy_album(run.folder)) as again:
                self.assertTrue(shot_where(again, lambda s: name_at(s) == "rose"))
                self.assertTrue(os.path.exists(again.path("album", "._album_.txt")), "the record file was deleted")
                self.assertTrue(shot_where(again, turned_by_10), "the picture did not come back turned")
                quit_with_escape(self, again)
                self.assertEqual(record_file(again).pictures[0][0]["angle"], 10)

if __name__ == "__main__":
    harness.main()
