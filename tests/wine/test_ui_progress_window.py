"""The progress window under Wine: its place in the bottom-right corner, its
states (downloading, forced, retrying, ready, installing), the failure box,
and how it ends the run."""

import time
import unittest

from test_ui_support import (BLUE, BODY, LANGS, PROGRAM_TITLES, SCREEN_H, SCREEN_W, TRACK, Viewer, WindowTest,
                             area, near, point, whitish)


class ProgressWindowTest(WindowTest):
    TITLES = PROGRAM_TITLES
    CORNER = (SCREEN_W - 310, SCREEN_H - 100, 310, 100)

    def show(self, args, lang):
        viewer = Viewer(self, f"progress {args}", lang)
        rect = viewer.wait_shown()
        self.assertEqual(rect, self.CORNER)
        return viewer, rect

    def test_downloading_in_the_bottom_right_corner(self):
        for lang in LANGS:
            with self.case(lang=lang):
                screen = self.screen(lang)
                viewer, rect = self.show("--done 42 --total 100", lang)
                self.assert_window_at(screen, self.TITLES[lang], self.CORNER)
                shot = screen.shot()
                self.keep(shot, f"progress-downloading-{lang[:5]}", rect)
                self.assert_title_row(shot, rect)
                self.assert_real_glyphs(shot, area(rect, 10, 5, 210, 25), whitish, 4)  # 升级助手
                self.assert_ink(shot, area(rect, 10, 30, 310, 60), minimum=150)  # progress line
                self.assertTrue(near(shot.pixel(*point(rect, 50, 75)), BLUE), "42% fill")
                self.assertTrue(near(shot.pixel(*point(rect, 150, 75)), TRACK), "track")
                self.assert_ink(shot, area(rect, 229, 62, 300, 88))  # skip button's label
                self.assert_plain(shot, area(rect, 296, 8, 310, 22), BLUE)  # no close button
                viewer.end()

    def test_forced_download_has_no_skip_button(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--forced --done 1 --total 4", lang)
        shot = screen.shot()
        self.keep(shot, "progress-forced-zh_CN", rect)
        self.assert_ink(shot, area(rect, 229, 62, 300, 88), present=False)
        self.assertTrue(near(shot.pixel(*point(rect, 40, 75)), BLUE))
        # The bar takes the skip button's room.
        self.assertTrue(near(shot.pixel(*point(rect, 280, 75)), TRACK))

    def test_ready_to_install_after_success(self):
        for lang in LANGS:
            with self.case(lang=lang):
                screen = self.screen(lang)
                viewer, rect = self.show("--done 100 --total 100 --outcome success", lang)
                viewer.wait_for("succeeded")
                time.sleep(1.5)
                shot = screen.shot()
                self.keep(shot, f"progress-ready-{lang[:5]}", rect)
                self.assert_ink(shot, area(rect, 229, 64, 300, 90))  # install button
                self.assert_plain(shot, area(rect, 10, 72, 220, 80), BODY)  # bar gone
                self.assertFalse(all(near(p, BLUE) for row in shot.region(*area(rect, 296, 8, 310, 22))
                                     for p in row), "close button shows")
                self.assert_ink(shot, area(rect, 10, 30, 310, 60), minimum=150)
                self.assertNotIn("DoInstall", viewer.lines())

                # The install button installs, then the run ends.
                screen.click(*point(rect, 260, 77))
                self.assertEqual(viewer.exit_code(), 0)
                self.assertEqual(viewer.lines()[-2:], ["DoInstall", "loop ended"])

    def test_ready_close_button_ends_without_installing(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--done 5 --total 5 --outcome success", lang)
        viewer.wait_for("succeeded")
        time.sleep(1.5)
        screen.click(*point(rect, 303, 15))
        self.assertEqual(viewer.exit_code(), 0)
        self.assertIn("loop ended", viewer.lines())
        self.assertNotIn("DoInstall", viewer.lines())

    def test_forced_success_installs_a_second_later_without_a_click(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--forced --done 9 --total 10 --outcome success --succeed-after-ms 1500 "
                                 "--install-ms 3000", lang)
        viewer.wait_for("succeeded")
        succeeded = time.monotonic()
        viewer.wait_for("DoInstall")
        self.assertGreaterEqual(time.monotonic() - succeeded, 0.9)
        time.sleep(0.5)
        shot = screen.shot()
        self.keep(shot, "progress-installing-zh_CN", rect)
        self.assertFalse(all(near(p, BLUE) for row in shot.region(*area(rect, 296, 8, 310, 22)) for p in row),
                         "close button shows while installing")
        self.assertTrue(near(shot.pixel(*point(rect, 100, 75)), BLUE), "the bar stays")
        self.assertEqual(viewer.exit_code(), 0)
        self.assertEqual(viewer.lines()[-1], "loop ended")

    def test_widens_to_the_left_from_the_second_failed_attempt(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--done 3 --total 10 --retries 1", lang)
        viewer.wait_for("retry 0")
        time.sleep(1.5)
        self.assert_window_at(screen, self.TITLES[lang], self.CORNER)
        viewer.end()

        viewer, rect = self.show("--done 3 --total 10 --retries 3", lang)
        viewer.wait_for("retry 1")
        time.sleep(1.5)
        wide = (SCREEN_W - 360, SCREEN_H - 100, 360, 100)
        self.assert_window_at(screen, self.TITLES[lang], wide)
        shot = screen.shot()
        self.keep(shot, "progress-retrying-en_US", wide)
        self.assert_title_row(shot, wide)
        self.assert_ink(shot, area(wide, 279, 62, 350, 88))  # the skip button followed the right edge
        viewer.wait_for("retry 2", timeout=10)
        time.sleep(1.5)
        self.assert_window_at(screen, self.TITLES[lang], wide)

    def test_escape_enter_and_skip_end_the_run(self):
        for how in ("Escape", "Return", "skip"):
            with self.case(how=how):
                lang = "zh_CN.UTF-8"
                screen = self.screen(lang)
                viewer, rect = self.show("--done 1 --total 2", lang)
                if how == "skip":
                    screen.click(*point(rect, 265, 75))
                else:
                    screen.key(how, over=point(rect, 100, 45))
                self.assertEqual(viewer.exit_code(), 0)
                self.assertEqual(viewer.lines()[-1], "loop ended")

    def test_failure_box_offers_the_download_page(self):
        for lang, key, opened in (("zh_CN.UTF-8", "Return", True), ("en_US.UTF-8", "Escape", False)):
            with self.case(lang=lang, key=key):
                screen = self.screen(lang)
                viewer, rect = self.show("--done 0 --total 0 --outcome failure", lang)
                viewer.wait_for("failed")
                box = (485, 350, 310, 100)
                self.assert_window_at(screen, "Livora提示", box)
                time.sleep(0.8)
                shot = screen.shot()
                self.keep(shot, f"failure-box-{lang[:5]}", box)
                self.assert_plain(shot, area(box, 144, 69, 216, 93), BODY)  # no cancel button
                self.assert_ink(shot, area(box, 224, 69, 296, 93))  # the caller's button text
                self.assert_ink(shot, area(box, 18, 30, 310, 60), minimum=150)
                screen.key(key, over=point(box, 100, 45))
                self.assertEqual(viewer.exit_code(), 0)
                lines = viewer.lines()
                self.assertIn("loop ended", lines)
                page = "open page https://www.tuvora.com/download"
                self.assertEqual(page in lines, opened)
                if opened:
                    self.assertLess(lines.index(page), lines.index("loop ended"))

    def test_ending_the_run_during_the_failure_box_closes_the_box(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--done 0 --total 0 --outcome failure", lang)
        viewer.wait_for("failed")
        box = (485, 350, 310, 100)
        self.assert_window_at(screen, "Livora提示", box)
        screen.click(*point(rect, 265, 75))  # the skip button, while the box waits
        self.assertEqual(viewer.exit_code(timeout=10), 0)
        lines = viewer.lines()
        self.assertIn("failure box done", lines)
        self.assertNotIn("open page https://www.tuvora.com/download", lines)
        self.assertLess(lines.index("loop ended"), lines.index("failure box done"))

    def test_drag_by_the_caption_area(self):
        lang = "en_US.UTF-8"
        screen = self.screen(lang)
        viewer, rect = self.show("--done 1 --total 2", lang)
        screen.drag(point(rect, 100, 10), point(rect, -300, -200))
        viewer.rect = (rect[0] - 400, rect[1] - 210, 310, 100)
        self.assert_window_at(screen, self.TITLES[lang], viewer.rect)


if __name__ == "__main__":
    unittest.main()
