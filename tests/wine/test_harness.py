"""The harness itself: exit codes, time-outs, process trees, the display."""

import subprocess
import time
import unittest

import winetest


class HarnessTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()
        cls.inst = cls.session.make_installation("C:\\harness", {"mutex_holder.exe": "mutex_holder.exe"})
        cls.holder = cls.inst.windows("mutex_holder.exe")

    def test_exit_code_and_a_program_that_cannot_start(self):
        r = self.session.run(f'"{self.holder}" bad-arguments')
        self.assertEqual(r.exit_code, 2)
        with self.assertRaisesRegex(winetest.HarnessError, "CreateProcess"):
            self.session.run(f'"{self.inst.windows("missing.exe")}"')

    def test_time_out_ends_the_program(self):
        ready = self.inst.windows("ready-timeout")
        r = self.session.run(f'"{self.holder}" queue 60000 "{ready}"', timeout=3)
        self.assertTrue(r.timed_out)
        self.assertLess(r.elapsed, 20)
        self.assertEqual(winetest.running_programs("mutex_holder.exe"), [])

    def test_end_stops_what_the_program_started(self):
        ready = self.inst.windows("ready-child")
        # cmd's start leaves the holder running on its own after cmd ends.
        with self.session.start(f'cmd.exe /c start "" "{self.holder}" run 60000 "{ready}"') as run:
            run.wait()
            self.wait_for_file("ready-child")
            self.assertEqual(len(winetest.running_programs("mutex_holder.exe")), 1)
        self.assertEqual(winetest.running_programs("mutex_holder.exe"), [])

    def test_end_stops_a_program_that_still_runs(self):
        with self.session.start(f'"{self.holder}" queue 60000 "{self.inst.windows("ready-running")}"') as run:
            self.wait_for_file("ready-running")
            ending = time.monotonic()
            run.end()
            self.assertLess(time.monotonic() - ending, 5)
        self.assertEqual(winetest.running_programs("mutex_holder.exe"), [])

    def wait_for_file(self, name):
        deadline = time.monotonic() + 20
        while not self.inst.unix(name).exists():
            self.assertLess(time.monotonic(), deadline, f"{name} did not appear")
            time.sleep(0.1)

    def test_only_one_run_receives_the_debugger_output(self):
        with self.session.start(f'"{self.holder}" queue 60000 "{self.inst.windows("ready-monitor")}"'):
            self.wait_for_file("ready-monitor")
            with self.assertRaisesRegex(winetest.HarnessError, "another run receives"):
                self.session.run(f'"{self.holder}" bad-arguments')

    def test_windows_show_on_our_own_display(self):
        with self.session.start("notepad.exe") as run:
            found = subprocess.run(
                ["xdotool", "search", "--sync", "--onlyvisible", "--name", "Notepad"],
                env=self.session.env(), capture_output=True, text=True, timeout=30)
            self.assertEqual(found.returncode, 0, found.stderr)
            self.assertFalse(run.done())
        self.assertEqual(winetest.running_programs("notepad.exe"), [])


if __name__ == "__main__":
    unittest.main()
