"""The program under faults: a read-only album, pictures and folders changing while it runs, a
record file that cannot be written at exit, and SIGTERM or SIGINT instead of Esc."""
import os
import shutil
import signal
import stat
import struct
import subprocess
import tempfile
import time
import unittest

import harness
from harness import close_to, pixel, solid, wait_until

CX, CY = harness.SCREEN_W // 2, harness.SCREEN_H // 2
RED, GREEN, BLUE, WHITE = (220, 30, 30), (30, 200, 60), (40, 60, 230), (240, 240, 240)
RECORD = ("album", "._album_.txt")

# Without these the superuser ignores file permissions; with them gone, a read-only folder binds it.
DROP_OVERRIDES = ["setpriv", "--bounding-set=-dac_override,-dac_read_search,-fowner", "--"]


def record_file(counts, current_folder, brightness=255):
    """A record file that fits an album of `counts` pictures per folder: every picture at its defaults."""
    picture = struct.pack("<iiiffi", 0, 0, 0, 2.0, 1.5, 10) + struct.pack("<iif", 0, 0, 1.5) * 50
    data = struct.pack("<i", len(counts))
    for n in counts:
        data += struct.pack("<i", n) + picture * n
    return data + struct.pack("<ii", current_folder, brightness) + struct.pack("<%di" % len(counts), *[0] * len(counts))


def record_values(run):
    """(folder count, current folder, saved brightness) of the record file on disk."""
    with open(run.path(*RECORD), "rb") as f:
        data = f.read()
    folders = struct.unpack_from("<i", data)[0]
    current, brightness = struct.unpack_from("<ii", data, len(data) - 8 - 4 * folders)
    return folders, current, brightness


def centre(run):
    return pixel(run.screenshot(), CX, CY)


def shows(run, colour, timeout=30):
    return wait_until(lambda: close_to(centre(run), colour), timeout)


def album_with_record(folders, current_folder):
    """Folders of solid 200 x 200 pictures and a fitting record file naming `current_folder`."""
    def prepare(folder):
        harness.album_of([[(200, 200, solid(c)) for c in colours] for colours in folders])(folder)
        with open(os.path.join(folder, *RECORD), "wb") as f:
            f.write(record_file([len(c) for c in folders], current_folder))
    return prepare


def read_only_binds(wrapper):
    """True when a program started under `wrapper` cannot create a file in a read-only folder."""
    folder = tempfile.mkdtemp(prefix="quenmira-ro-")
    try:
        os.chmod(folder, 0o555)
        probe = subprocess.run(wrapper + ["sh", "-c", "touch '%s/x' 2>/dev/null" % folder])
        return probe.returncode != 0
    except OSError:
        return False
    finally:
        os.chmod(folder, 0o755)
        shutil.rmtree(folder, ignore_errors=True)


def read_only_wrapper():
    """How to start the program so that folder permissions bind it, or None when nothing can."""
    if os.geteuid() != 0:
        return []
    if shutil.which("setpriv") and read_only_binds(DROP_OVERRIDES):
        return DROP_OVERRIDES
    return None


def snapshot(root):
    """Every file under `root` with its bytes."""
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, root)] = f.read()
    return files


class Faults(unittest.TestCase):
    def test_a_read_only_album_starts_and_loses_nothing(self):
        wrapper = read_only_wrapper()
        if wrapper is None:
            self.skipTest("folder permissions cannot be made to bind here (superuser without setpriv)")
        jpeg_made = shutil.which("convert") is not None

        def prepare(folder):
            album_with_record([[RED, GREEN], [BLUE]], 1)(folder)
            if jpeg_made:
                subprocess.run(["convert", "-size", "64x48", "xc:#2040c0", os.path.join(folder, "album", "0", "a.jpg")],
                               check=True)
            for path, _, _ in os.walk(os.path.join(folder, "album")):
                os.chmod(path, 0o555)

        with harness.Session(prepare=prepare, wrapper=wrapper) as run:
            try:
                before = snapshot(run.path("album"))
                # The record file was read: folder 1 is in view; the wheel goes back to folder 0.
                self.assertTrue(shows(run, BLUE), "the saved folder did not show")
                run.move(CX, CY)
                run.click(5)
                self.assertTrue(shows(run, RED), "the wheel did not step back")
                run.key("Escape")
                self.assertEqual(run.wait_for_exit(30), 0, run.output())
                # Nothing converted, renamed, deleted or written; the failures were reported.
                self.assertEqual(snapshot(run.path("album")), before)
                self.assertIn("could not write", run.output())
                if jpeg_made:
                    self.assertIn("the file stays", run.output())
            finally:
                for path, _, _ in os.walk(run.path("album")):
                    os.chmod(path, 0o755)

    def test_pictures_and_folders_change_while_it_runs(self):
        colours = [[(200, 40 * i + 20, 40), (40, 200, 40 * i + 20), (40 * i + 20, 40, 200), (120, 120, 40 * i)]
                   for i in range(3)]
        known = [c for folder in colours for c in folder] + [(0, 0, 0), WHITE]
        shots = []

        def check(run):
            shot = run.screenshot()
            shots.append(shot)
            # Two rows clear of the overlays, the big folder number and the marker.
            for y in (CY - 110, CY + 110):
                for x in range(4, harness.SCREEN_W - 4, 8):
                    p = pixel(shot, x, y)
                    self.assertTrue(any(close_to(p, k) for k in known), "stray colour %s at %d,%d" % (p, x, y))

        def write_slowly(path, colour):
            # A picture arriving the way a copy writes it: half, a pause, the rest.
            harness.write_bmp(path + ".tmp", 200, 200, solid(colour))
            with open(path + ".tmp", "rb") as f:
                data = f.read()
            os.unlink(path + ".tmp")
            with open(path, "wb") as f:
                f.write(data[:len(data) // 2])
                f.flush()
                time.sleep(0.3)
                f.write(data[len(data) // 2:])

        with harness.Session(prepare=harness.album_of([[(200, 200, solid(c)) for c in f] for f in colours])) as run:
            self.assertTrue(shows(run, colours[0][0]), "the first picture never showed")
            folder0 = run.path("album", "0")
            # The folder in view loses pictures while the strip slides across it.
            for step, x in enumerate(range(CX, 40, -150)):
                run.move(x, CY)
                if step == 1:
                    os.unlink(os.path.join(folder0, "0.bmp"))
                    os.unlink(os.path.join(folder0, "2.bmp"))
                check(run)
            # New pictures arrive, one of them into the table's range and two beyond it.
            for name in ("0.bmp", "4.bmp", "5.bmp"):
                write_slowly(os.path.join(folder0, name), WHITE)
                run.move(CX + 200, CY)
                check(run)
            # The wheel steps on while whole folders vanish and come back.
            for step in range(6):
                run.click(4 if step < 3 else 5)
                if step == 1:
                    shutil.rmtree(run.path("album", "1"))
                if step == 2:
                    shutil.rmtree(run.path("album", "2"))
                    os.makedirs(run.path("album", "1"))
                    for p in range(6):
                        harness.write_bmp(run.path("album", "1", "%d.bmp" % p), 200, 200, solid(WHITE))
                time.sleep(0.2)
                check(run)
            time.sleep(0.7)  # past the big folder number
            check(run)
            self.assertTrue(any(close_to(pixel(s, CX, CY + 110), k) for s in shots for k in known[:-2] + [WHITE]),
                            "no picture ever showed")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(30), 0, run.output())
            # The record file keeps the start-up album: three folders, none larger than it was.
            with open(run.path(*RECORD), "rb") as f:
                data = f.read()
            at, counts = 4, []
            for _ in range(struct.unpack_from("<i", data)[0]):
                counts.append(struct.unpack_from("<i", data, at)[0])
                at += 4 + 624 * counts[-1]
            # Folder 0 holds five files now, folder 1 six, folder 2 none: each at most its table's four.
            self.assertEqual(counts, [4, 4, 0])
            self.assertEqual(len(data), at + 8 + 4 * 3)

    def test_an_unwritable_record_file_keeps_the_previous_one(self):
        with harness.Session(prepare=album_with_record([[RED], [WHITE]], 1)) as run:
            with open(run.path(*RECORD), "rb") as f:
                before = f.read()
            self.assertTrue(shows(run, WHITE), "the saved folder did not show")
            run.move(CX, CY)
            run.click(5)  # back to folder 0: the file would now name another folder
            self.assertTrue(shows(run, RED), "the wheel did not step back")
            # A folder where the new record file would be written makes the safe write fail.
            os.mkdir(run.path("album", "._album_.txt.new"))
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(30), 0, run.output())
            with open(run.path(*RECORD), "rb") as f:
                self.assertEqual(f.read(), before)
            self.assertIn("could not write", run.output())

    def test_sigterm_during_frames_ends_it_as_esc_does(self):
        with harness.Session(prepare=album_with_record([[RED], [WHITE]], 1)) as run:
            self.assertTrue(shows(run, WHITE), "the saved folder did not show")
            run.move(CX, CY)
            run.click(5)
            self.assertTrue(shows(run, RED), "the wheel did not step back")
            # Frames are being drawn all the time: the breathing never stops.
            run.process.send_signal(signal.SIGTERM)
            self.assertEqual(run.wait_for_exit(30), 0, run.output())
            # The state at the signal was saved: folder 0 now.
            self.assertEqual(record_values(run), (2, 0, 255))

    def test_sigint_with_the_search_screen_open_ends_it_as_esc_does(self):
        with harness.Session(prepare=album_with_record([[RED], [WHITE]], 1)) as run:
            self.assertTrue(shows(run, WHITE), "the saved folder did not show")
            run.move(CX, CY)
            # Ring menu: right press, onto "Search", release; the search screen replaces the picture.
            run.xdotool("mousedown", 3)
            time.sleep(0.4)
            run.xdotool("mousemove_relative", "--", 0, 120)
            time.sleep(0.6)
            run.xdotool("mouseup", 3)
            panel = lambda: pixel(run.screenshot(), CX - 300, CY)  # beside the preview
            self.assertTrue(wait_until(lambda: close_to(panel(), (255, 100, 50), 30), 30), "no search screen")
            run.process.send_signal(signal.SIGINT)
            self.assertEqual(run.wait_for_exit(30), 0, run.output())
            self.assertEqual(record_values(run), (2, 1, 255))


if __name__ == "__main__":
    harness.main()
