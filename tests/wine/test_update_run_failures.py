"""End to end, a package that cannot be had: ten failed attempts (404 from
the fault-injecting server), the retry suffix with the wider window from the
second on, then the failure box, whose button opens the download page in
the user's browser; the run ends with exit code 0."""

import re
import time
import unittest

from update_run_support import (BOX_CENTRE, BOX_TITLE, DOWNLOAD_PAGE, PROGRAM_TITLE, PROGRESS_CORNER,
                                PROGRESS_WIDE, FaultServer, UpdateRunTest, wait_for)


class FailedUpdateTest(UpdateRunTest):
    def test_ten_failed_attempts_then_the_download_page(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        self.install("Failures")
        opened = self.record_browser()
        server = FaultServer(self.session, b"never served", fault="NotFound")
        self.addCleanup(server.end)
        run = self.start_updater(server.url("/pkg/update.zip"), "0" * 32, 0, lang, timeout=180)

        # The first failure leaves the window as it was.
        self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
        self.wait_log(run, "(1 of 10)")
        self.assertNotIn("(2 of 10)", self.log(run))
        self.assertEqual(self.windows_of(screen, PROGRAM_TITLE[lang]), [PROGRESS_CORNER])
        # From the second on, the suffix: the window grows to the left and stays so.
        self.wait_log(run, "(2 of 10)", timeout=10)
        wide = self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_WIDE, timeout=3, run=run)
        self.keep(screen, "failures-retrying-zh_CN", wide)
        self.wait_log(run, "(5 of 10)", timeout=20)
        self.assertEqual(self.windows_of(screen, PROGRAM_TITLE[lang]), [PROGRESS_WIDE])

        # After the tenth, the failure box, without an owner, centred on the screen.
        box = self.wait_window(screen, BOX_TITLE, rect=BOX_CENTRE, timeout=30, run=run)
        [info] = self.probe(BOX_TITLE)
        self.assertEqual(info["owner"], "0", info)
        self.keep(screen, "failures-box-zh_CN", box)
        log = self.log(run)
        attempts = re.findall(r"download attempt failed with result (-?\d+) \((\d+) of 10\)", log)
        self.assertEqual([int(n) for _, n in attempts], list(range(1, 11)), log[-3000:])
        self.assertIn("download failed 10 times, giving up", log)
        self.assertFalse(opened.exists(), "the page opened before the button")
        # Ten probes, nothing more: no segment was asked for.
        self.assertEqual(server.range_starts(), [0] * 10)

        self.press(screen, "Return", box)
        self.assertEqual(self.finish(run), 0)
        wait_for(opened.exists, "the browser to be started", timeout=15)
        time.sleep(0.3)
        self.assertEqual(opened.read_text().split(), [DOWNLOAD_PAGE])
        temp = sorted(p.name for p in self.inst.unix("temp").iterdir())
        self.assertEqual(temp, ["Updater.exe", "zlib.dll"])
        self.assertEqual(self.started_clients(), {})


if __name__ == "__main__":
    unittest.main()
