"""The updater's start: argument count, the two mutexes, exit codes."""

import time
import unittest

import winetest
from test_ui_support import Screen, wait_until

EXIT_DID_NOT_RUN = 0xFFFFFFFF


class UpdaterStartTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()
        cls.inst = cls.session.make_installation("C:\\Start\\B", {
            "temp\\Updater.exe": "Updater.exe",
            "mutex_holder.exe": "mutex_holder.exe",
        })
        cls.updater = cls.inst.windows("temp\\Updater.exe")

    def hold(self, mutexes, hold_ms):
        """Starts a process that takes the mutexes; returns once it holds them."""
        ready = self.inst.unix(f"ready-{mutexes}")
        ready.unlink(missing_ok=True)
        run = self.session.start(
            f'"{self.inst.windows("mutex_holder.exe")}" {mutexes} {hold_ms} "{self.inst.windows(ready.name)}"',
            timeout=hold_ms / 1000 + 30, debug_output=False)
        deadline = time.monotonic() + 20
        while not ready.exists():
            if run.done() or time.monotonic() > deadline:
                run.end()
                self.fail(f"the holder did not take {mutexes}")
            time.sleep(0.05)
        self.addCleanup(run.end)
        return run

    def test_no_argument_does_not_run(self):
        for cmdline in (f'"{self.updater}"', f'"{self.updater}"    '):
            with self.subTest(cmdline=cmdline):
                r = self.session.run(cmdline)
                self.assertEqual(r.exit_code, EXIT_DID_NOT_RUN)
                self.assertEqual(r.debug_pieces, [])

    def run_until_closed(self, cmdline, timeout=25):
        """Runs the updater until its progress window shows, then closes the
        window with Escape, which ends the run."""
        screen = Screen(self.session, "en_US.UTF-8")
        with self.session.start(cmdline, timeout=timeout) as run:
            corner = (1280 - 310, 800 - 100)

            def placed():
                return run.done() or any(screen.geometry(w)[:2] == corner
                                         for w in screen.find_windows("Update Program"))

            wait_until(placed, timeout=20, message="no progress window in the corner")
            time.sleep(1.5)  # its first paint and activation
            screen.key("Escape", over=(corner[0] + 100, corner[1] + 45))
            return run.wait(10)

    def test_one_empty_argument_runs(self):
        r = self.run_until_closed(f'"{self.updater}" ""')
        self.assertEqual(r.exit_code, 0)
        self.assertIn("zipMd5: \n", r.debug_text)

    def test_second_start_waits_ten_seconds_then_gives_up(self):
        self.hold("queue+run", 30000)
        r = self.session.run(f'"{self.updater}" -url=x', timeout=25)
        self.assertEqual(r.exit_code, EXIT_DID_NOT_RUN)
        self.assertGreaterEqual(r.elapsed, 9.5)
        self.assertEqual(r.debug_pieces, [])

    def test_run_mutex_alone_refuses_at_once(self):
        self.hold("run", 30000)
        r = self.session.run(f'"{self.updater}" -url=x', timeout=25)
        self.assertEqual(r.exit_code, EXIT_DID_NOT_RUN)
        self.assertLess(r.elapsed, 8)
        self.assertEqual(r.debug_pieces, [])

    def test_start_runs_once_the_first_process_has_ended(self):
        holder = self.hold("queue+run", 3000)
        r = self.run_until_closed(f'"{self.updater}" -url=x')
        self.assertTrue(holder.done(), "the updater ran while the holder still held the mutexes")
        self.assertEqual(r.exit_code, 0)
        self.assertIn("zipPath: ", r.debug_text)


if __name__ == "__main__":
    unittest.main()
