"""What the launcher's Wine tests share: an installation with the launcher
and the stand-in client, the client's records, the question box, the
registry."""

import os
import subprocess
import time
import unittest

import winetest

LANGS = ("zh_CN.UTF-8", "en_US.UTF-8")
# The question box's title in each UI language.
QUESTION_TITLE = {"zh_CN.UTF-8": "提示", "en_US.UTF-8": "Notice"}
CODEPAGE = winetest.LANGUAGES
PROTOCOL_KEY = "HKCR\\tuvora"


def wait_for(predicate, what, timeout=20):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)


class LauncherTestCase(unittest.TestCase):
    """Each test gets a fresh installation at ROOT with the launcher and the
    stand-in client, whose records go to ROOT\\rec."""

    ROOT = "C:\\Tuvora"

    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()

    def setUp(self):
        self._clients = []
        self.inst = self.install(self.ROOT)

    def install(self, root, extra=None):
        files = {name: name for name in ("TVRLaunch.exe", "tuvora.exe", "zenboclient.exe")}
        files.update(extra or {})
        inst = self.session.make_installation(root, files)
        self.record_dir = inst.unix("rec")
        self.record_dir.mkdir()
        # The environment passes from the harness through the launcher to the
        # client it starts.
        os.environ["TUVORA_RECORD_DIR"] = inst.windows("rec")
        return inst

    # -- the stand-in client ----------------------------------------------------

    def started_clients(self):
        """{pid: {"args", "cwd", "cmdline"}} of every client start recorded."""
        found = {}
        for path in self.record_dir.glob("started-*.txt"):
            fields = dict(line.split(": ", 1) for line in path.read_text(encoding="utf-8").splitlines())
            found[int(path.stem.split("-")[1])] = fields
        return found

    def messages(self):
        """Bytes received on the client's pipe, one item per connection, in order
        (also across client processes)."""
        paths = sorted(self.record_dir.glob("message-*.bin"),
                       key=lambda p: (p.stat().st_mtime_ns, int(p.stem.split("-")[2])))
        return [p.read_bytes() for p in paths]

    def start_client(self, lang, exe="tuvora.exe", serves_pipe=True):
        """Starts a client process from the installation; returns its run once
        it serves the pipe. It is ended at the end of the test at the latest."""
        before = set(self.started_clients())
        run = self.session.start(f'"{self.inst.windows(exe)}"', lang=lang, timeout=300, debug_output=False)
        self._clients.append((run, exe))

        def serving():
            if run.done():
                raise AssertionError(f"the client ended at once (exit code {run.wait().exit_code})")
            return set(self.started_clients()) - before

        if serves_pipe:
            wait_for(serving, "the client to serve its pipe")
        else:
            time.sleep(0.5)
        return run

    def end_client(self, run):
        """Terminates a client that start_client started (if it still runs)."""
        for entry in [e for e in self._clients if e[0] is run]:
            self._clients.remove(entry)
            if not run.done():
                # The harness would only end it after a long grace period.
                name = entry[1].split("\\")[-1]
                subprocess.run(["wine", "taskkill", "/F", "/IM", name], env=self.session.env(),
                               capture_output=True, timeout=30)
                wait_for(run.done, "the client to end")
            run.end()

    def tearDown(self):
        for run, _ in list(self._clients):
            self.end_client(run)

    def wait_for_new_client(self, known):
        new = wait_for(lambda: set(self.started_clients()) - set(known), "a new client to start")
        self.assertEqual(len(new), 1)
        return self.started_clients()[new.pop()]

    # -- the launcher -----------------------------------------------------------

    def launcher(self, args, lang, timeout=60):
        return self.session.start(f'"{self.inst.windows("TVRLaunch.exe")}" {args}'.rstrip(), lang=lang,
                                  timeout=timeout)

    def answer_question(self, run, lang, key):
        """Answers the question box as a person would: Return is OK, Escape Cancel."""
        env = self.session.env(lang)

        def find_box():
            if run.done():
                raise AssertionError("the launcher ended without asking")
            title = f"^{QUESTION_TITLE[lang]}$"
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=env,
                                   capture_output=True, text=True).stdout.split()
            return found[0] if found else None

        box = wait_for(find_box, "the question box")

        def answered():
            # Focus fails while the box is still being mapped: try again.
            try:
                return subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "--window", box, key],
                                      env=env, capture_output=True, timeout=10).returncode == 0
            except subprocess.TimeoutExpired:
                return False

        wait_for(answered, "the question box to take the key")

    # -- the registry -----------------------------------------------------------

    def reg(self, *args):
        return subprocess.run(["wine", "reg", *args], env=self.session.env(), capture_output=True, check=False)

    def delete_protocol_key(self):
        self.reg("delete", PROTOCOL_KEY, "/f")

    def exported_protocol_key(self):
        """The scheme's key as reg export writes it (exact text, escaped)."""
        out = self.record_dir.parent / "tuvora.reg"
        result = self.reg("export", PROTOCOL_KEY, self.session.windows_path(out), "/y")
        self.assertEqual(result.returncode, 0, result.stderr)
        return out.read_bytes().decode("utf-16")
