"""Music through real runs: the demo song written by scripts/make-demo-song, played by the real
program, heard through SDL's disk audio driver, which writes what it plays to a file of 16-bit
samples as it plays them.

The album's record file brings back the strip at its third picture, so the first frame changes the
picture in view from the default, as it does whenever a user left the viewer away from picture 0.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import unittest

import harness
from harness import album_of, close_to, pixel, solid, wait_until
from gestures import CX, CY, W, choose, quit_with_escape

SONG_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "make-demo-song")
COLOURS = [(200, 60, 120), (30, 160, 70), (40, 60, 230)]
RATE = 44100  # frames a second, two 16-bit samples each
SONG_RETRY = 3.0  # seconds a picture stays before a song that could not be opened is tried again


def write_record_file(folder, pictures, strip_offset):
    """A record file for one folder of `pictures` pictures with nothing recorded, folder 0 in view
    at full brightness, and the strip of folder 0 at `strip_offset`."""
    record = struct.pack("<iiiffi", 0, 0, 0, 2.0, 1.5, 10) + struct.pack("<iif", 0, 0, 1.5) * 50
    data = struct.pack("<ii", 1, pictures) + record * pictures + struct.pack("<iii", 0, 255, strip_offset)
    with open(os.path.join(folder, "album", "._album_.txt"), "wb") as f:
        f.write(data)


def prepare(folder):
    album_of([[(400, 400, solid(c)) for c in COLOURS]])(folder)
    write_record_file(folder, len(COLOURS), -2 * W)
    subprocess.run([SONG_SCRIPT, os.path.join(folder, "selected", "1.mid")], check=True)
    subprocess.run([SONG_SCRIPT, "--disco", os.path.join(folder, "disco", "0.mid")], check=True)


def samples(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return b""
    return data[:len(data) // 2 * 2]


def sound_in(data):
    """True when any 16-bit sample of `data` is not zero."""
    return any(struct.unpack_from("<%dh" % (len(data) // 2), data))


class Listener(threading.Thread):
    """Looks at the audio file every 50 ms from the start of a run and notes when it first holds a
    sample that is not zero. Taken from the clock rather than counted back from the file's length:
    the disk driver writes no faster than it plays, and later still on a loaded machine."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path = path
        self.heard = None
        self.stopped = threading.Event()

    def run(self):
        while not self.stopped.is_set() and self.heard is None:
            if sound_in(samples(self.path)):
                self.heard = time.time()
            self.stopped.wait(0.05)

    def first_heard(self, until):
        """When sound was first seen, waiting until `until` (a time) at most; None if not by then."""
        while self.heard is None and time.time() < until:
            time.sleep(0.05)
        return self.heard


class Music(unittest.TestCase):
    def setUp(self):
        # The audio file lies outside the working folder, which the harness removes at the end.
        self.logs = tempfile.mkdtemp(prefix="quenmira-e2e-audio-")
        self.addCleanup(shutil.rmtree, self.logs, True)
        self.heard = os.path.join(self.logs, "heard.raw")

    def start(self):
        """The viewer on the album above with its sound going to self.heard; returns the session
        and the time before which its first frame was not yet shown."""
        session = harness.Session(prepare=prepare, past_brand=False,
                                  env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.heard})
        self.listener = Listener(self.heard)
        self.listener.start()
        self.addCleanup(self.listener.stopped.set)
        run = session.__enter__()
        self.addCleanup(session.__exit__, None, None, None)
        before_first_frame = run.wait_past_brand_screen()
        # The strip came back at the third picture.
        self.assertTrue(wait_until(lambda: close_to(pixel(run.screenshot(), CX, CY), COLOURS[2])), run.output())
        return run, before_first_frame

    def assert_heard_within(self, run, before_first_frame, seconds):
        heard = self.listener.first_heard(until=before_first_frame + seconds + 3)
        self.assertIsNotNone(heard, "no sound at all: " + run.output())
        self.assertLessEqual(heard - before_first_frame, seconds,
                             "the song was first heard %.1f s after the first frame" % (heard - before_first_frame))

    def test_the_song_is_heard_within_two_seconds_of_the_first_frame(self):
        run, before_first_frame = self.start()
        self.assert_heard_within(run, before_first_frame, 2.0)
        quit_with_escape(self, run)
        self.assertNotIn("music", run.output())

    def test_in_rand_the_song_is_heard_at_once_and_plays_on(self):
        run, before_first_frame = self.start()
        choose(run, "Rand")
        self.assert_heard_within(run, before_first_frame, 2.0)
        # Rand fades from picture to picture; the song goes on through them.
        for _ in range(3):
            before = len(samples(self.heard))
            time.sleep(1.0)
            self.assertTrue(sound_in(samples(self.heard)[before:]), "the song stopped in Rand")
        quit_with_escape(self, run)

    def test_absent_songs_go_unmentioned_and_one_that_cannot_be_read_is_named_once(self):
        album = album_of([[(400, 400, solid(c)) for c in COLOURS]] * 2)
        with harness.Session(prepare=album) as run:
            time.sleep(1.0)  # the music thread has tried both songs' start by now
            quit_with_escape(self, run)
            self.assertNotIn("music", run.output())

        def unreadable(folder):
            album(folder)
            os.makedirs(os.path.join(folder, "selected", "1.mid"))  # a folder where the song should be

        with harness.Session(prepare=unreadable) as run:
            time.sleep(0.5)
            run.click(5)  # the next folder, which tries the song again once it has stayed three seconds
            time.sleep(SONG_RETRY + 1.0)
            quit_with_escape(self, run)
            lines = [line for line in run.output().splitlines() if "music" in line]
            self.assertEqual(lines, ["quenmira: music: cannot read the song ./selected/1.mid"])


if __name__ == "__main__":
    harness.main()
