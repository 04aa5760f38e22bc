"""Installation as a desktop program: the installed files, the desktop entry, the manual page and
the launcher that starts the viewer in the Pictures folder.

Run as: test_install.py --source DIR --build DIR --export-icon PROGRAM [unittest arguments]."""
import argparse
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

ARGS = None

ICON_SIZES = (16, 22, 24, 32, 48, 96, 192)
# Relative to the prefix: (path, link target or None for a file).
INSTALLED = sorted(
    [("bin/quenmira", None),
     ("bin/quenmira-pictures", None),
     ("share/applications/quenmira.desktop", None),
     ("share/man/man1/quenmira.1", None),
     ("share/man/man1/quenmira-pictures.1", "quenmira.1")]
    + [(f"share/icons/hicolor/{n}x{n}/apps/quenmira.png", None) for n in ICON_SIZES])


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def installed_tree(destdir):
    """Every file and link under `destdir`, as (path, link target or None)."""
    found = []
    for folder, _, names in os.walk(destdir):
        for name in names:
            path = os.path.join(folder, name)
            link = os.readlink(path) if os.path.islink(path) else None
            found.append((os.path.relpath(path, destdir), link))
    return sorted(found)


def desktop_entry_value(path, key):
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith(key + "="):
                return line.rstrip("\n")[len(key) + 1:]
    return None


class InstallTree(unittest.TestCase):
    """`make install` with PREFIX and DESTDIR puts exactly the listed files under the prefix."""

    PREFIX = "/opt/quenmira-test"

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.destdir = cls.tmp.name
        result = run(["make", "--no-print-directory", "-C", ARGS.source, "install", "BUILD=" + ARGS.build,
                      "PREFIX=" + cls.PREFIX, "DESTDIR=" + cls.destdir])
        if result.returncode != 0:
            raise AssertionError("make install failed:\n" + result.stdout + result.stderr)
        cls.root = cls.destdir + cls.PREFIX

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_file_list(self):
        expected = [(os.path.join(self.PREFIX.lstrip("/"), path), link) for path, link in INSTALLED]
        self.assertEqual(installed_tree(self.destdir), expected)

    def test_programs_are_executable(self):
        for name in ("quenmira", "quenmira-pictures"):
            mode = os.stat(os.path.join(self.root, "bin", name)).st_mode
            self.assertTrue(mode & stat.S_IXOTH, name)

    def test_entry_starts_the_installed_launcher(self):
        command = desktop_entry_value(os.path.join(self.root, "share/applications/quenmira.desktop"), "Exec")
        self.assertEqual(command, self.PREFIX + "/bin/quenmira-pictures")
        self.assertTrue(os.access(self.destdir + command, os.X_OK))

    def test_icons_have_their_folders_sizes(self):
        for n in ICON_SIZES:
            with self.subTest(size=n):
                path = os.path.join(self.root, f"share/icons/hicolor/{n}x{n}/apps/quenmira.png")
                result = run(["identify", "-format", "%m %wx%h", path])
                self.assertEqual(result.stdout, f"PNG {n}x{n}", result.stderr)

    def test_icon_at_48_pixels_is_the_window_icon(self):
        with tempfile.TemporaryDirectory() as tmp:
            window_icon = os.path.join(tmp, "icon.bmp")
            self.assertEqual(run([ARGS.export_icon, window_icon]).returncode, 0)
            installed = os.path.join(self.root, "share/icons/hicolor/48x48/apps/quenmira.png")
            # The number of differing pixels goes to standard error.
            result = run(["compare", "-metric", "AE", window_icon, installed, "null:"])
            self.assertEqual(result.stderr.strip(), "0")

    def test_manual_page_link_reaches_the_page(self):
        link = os.path.join(self.root, "share/man/man1/quenmira-pictures.1")
        self.assertTrue(os.path.samefile(link, os.path.join(self.root, "share/man/man1/quenmira.1")))


class DesktopEntry(unittest.TestCase):
    """The entry that `cmake --install` writes passes desktop-file-validate and names the icon."""

    def test_installed_entry_is_valid(self):
        with tempfile.TemporaryDirectory() as destdir:
            result = run(["cmake", "--install", ARGS.build, "--prefix", "/usr"],
                         env=dict(os.environ, DESTDIR=destdir))
            self.assertEqual(result.returncode, 0, result.stderr)
            entry = os.path.join(destdir, "usr/share/applications/quenmira.desktop")
            result = run(["desktop-file-validate", entry])
            self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
            self.assertEqual(desktop_entry_value(entry, "Exec"), "/usr/bin/quenmira-pictures")
            icon = desktop_entry_value(entry, "Icon")
            self.assertTrue(os.path.isfile(os.path.join(destdir, "usr/share/icons/hicolor/48x48/apps", icon + ".png")))


class ManPage(unittest.TestCase):
    """The manual page renders without a warning and has an entry for every ring-menu item."""

    def setUp(self):
        self.page = os.path.join(ARGS.source, "desktop", "quenmira.1")

    def test_renders_without_warnings(self):
        result = run(["man", "--warnings", "-l", self.page], env=dict(os.environ, MANWIDTH="80"))
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertIn("REPORTING BUGS", result.stdout)

    def test_every_ring_menu_item_is_described(self):
        with open(os.path.join(ARGS.source, "interaction", "ring_menu.h"), encoding="utf-8") as f:
            labels = re.findall(r'\{"(\w+)", -?\d+', f.read())
        self.assertEqual(len(labels), 9)
        with open(self.page, encoding="utf-8") as f:
            page = f.read()
        items = page[page.index("The items:"):page.index(".RE")]
        self.assertEqual(sorted(re.findall(r"^\.TP\n\.B (\w+)$", items, re.M)), sorted(labels))


def control_relations(control, field):
    """The package names of `field` in the Debian control file `control`, each relation a set of
    alternatives without version constraints."""
    text = re.search(rf"^{field}:(.*(?:\n[ \t].*)*)", control, re.M).group(1)
    return [{re.sub(r"\s*\(.*\)", "", name).strip() for name in relation.split("|")}
            for relation in text.split(",") if relation.strip()]


def install_deps_packages(script):
    """The packages scripts/install-deps installs: the words of its packages=( ... ) list."""
    return re.search(r"^packages=\((.*?)^\)", script, re.M | re.S).group(1).split()


class DebianPackage(unittest.TestCase):
    """debian/control builds with the libraries the sources build with, and the package depends
    on the font and the SoundFont the viewer looks up at run time."""

    # Libraries only the tests, the benchmarks and the sanitizer builds link.
    NOT_IN_THE_PACKAGE = {"libgtest-dev", "libgmock-dev", "libbenchmark-dev", "libclang-rt-dev"}

    @classmethod
    def setUpClass(cls):
        with open(os.path.join(ARGS.source, "debian", "control"), encoding="utf-8") as f:
            cls.control = f.read()
        with open(os.path.join(ARGS.source, "scripts", "install-deps"), encoding="utf-8") as f:
            cls.deps = install_deps_packages(f.read())

    def test_build_depends_has_every_library_of_the_build(self):
        build_depends = set().union(*control_relations(self.control, "Build-Depends"))
        libraries = {p for p in self.deps if p.startswith("lib") and p.endswith("-dev")}
        self.assertGreater(len(libraries), len(self.NOT_IN_THE_PACKAGE))
        self.assertEqual(sorted(libraries - self.NOT_IN_THE_PACKAGE - build_depends), [])

    def test_depends_has_the_font_and_the_soundfont(self):
        depends = control_relations(self.control, "Depends")
        for package in ("fonts-liberation2", "timgm6mb-soundfont"):
            with self.subTest(package=package):
                self.assertIn(package, self.deps)
                self.assertTrue(any(package in relation for relation in depends))


class Launcher(unittest.TestCase):
    """quenmira-pictures runs the quenmira beside it in the Pictures folder, else in HOME."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        tmp = os.path.realpath(self.tmp.name)
        self.bin = os.path.join(tmp, "bin")
        self.home = os.path.join(tmp, "home with space")
        self.record = os.path.join(tmp, "started-in")
        os.makedirs(self.bin)
        os.makedirs(os.path.join(self.home, ".config"))
        shutil.copy(os.path.join(ARGS.source, "scripts", "quenmira-pictures"), self.bin)
        # The stand-in viewer notes where and with what it was started, and ends with status 3.
        self.write_program(os.path.join(self.bin, "quenmira"), f'pwd > "{self.record}"; echo "$#" >> "{self.record}"; exit 3')
        # A quenmira found on the PATH is not the one beside the launcher.
        self.elsewhere = os.path.join(tmp, "elsewhere")
        os.makedirs(self.elsewhere)
        self.write_program(os.path.join(self.elsewhere, "quenmira"), f'echo wrong > "{self.record}"')
        self.path = self.elsewhere + os.pathsep + os.environ["PATH"]

    def tearDown(self):
        self.tmp.cleanup()

    @staticmethod
    def write_program(path, body):
        with open(path, "w", encoding="utf-8") as f:
            f.write("#!/bin/sh\n" + body + "\n")
        os.chmod(path, 0o755)

    def user_dirs(self, pictures):
        with open(os.path.join(self.home, ".config", "user-dirs.dirs"), "w", encoding="utf-8") as f:
            f.write(f'XDG_PICTURES_DIR="{pictures}"\n')

    def start(self, path=None, env=None):
        """The folder the stand-in viewer was started in; `env` replaces HOME and PATH."""
        env = env if env is not None else {"HOME": self.home}
        env.setdefault("PATH", path or self.path)
        result = run([os.path.join(self.bin, "quenmira-pictures")], env=env, cwd=self.bin)
        self.assertEqual(result.returncode, 3, result.stderr)
        with open(self.record, encoding="utf-8") as f:
            folder, arguments = f.read().splitlines()
        self.assertEqual(arguments, "0")
        return folder

    def test_pictures_folder(self):
        pictures = os.path.join(self.home, "Meine Bilder")
        os.makedirs(pictures)
        self.user_dirs("$HOME/Meine Bilder")
        self.assertEqual(self.start(), pictures)

    def test_pictures_folder_of_xdg_config_home(self):
        config = os.path.join(self.tmp.name, "config")
        os.makedirs(config)
        pictures = os.path.join(self.tmp.name, "Fotos")
        os.makedirs(pictures)
        with open(os.path.join(config, "user-dirs.dirs"), "w", encoding="utf-8") as f:
            f.write(f'XDG_PICTURES_DIR="{pictures}"\n')
        self.user_dirs("$HOME/Ignored")  # the home folder's configuration is not read
        os.makedirs(os.path.join(self.home, "Ignored"))
        self.assertEqual(self.start(env={"HOME": self.home, "XDG_CONFIG_HOME": config}),
                         os.path.realpath(pictures))

    def test_started_folder_without_home_or_pictures_folder(self):
        config = os.path.join(self.tmp.name, "empty-config")
        os.makedirs(config)
        self.assertEqual(self.start(env={"XDG_CONFIG_HOME": config}), self.bin)

    def test_home_when_no_pictures_folder_is_configured(self):
        self.assertEqual(self.start(), self.home)

    def test_home_when_the_pictures_folder_is_missing(self):
        self.user_dirs("$HOME/Pictures")
        self.assertEqual(self.start(), self.home)

    def test_home_without_xdg_user_dir(self):
        pictures = os.path.join(self.home, "Pictures")
        os.makedirs(pictures)
        self.user_dirs("$HOME/Pictures")
        bare = os.path.join(self.tmp.name, "bare")
        os.makedirs(bare)
        os.symlink(shutil.which("dirname"), os.path.join(bare, "dirname"))
        self.assertEqual(self.start(path=bare), self.home)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--export-icon", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()
