"""Frames on screen both ways: through the window's framebuffer, which the program takes on a
display without a GPU, and through SDL's GL renderer, forced with SDL's own hint."""
import os
import signal
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until

RED, GREEN, BLUE = (220, 30, 30), (30, 200, 60), (40, 60, 230)
CX, CY = harness.SCREEN_W // 2, harness.SCREEN_H // 2
ALBUM = album_of([[(400, 400, solid(RED)), (400, 400, solid(GREEN)), (400, 400, solid(BLUE))]])
GL_LIBRARIES = ("libGL", "libEGL", "libGLX", "/dri/", "libgallium", "libOpenGL")
SDL_HINTS = ("SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION")


def mapped_gl(pid):
    """The GL libraries and drivers mapped into the process."""
    with open("/proc/%d/maps" % pid) as f:
        return sorted({line.split()[-1] for line in f if any(name in line for name in GL_LIBRARIES)})


def centre(run):
    return pixel(run.screenshot(), CX, CY)


class PresentPaths(unittest.TestCase):
    def check_viewer(self, run):
        self.assertTrue(wait_until(lambda: close_to(centre(run), RED), 30), "the first picture never showed")
        run.xdotool("keydown", "Left")
        self.assertTrue(wait_until(lambda: close_to(centre(run), BLUE), 30), "Left did not slide the strip on")
        run.xdotool("keyup", "Left")

    def stop_cleanly(self, run):
        run.process.send_signal(signal.SIGTERM)
        self.assertEqual(run.wait_for_exit(10), 0, run.output())
        self.assertTrue(os.path.exists(run.path("album", "._album_.txt")))

    def test_without_a_gpu_frames_go_through_the_framebuffer_and_no_gl_driver_is_loaded(self):
        if any(os.environ.get(hint) for hint in SDL_HINTS):
            self.skipTest("an SDL hint in the environment chooses the path")
        with harness.Session(prepare=ALBUM) as run:
            self.check_viewer(run)
            # The sanitizer build preloads Mesa's driver for the whole run (see the Makefile).
            if "dri" not in os.environ.get("LD_PRELOAD", ""):
                self.assertEqual(mapped_gl(run.process.pid), [])
            self.stop_cleanly(run)

    def test_sdls_hint_forces_the_gl_renderer(self):
        with harness.Session(prepare=ALBUM, env={"SDL_RENDER_DRIVER": "opengl"}) as run:
            self.check_viewer(run)
            self.assertNotEqual(mapped_gl(run.process.pid), [])
            self.stop_cleanly(run)


if __name__ == "__main__":
    harness.main()
