"""What the window tests share: the window viewer's runs, xdotool input,
screenshots read back as pixels (ImageMagick), and checks on them.

Screenshots are kept in UI_SCREENSHOT_DIR."""

import contextlib
import os
import re
import subprocess
import time
import unittest
from pathlib import Path

import winetest


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


class Shot:
    """An RGB screenshot of the whole screen."""

    def __init__(self, png_bytes):
        self.png = png_bytes
        out = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png_bytes,
                             capture_output=True, check=True).stdout
        size = subprocess.run(["identify", "-format", "%w %h", "png:-"], input=png_bytes,
                              capture_output=True, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = out

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, left, top, width, height):
        return [[self.pixel(left + dx, top + dy) for dx in range(width)] for dy in range(height)]

    def save(self, path, crop=None):
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        if crop is None:
            path.write_bytes(self.png)
        else:
            left, top, width, height = crop
            subprocess.run(["convert", "png:-", "-crop", f"{width}x{height}+{left}+{top}", "+repage",
                            str(path)], input=self.png, check=True)


def near(a, b, tolerance=12):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def count_pixels(rows, predicate):
    return sum(1 for row in rows for p in row if predicate(p))


def glyph_shapes(rows, is_ink):
    """Splits a line of text into glyph-like pieces at blank columns and
    returns a coarse shape of each: the ink of every row, as a tuple."""
    height, width = len(rows), len(rows[0])
    columns = [any(is_ink(rows[y][x]) for y in range(height)) for x in range(width)]
    shapes, start = [], None
    for x in range(width + 1):
        inked = x < width and columns[x]
        if inked and start is None:
            start = x
        elif not inked and start is not None:
            shape = tuple(tuple(int(is_ink(rows[y][c])) for c in range(start, x)) for y in range(height))
            shapes.append(shape)
            start = None
    return shapes


class Screen:
    def __init__(self, session, lang):
        self.session = session
        self.env = session.env(lang)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                              text=True).stdout

    def shot(self):
        png = subprocess.run(["import", "-window", "root", "png:-"], env=self.env, capture_output=True,
                             check=True).stdout
        return Shot(png)

    def find_windows(self, title):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", title).split()]

    def geometry(self, window_id):
        """(x, y, width, height) of an X window."""
        out = self.xdotool("getwindowgeometry", "--shell", window_id)
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def mouse_location(self):
        out = self.xdotool("getmouselocation", "--shell")
        return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)

    def move_mouse(self, x, y):
        # --sync waits for the pointer to move: never when it is already there.
        where = self.mouse_location()
        if (where.get("X"), where.get("Y")) != (str(x), str(y)):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y):
        self.move_mouse(x, y)
        time.sleep(0.2)
        self.xdotool("click", 1)

    def press(self, x, y):
        self.move_mouse(x, y)
        time.sleep(0.2)
        self.xdotool("mousedown", 1)

    def release(self):
        self.xdotool("mouseup", 1)

    def drag(self, start, end):
        self.press(*start)
        time.sleep(0.2)
        steps = 8
        for i in range(1, steps + 1):
            self.move_mouse(start[0] + (end[0] - start[0]) * i // steps,
                            start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.05)
        time.sleep(0.2)
        self.release()

    def key(self, name, over):
        """Presses a key in the window at a point of the screen. Without a
        window manager nobody gives windows the keyboard: the window under
        the pointer is given the input focus first."""
        self.move_mouse(*over)
        time.sleep(0.2)
        window = self.mouse_location().get("WINDOW")
        if window:
            self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", name)


def wait_until(condition, timeout=15, interval=0.1, message="condition not met"):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(message)
        time.sleep(interval)


LANGS = ("zh_CN.UTF-8", "en_US.UTF-8")
SHOTS = Path(os.environ.get("UI_SCREENSHOT_DIR", "ui-screenshots"))
SCREEN_W, SCREEN_H = 1280, 800

BLUE = hex_rgb("#1694FF")       # title row; hot button face; progress fill
DARK_BLUE = hex_rgb("#0B6BC4")  # pushed button face
BODY = hex_rgb("#F8F8F8")
TRACK = hex_rgb("#DDDDDD")
WHITE = (255, 255, 255)

# The progress and relaunch windows' title, by language.
PROGRAM_TITLES = {"zh_CN.UTF-8": "升级程序", "en_US.UTF-8": "Update Program"}


def dark(p):
    return sum(p) < 360


def whitish(p):
    return min(p) > 200


class Viewer:
    """One run of the window viewer; ended by the test's clean-up at the
    latest, or earlier with end() (only one run receives the debugger
    output at a time)."""

    def __init__(self, test, args, lang, exe="window_viewer.exe", timeout=60):
        self.session = test.session
        self.lang = lang
        exe_path = self.session.windows_path(self.session.bin_dir / exe)
        self.run = self.session.start(f'"{exe_path}" {args}', lang=lang, timeout=timeout)
        self._ended = False
        self.rect = None
        test.viewers.append(self)
        test.addCleanup(self.end)

    def end(self):
        """Ends the run. A window still open is first sent Escape, which
        closes each of them: ending a running program costs the harness
        seconds."""
        if self._ended:
            return
        self._ended = True
        if self.rect and not self.run.done():
            Screen(self.session, self.lang).key("Escape", over=(self.rect[0] + 100, self.rect[1] + 45))
            deadline = time.monotonic() + 4
            while not self.run.done() and time.monotonic() < deadline:
                time.sleep(0.05)
        self.run.end()

    def lines(self):
        text = b"".join(d for _, d in self.run.debug_records_so_far()).decode("utf-8", "replace")
        return [line[len("viewer: "):] for line in text.splitlines() if line.startswith("viewer: ")]

    def wait_for(self, line, timeout=20):
        wait_until(lambda: line in self.lines(), timeout, message=f"no '{line}' in {self.lines()}")

    def wait_shown(self):
        self.wait_for("shown")
        time.sleep(1.5)  # first paint, and the first progress tick after a second
        placed = next(l for l in self.lines() if l.startswith("window "))
        self.rect = tuple(map(int, re.match(r"window (-?\d+),(-?\d+) (\d+)x(\d+)", placed).groups()))
        return self.rect

    def exit_code(self, timeout=20):
        return self.run.wait(timeout).exit_code


class WindowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()

    def setUp(self):
        self.viewers = []

    @contextlib.contextmanager
    def case(self, **params):
        """A sub-test that ends the viewers it started, whatever happens."""
        with self.subTest(**params):
            try:
                yield
            finally:
                for viewer in self.viewers:
                    viewer.end()

    def screen(self, lang):
        return Screen(self.session, lang)

    def keep(self, shot, name, rect):
        shot.save(SHOTS / f"{name}.png", crop=rect)

    def assert_window_at(self, screen, title, rect, timeout=5):
        """A window of that title, of that place and size (waiting a little
        for it: windows are moved and shown asynchronously)."""
        seen = []

        def placed():
            seen[:] = [screen.geometry(w) for w in screen.find_windows(title)]
            return rect in seen

        try:
            wait_until(placed, timeout)
        except AssertionError:
            self.fail(f"no window {title!r} at {rect}; seen {seen}")

    def assert_title_row(self, shot, rect):
        x, y, w, _ = rect
        row = [shot.pixel(x + dx, y + 2) for dx in range(w)]
        self.assertTrue(all(near(p, BLUE) for p in row), "title row is not blue")

    def assert_ink(self, shot, area, present=True, ink=dark, minimum=20):
        rows = shot.region(*area)
        found = count_pixels(rows, ink)
        if present:
            self.assertGreaterEqual(found, minimum, f"no text or label in {area}")
        else:
            self.assertEqual(found, 0, f"something is drawn in {area}")

    def assert_plain(self, shot, area, colour):
        rows = shot.region(*area)
        self.assertTrue(all(near(p, colour) for row in rows for p in row), f"{area} is not plain {colour}")

    def assert_real_glyphs(self, shot, area, ink, at_least):
        """Distinct glyph shapes: missing glyphs would all be the same box."""
        shapes = glyph_shapes(shot.region(*area), ink)
        self.assertGreaterEqual(len(shapes), at_least, "too few glyphs")
        self.assertGreaterEqual(len(set(shapes)), max(2, len(shapes) * 2 // 3), "glyphs look alike (boxes?)")


def area(rect, left, top, right, bottom):
    """A control's area in screen coordinates, from its place in the window."""
    x, y, _, _ = rect
    return (x + left, y + top, right - left, bottom - top)


def point(rect, dx, dy):
    return rect[0] + dx, rect[1] + dy


# ---------------------------------------------------------------------------


