"""End to end, a forced update: the notice over the running client, the
client's two processes closed, the package downloaded from nginx and
extracted into the folder above the installation, the relaunch window, and
the launcher that applies the package again in its own folder and starts the
client with the page-call link. forcedupdate=2: no notice, the client closed
before the download (here from a server that ignores Range), installed the
same way."""

import time
import unittest

from update_run_support import (BOX_TITLE, NOTICE_OVER_CLIENT, CLIENT_ARGS, PROGRAM_TITLE, PROGRESS_CORNER,
                                RELAUNCH_CENTRE, TERMINATED, FaultServer, NginxServer, UpdateRunTest,
                                make_package, md5)


class ForcedUpdateTest(UpdateRunTest):
    def assert_installed_and_relaunched(self, run, screen, lang, entries):
        """From the verified package on: extraction into clientDic, the
        relaunch window, the launcher, the client started again."""
        log = self.wait_log(run, "ExtractZipToDir returned", timeout=30)
        relaunch = self.wait_window(screen, PROGRAM_TITLE[lang], rect=RELAUNCH_CENTRE, run=run)
        # Extracted into the folder above the installation before the window shows.
        self.assert_package_applied(self.parent, entries)
        self.keep(screen, f"forced-relaunch-{lang[:5]}", relaunch)
        self.assertNotIn("starting launcher", self.log(run))
        self.press(screen, "Return", relaunch, at=(100, 150))
        self.assertEqual(self.finish(run), 0)

        client = self.wait_for_new_client()
        log = self.log(run)
        self.assert_in_order(log, "package downloaded and verified", "ExtractZipToDir returned", "install success",
                             f"starting launcher: {self.inst.windows('TVRLaunch.exe')}")
        self.assertNotIn("update install failed", log)
        # The launcher took the staged package out of temp and applied it in its folder.
        self.assertEqual(client["args"], CLIENT_ARGS)
        self.assertEqual(client["cwd"], self.inst.windows())
        self.assert_package_applied(self.inst.unix(), entries)
        self.assertFalse(self.inst.unix("temp\\update.zip").exists())
        self.assertFalse(self.inst.unix("update.zip").exists())
        # No download leftovers (the running updater's own file may stay).
        self.assertEqual(sorted(p.name for p in self.inst.unix("temp").iterdir() if p.name != "Updater.exe"),
                         ["zlib.dll"])

    def test_forced_update_with_the_notice(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        self.install("Forced1")
        entries = self.package_files("forced-1")
        package = make_package(entries)
        with NginxServer(self.make_served_root(package)) as nginx:
            client, second = self.start_client()
            run = self.start_updater(nginx.url("/pkg/update.zip"), md5(package), 1, lang)

            # The notice comes first, centred over the client's (hidden) window,
            # which it disables.
            box = self.wait_window(screen, BOX_TITLE, rect=NOTICE_OVER_CLIENT, run=run)
            self.assertEqual(self.windows_of(screen, PROGRAM_TITLE[lang]), [], "progress window before the notice")
            [notice] = self.probe(BOX_TITLE)
            self.assertEqual((notice["ownerclass"], notice["ownerenabled"]), ("livora", "0"), notice)
            self.keep(screen, "forced-notice-zh_CN", box)
            self.assertFalse(client.done() or second.done(), "the client was closed before the notice")
            self.assertEqual(nginx.access_log(), [], "downloading before the notice was answered")

            self.press(screen, "Return", box)
            # Both client processes are ended by the updater, then the download runs.
            self.assertEqual(client.wait(20).exit_code, TERMINATED)
            self.assertEqual(second.wait(20).exit_code, TERMINATED)
            progress = self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
            self.keep(screen, "forced-progress-zh_CN", progress, settle=1.3)  # a progress tick

            self.assert_installed_and_relaunched(run, screen, lang, entries)
            self.assertTrue(all(r.status in (200, 206) for r in nginx.access_log()), nginx.access_log())

    def test_forced_without_notice_from_a_server_that_ignores_range(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        self.install("Forced2")
        entries = self.package_files("forced-2")
        package = make_package(entries)
        server = FaultServer(self.session, package, fault="IgnoreRange")
        self.addCleanup(server.end)
        client, second = self.start_client()
        run = self.start_updater(server.url("/pkg/update.zip"), md5(package), 2, lang)

        # The client is closed before the first request reaches the server
        # (allowing a moment for the end of its process to be reported).
        first_request = client_ended = None
        deadline = time.monotonic() + 30
        while (first_request is None or client_ended is None) and time.monotonic() < deadline:
            if client_ended is None and client.done():
                client_ended = time.monotonic()
            if first_request is None and server.requests():
                first_request = time.monotonic()
            time.sleep(0.02)
        self.assertIsNotNone(first_request, "no request reached the server")
        self.assertIsNotNone(client_ended, "the client was not closed")
        self.assertLess(client_ended, first_request + 0.3, "the download began while the client ran")
        client.wait(5)
        self.assertEqual(client.result.exit_code, TERMINATED)
        self.assertEqual(second.wait(5).exit_code, TERMINATED)
        self.assertEqual(self.windows_of(screen, BOX_TITLE), [], "a notice for forcedupdate=2")

        self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
        self.assert_installed_and_relaunched(run, screen, lang, entries)
        log = self.log(run)
        self.assertNotIn("Pwx is running", log)  # closed already before the download
        # Every answer was the whole package; the segments still came right.
        self.assertEqual(len(server.requests()), 5, server.requests())

    def make_served_root(self, package):
        root = self.parent / "served"
        (root / "pkg").mkdir(parents=True)
        (root / "pkg" / "update.zip").write_bytes(package)
        return root


if __name__ == "__main__":
    unittest.main()
