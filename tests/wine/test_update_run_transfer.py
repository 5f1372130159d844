"""End to end, transfers that break: the updater killed in the middle of a
slow transfer from nginx and started again resumes each segment where its
file ends; a server that stalls every connection of the first attempt costs
one attempt, and the next one resumes and the package installs."""

import re
import unittest

from update_run_support import (CLIENT_ARGS, PROGRAM_TITLE, PROGRESS_CORNER, RELAUNCH_CENTRE, FaultServer,
                                NginxServer, UpdateRunTest, make_package, md5, random_bytes, segment_starts,
                                wait_for)

SEGMENTS = [f"temp\\update.td{i}" for i in range(4)]


class TransferTest(UpdateRunTest):
    def test_killed_mid_transfer_then_resumed(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        self.install("Resume")
        # Random bytes do not compress: the package is as large as its entry.
        entries = {"readme.txt": b"resumed\n", "lesson/video.bin": random_bytes(2 * 1024 * 1024, "resume")}
        package = make_package(entries)
        size = len(package)
        root = self.parent / "served"
        (root / "pkg").mkdir(parents=True)
        (root / "pkg" / "update.zip").write_bytes(package)
        fast = self.parent / "served-fast"
        # Slow (each connection 64 KB/s) until the flag file exists.
        nginx = NginxServer(root, "location /pkg/ { set $limit_rate 64k; "
                                  f"if (-f {fast}) {{ set $limit_rate 0; }} }}")
        self.addCleanup(nginx.stop)
        url = nginx.url("/pkg/update.zip")

        run = self.start_updater(url, md5(package), 0, lang)
        self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)

        def segments_hold_bytes():
            paths = [self.inst.unix(name) for name in SEGMENTS]
            return all(p.exists() and p.stat().st_size > 0 for p in paths)

        wait_for(segments_hold_bytes, "bytes in all four segment files", timeout=20)
        run.end()  # killed, as by the task manager
        self.assertNotIn("package downloaded and verified", self.log(run))
        held = [self.inst.unix(name).stat().st_size for name in SEGMENTS]
        starts = segment_starts(size)
        ends = starts[1:] + [size]
        for i in range(4):
            self.assertLess(held[i], ends[i] - starts[i], f"segment {i} was complete: {held}")
        self.assertFalse(self.inst.unix("temp\\update.zip").exists())

        fast.write_text("no limit\n")
        run = self.start_updater(url, md5(package), 0, lang)
        self.wait_log(run, "package downloaded and verified", timeout=60)
        progress = self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
        self.press(screen, "Escape", progress)
        self.assertEqual(self.finish(run), 0)
        self.assertEqual(self.inst.unix("temp\\update.zip").read_bytes(), package)
        for name in SEGMENTS + ["temp\\update.td"]:
            self.assertFalse(self.inst.unix(name).exists(), name)
        self.assertNotIn("download attempt failed", self.log(run))

        # The first run asked for each segment from its start; the second,
        # after the probe, from its start plus what its file held, and got the rest.
        log = nginx.access_log()
        asked = sorted(r.range_start for r in log if r.range_start)
        resumed = [starts[i] + held[i] for i in range(4)]
        self.assertEqual(asked, sorted(starts[1:] + resumed), log)
        for i in range(4):
            [answer] = [r for r in log if r.range_start == resumed[i]]
            self.assertEqual((answer.status, answer.sent), (206, size - resumed[i]), answer)

    def test_stalled_first_attempt_then_resumed_and_installed(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        self.install("Stall")
        entries = self.package_files("stall")
        package = make_package(entries)
        size = len(package)
        stalled_after = 4096
        # The first attempt's five requests (the probe and four segments) stall
        # after a few body bytes; later ones are answered in full.
        server = FaultServer(self.session, package, fault="StallAfterBytes", fault_bytes=stalled_after, fault_to=5)
        self.addCleanup(server.end)
        run = self.start_updater(server.url("/pkg/update.zip"), md5(package), 2, lang)

        self.wait_window(screen, PROGRAM_TITLE[lang], rect=PROGRESS_CORNER, run=run)
        log = self.wait_log(run, "package downloaded and verified", timeout=40)
        failures = re.findall(r"download attempt failed with result (-?\d+) \((\d+) of 10\)", log)
        self.assertEqual([n for _, n in failures], ["1"], log[-3000:])
        # One failure: no retry suffix, the window keeps its width.
        self.assertEqual(self.windows_of(screen, PROGRAM_TITLE[lang]), [PROGRESS_CORNER])

        starts = segment_starts(size)
        asked = server.range_starts()
        self.assertEqual(len(asked), 10, server.requests())
        self.assertEqual(asked[0], 0)  # probe
        self.assertEqual(sorted(asked[1:5]), starts)
        self.assertEqual(asked[5], 0)  # probe
        self.assertEqual(sorted(asked[6:]), [s + stalled_after for s in starts])

        relaunch = self.wait_window(screen, PROGRAM_TITLE[lang], rect=RELAUNCH_CENTRE, run=run)
        self.assert_package_applied(self.parent, entries)
        self.press(screen, "Return", relaunch, at=(100, 150))
        self.assertEqual(self.finish(run), 0)
        started = self.wait_for_new_client()
        self.assertEqual(started["args"], CLIENT_ARGS)
        self.assert_package_applied(self.inst.unix(), entries)
        self.assertIn("install success", self.log(run))


if __name__ == "__main__":
    unittest.main()
