"""What a user does with the viewer, as real X input, and what a screenshot shows of it.

Waits are on what the screen shows (a frame drawn with the pointer where it was put), never on
fixed delays alone, so slow sanitizer builds pass the same checks.
"""
import math
import os
import struct
import time

import harness
from harness import close_to, pixel, wait_until

W, H = harness.SCREEN_W, harness.SCREEN_H
CX, CY = W // 2, H // 2

# The ring menu's items: their centres as offsets from the screen centre.
RING = {"Exit": (0, -120), "Search": (0, 120), "Record": (-170, 0), "Static": (170, 0), "Rotate": (0, 0),
        "Inside": (-110, -90), "Dynam": (110, -90), "Rand": (-110, 90), "Fixed": (110, 90)}
RING_GREEN = (0, 255, 0)
SIGHT_RED = (255, 0, 0)
BLACK = (0, 0, 0)

# Generous: a ThreadSanitizer build draws a frame in a fraction of the time of a plain one.
SLOW = 60


def centre(run):
    return pixel(run.screenshot(), CX, CY)


def sight_at(shot, x, y):
    """True when the menu pointer (a red sight, a cross broken around its centre) is drawn at (x, y)."""
    arms = [(x, y - 10), (x, y + 10), (x - 10, y), (x + 10, y)]
    return all(close_to(pixel(shot, ax, ay), SIGHT_RED, 30) for ax, ay in arms)


def ring_shown(shot):
    """True when the ring's nine green circles are drawn around the centre."""
    hits = 0
    for name, (dx, dy) in RING.items():
        # Inside each circle, off the label and off the sight's arms.
        if close_to(pixel(shot, CX + dx + 14, CY + dy + 15), RING_GREEN, 40):
            hits += 1
    return hits == len(RING)


def press_ring(run, timeout=SLOW):
    """Right press: the ring shows with the pointer centred on Rotate. Returns the screenshot."""
    run.xdotool("mousedown", 3)
    shot = wait_until(lambda: (lambda s: s if ring_shown(s) and sight_at(s, CX, CY) else None)(run.screenshot()),
                      timeout)
    assert shot, "no ring menu with the pointer on its centre"
    return shot


def rest_on(run, item, timeout=SLOW):
    """With the ring shown, puts the pointer on `item` until a frame has drawn the pointer there
    (so the menu's hit test has seen it). The move is repeated while waiting: it may have been
    overtaken by the ring's own centring of the pointer."""
    dx, dy = RING[item]
    x, y = CX + dx, CY + dy

    def there():
        run.move(x, y)
        return sight_at(run.screenshot(), x, y)

    assert wait_until(there, timeout, 0.05), "the pointer never showed on " + item


def choose(run, item, timeout=SLOW):
    """The whole ring gesture: right press, onto `item`, release."""
    press_ring(run, timeout)
    rest_on(run, item, timeout)
    run.xdotool("mouseup", 3)


def wheel_with_middle_held(run, wheel_button, turns=3):
    """The brightness gesture: the middle button held while the wheel turns `turns` times
    (wheel button 4 away from the user, 5 toward)."""
    run.xdotool("mousedown", 2)
    for _ in range(turns):
        run.click(wheel_button)
        settle(0.3)
    run.xdotool("mouseup", 2)


def ring_gone(run, timeout=SLOW):
    return wait_until(lambda: not ring_shown(run.screenshot()), timeout)


def row_span(shot, y, colour, tolerance=30):
    """(first, last) x on row y whose pixel is close to `colour`, or None."""
    xs = [x for x in range(0, W) if close_to(pixel(shot, x, y), colour, tolerance)]
    return (xs[0], xs[-1]) if xs else None


def column_span(shot, x, colour, tolerance=30):
    ys = [y for y in range(0, H) if close_to(pixel(shot, x, y), colour, tolerance)]
    return (ys[0], ys[-1]) if ys else None


def outline(shot, colour, tolerance=40, step=4):
    """The outermost points of what is drawn in `colour`, on a grid of `step` pixels: per row its
    first and last point, per column its top and bottom one."""
    width, height, rgb = shot
    r0, g0, b0 = colour
    top, bottom = {}, {}
    points = set()
    for y in range(0, height, step):
        row = y * width * 3
        xs = [x for x in range(0, width, step)
              if abs(rgb[row + 3 * x] - r0) <= tolerance and abs(rgb[row + 3 * x + 1] - g0) <= tolerance
              and abs(rgb[row + 3 * x + 2] - b0) <= tolerance]
        if not xs:
            continue
        points.update({(xs[0], y), (xs[-1], y)})
        for x in xs:
            top.setdefault(x, y)
            bottom[x] = y
    points.update((x, y) for x, y in top.items())
    points.update((x, y) for x, y in bottom.items())
    return sorted(points)


def convex_hull(points):
    """The corners of the convex hull of `points`, in order (monotone chain)."""
    def cross(o, a, b):
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])

    def half(sequence):
        chain = []
        for p in sequence:
            while len(chain) >= 2 and cross(chain[-2], chain[-1], p) <= 0:
                chain.pop()
            chain.append(p)
        return chain[:-1]
    return half(points) + half(reversed(points)) if len(points) > 2 else list(points)


def turned_by(shot, colour, step=4):
    """How a one-colour oblong picture is shown turned, as (direction, wide): the direction of its
    sides in degrees, counter-clockwise and a quarter turn counting as none (-45 to 45), and
    whether it stands wider than high. The sides come from the outline's convex hull, leaving out
    where the screen's border cuts the picture; what is drawn inside it (the ring menu) does not
    count. None when the colour is nowhere."""
    width, height, _ = shot
    points = outline(shot, colour, step=step)
    if not points:
        return None
    corners = convex_hull(points)
    on_border = lambda p: p[0] < step or p[1] < step or p[0] >= width - step or p[1] >= height - step
    sx = sy = 0.0
    for a, b in zip(corners, corners[1:] + corners[:1]):
        if on_border(a) and on_border(b):
            continue
        length = math.hypot(b[0] - a[0], b[1] - a[1])
        four_times = 4 * math.atan2(-(b[1] - a[1]), b[0] - a[0])  # y up: counter-clockwise
        sx += length * math.cos(four_times)
        sy += length * math.sin(four_times)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return math.degrees(math.atan2(sy, sx)) / 4, max(xs) - min(xs) > max(ys) - min(ys)


def turned_like(shot, colour, degrees, slack=2):
    """True when the sides of the oblong picture in `colour` run at `degrees` (a quarter turn
    counting as none): what changes with every 10 degrees the picture is turned."""
    turned = turned_by(shot, colour)
    return turned is not None and abs((turned[0] - degrees + 45) % 90 - 45) <= slack


def shot_where(run, predicate, timeout=SLOW, interval=0.1):
    """The first screenshot for which predicate(shot) holds, or None when the time is up."""
    return wait_until(lambda: (lambda s: s if predicate(s) else None)(run.screenshot()), timeout, interval)


def counters(shot):
    """The pixels of the two counters (picture and folder) in the top-left corner."""
    return bytes(b for y in range(0, 66) for x in range(0, 110) for b in pixel(shot, x, y))


def quit_with_escape(test, run, timeout=SLOW):
    run.key("Escape")
    test.assertEqual(run.wait_for_exit(timeout), 0, run.output())


def settle(seconds):
    """A pause the user would make; never what a check depends on."""
    time.sleep(seconds)


class RecordFile:
    """The record file album/._album_.txt read back: per folder, per picture, the recorded flag, angle,
    key-frame count, zoom target, steps and key frames; then folder, brightness and strip offsets."""

    PICTURE = struct.Struct("<iiiffi" + "iif" * 50)

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        self.size = len(data)
        at = 0

        def take(fmt):
            nonlocal at
            values = struct.unpack_from(fmt, data, at)
            at += struct.calcsize(fmt)
            return values

        (self.folder_count,) = take("<i")
        self.pictures = []
        for _ in range(self.folder_count):
            (n,) = take("<i")
            folder = []
            for _ in range(n):
                v = take(self.PICTURE.format)
                folder.append({"recorded": v[0], "angle": v[1], "key_count": v[2], "zoom": v[3], "steps": v[5],
                               "keys": [(v[6 + 3 * k], v[7 + 3 * k], v[8 + 3 * k]) for k in range(50)]})
            self.pictures.append(folder)
        self.folder, self.brightness = take("<ii")
        self.strip_offsets = list(take("<%di" % self.folder_count))
        assert at == len(data), "%d bytes left over in the record file" % (len(data) - at)


def record_file(run):
    return RecordFile(run.path("album", "._album_.txt"))


def copy_album(source_folder):
    """A `prepare` function that copies another run's album (record file included)."""
    import shutil

    def prepare(folder):
        shutil.copytree(os.path.join(source_folder, "album"), os.path.join(folder, "album"))
    return prepare
