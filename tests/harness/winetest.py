"""Test harness for running the Windows programs under Wine.

A test run shares one Wine prefix per build folder and one Xvfb display,
both set up by `wine_session.py setup` and taken down by
`wine_session.py cleanup` (ctest fixtures). Tests find them through the
WINE_SESSION environment variable, which names the session file.

Programs are started through winrun.exe, which reports the program's full
32-bit exit code, receives the debugger output of the session byte for byte
(as a system debug monitor does), and keeps everything the program starts in
a job object: ending a run ends that whole process tree, whatever the outcome.
"""

import json
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

LANGUAGES = {
    # UI language -> the ANSI code page Wine gives that locale
    "zh_CN.UTF-8": "cp936",
    "en_US.UTF-8": "cp1252",
    "zh_TW.UTF-8": "cp950",
}

WINE_ENV = {
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEDEBUG": "-all",
    "WINEARCH": "win32",
}

class HarnessError(Exception):
    pass


# ---------------------------------------------------------------------------
# The session: prefix, display, binaries


@dataclass
class Session:
    prefix: Path
    bin_dir: Path
    display: str
    xvfb_pid: int

    @staticmethod
    def current():
        path = os.environ.get("WINE_SESSION")
        if not path:
            raise HarnessError("WINE_SESSION is not set; run the tests through ctest")
        data = json.loads(Path(path).read_text())
        return Session(Path(data["prefix"]), Path(data["bin_dir"]), data["display"], data["xvfb_pid"])

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def env(self, lang="en_US.UTF-8"):
        env = dict(os.environ)
        env.update(WINE_ENV)
        env["WINEPREFIX"] = str(self.prefix)
        env["DISPLAY"] = self.display
        env["LANG"] = lang
        env["LC_ALL"] = lang
        return env

    def windows_path(self, unix_path):
        """The Windows name of a file under the prefix's drive C or anywhere (Z:)."""
        p = Path(unix_path).absolute()
        try:
            return "C:\\" + "\\".join(p.relative_to(self.drive_c).parts)
        except ValueError:
            return "Z:" + str(p).replace("/", "\\")

    def unix_path(self, windows_path):
        if windows_path[:3].upper() != "C:\\":
            raise HarnessError(f"not on drive C: {windows_path}")
        return self.drive_c.joinpath(*[part for part in windows_path[3:].split("\\") if part])

    # -- programs -----------------------------------------------------------

    def start(self, cmdline, lang="en_US.UTF-8", timeout=30, cwd=None, debug_output=True):
        """Starts a Windows command line (program included, Windows quoting).

        Returns a Run; use it as a context manager, or call end(). Only one
        run at a time can receive the debugger output: start helpers that
        run beside the program under test with debug_output=False."""
        return Run(self, cmdline, lang, timeout, cwd, debug_output)

    def run(self, cmdline, lang="en_US.UTF-8", timeout=30, cwd=None):
        """Runs a command line to its end and ends whatever it left running."""
        with self.start(cmdline, lang, timeout, cwd) as r:
            r.wait()
        return r.result

    # -- installations ------------------------------------------------------

    def make_installation(self, windows_root, files):
        """Lays out an installation folder under drive C.

        files maps a name relative to the root ("temp\\Updater.exe") to a file
        of the build ("Updater.exe" in bin_dir) or to a Path. A fresh folder
        replaces any earlier one of the same name; in C:\\ itself only the
        files are written."""
        root = self.unix_path(windows_root)
        if root != self.drive_c:  # a drive's root folder is used, never replaced
            if root.exists():
                shutil.rmtree(root)
            root.mkdir(parents=True)
        for rel, source in files.items():
            target = root.joinpath(*rel.split("\\"))
            target.parent.mkdir(parents=True, exist_ok=True)
            source = Path(source) if isinstance(source, Path) else self.bin_dir / source
            shutil.copyfile(source, target)
        return Installation(self, windows_root.rstrip("\\"), root)


@dataclass
class Installation:
    session: Session
    windows_root: str
    root: Path

    def windows(self, rel=""):
        return self.windows_root + ("\\" + rel if rel else "")

    def unix(self, rel=""):
        return self.root.joinpath(*[p for p in rel.split("\\") if p])


# ---------------------------------------------------------------------------
# One program run


@dataclass
class Result:
    exit_code: int = None  # unsigned 32-bit, as Windows reports it
    pid: int = None  # the program's Windows process id
    timed_out: bool = False
    stdout: bytes = b""
    stderr: bytes = b""
    # (Windows process id, bytes) of every OutputDebugStringA call, in order,
    # from the program and from anything else running in the session.
    debug_records: list = field(default_factory=list)
    codepage: str = "cp1252"  # the ANSI code page of the run's language
    elapsed: float = 0.0

    @property
    def debug_pieces(self):
        return [data.decode(self.codepage, "replace") for _, data in self.debug_records]

    @property
    def signed_exit_code(self):
        code = self.exit_code
        return code - (1 << 32) if code is not None and code >= 1 << 31 else code

    @property
    def debug_text(self):
        # Joined before decoding: a piece may end inside a two-byte character.
        return b"".join(data for _, data in self.debug_records).decode(self.codepage, "replace")

    @property
    def debug_lines(self):
        return self.debug_text.splitlines(keepends=True)


class Run:
    def __init__(self, session, cmdline, lang, timeout, cwd, debug_output):
        if lang not in LANGUAGES:
            raise HarnessError(f"unknown language {lang}")
        self.session = session
        self.lang = lang
        self.timeout = timeout
        self.result = Result(codepage=LANGUAGES[lang])
        self._dir = Path(tempfile.mkdtemp(prefix="winrun-"))
        self._result_file = self._dir / "result"
        self._ended = False
        self._debug_file = self._dir / "debug"
        self._stdout = open(self._dir / "stdout", "wb")
        self._stderr = open(self._dir / "stderr", "wb")
        env = session.env(lang)
        env["WINRUN_CMDLINE"] = cmdline
        env["WINRUN_RESULT"] = session.windows_path(self._result_file)
        env["WINRUN_TIMEOUT_MS"] = str(int(timeout * 1000))
        if debug_output:
            env["WINRUN_DEBUG_OUT"] = session.windows_path(self._debug_file)
        self._started = time.monotonic()
        self._proc = subprocess.Popen(
            ["wine", str(session.bin_dir / "winrun.exe")],
            stdin=subprocess.PIPE, stdout=self._stdout, stderr=self._stderr,
            env=env, cwd=cwd or session.drive_c, start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.end()

    def done(self):
        return self._result_file.exists()

    def wait(self, timeout=None):
        """Waits for the program to end (not what it started). Returns the Result."""
        limit = self.timeout + 15 if timeout is None else timeout
        deadline = time.monotonic() + limit
        while not self.done():
            if self._proc.poll() is not None and not self.done():
                raise HarnessError(f"winrun ended without a result (status {self._proc.returncode})")
            if time.monotonic() > deadline:
                raise HarnessError("the program did not end in time")
            time.sleep(0.05)
        self.result.elapsed = time.monotonic() - self._started
        fields = dict(line.split(" ", 1) if " " in line else (line, "")
                      for line in self._result_file.read_text().splitlines())
        if "timeout" in fields:
            self.result.timed_out = True
        elif "exit" in fields:
            self.result.exit_code = int(fields["exit"])
            self.result.pid = int(fields["pid"])
        else:
            raise HarnessError(f"winrun could not run the program: {fields}")
        return self.result

    def debug_records_so_far(self):
        """The debugger output received up to now, while the program runs."""
        return self._decode_debug(self._debug_file.read_bytes() if self._debug_file.exists() else b"")

    def _decode_debug(self, raw):
        records, offset = [], 0
        while offset + 8 <= len(raw):
            pid, length = struct.unpack_from("<II", raw, offset)
            if offset + 8 + length > len(raw):
                break  # still being written
            records.append((pid, raw[offset + 8:offset + 8 + length]))
            offset += 8 + length
        return records

    def end(self):
        """Ends the program and everything it started; collects the output.
        Ending a run again does nothing."""
        if self._ended:
            return
        self._ended = True
        if self._proc.poll() is None:
            self._proc.stdin.close()  # winrun closes its job: the tree ends
            try:
                self._proc.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self._proc.pid, signal.SIGKILL)
                self._proc.wait()
        self._stdout.close()
        self._stderr.close()
        self.result.stdout = (self._dir / "stdout").read_bytes()
        self.result.stderr = (self._dir / "stderr").read_bytes()
        self.result.debug_records = self.debug_records_so_far()
        shutil.rmtree(self._dir, ignore_errors=True)


# ---------------------------------------------------------------------------
# Display


class Xvfb:
    """An X server of our own; never a display we did not start."""

    def __init__(self, screen="1280x800x24"):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            self.stop()
            raise HarnessError("Xvfb did not start")
        self.display = ":" + number

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def running_programs(exe_name):
    """Process ids of the Wine processes whose command line names exe_name."""
    found = []
    needle = exe_name.lower().encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes()
            state = (entry / "stat").read_text().rsplit(")", 1)[1].split()[0]
        except (OSError, IndexError):
            continue
        if state != "Z" and needle in cmdline.lower():
            found.append(int(entry.name))
    return found
