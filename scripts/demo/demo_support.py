"""What the demo and the updater's Wine benchmark share: a Wine prefix of
their own, a display (the user's or an Xvfb of our own), nginx on
127.0.0.1, windows found and answered with xdotool, screenshots, and a state
file that lets the calling shell script stop everything on any way out.

Everything started here is stopped by its process id, never by name."""

import json
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))

import wine_session  # noqa: E402
import winetest  # noqa: E402
from nginx_server import accepts, free_port  # noqa: E402


class Stop(Exception):
    """Raised by the signal handlers, so every way out runs the clean-up."""


def stop_on_signals():
    def handler(signum, _frame):
        raise Stop(f"stopped by signal {signum}")

    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, handler)


def wait_until(condition, what, timeout=30, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def is_program(pid, name):
    """Whether process pid still runs the program name (so a reused id is never killed)."""
    try:
        argv0 = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0]
        state = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return False
    return state != "Z" and os.path.basename(argv0.decode(errors="replace")) == name


def end_process(pid, name, timeout=5):
    if not pid or not is_program(pid, name):
        return
    os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + timeout
    while is_program(pid, name) and time.monotonic() < deadline:
        time.sleep(0.05)
    if is_program(pid, name):
        os.kill(pid, signal.SIGKILL)


# ---------------------------------------------------------------------------
# State file: what is running, for the clean-up of the calling shell's trap


class State:
    def __init__(self, path):
        self.path = Path(path)
        self.data = {}

    def set(self, **values):
        self.data.update(values)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        self.path.write_text(json.dumps(self.data))


def cleanup(state_path):
    """Stops what a state file names: nginx, our Xvfb, the prefix's wineserver.
    Safe to call again and after a normal end."""
    path = Path(state_path)
    if not path.exists():
        return
    data = json.loads(path.read_text())
    if data.get("prefix"):
        env = wine_session.wine_env(Path(data["prefix"]))
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end_process(data.get("nginx_pid"), "nginx")
    end_process(data.get("xvfb_pid"), "Xvfb")
    path.unlink()


# ---------------------------------------------------------------------------
# nginx


class Nginx:
    """nginx serving a folder on 127.0.0.1:port, configuration and logs in work."""

    LOG_FORMAT = '$status "$request" range="$http_range" sent=$body_bytes_sent'

    def __init__(self, root, work, extra="", port=None, log_format=LOG_FORMAT):
        self.work = Path(work).absolute()
        self.work.mkdir(parents=True, exist_ok=True)
        self.port = port or free_port()
        self.access_log = self.work / "access.log"
        if self.access_log.exists():
            self.access_log.unlink()
        conf = self.work / "nginx.conf"
        w = self.work
        conf.write_text(
            "daemon off;\nmaster_process off;\nworker_processes 1;\n"
            f"pid {w}/nginx.pid;\nerror_log {w}/error.log;\n"
            "events { worker_connections 64; }\n"
            "http {\n"
            f"  log_format demo '{log_format}';\n"
            f"  access_log {self.access_log} demo;\n"
            f"  client_body_temp_path {w}/body; proxy_temp_path {w}/proxy;\n"
            f"  fastcgi_temp_path {w}/fastcgi; uwsgi_temp_path {w}/uwsgi; scgi_temp_path {w}/scgi;\n"
            "  sendfile on;\n"
            f"  {extra}\n"
            f"  server {{ listen 127.0.0.1:{self.port}; root {Path(root).absolute()}; }}\n"
            "}\n")
        self.proc = subprocess.Popen(["nginx", "-p", str(w), "-e", str(w / "error.log"), "-c", str(conf)],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)

        def ready():
            if self.proc.poll() is not None:
                raise RuntimeError(f"nginx ended at once; see {w / 'error.log'}")
            return accepts(self.port)

        wait_until(ready, "nginx to accept connections", timeout=10)

    @property
    def pid(self):
        return self.proc.pid

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path.lstrip('/')}"

    def requests(self):
        return self.access_log.read_text().splitlines() if self.access_log.exists() else []

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ---------------------------------------------------------------------------
# Display


def display_usable(display):
    if not display:
        return False
    env = dict(os.environ, DISPLAY=display)
    try:
        return subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True,
                              timeout=5).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


class Screen:
    """Windows of one display, found and answered with xdotool; screenshots with import."""

    def __init__(self, env):
        self.env = env

    def xdotool(self, *args, timeout=10):
        try:
            return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                  timeout=timeout).stdout
        except subprocess.TimeoutExpired:
            return ""

    def windows(self, title_regex):
        """Visible windows whose title matches: [(id, (x, y, width, height))]."""
        found = []
        for wid in self.xdotool("search", "--onlyvisible", "--name", title_regex).split():
            out = self.xdotool("getwindowgeometry", "--shell", wid)
            values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
            try:
                found.append((wid, tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))))
            except (KeyError, ValueError):
                continue  # gone meanwhile
        return found

    def key(self, wid, rect, name):
        """Presses a key in a window. Without a window manager nobody gives
        windows the keyboard: the pointer is moved over the window (onto its
        title row, away from the buttons) and the window is given the focus."""
        x, y, w, _ = rect
        self.xdotool("mousemove", "--sync", x + w // 2, y + 8)
        time.sleep(0.2)
        self.xdotool("windowfocus", "--sync", wid)
        self.xdotool("key", name)

    def filled_fraction(self, left, top, width, colour, tolerance=24):
        """The share of one screen row's pixels near a colour, or None."""
        try:
            rgb = subprocess.run(["import", "-window", "root", "-crop", f"{width}x1+{left}+{top}", "-depth", "8",
                                  "rgb:-"], env=self.env, capture_output=True, timeout=10).stdout
        except subprocess.TimeoutExpired:
            return None
        pixels = [rgb[i:i + 3] for i in range(0, len(rgb) - 2, 3)]
        if not pixels:
            return None
        near = sum(1 for p in pixels if all(abs(a - b) <= tolerance for a, b in zip(p, colour)))
        return near / len(pixels)

    def screenshot(self, path):
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return path


# ---------------------------------------------------------------------------
# Wine


# Wine's X11 driver lets a window manager manage top-level windows. Without
# one (our Xvfb) it waits 2 s in vain for the window manager whenever a shown
# window is hidden ("wait_for_withdrawn_state ... wait timed out"), as the
# updater does with its progress window before it moves it into place.
# Unmanaged windows never wait, and sit exactly where the program puts them.
X11_DRIVER_KEY = "HKCU\\Software\\Wine\\X11 Driver"


def set_managed(prefix, display, managed):
    # With the display: the first program of a wineserver starts the desktop
    # process (explorer.exe), and every later window needs it on the display.
    env = dict(wine_session.wine_env(prefix), DISPLAY=display)
    subprocess.run(["wine", "reg", "add", X11_DRIVER_KEY, "/v", "Managed", "/t", "REG_SZ", "/d",
                    "Y" if managed else "N", "/f"], env=env, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def open_session(prefix, bin_dir, state, display=None, managed=None):
    """A winetest.Session on a prefix of our own: created on first use
    (10 to 20 s), with a persistent wineserver, on the given display or on an
    Xvfb of our own. Windows are managed by a window manager on a display
    of the user's and unmanaged on our Xvfb (unless `managed` says
    otherwise). The state file learns of everything started."""
    prefix = Path(prefix).absolute()
    state.set(prefix=str(prefix))
    wine_session.prepare_prefix(prefix)
    if managed is None:
        managed = display is not None
    xvfb = None
    if display is None:
        xvfb = winetest.Xvfb()
        state.set(xvfb_pid=xvfb.proc.pid)
        display = xvfb.display
    subprocess.run(["wineserver", "-p"], env=wine_session.wine_env(prefix), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    set_managed(prefix, display, managed)
    session = winetest.Session(prefix, Path(bin_dir).absolute(), display, xvfb.proc.pid if xvfb else None)
    return session, xvfb
