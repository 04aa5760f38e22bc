"""The album on disk through real runs: the brand screen and example picture of a first start,
JPEG files converted at a later start, and the record file kept, restored and discarded."""
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

import harness
from harness import close_to, pixel, solid, wait_until, write_bmp

W, H = harness.SCREEN_W, harness.SCREEN_H
CX, CY = W // 2, H // 2
GREY, BRAND_TEXT = (125, 125, 125), (170, 170, 170)
RECORD = ("album", "._album_.txt")
RECORD_BYTES = 624  # one picture's record


def read_bmp(path):
    """(width, height, bits, pixel(x, y) -> (r, g, b)) of a 24-bit bottom-up bitmap file."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", path
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    stride = (width * 3 + 3) & ~3

    def at(x, y):
        i = offset + (height - 1 - y) * stride + x * 3
        b, g, r = data[i:i + 3]
        return r, g, b
    return width, height, bits, at


def centre(run):
    return pixel(run.screenshot(), CX, CY)


def dimmed(colour, brightness):
    return tuple(c * brightness // 255 for c in colour)


def record_size(counts):
    return 4 + sum(4 + RECORD_BYTES * n for n in counts) + 8 + 4 * len(counts)


def record_at(counts, folder, picture):
    """Byte offset of the record of (folder, picture) in a record file of these picture counts."""
    at = 4
    for n in counts[:folder]:
        at += 4 + RECORD_BYTES * n
    return at + 4 + RECORD_BYTES * picture


def tail(data, folders):
    """(current folder, saved brightness, strip offsets) at the end of a record file."""
    values = struct.unpack_from("<%di" % (2 + folders), data, len(data) - 4 * (2 + folders))
    return values[0], values[1], list(values[2:])


DEFAULT_RECORD = struct.pack("<iiiffi", 0, 0, 0, 2.0, 1.5, 10) + struct.pack("<iif", 0, 0, 1.5) * 50


class FirstStart(unittest.TestCase):
    def test_brand_screen_then_the_example_picture(self):
        with harness.Session(past_brand=False) as run:
            # The brand screen stays two seconds from its drawing; the window shows before it, and
            # the grey is filled before the name is written on it.
            # "Vellumor" from x = (1280 - 622 - 40) / 2, y = (800 - 90) / 2, 90 pixels high.
            left, top = (W - 622 - 40) // 2, (H - 90) // 2

            def name_area(candidate):
                return [pixel(candidate, x, y) for x in range(left, left + 330) for y in range(top, top + 90)]

            deadline = time.time() + 2.0
            shot = None
            while time.time() < deadline:
                candidate = run.screenshot()
                grey = all(pixel(candidate, x, y) == GREY for x, y in [(2, 2), (W - 3, H - 3), (CX, 100), (2, CY)])
                if grey and sum(p != GREY for p in name_area(candidate)) > 500:
                    shot = candidate
                    break
                time.sleep(0.05)
            self.assertIsNotNone(shot, "no grey brand screen with its name in the first two seconds")
            text = name_area(shot)
            self.assertGreater(sum(close_to(p, BRAND_TEXT, 20) for p in text), 100)
            # Nothing but grey beside it.
            beside = [pixel(shot, x, y) for x in range(left + 400, W, 7) for y in range(top, top + 90, 3)]
            self.assertTrue(all(p == GREY for p in beside))

            run.wait_past_brand_screen()
            with open(run.path("album", "0", "0.bmp"), "rb") as f:
                data = f.read()
            magic, size, _, _, offset, header, width, height, planes, bits, compression = struct.unpack_from(
                "<2sIHHIIiiHHI", data)
            self.assertEqual((magic, offset, header), (b"BM", 54, 40))
            self.assertEqual((width, height, planes, bits, compression), (622, 875, 1, 24, 0))
            self.assertEqual(size, 54 + ((622 * 3 + 3) & ~3) * 875)
            self.assertEqual(len(data), size)
            self.assertFalse(os.path.exists(run.path(*RECORD)), "a record file before the first exit")
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())


RED, GREEN, BLUE = (220, 30, 30), (30, 200, 60), (40, 60, 230)
YELLOW, ORANGE, PURPLE, TEAL = (230, 220, 40), (240, 140, 20), (150, 40, 180), (20, 170, 170)


def jpeg(path, colour):
    subprocess.run(["convert", "-size", "120x90", "xc:rgb(%d,%d,%d)" % colour, "-quality", "95", "jpg:" + path],
                   check=True)


class JpegImport(unittest.TestCase):
    def test_jpegs_of_any_name_become_numbered_bitmaps_and_show(self):
        def prepare(folder):
            album = os.path.join(folder, "album")
            for i, colour in enumerate([RED, GREEN, BLUE]):
                os.makedirs(os.path.join(album, str(i)))
                write_bmp(os.path.join(album, str(i), "0.bmp"), 200, 200, solid(colour))
            os.makedirs(os.path.join(album, "3"))
            jpeg(os.path.join(album, "3", "holiday photo.jpg"), ORANGE)
            jpeg(os.path.join(album, "3", "b.JPG"), PURPLE)
            jpeg(os.path.join(album, "3", "Zebra's day.jpeg"), TEAL)
            write_bmp(os.path.join(album, "3", "3.bmp"), 160, 100, solid(YELLOW))

        with harness.Session(prepare=prepare) as run:
            # The brand screen gives way to the import's own display first; the viewer's first
            # frame comes after the import and the numbering.
            self.assertTrue(wait_until(lambda: close_to(centre(run), RED), 15), "folder 0 never showed")
            folder = run.path("album", "3")
            self.assertEqual(sorted(os.listdir(folder)), ["0.bmp", "1.bmp", "2.bmp", "3.bmp"])
            # Numbered names first (3.bmp), then the others by name without letter case.
            for name, colour, size in [("0.bmp", YELLOW, (160, 100)), ("1.bmp", PURPLE, (120, 90)),
                                       ("2.bmp", ORANGE, (120, 90)), ("3.bmp", TEAL, (120, 90))]:
                width, height, bits, at = read_bmp(os.path.join(folder, name))
                self.assertEqual((width, height, bits), size + (24,), name)
                for x, y in [(0, 0), (width // 2, height // 2), (width - 1, height - 1)]:
                    self.assertTrue(close_to(at(x, y), colour), (name, at(x, y), colour))

            run.move(CX, CY)
            for colour in (GREEN, BLUE, YELLOW):
                run.click(4)  # wheel: the next folder
                self.assertTrue(wait_until(lambda: close_to(centre(run), colour), 10), colour)
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())


def damage_scan(data):
    """The JPEG bytes with 32 bytes in the middle of the scan data set to 0, every marker intact."""
    data = bytearray(data)
    middle = data.index(b"\xff\xda") + (len(data) - data.index(b"\xff\xda")) // 2
    for i in range(middle, middle + 32):
        if data[i] != 0xFF and data[i - 1] != 0xFF:
            data[i] = 0
    return bytes(data)


class DamagedJpeg(unittest.TestCase):
    def test_a_jpeg_with_damaged_scan_data_stays_and_gets_no_bitmap(self):
        made = {}

        def prepare(folder):
            album = os.path.join(folder, "album")
            os.makedirs(os.path.join(album, "0"))
            write_bmp(os.path.join(album, "0", "0.bmp"), 200, 200, solid(RED))
            path = os.path.join(album, "0", "photo.jpg")
            subprocess.run(["convert", "-size", "320x240", "gradient:orange-navy", "-quality", "90", "jpg:" + path],
                           check=True)
            with open(path, "rb") as f:
                made["bytes"] = damage_scan(f.read())
            with open(path, "wb") as f:
                f.write(made["bytes"])
            # The damage is of the kind meant: djpeg decodes it to the end but warns (status 2).
            djpeg = subprocess.run(["djpeg", "-bmp", "-outfile", os.devnull, path], capture_output=True, text=True)
            self.assertEqual(djpeg.returncode, 2, djpeg.stderr)
            self.assertIn("Corrupt JPEG data", djpeg.stderr)

        with harness.Session(prepare=prepare) as run:
            self.assertTrue(wait_until(lambda: close_to(centre(run), RED), 15), "folder 0 never showed")
            folder = run.path("album", "0")
            self.assertEqual(sorted(os.listdir(folder)), ["0.bmp", "photo.jpg"])
            with open(os.path.join(folder, "photo.jpg"), "rb") as f:
                self.assertEqual(f.read(), made["bytes"])
            lines = [line for line in run.output().splitlines() if "photo.jpg" in line]
            self.assertEqual(len(lines), 1, run.output())
            self.assertIn("cannot decode; the file stays", lines[0])
            self.assertIn("(damaged data: Corrupt JPEG data", lines[0])
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())


class OtherFormats(unittest.TestCase):
    def test_other_formats_become_bitmaps_and_what_a_bitmap_cannot_hold_stays(self):
        kept = {}

        def prepare(folder):
            album = os.path.join(folder, "album")
            os.makedirs(os.path.join(album, "0"))
            source = os.path.join(folder, "source.png")
            subprocess.run(["convert", "-size", "120x90", "xc:rgb(%d,%d,%d)" % ORANGE, source], check=True)
            for name in ["a.png", "b.GIF", "c.tif", "d.webp", "e.heic", "f.avif"]:
                subprocess.run(["convert", source, os.path.join(album, "0", name)], check=True)
            subprocess.run(["convert", "-delay", "10", "-size", "40x30", "xc:red", "xc:blue",
                            os.path.join(album, "0", "moving.gif")], check=True)
            subprocess.run(["convert", "-size", "40x30", "xc:red", "-alpha", "set", "-region", "1x1+5+5", "-alpha",
                            "transparent", "+region", os.path.join(album, "0", "clear.png")], check=True)
            subprocess.run(["convert", source, "-define", "webp:lossless=true", os.path.join(folder, "whole.webp")],
                           check=True)
            with open(os.path.join(folder, "whole.webp"), "rb") as f:
                whole = f.read()
            with open(os.path.join(album, "0", "cut.webp"), "wb") as f:
                f.write(whole[:-20])
            os.remove(os.path.join(folder, "whole.webp"))
            os.remove(source)
            for name in ["moving.gif", "clear.png", "cut.webp"]:
                with open(os.path.join(album, "0", name), "rb") as f:
                    kept[name] = f.read()

        expected = ["0.bmp", "1.bmp", "2.bmp", "3.bmp", "4.bmp", "5.bmp", "clear.png", "cut.webp", "moving.gif"]
        with harness.Session(prepare=prepare) as run:
            # The import flashes each picture too: the files tell when it and the numbering are done.
            folder = run.path("album", "0")
            self.assertTrue(wait_until(lambda: sorted(os.listdir(folder)) == expected, 30), os.listdir(folder))
            self.assertTrue(wait_until(lambda: close_to(centre(run), ORANGE), 15), "the pictures never showed")
            names = expected
            for name in names[:6]:
                width, height, bits, at = read_bmp(os.path.join(folder, name))
                self.assertEqual((width, height, bits), (120, 90, 24), name)
                self.assertTrue(close_to(at(60, 45), ORANGE), (name, at(60, 45)))
            for name, data in kept.items():
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(f.read(), data, name)
                lines = [line for line in run.output().splitlines() if name in line]
                self.assertEqual(len(lines), 1, run.output())
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())


# Four folders of three 400 x 400 pictures, each picture its own colour.
COLOURS = [[(200, 40 + 50 * f, 40), (40, 200, 40 + 50 * f), (40 + 50 * f, 40, 200)] for f in range(4)]


class RecordFile(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quenmira-e2e-record-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        harness.album_of([[(400, 400, solid(c)) for c in pictures] for pictures in COLOURS])(self.folder)

    def record(self):
        with open(os.path.join(self.folder, *RECORD), "rb") as f:
            return f.read()

    def run_until_escape(self, check_while_running=None):
        with harness.Session(folder=self.folder) as run:
            if check_while_running:
                check_while_running(run)
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())

    def test_kept_restored_and_discarded_across_runs(self):
        counts = [3, 3, 3, 3]
        # Run 1: folder 1, its strip slid on to the second picture, the brightness lowered.
        with harness.Session(folder=self.folder) as run:
            self.assertTrue(wait_until(lambda: close_to(centre(run), COLOURS[0][0]), 10), "folder 0 never showed")
            run.move(CX, CY)
            run.click(4)
            self.assertTrue(wait_until(lambda: close_to(centre(run), COLOURS[1][0]), 10), "folder 1 never showed")
            # Moves to the left push the strip on; the first move (to the right) pushes nothing.
            run.move(CX + 250, CY)
            time.sleep(0.1)
            slid = False
            for _ in range(40):
                run.xdotool("mousemove_relative", "--", -20, 0)
                time.sleep(0.08)
                if close_to(centre(run), COLOURS[1][1]):
                    slid = True
                    break
            self.assertTrue(slid, "the strip did not slide to the second picture")
            for _ in range(2):  # on towards the middle of the picture, away from its edge
                run.xdotool("mousemove_relative", "--", -20, 0)
                time.sleep(0.15)
            # Middle button held and the wheel turned towards the user: one step darker.
            run.xdotool("mousedown", 2)
            time.sleep(0.1)
            run.click(5)
            time.sleep(0.1)
            run.xdotool("mouseup", 2)
            darker = dimmed(COLOURS[1][1], 225)
            self.assertTrue(wait_until(lambda: close_to(centre(run), darker, 8), 10), darker)
            seen = centre(run)
            run.key("Escape")
            self.assertEqual(run.wait_for_exit(3), 0, run.output())
        first = self.record()
        self.assertEqual(len(first), record_size(counts))
        self.assertEqual(struct.unpack_from("<5i", first), (4, 3, 0, 0, 0))
        folder, brightness, strips = tail(first, 4)
        self.assertEqual((folder, brightness), (1, 225))
        self.assertLess(strips[1], -640, strips)
        self.assertEqual([strips[0], strips[2], strips[3]], [0, 0, 0])

        # Run 2: the same view comes back, and an exit with nothing changed writes the same bytes.
        def same_view(run):
            self.assertTrue(wait_until(lambda: close_to(centre(run), seen, 8), 10), seen)
        self.run_until_escape(same_view)
        self.assertEqual(self.record(), first)

        # Run 3: per-picture values in every folder, then folder 2 gains a picture. Folders 0 and 1
        # keep theirs; folder 2 onward, the folder in view, brightness and strips start afresh.
        data = bytearray(first)
        for f, p, steps in [(0, 1, 7), (1, 2, 8), (2, 0, 9), (3, 0, 6)]:
            at = record_at(counts, f, p)
            struct.pack_into("<i", data, at + 20, steps)        # playback steps
            struct.pack_into("<i", data, at + 24 + 12 * 3, 123)  # x of key frame 3
        with open(os.path.join(self.folder, *RECORD), "wb") as f:
            f.write(data)
        write_bmp(os.path.join(self.folder, "album", "2", "3.bmp"), 400, 400, solid((90, 90, 90)))

        def deleted_at_start(run):
            self.assertFalse(os.path.exists(run.path(*RECORD)), "the record file that does not fit was kept")
        self.run_until_escape(deleted_at_start)
        grown = [3, 3, 4, 3]
        third = self.record()
        self.assertEqual(len(third), record_size(grown))
        self.assertEqual(struct.unpack_from("<2i", third), (4, 3))
        kept = slice(record_at(counts, 0, 0), record_at(counts, 2, 0) - 4)
        self.assertEqual(third[kept], bytes(data[kept]))
        self.assertEqual(struct.unpack_from("<i", third, record_at(grown, 0, 1) + 20)[0], 7)
        for f in (2, 3):
            self.assertEqual(struct.unpack_from("<i", third, record_at(grown, f, 0) - 4)[0], grown[f])
            for p in range(grown[f]):
                at = record_at(grown, f, p)
                self.assertEqual(third[at:at + RECORD_BYTES], DEFAULT_RECORD, (f, p))
        folder, brightness, strips = tail(third, 4)
        self.assertEqual((folder, brightness, strips[1]), (0, 255, 0))

        # Run 4: a cut record file is dropped at start; the program runs and writes a whole one.
        with open(os.path.join(self.folder, *RECORD), "r+b") as f:
            f.truncate(1000)
        self.run_until_escape(deleted_at_start)
        fourth = self.record()
        self.assertEqual(len(fourth), record_size(grown))
        self.assertEqual(tail(fourth, 4)[:2], (0, 255))


if __name__ == "__main__":
    harness.main()
