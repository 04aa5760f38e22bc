"""The viewer on a Wayland compositor: weston with its X11 backend inside Xvfb (the backend that
gives the compositor a seat, so keys and the pointer reach the program), SDL on its Wayland driver,
frames through the compositor's shared memory. Skipped where weston is not installed."""
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until

RED, GREEN, BLUE = (220, 30, 30), (30, 200, 60), (40, 60, 230)
W, H = harness.SCREEN_W, harness.SCREEN_H
CX, CY = W // 2, H // 2
ALBUM = album_of([[(400, 400, solid(RED)), (400, 400, solid(GREEN)), (400, 400, solid(BLUE))]])
SOCKET = "quenmira-e2e"


class Weston:
    """weston on an Xvfb display, its output a window of the screen's size at the top-left."""

    def __init__(self):
        self.xvfb = harness.Xvfb(W, H)
        self.runtime = tempfile.mkdtemp(prefix="quenmira-wayland-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, DISPLAY=self.xvfb.display, XDG_RUNTIME_DIR=self.runtime)
        self.log = open(os.path.join(self.runtime, "weston.log"), "w+")
        self.process = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--socket=" + SOCKET, "--width=%d" % W, "--height=%d" % H,
             "--use-pixman", "--idle-time=0", "--no-config"],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        socket = os.path.join(self.runtime, SOCKET)
        if not wait_until(lambda: os.path.exists(socket) or self.process.poll() is not None, 60):
            self.stop()
            raise RuntimeError("weston did not start")
        # The desktop shell starts after the socket; its panel comes and goes before the program's window.
        time.sleep(1.0)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.xvfb.stop()
        self.log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


@unittest.skipUnless(shutil.which("weston"), "weston is not installed")
class OnWayland(unittest.TestCase):
    def setUp(self):
        self.weston = Weston()
        self.folder = tempfile.mkdtemp(prefix="quenmira-e2e-")
        ALBUM(self.folder)
        env = dict(self.weston.env, WAYLAND_DISPLAY=SOCKET, SDL_VIDEODRIVER="wayland", SDL_AUDIODRIVER="dummy")
        # Under AddressSanitizer, leaks are not looked for here: SDL's Wayland backend (2.26) never
        # destroys the callback of the display sync that wakes its event loop, and the EGL driver
        # it loads for the window is unloaded with what it allocated, so no suppression can name it.
        if "ASAN_OPTIONS" in env:
            env["ASAN_OPTIONS"] += " detect_leaks=0"
        self.output = open(os.path.join(self.weston.runtime, "quenmira.log"), "w+")
        self.program = subprocess.Popen([harness.BINARY], cwd=self.folder, env=env, stdout=self.output,
                                        stderr=subprocess.STDOUT)

    def tearDown(self):
        if self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        self.output.close()
        self.weston.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.weston.env, check=True, capture_output=True)

    def centre(self):
        data = subprocess.run(["import", "-display", self.weston.xvfb.display, "-window", "root", "-depth", "8",
                               "ppm:-"], check=True, capture_output=True).stdout
        return pixel(harness.parse_ppm(data), CX, CY)

    def program_output(self):
        self.output.flush()
        self.output.seek(0)
        return self.output.read()

    def test_picture_keys_pointer_and_a_clean_stop(self):
        self.assertTrue(wait_until(lambda: close_to(self.centre(), RED), 60),
                        "the first picture never showed: " + self.program_output())
        # The compositor's window takes X's keys while the pointer is over it.
        self.xdotool("mousemove", CX, CY)
        self.xdotool("keydown", "Left")
        self.assertTrue(wait_until(lambda: close_to(self.centre(), BLUE), 30), "Left did not slide the strip on")
        self.xdotool("keyup", "Left")
        self.xdotool("keydown", "Right")
        self.assertTrue(wait_until(lambda: close_to(self.centre(), RED), 30), "Right did not slide back")
        self.xdotool("keyup", "Right")
        # Pointer motion arrives as relative motion; moves to the left push the strip on.
        self.xdotool("mousemove", CX + 250, CY)
        slid = False
        for _ in range(40):
            self.xdotool("mousemove_relative", "--", -20, 0)
            time.sleep(0.08)
            if close_to(self.centre(), GREEN):
                slid = True
                break
        self.assertTrue(slid, "pointer motion did not slide the strip to the second picture")
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.program.wait(timeout=20), 0, self.program_output())
        self.assertTrue(os.path.exists(os.path.join(self.folder, "album", "._album_.txt")))


if __name__ == "__main__":
    harness.main()
