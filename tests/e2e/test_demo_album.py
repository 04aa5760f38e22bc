"""The demo of `make run`: scripts/make-demo-album seeds a working folder, and the real program's
first start there imports its pictures and plays its songs.

Only JPEG files are counted on to become bitmaps; a picture of another format either stays as it
is or becomes a bitmap, and is never lost.
"""
import filecmp
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
from gestures import quit_with_escape
from test_music import samples, sound_in

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
MAKE_DEMO = os.path.join(SCRIPTS, "make-demo-album")
JPEG = (".jpg", ".jpeg")


def files_of(folder):
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


class DemoAlbum(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="quenmira-e2e-demo-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.demo = os.path.join(self.scratch, "demo")
        os.makedirs(self.demo)

    def photographs(self, count):
        """A folder of `count` JPEG pictures of 640 x 400, each different."""
        photos = os.path.join(self.scratch, "photos")
        os.makedirs(photos)
        for i in range(count):
            subprocess.run(["convert", "-size", "640x400", "-seed", str(i + 1), "plasma:", "-quality", "90",
                            os.path.join(photos, "photo%02d.jpg" % i)], check=True)
        return photos

    def make_demo(self, *args):
        subprocess.run([MAKE_DEMO, self.demo, *args], check=True, capture_output=True)

    def test_photographs_are_spread_over_three_folders_as_jpeg_and_other_formats(self):
        photos = self.photographs(7)
        self.make_demo("--photos", photos)
        folders = [files_of(os.path.join(self.demo, "album", str(f))) for f in range(3)]
        self.assertEqual([len(f) for f in folders], [2, 2, 3])
        self.assertEqual(sorted(os.listdir(os.path.join(self.demo, "album"))), ["0", "1", "2"])
        seen = []
        for number, names in enumerate(folders):
            for name in names:
                path = os.path.join(self.demo, "album", str(number), name)
                stem, extension = os.path.splitext(name)
                source = os.path.join(photos, stem + ".jpg")
                seen.append(stem)
                if extension.lower() in JPEG:
                    self.assertTrue(filecmp.cmp(source, path, shallow=False), name)  # the photograph itself
                else:
                    self.assertIn(extension, (".png", ".webp", ".tif"))
                    out = subprocess.run(["identify", "-format", "%wx%h", path], capture_output=True, text=True)
                    self.assertEqual(out.stdout, "640x400", name)
            # Every folder starts with a JPEG file, so it shows pictures where only JPEG is imported.
            self.assertTrue(any(n.lower().endswith(JPEG) for n in names), names)
        self.assertEqual(sorted(seen), ["photo%02d" % i for i in range(7)])
        for song in ("disco/0.mid", "selected/1.mid"):
            with open(os.path.join(self.demo, song), "rb") as f:
                self.assertEqual(f.read(4), b"MThd", song)

    def test_without_photographs_the_album_gets_drawn_scenes(self):
        self.make_demo("--photos", os.path.join(self.scratch, "none"))
        for folder in range(3):
            names = files_of(os.path.join(self.demo, "album", str(folder)))
            self.assertEqual(len(names), 10)
            self.assertTrue(all(n.lower().endswith(JPEG) for n in names), names)
        self.assertTrue(os.path.isfile(os.path.join(self.demo, "selected", "1.mid")))

    def test_a_folder_that_holds_an_album_is_left_as_it_is(self):
        os.makedirs(os.path.join(self.demo, "album", "0"))
        self.make_demo("--photos", self.photographs(3))
        self.assertEqual(files_of(os.path.join(self.demo, "album", "0")), [])
        self.assertEqual(sorted(os.listdir(self.demo)), ["album"])

    def test_the_first_start_imports_the_pictures_and_plays_the_song(self):
        self.make_demo("--photos", self.photographs(6))
        before = [files_of(os.path.join(self.demo, "album", str(f))) for f in range(3)]
        heard = os.path.join(self.scratch, "heard.raw")
        with harness.Session(folder=self.demo, env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": heard}) as run:
            self.assertTrue(harness.wait_until(lambda: sound_in(samples(heard)), timeout=10), run.output())
            time.sleep(1.0)
            quit_with_escape(self, run)
            self.assertNotIn("music", run.output())
        for folder, names in enumerate(before):
            after = files_of(os.path.join(self.demo, "album", str(folder)))
            bitmaps = [n for n in after if n.endswith(".bmp")]
            self.assertEqual(sorted(bitmaps), ["%d.bmp" % i for i in range(len(bitmaps))])
            self.assertFalse([n for n in after if n.lower().endswith(JPEG)], after)
            self.assertGreaterEqual(len(bitmaps), len([n for n in names if n.lower().endswith(JPEG)]))
            # Every picture is either a bitmap now or still the file it was.
            kept = [n for n in after if not n.endswith(".bmp")]
            self.assertTrue(set(kept) <= set(names), kept)
            self.assertEqual(len(bitmaps) + len(kept), len(names), after)


if __name__ == "__main__":
    harness.main()
