"""End to end, a forced installation that cannot extract: without zlib.dll
beside the updater the install step fails at once (no crash, no minute of
retries), logs where the package and the target were, offers the download
page, and still gives the user the client back through the relaunch window
and the launcher, which applies the staged package itself."""

import unittest

from update_run_support import (BOX_CENTRE, BOX_TITLE, CLIENT_ARGS, DOWNLOAD_PAGE, PROGRAM_TITLE, RELAUNCH_CENTRE,
                                FaultServer, UpdateRunTest, make_package, md5)


class InstallFailureTest(UpdateRunTest):
    def test_missing_extraction_library_fails_the_install_but_not_the_run(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        self.install("NoZlib")
        self.inst.unix("temp\\zlib.dll").unlink()
        opened = self.record_browser()
        entries = self.package_files("no-zlib")
        package = make_package(entries)
        server = FaultServer(self.session, package)
        self.addCleanup(server.end)

        run = self.start_updater(server.url("/pkg/update.zip"), md5(package), 2, lang)
        log = self.wait_log(run, "update install failed", timeout=40)
        box = self.wait_window(screen, BOX_TITLE, rect=BOX_CENTRE, run=run)
        self.keep(screen, "install-failure-box-zh_CN", box)
        staged = self.inst.windows("temp\\update.zip")
        self.assert_in_order(log, "package downloaded and verified", "cannot load", "update install failed",
                             f"zipName: {staged}",
                             f"folder: {self.session.windows_path(self.parent)}")
        self.press(screen, "Return", box)

        relaunch = self.wait_window(screen, PROGRAM_TITLE[lang], rect=RELAUNCH_CENTRE, run=run)
        self.press(screen, "Return", relaunch, at=(100, 150))
        self.assertEqual(self.finish(run), 0)

        log = self.log(run)
        self.assertNotIn("install success", log)
        self.assertNotIn("ExtractZipToDir returned", log)
        self.assertIn(DOWNLOAD_PAGE, opened.read_text() if opened.exists() else "")
        # Nothing was extracted above the installation; the launcher applied
        # the package in its own folder and started the client.
        self.assertEqual(sorted(p.name for p in self.parent.iterdir()), ["Tuvora", "rec"])
        client = self.wait_for_new_client()
        self.assertEqual(client["args"], CLIENT_ARGS)
        self.assert_package_applied(self.inst.unix(), entries)


if __name__ == "__main__":
    unittest.main()
