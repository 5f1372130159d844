"""What the end-to-end scenarios of the update run share: packages, an
installation with the stand-in client, the package servers (nginx, the
fault-injecting server under Wine), the updater's runs and their log lines,
and the windows a user sees (found, measured, answered and photographed with
xdotool and ImageMagick, and asked about through a small Windows probe).

Screenshots go to E2E_SCREENSHOT_DIR."""

import hashlib
import io
import os
import random
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

import winetest
from nginx_server import NginxServer  # noqa: F401  (re-exported for the scenarios)
from test_ui_support import Screen, wait_until

SHOTS = Path(os.environ.get("E2E_SCREENSHOT_DIR", "e2e-screenshots"))
SCREEN_W, SCREEN_H = 1280, 800

# The progress and relaunch windows share their title; the boxes have their own.
PROGRAM_TITLE = {"zh_CN.UTF-8": "升级程序", "en_US.UTF-8": "Update Program"}
BOX_TITLE = "Livora提示"
PROGRESS_SIZE = (310, 100)
PROGRESS_CORNER = (SCREEN_W - 310, SCREEN_H - 100, 310, 100)
PROGRESS_WIDE = (SCREEN_W - 360, SCREEN_H - 100, 360, 100)
RELAUNCH_CENTRE = (430, 295, 420, 210)
BOX_CENTRE = (485, 350, 310, 100)
# The stand-in client's window is 320 x 200 at the origin (hidden): a box it
# owns is centred over it.
NOTICE_OVER_CLIENT = (160 - 155, 100 - 50, 310, 100)
# Where the install button of the ready window is, from updater/skin/UpdaterWnd.xml:
# the install row starts 10 px in and 30 px below the title row's 30 px; the
# button (71 x 26, 4 px down) ends 10 px before the right edge.
INSTALL_BUTTON = (310 - 10 - 71 // 2, 30 + 30 + 4 + 26 // 2)
DOWNLOAD_PAGE = "https://www.tuvora.com/download"
PAGECALL = "tuvora://open?x=1"
CLIENT_ARGS = "open?x=1"  # what the launcher passes on: the link's tail
TERMINATED = 9  # the exit code the updater gives the client's processes


def make_package(entries):
    """A zip of {name: bytes}, deflated."""
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as z:
        for name, content in entries.items():
            z.writestr(name, content)
    return data.getvalue()


def md5(data):
    return hashlib.md5(data).hexdigest()


def random_bytes(size, seed):
    return random.Random(seed).randbytes(size)


def wait_for(predicate, what, timeout=30, interval=0.05):
    return wait_until(predicate, timeout, interval, message=f"timed out waiting for {what}")


def segment_starts(size):
    share = size // 4
    return [i * share for i in range(4)]


# ---------------------------------------------------------------------------
# The fault-injecting server, a Windows program under Wine


class FaultServer:
    """http_fault_server.exe serving `body` (bytes); options as its command
    line takes them (fault="StallAfterBytes", fault_to=5, ...)."""

    def __init__(self, session, body, **options):
        self.session = session
        self.dir = Path(tempfile.mkdtemp(prefix="fault-server-"))
        (self.dir / "body.bin").write_bytes(body)
        self.port_file = self.dir / "port.txt"
        self.requests_file = self.dir / "requests.txt"
        exe = session.windows_path(session.bin_dir / "http_fault_server.exe")
        args = [f'"{exe}"',
                "--body", f'"{session.windows_path(self.dir / "body.bin")}"',
                "--port-file", f'"{session.windows_path(self.port_file)}"',
                "--requests-file", f'"{session.windows_path(self.requests_file)}"']
        for name, value in options.items():
            args += ["--" + name.replace("_", "-"), f'"{value}"']
        self.run = session.start(" ".join(args), timeout=600, debug_output=False)

        def listening():
            if self.run.done():
                self.run.end()
                raise AssertionError(f"the fault server ended: {self.run.result.stderr!r}")
            return self.port_file.exists()

        wait_for(listening, "the fault server to listen", timeout=30)
        self.port = int(self.port_file.read_text())

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def requests(self):
        """The heads of the requests received so far (text, up to the blank line)."""
        raw = self.requests_file.read_bytes() if self.requests_file.exists() else b""
        return [h + "\r\n\r\n" for h in raw.decode("latin-1").split("\r\n\r\n")[:-1]]

    def range_starts(self):
        """The N of each request's "Range: bytes=N-", in arrival order (None without)."""
        found = []
        for head in self.requests():
            start = None
            for line in head.split("\r\n"):
                if line.lower().startswith("range: bytes="):
                    start = int(line.split("=", 1)[1].split("-", 1)[0])
            found.append(start)
        return found

    def end(self):
        self.run.end()
        shutil.rmtree(self.dir, ignore_errors=True)


# ---------------------------------------------------------------------------


class UpdateRunTest(unittest.TestCase):
    """Each test lays out its own installation: <root>\\Tuvora with the
    launcher, the client's two programs, temp\\Updater.exe and temp\\zlib.dll;
    the client records its starts in <root>\\rec. Everything started is
    ended by the test's clean-up."""

    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()

    def setUp(self):
        self._started = time.monotonic()

    def tearDown(self):
        print(f"\n{self.id()}: {time.monotonic() - self._started:.1f} s", flush=True)

    # -- the installation --------------------------------------------------------

    def install(self, name):
        """Installs under C:\\E2E\\<name>\\Tuvora; the folder above it (the
        forced installation's target) starts empty apart from it."""
        top = self.session.unix_path(f"C:\\E2E\\{name}")
        if top.exists():
            shutil.rmtree(top)
        self.inst = self.session.make_installation(f"C:\\E2E\\{name}\\Tuvora", {
            "TVRLaunch.exe": "TVRLaunch.exe",
            "tuvora.exe": "tuvora.exe",
            "zenboclient.exe": "zenboclient.exe",
            "temp\\Updater.exe": "Updater.exe",
            "temp\\zlib.dll": "zlib.dll",
        })
        self.parent = top
        self.record_dir = top / "rec"
        self.record_dir.mkdir()
        # Passes from the harness through the updater and the launcher to the client.
        os.environ["TUVORA_RECORD_DIR"] = self.session.windows_path(self.record_dir)
        self.addCleanup(shutil.rmtree, top, ignore_errors=True)
        return self.inst

    def package_files(self, seed):
        """A package's entries: a text file at the top, a folder with a file."""
        return {
            "readme.txt": f"Tuvora update {seed}\n".encode(),
            "lesson/data.bin": random_bytes(64 * 1024, seed),
        }

    def assert_package_applied(self, folder, entries):
        for name, content in entries.items():
            path = folder.joinpath(*name.split("/"))
            self.assertTrue(path.is_file(), f"{path} missing")
            self.assertEqual(path.read_bytes(), content, f"{path} differs")

    # -- the stand-in client ----------------------------------------------------

    def started_clients(self):
        """{pid: {"args", "cwd", "cmdline"}} of every client start recorded."""
        found = {}
        for path in self.record_dir.glob("started-*.txt"):
            fields = dict(line.split(": ", 1) for line in path.read_text(encoding="utf-8").splitlines())
            found[int(path.stem.split("-")[1])] = fields
        return found

    def start_client(self):
        """Starts tuvora.exe and zenboclient.exe from the installation, as a
        user's running client; returns their two runs once both run."""
        before = set(self.started_clients())
        client = self.start_run(f'"{self.inst.windows("tuvora.exe")}"', debug_output=False, timeout=300)
        second = self.start_run(f'"{self.inst.windows("zenboclient.exe")}"', debug_output=False, timeout=300)

        def running():
            for run in (client, second):
                if run.done():
                    raise AssertionError(f"a client process ended at once ({run.wait().exit_code})")
            return set(self.started_clients()) - before and winetest.running_programs("zenboclient.exe")

        wait_for(running, "the client's two processes")
        self.client_pids = set(self.started_clients())
        return client, second

    def wait_for_new_client(self, timeout=30):
        """The record of the one client started after start_client (or ever)."""
        known = getattr(self, "client_pids", set())
        new = wait_for(lambda: set(self.started_clients()) - known, "the launcher to start the client",
                       timeout=timeout)
        self.assertEqual(len(new), 1, new)
        return self.started_clients()[new.pop()]

    # -- runs -------------------------------------------------------------------

    def start_run(self, cmdline, lang="en_US.UTF-8", timeout=120, debug_output=True):
        run = self.session.start(cmdline, lang=lang, timeout=timeout, debug_output=debug_output)
        self.addCleanup(run.end)
        return run

    def start_updater(self, url, md5_hex, forced, lang, pagecall=PAGECALL, timeout=120):
        updater = self.inst.windows("temp\\Updater.exe")
        return self.start_run(f'"{updater}" -url={url} -md5={md5_hex} -pagecallparam="{pagecall}" '
                              f'-forcedupdate={forced}', lang=lang, timeout=timeout)

    def start_launcher(self, lang, args=PAGECALL):
        return self.start_run(f'"{self.inst.windows("TVRLaunch.exe")}" {args}', lang=lang, timeout=60)

    @staticmethod
    def log(run):
        """The debugger output of the session received so far (log lines of
        the updater, "KMX", and of the launcher, "PWX")."""
        records = run.result.debug_records if run._ended else run.debug_records_so_far()
        raw = b"".join(data for _, data in records)
        return raw.decode(run.result.codepage, "replace")

    def wait_log(self, run, text, timeout=30, after=None):
        """Waits for a log line holding `text`; returns the whole log then."""
        def seen():
            log = self.log(run)
            if text in log:
                return log
            if run.done() and run._proc.poll() is not None:
                raise AssertionError(f"the run ended without {text!r}:\n{log[-3000:]}")
            return None

        try:
            return wait_for(seen, repr(text), timeout)
        except AssertionError as error:
            raise AssertionError(f"{error}\n--- log so far ---\n{self.log(run)[-3000:]}") from None

    def assert_in_order(self, log, *texts):
        at = -1
        for text in texts:
            found = log.find(text, at + 1)
            self.assertGreater(found, at, f"{text!r} not after the previous lines in:\n{log[-3000:]}")
            at = found

    def finish(self, run, timeout=30):
        """The updater's exit code once it has ended."""
        return run.wait(timeout).exit_code

    # -- windows ----------------------------------------------------------------

    def screen(self, lang):
        return Screen(self.session, lang)

    def windows_of(self, screen, title):
        """[(x, y, width, height)] of the visible windows with that title."""
        found = []
        for window in screen.find_windows(f"^{title}$"):
            try:
                found.append(screen.geometry(window))
            except (KeyError, ValueError):
                pass  # gone meanwhile
        return found

    def wait_window(self, screen, title, rect=None, size=None, timeout=30, run=None):
        """Waits for a visible window of that title, at `rect` or of `size`."""
        def present():
            if run is not None and run.done():
                raise AssertionError(f"the run ended while waiting for the window {title!r}:\n"
                                     f"{self.log(run)[-3000:]}")
            for geometry in self.windows_of(screen, title):
                if rect is not None and geometry != tuple(rect):
                    continue
                if size is not None and geometry[2:] != tuple(size):
                    continue
                return geometry
            return None

        try:
            return wait_for(present, f"window {title!r} {rect or size or ''}", timeout, interval=0.1)
        except AssertionError as error:
            raise AssertionError(f"{error}; seen {self.windows_of(screen, title)}") from None

    def wait_window_gone(self, screen, title, rect, timeout=15):
        wait_for(lambda: tuple(rect) not in self.windows_of(screen, title), f"window {title!r} to close", timeout)

    def press(self, screen, key, rect, at=(100, 45)):
        """Presses a key in the window at rect (the pointer over `at` in it)."""
        screen.key(key, over=(rect[0] + at[0], rect[1] + at[1]))

    def keep(self, screen, name, rect, settle=0.5):
        """Saves a screenshot of the window at rect once it has been painted
        (`settle` seconds); returns the shot."""
        time.sleep(settle)
        shot = screen.shot()
        shot.save(SHOTS / f"{name}.png", crop=rect)
        return shot

    def probe(self, title):
        """[{...}] of the Windows top-level windows with that title: their
        owner's class, whether they and their owner are enabled."""
        exe = self.session.windows_path(self.session.bin_dir / "update_run_probe.exe")
        with self.session.start(f'"{exe}" "{title}"', timeout=30, debug_output=False) as run:
            run.wait()
        found = []
        for line in run.result.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("window "):
                fields = dict(item.split("=", 1) for item in line.split()[2:])
                found.append(fields)
        return found

    # -- the shell's browser ----------------------------------------------------

    def record_browser(self):
        """Points Wine's browser at a script that records the addresses it is
        given; returns the record file. The setting is removed afterwards."""
        folder = Path(tempfile.mkdtemp(prefix="browser-"))
        record = folder / "opened.txt"
        script = folder / "browser.sh"
        script.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{record}'\n")
        script.chmod(0o755)
        self.reg("add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/t", "REG_SZ", "/d", str(script),
                 "/f")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        self.addCleanup(self.reg, "delete", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/f")
        return record

    def reg(self, *args):
        # Wine's services, started on first use, outlive `wine reg` and would
        # hold a pipe open: its output goes through a file.
        with tempfile.TemporaryFile() as output:
            result = subprocess.run(["wine", "reg", *args], env=self.session.env(), stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.STDOUT, timeout=60)
            output.seek(0)
            self.assertEqual(result.returncode, 0, output.read())
