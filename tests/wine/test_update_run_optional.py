"""End to end, an optional update (forcedupdate=0): the window offers to
install once the package has arrived. The install button closes the running
client and starts the launcher, which applies the package; Escape leaves the
package staged in temp, and the next start of the launcher applies it."""

import time
import unittest

from test_ui_support import BODY, count_pixels, dark, near
from update_run_support import (CLIENT_ARGS, INSTALL_BUTTON, PROGRAM_TITLE, PROGRESS_CORNER, RELAUNCH_CENTRE,
                                TERMINATED, NginxServer, UpdateRunTest, make_package, md5)


class OptionalUpdateTest(UpdateRunTest):
    def serve(self, package):
        root = self.parent / "served"
        (root / "pkg").mkdir(parents=True)
        (root / "pkg" / "update.zip").write_bytes(package)
        nginx = NginxServer(root)
        self.addCleanup(nginx.stop)
        return nginx

    def wait_ready(self, run, screen, lang):
        """The progress window in the ready-to-install state; returns its place."""
        progress = self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
        self.wait_log(run, "package downloaded and verified")
        shot = self.keep(screen, f"optional-ready-{lang[:5]}", progress, settle=1.5)  # the next tick
        x, y, _, _ = progress

        def ink(left, top, right, bottom):
            return count_pixels(shot.region(x + left, y + top, right - left, bottom - top), dark)

        self.assertGreaterEqual(ink(229, 64, 300, 90), 20, "no install button")
        self.assertGreaterEqual(ink(10, 30, 310, 60), 150, "no ready text")
        self.assertTrue(all(near(p, BODY) for row in shot.region(x + 10, y + 72, 210, 8) for p in row),
                        "the progress bar still shows")
        return progress

    def test_install_button_closes_the_client_and_starts_the_launcher(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        self.install("Optional1")
        entries = self.package_files("optional-1")
        package = make_package(entries)
        nginx = self.serve(package)
        client, second = self.start_client()
        run = self.start_updater(nginx.url("/pkg/update.zip"), md5(package), 0, lang)

        progress = self.wait_ready(run, screen, lang)
        self.assertFalse(client.done(), "an optional update closed the client before the install")
        screen.click(progress[0] + INSTALL_BUTTON[0], progress[1] + INSTALL_BUTTON[1])

        self.assertEqual(client.wait(20).exit_code, TERMINATED)
        self.assertEqual(second.wait(20).exit_code, TERMINATED)
        relaunch = self.wait_window(screen, PROGRAM_TITLE[lang], rect=RELAUNCH_CENTRE, run=run)
        self.press(screen, "Return", relaunch, at=(100, 150))
        self.assertEqual(self.finish(run), 0)

        started = self.wait_for_new_client()
        self.assertEqual(started["args"], CLIENT_ARGS)
        log = self.log(run)
        self.assert_in_order(log, "package downloaded and verified", "Pwx is running", "install success",
                             f"starting launcher: {self.inst.windows('TVRLaunch.exe')}")
        # The updater extracted nothing; the launcher applied the package.
        self.assertNotIn("ExtractZipToDir", log)
        self.assertFalse(self.parent.joinpath("readme.txt").exists())
        self.assert_package_applied(self.inst.unix(), entries)
        self.assertFalse(self.inst.unix("temp\\update.zip").exists())

    def test_escape_leaves_the_package_for_the_next_start(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        self.install("Optional2")
        entries = self.package_files("optional-2")
        package = make_package(entries)
        nginx = self.serve(package)
        run = self.start_updater(nginx.url("/pkg/update.zip"), md5(package), 0, lang)

        progress = self.wait_ready(run, screen, lang)
        self.press(screen, "Escape", progress)
        self.assertEqual(self.finish(run), 0)
        self.wait_window_gone(screen, PROGRAM_TITLE[lang], progress)
        time.sleep(0.5)
        run.end()  # the launcher's run below receives the debugger output
        log = self.log(run)
        self.assertNotIn("install success", log)
        self.assertNotIn("starting launcher", log)
        self.assertEqual(self.started_clients(), {})
        # Staged, verified, nothing applied.
        self.assertEqual(self.inst.unix("temp\\update.zip").read_bytes(), package)
        self.assertFalse(self.inst.unix("readme.txt").exists())
        self.assertFalse(self.parent.joinpath("readme.txt").exists())

        # The next start of the client through the launcher applies it.
        launcher = self.start_launcher(lang)
        self.assertEqual(launcher.wait(30).exit_code, 0)
        started = self.wait_for_new_client()
        self.assertEqual(started["args"], CLIENT_ARGS)
        self.assertEqual(started["cwd"], self.inst.windows())
        self.assert_package_applied(self.inst.unix(), entries)
        self.assertFalse(self.inst.unix("temp\\update.zip").exists())
        self.assertFalse(self.inst.unix("update.zip").exists())


if __name__ == "__main__":
    unittest.main()
