"""End-to-end harness: the real program under Xvfb in a fresh working folder, driven by xdotool.

Everything it starts is torn down when the `Session` context ends, whether the test passed or not.
"""
import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

SCREEN_W, SCREEN_H = 1280, 800
BINARY = None  # set by main() from --binary

# What X clients print when the X server refused their connection. Xvfb refuses one now and
# then while other clients connect and disconnect, so such a look-up is made again.
DISPLAY_REFUSED = ("Can't open display", "unable to open display", "unable to open X server")
DISPLAY_TRIES = 5
DISPLAY_RETRY_S = 0.2


def main():
    """Runs the unittest cases of the calling module with the program path taken from --binary."""
    global BINARY
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    args, rest = parser.parse_known_args()
    BINARY = os.path.abspath(args.binary)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


def run_on_display(command, env, check=False, text=True):
    """Runs an X client to its end; a connection the X server refused is tried again a few times."""
    for attempt in range(DISPLAY_TRIES):
        result = subprocess.run(command, env=env, capture_output=True, text=text)
        errors = result.stderr if text else result.stderr.decode(errors="replace")
        if attempt + 1 == DISPLAY_TRIES or not any(refused in errors for refused in DISPLAY_REFUSED):
            break
        time.sleep(DISPLAY_RETRY_S)
    if check:
        result.check_returncode()
    return result


class Xvfb:
    """A virtual X server on the display `name` (":N"), or on a number it chooses itself."""

    def __init__(self, width=SCREEN_W, height=SCREEN_H, name=None):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", *([name] if name else []), "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class Session:
    """One run of the program: its X server, its working folder and its process."""

    def __init__(self, width=SCREEN_W, height=SCREEN_H, prepare=None, env=None, folder=None, past_brand=True,
                 wrapper=None, xvfb=None, window_timeout=60):
        self.width, self.height = width, height
        # An X server of the caller's (left running afterwards, for runs that share one), or None
        # for one of this run's own.
        self.given_xvfb = xvfb
        self.window_timeout = window_timeout
        self.wrapper = wrapper or []  # a command the program is started under (e.g. setpriv)
        self.prepare = prepare  # called with the working folder before the program starts
        self.extra_env = env or {}
        # A working folder of the caller's (kept afterwards, for a run that follows another), or
        # None for a fresh one removed at the end.
        self.given_folder = folder
        # False: entering returns once the window shows, while the brand screen may still be up.
        self.past_brand = past_brand
        self.xvfb = None
        self.process = None
        self.folder = None
        self.window = None

    def __enter__(self):
        try:
            self.xvfb = self.given_xvfb or Xvfb(self.width, self.height)
            self.folder = self.given_folder or tempfile.mkdtemp(prefix="quenmira-e2e-")
            if self.prepare:
                self.prepare(self.folder)
            # No sound unless a test asks for an audio driver of its own.
            self.env = dict(os.environ, DISPLAY=self.xvfb.display, SDL_AUDIODRIVER="dummy")
            self.env.update(self.extra_env)
            self.log = open(os.path.join(self.folder, "..", os.path.basename(self.folder) + ".log"), "w+")
            self.process = subprocess.Popen(self.wrapper + [BINARY], cwd=self.folder, env=self.env,
                                            stdout=self.log, stderr=subprocess.STDOUT)
            self.window = self.wait_for_window(self.window_timeout)
            if self.past_brand:
                self.wait_past_brand_screen()
            return self
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if exc and exc[0] is not None:
            # A failed check: what the program printed (sanitizer reports included) explains it.
            sys.stderr.write("--- program output ---\n" + self.output() + "\n--- end of output ---\n")
        if self.xvfb and not self.given_xvfb:
            self.xvfb.stop()
        if self.folder:
            if not self.given_folder:
                shutil.rmtree(self.folder, ignore_errors=True)
            try:
                self.log.close()
                os.unlink(self.log.name)
            except (AttributeError, OSError):
                pass
        return False

    # -- X helpers -------------------------------------------------------------------------
    def xdotool(self, *args):
        return run_on_display(["xdotool", *map(str, args)], self.env, check=True).stdout

    def wait_for_window(self, timeout=60):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise AssertionError("the program ended before its window appeared: " + self.output())
            found = mapped_windows(self.env)
            if found:
                return found[0]
            time.sleep(0.1)
        windows = run_on_display(["xwininfo", "-root", "-tree"], self.env)
        raise AssertionError("no window within %d s: %s\nwindows on the display:\n%s"
                             % (timeout, self.output(), windows.stdout + windows.stderr))

    def wait_past_brand_screen(self, timeout=60):
        """Waits until the grey brand screen of the start has given way to the viewer. Returns the
        time the last screenshot that showed the brand screen was begun: the first frame came later."""
        grey = (125, 125, 125)

        def brand(shot):
            return pixel(shot, 2, self.height // 2) == grey and pixel(shot, self.width - 2, 2) == grey

        deadline = time.time() + timeout
        last_seen = None
        while time.time() < deadline:
            taken = time.time()
            shown = brand(self.screenshot())
            if shown:
                last_seen = taken
            elif last_seen is not None:
                return last_seen
            time.sleep(0.05)
        raise AssertionError("the brand screen did not come and go: " + self.output())

    def window_geometry(self):
        """(x, y, width, height) of the program's window."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def key(self, name):
        self.xdotool("key", name)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def click(self, button=1):
        self.xdotool("click", button)

    def request_close(self):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        send_delete_window(self.xvfb.display, int(self.window))

    def screenshot(self):
        """The whole screen as (width, height, bytes of RGB)."""
        data = run_on_display(["import", "-display", self.xvfb.display, "-window", "root", "-depth", "8", "ppm:-"],
                              self.env, check=True, text=False).stdout
        return parse_ppm(data)

    def wait_for_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def output(self):
        try:
            self.log.flush()
            self.log.seek(0)
            return self.log.read()
        except (AttributeError, ValueError):
            return ""

    def path(self, *parts):
        return os.path.join(self.folder, *parts)


def mapped_windows(env):
    """The program's windows that are mapped on the display of `env`."""
    return run_on_display(["xdotool", "search", "--onlyvisible", "--name", "^Quenmira$"], env).stdout.split()


def parse_ppm(data):
    """(width, height, rgb bytes) of a binary PPM."""
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    assert fields[0] == b"P6" and fields[3] == b"255", "unexpected screenshot format"
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height * 3]


def pixel(shot, x, y):
    width, _, rgb = shot
    at = (y * width + x) * 3
    return tuple(rgb[at:at + 3])


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_delete_window(display_name, window):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = None
    for attempt in range(DISPLAY_TRIES):
        display = x11.XOpenDisplay(display_name.encode())
        if display:
            break
        time.sleep(DISPLAY_RETRY_S)
    if not display:
        raise RuntimeError("cannot open " + display_name)
    event = _XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def write_bmp(path, width, height, pixel):
    """Writes a 24-bit bottom-up bitmap file; pixel(x, y) gives (r, g, b)."""
    import struct
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + bytes(stride - width * 3))
    data = b"".join(rows)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0))
        f.write(data)


def solid(colour):
    return lambda x, y: colour


def album_of(folders):
    """A `prepare` function making album/<i>/<j>.bmp from folders[i][j] = (width, height, pixel)."""
    def prepare(folder):
        for i, pictures in enumerate(folders):
            os.makedirs(os.path.join(folder, "album", str(i)), exist_ok=True)
            for j, (width, height, pixel) in enumerate(pictures):
                write_bmp(os.path.join(folder, "album", str(i), "%d.bmp" % j), width, height, pixel)
    return prepare


def close_to(a, b, tolerance=12):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def wait_until(predicate, timeout=5.0, interval=0.1):
    """Polls `predicate` until it returns a true value or the time is up; returns its last value."""
    deadline = time.time() + timeout
    value = predicate()
    while not value and time.time() < deadline:
        time.sleep(interval)
        value = predicate()
    return value
