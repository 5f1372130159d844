#!/usr/bin/env python3
"""One whole forced update as a user sees it, under Wine.

  run_demo.py [--bin DIR] [--work DIR] [--lang zh_CN|en_US] [--headless]
  run_demo.py cleanup STATE_FILE

Lays out an installation in a Wine prefix of its own (WORK/wineprefix),
serves a new package from nginx on 127.0.0.1, starts the stand-in client and
then Updater.exe with forcedupdate=1, and follows the run: the notice, the
client closed, the progress window, the package verified and extracted, the
relaunch window, the launcher applying the staged package and starting the
client again with the link. With a usable $DISPLAY the windows appear there
and the user answers them; otherwise an Xvfb of its own is used, the windows
are answered with keys and every step is saved as a screenshot in
WORK/screenshots/. Everything started is stopped on the way out; the calling
shell script also calls `cleanup` from its trap."""

import argparse
import hashlib
import io
import os
import random
import shutil
import sys
import time
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).parent))
import demo_support as ds  # noqa: E402

LANGS = {"zh_CN": "zh_CN.UTF-8", "en_US": "en_US.UTF-8"}
PROGRAM_TITLE = {"zh_CN.UTF-8": "升级程序", "en_US.UTF-8": "Update Program"}
NOTICE_TITLE = "Livora提示"  # the tips box's title in both languages
LINK = "tuvora://open?lesson=42"
UPDATER_REL = "temp\\Updater.exe"
STAGED_REL = "temp\\update.zip"

CLIENT_DIC = "C:\\Tuvora"           # the folder above the installation: a forced install extracts here
INSTALL = CLIENT_DIC + "\\Client"   # the installation: TVRLaunch.exe beside the client
RECORDS = CLIENT_DIC + "\\records"  # where the stand-in client records its starts

OLD_VERSION = "Tuvora classroom client 1.0.0\n"
NEW_VERSION = "Tuvora classroom client 2.0.0\n"
# The server slows each connection down so that the progress can be watched.
RATE_PER_CONNECTION = "384k"
MEDIA_SIZE = 6 * 1024 * 1024
# The progress bar: its row below the window's top, and its fill colour.
BAR_ROW = 75
BAR_BLUE = (0x16, 0x94, 0xFF)


class Demo:
    def __init__(self, args):
        self.args = args
        self.lang = LANGS[args.lang]
        self.work = Path(args.work).absolute()
        self.shots_dir = self.work / "screenshots"
        self.state = ds.State(self.work / "demo-state.json")
        self.step_no = 0
        self.shot_no = 0
        self.shots = []
        self.runs = []
        self.nginx = None
        self.xvfb = None

    # -- output -----------------------------------------------------------------

    def step(self, text):
        self.step_no += 1
        print(f"\n[{self.step_no}] {text}", flush=True)

    def say(self, text=""):
        print(f"    {text}", flush=True)

    def shot(self, name, what):
        if self.interactive:
            return
        time.sleep(0.4)  # the window's first paint
        self.shot_no += 1
        path = self.screen.screenshot(self.shots_dir / f"{self.shot_no:02d}-{name}.png")
        self.shots.append((path, what))
        self.say(f"screenshot: {path.relative_to(Path.cwd()) if path.is_relative_to(Path.cwd()) else path}")

    def wait_for_user(self, what):
        self.say(f">>> {what}")

    # -- helpers ----------------------------------------------------------------

    def start(self, cmdline, debug_output=False, timeout=1800):
        run = self.session.start(cmdline, lang=self.lang, timeout=timeout, debug_output=debug_output)
        self.runs.append(run)
        return run

    def log_lines(self):
        raw = b"".join(data for _, data in self.updater.debug_records_so_far())
        return raw.decode(winetest_codepage(self.lang), "replace").splitlines()

    def wait_log(self, needle, timeout):
        def found():
            for line in self.log_lines():
                if needle in line:
                    return line
            if self.updater.done():
                raise RuntimeError(f"Updater.exe ended before logging '{needle}'; its log:\n"
                                   + "\n".join(self.log_lines()))
            return None

        return ds.wait_until(found, f"the log line '{needle}'", timeout)

    def wait_window(self, title, what, widths=None, placed=None, timeout=60):
        """A visible window of that title (and width), once it has stayed in
        one place for half a second (and that place passes `placed`)."""
        seen = {}

        def found():
            now = time.monotonic()
            for wid, rect in self.screen.windows(title):
                if widths is not None and rect[2] not in widths:
                    continue
                if placed is not None and not placed(rect):
                    continue
                if seen.get(wid, (None, 0))[0] != rect:
                    seen[wid] = (rect, now)
                elif now - seen[wid][1] >= 0.5:
                    return wid, rect
            return None

        return ds.wait_until(found, what, timeout, interval=0.1)

    def wait_gone(self, wid, what, timeout):
        ds.wait_until(lambda: wid not in [w for w, _ in self.screen.windows(".*")], what, timeout, interval=0.2)

    def answer(self, wid, rect, key, what):
        """Headless: press the key in the window. With a display: ask the user."""
        if self.interactive:
            self.wait_for_user(what)
        else:
            self.say(f"(pressing {key} in it)")
            self.screen.key(wid, rect, key)
        self.wait_gone(wid, "the window to close", timeout=900 if self.interactive else 30)

    def wait_for_progress(self, rect, timeout=8):
        """Waits until the progress bar is partly filled (read from the
        screen), so that the screenshot shows the download under way; gives
        up after a while or when the package has arrived."""
        x, y, w, _ = rect
        left, right = x + 10, x + w - 10
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            filled = self.screen.filled_fraction(left, y + BAR_ROW, right - left, BAR_BLUE)
            if filled is not None and 0.15 <= filled <= 0.9:
                return filled
            if any("package downloaded and verified" in line for line in self.log_lines()):
                return None
            time.sleep(0.2)
        return None

    def client_records(self):
        found = {}
        for path in self.records.glob("started-*.txt"):
            fields = dict(line.split(": ", 1) for line in path.read_text(encoding="utf-8").splitlines()
                          if ": " in line)
            found[int(path.stem.split("-")[1])] = (path, fields)
        return found

    def unix(self, windows_path):
        return self.session.unix_path(windows_path)

    def describe_files(self, windows_folder, names):
        for name in names:
            path = self.unix(windows_folder + "\\" + name)
            if not path.exists():
                self.say(f"  {windows_folder}\\{name}: (none)")
            elif name.endswith(".txt"):
                self.say(f"  {windows_folder}\\{name}: {path.read_text().strip()!r}")
            else:
                self.say(f"  {windows_folder}\\{name}: {path.stat().st_size} bytes")

    # -- the demo ---------------------------------------------------------------

    def run(self):
        ds.stop_on_signals()
        try:
            self.prepare()
            self.update()
        finally:
            self.stop_everything()

    def prepare(self):
        bin_dir = Path(self.args.bin).absolute()
        for name in ("Updater.exe", "TVRLaunch.exe", "zlib.dll", "tuvora.exe", "zenboclient.exe", "winrun.exe"):
            if not (bin_dir / name).exists():
                raise SystemExit(f"demo: {bin_dir / name} is missing; build the windows preset first")

        user_display = os.environ.get("DISPLAY")
        self.interactive = not self.args.headless and ds.display_usable(user_display)
        self.step("Preparing Wine, the display and the package server")
        if not (self.work / "wineprefix" / wine_session_ready_mark()).exists():
            self.say("creating the demo's Wine prefix (first run only, 10 to 30 s)")
        self.session, self.xvfb = ds.open_session(self.work / "wineprefix", bin_dir, self.state,
                                                  display=user_display if self.interactive else None)
        self.screen = ds.Screen(self.session.env(self.lang))
        self.say(f"Wine prefix: {self.session.prefix}")
        if self.interactive:
            self.say(f"windows appear on your display {user_display}; you answer them")
        else:
            self.say(f"no usable display: windows go to an Xvfb of our own ({self.session.display}),"
                     " answered with keys; screenshots go to " + str(self.shots_dir))
            if self.shots_dir.exists():
                shutil.rmtree(self.shots_dir)
        self.say(f"UI language: {self.lang}")

        # The package: a new version of a few files.
        www = self.work / "www"
        if www.exists():
            shutil.rmtree(www)
        (www / "pkg").mkdir(parents=True)
        media = random.Random(42).randbytes(MEDIA_SIZE)
        data = io.BytesIO()
        with zipfile.ZipFile(data, "w") as z:
            z.writestr("version.txt", NEW_VERSION, zipfile.ZIP_DEFLATED)
            z.writestr("whatsnew.txt", "Lessons open faster; a new whiteboard pen.\n", zipfile.ZIP_DEFLATED)
            z.writestr("lessons/welcome.txt", "Welcome to lesson 42!\n", zipfile.ZIP_DEFLATED)
            z.writestr("media/intro.bin", media, zipfile.ZIP_STORED)
        self.package = data.getvalue()
        self.package_md5 = hashlib.md5(self.package).hexdigest()
        (www / "pkg" / "update.zip").write_bytes(self.package)
        self.package_entries = ["version.txt", "whatsnew.txt", "lessons\\welcome.txt", "media\\intro.bin"]

        self.nginx = ds.Nginx(www, self.work / "nginx", extra=f"limit_rate {RATE_PER_CONNECTION};")
        self.state.set(nginx_pid=self.nginx.pid)
        self.url = self.nginx.url("pkg/update.zip")
        self.say(f"new package: {len(self.package)} bytes, MD5 {self.package_md5}, entries "
                 + ", ".join(e.replace("\\", "/") for e in self.package_entries))
        self.say(f"nginx (pid {self.nginx.pid}) serves it at {self.url},"
                 f" {RATE_PER_CONNECTION}B/s per connection so that the progress can be watched")

        # The installation: launcher, client, its second process, the updater in temp.
        clientdic = self.unix(CLIENT_DIC)
        if clientdic.exists():
            shutil.rmtree(clientdic)
        self.inst = self.session.make_installation(INSTALL, {
            "TVRLaunch.exe": "TVRLaunch.exe",
            "tuvora.exe": "tuvora.exe",
            "zenboclient.exe": "zenboclient.exe",
            "temp\\Updater.exe": "Updater.exe",
            "temp\\zlib.dll": "zlib.dll",
        })
        self.inst.unix("version.txt").write_text(OLD_VERSION)
        self.records = self.unix(RECORDS)
        self.records.mkdir(parents=True)
        # Passed on through winrun, the updater and the launcher to the client.
        os.environ["TUVORA_RECORD_DIR"] = RECORDS
        self.step("The installation")
        for line in ("TVRLaunch.exe        the launcher, handler of tuvora:// links",
                     "tuvora.exe           the classroom client (a stand-in that records its starts)",
                     "zenboclient.exe      the client's second process",
                     "version.txt          " + OLD_VERSION.strip(),
                     "temp\\Updater.exe     the updater, in the staging folder",
                     "temp\\zlib.dll        its extraction library"):
            self.say(f"{INSTALL}\\{line}")
        self.say(f"(the folder above, {CLIENT_DIC}, is where a forced install extracts)")

    def update(self):
        lang = self.lang
        # -- the client runs -------------------------------------------------------
        self.step("Starting the client (tuvora.exe and zenboclient.exe)")
        self.client = self.start(f'"{self.inst.windows("tuvora.exe")}"')
        self.zenbo = self.start(f'"{self.inst.windows("zenboclient.exe")}"')
        first = ds.wait_until(lambda: self.client_records(), "the client to start", 60)
        first_pid = next(iter(first))
        self.say(f"the client runs (Windows process id {first_pid}); it owns a hidden window of class"
                 " \"livora\" and serves the pipe \\\\.\\Pipe\\RIVEVU_tvr")

        # -- the updater -------------------------------------------------------------
        cmdline = (f'"{self.inst.windows(UPDATER_REL)}" -url={self.url} -md5={self.package_md5} '
                   f'-pagecallparam="{LINK}" -forcedupdate=1')
        self.step("Starting the updater with a forced update")
        self.say(cmdline)
        started = time.monotonic()
        self.updater = self.start(cmdline, debug_output=True)

        wid, rect = self.wait_window(f"^{NOTICE_TITLE}$", "the forced-update notice")
        self.step("The forced-update notice appears, over the client")
        self.say(f"window \"{NOTICE_TITLE}\" at {rect[0]},{rect[1]}, {rect[2]}x{rect[3]}, centred over the client's"
                 " main window (the stand-in keeps it hidden at the top-left corner)")
        self.shot("notice", "the forced-update notice")
        self.answer(wid, rect, "Return", "Press Enter in the box (or click its button) to go on.")

        self.step("The updater closes the client")
        self.client.wait(60)
        self.zenbo.wait(60)
        self.say(f"tuvora.exe ended with exit code {self.client.result.exit_code},"
                 f" zenboclient.exe with {self.zenbo.result.exit_code} (terminated by the updater)")

        widths = (310, 360)
        # Under Wine its X window is mapped at the origin (unpainted) before
        # the updater moves it into the corner and shows it.
        wid, rect = self.wait_window(f"^{PROGRAM_TITLE[lang]}$", "the progress window", widths,
                                     placed=lambda r: r[:2] != (0, 0))
        self.step("The progress window appears in the bottom-right corner and the download runs")
        self.say(f"window \"{PROGRAM_TITLE[lang]}\" at {rect[0]},{rect[1]}, {rect[2]}x{rect[3]}")
        self.wait_for_progress(rect)
        self.shot("progress", "the progress window during the download")
        if self.interactive:
            self.say("(nothing to press: a forced update installs by itself)")

        line = self.wait_log("package downloaded and verified", 300)
        self.step("The package is downloaded and verified")
        self.say(f"after {time.monotonic() - started:.1f} s; log: {line.strip()}")
        requests = self.nginx.requests()
        self.say(f"nginx answered {len(requests)} requests: a probe for the size (cut short after the"
                 " head), then four segments on four connections at once:")
        for request in requests:
            self.say("  " + request)
        self.say(f"staged package: {self.inst.windows(STAGED_REL)}")

        line = self.wait_log("ExtractZipToDir returned", 120)
        self.step(f"Forced install: zlib.dll's ExtractZipToDir extracts the package into {CLIENT_DIC}")
        self.say(f"log: {line.strip()}")
        self.describe_files(CLIENT_DIC, self.package_entries)

        wid, rect = self.wait_window(f"^{PROGRAM_TITLE[lang]}$", "the relaunch window", (420,), timeout=120)
        self.step("The relaunch window says the update is complete")
        self.say(f"window \"{PROGRAM_TITLE[lang]}\" at {rect[0]},{rect[1]}, {rect[2]}x{rect[3]}; its texts are"
                 " Chinese in every UI language: 升级完成，重新打开上课吧！ (update complete, open the class again)")
        self.shot("relaunch", "the relaunch window")
        self.answer(wid, rect, "Return", "Press Enter in the window (or click its close button) to open the client.")

        line = self.wait_log("starting launcher:", 60)
        self.step("The updater starts the launcher with the link; the launcher applies the staged package"
                  " and starts the client")
        self.say(f"log: {line.strip()}")
        records = ds.wait_until(lambda: {p: r for p, r in self.client_records().items() if p != first_pid},
                                "the client to start again", 60)
        pid, (record_path, fields) = next(iter(records.items()))
        self.updater.wait(60)
        self.say(f"Updater.exe ended with exit code {self.updater.result.exit_code}"
                 f" after {time.monotonic() - started:.1f} s")
        self.say(f"the client runs again (Windows process id {pid}); its record"
                 f" {self.session.windows_path(record_path)}:")
        for key in ("args", "cwd", "cmdline"):
            self.say(f"  {key}: {fields.get(key, '')}")
        self.say("the launcher applied the package in the installation itself:")
        self.describe_files(INSTALL, self.package_entries)
        staged = self.inst.unix(STAGED_REL)
        self.say(f"staged package {self.inst.windows(STAGED_REL)}: "
                 + ("still there" if staged.exists() else "taken out and applied by the launcher (gone)"))
        self.say(f"{self.inst.windows('temp')} now holds: "
                 + (", ".join(sorted(p.name for p in self.inst.unix("temp").iterdir())) or "nothing")
                 + " (the launcher deletes temp\\Updater.exe as a leftover when it can)")

        # The stand-in client has no window of its own: show its record instead.
        notepad = self.start(f'notepad.exe "{self.session.windows_path(record_path)}"')
        try:
            self.wait_window(f"started-{pid}", "Notepad with the client's record", timeout=30)
            self.shot("client-restarted", "the restarted client's record of its start, in Wine's Notepad")
        except TimeoutError:
            self.say("(Notepad did not show the record; no screenshot of this step)")
        if self.interactive:
            input("\n    >>> The client's record is open in Notepad. Press Enter here to end the demo. ")
        notepad.end()

        self.step("Done")
        version = self.inst.unix("version.txt").read_text().strip()
        self.say(f"the installation's version.txt now reads {version!r} (it read {OLD_VERSION.strip()!r})")
        log = self.log_lines()
        self.say(f"the updater's log ({len(log)} lines, debugger output):")
        for line in log:
            self.say("  " + line)
        if self.shots:
            print("\nScreenshots:")
            for path, what in self.shots:
                print(f"  {path}  ({what})")

    def stop_everything(self):
        for run in reversed(self.runs):
            try:
                run.end()
            except Exception as error:  # keep stopping the rest
                print(f"demo: ending a run: {error}", file=sys.stderr)
        if self.nginx:
            self.nginx.stop()
        if self.xvfb:
            self.xvfb.stop()
        ds.cleanup(self.state.path)


def winetest_codepage(lang):
    return ds.winetest.LANGUAGES[lang]


def wine_session_ready_mark():
    return ds.wine_session.READY_MARK


def main(argv):
    if len(argv) == 3 and argv[1] == "cleanup":
        ds.cleanup(argv[2])
        return 0
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", default="build/windows/bin", help="the windows build's bin folder")
    parser.add_argument("--work", default="build/demo", help="prefix, package, server and screenshots")
    parser.add_argument("--lang", choices=sorted(LANGS), default="en_US", help="the UI language")
    parser.add_argument("--headless", action="store_true", help="use an Xvfb of our own even with $DISPLAY")
    args = parser.parse_args(argv[1:])
    try:
        Demo(args).run()
    except (ds.Stop, KeyboardInterrupt) as stop:
        print(f"\ndemo: {stop or 'interrupted'}; everything it started is stopped", file=sys.stderr)
        return 130
    except (TimeoutError, RuntimeError) as error:
        print(f"\ndemo failed: {error}", file=sys.stderr)
        return 1
    print("\nThe demo is over; everything it started is stopped.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
