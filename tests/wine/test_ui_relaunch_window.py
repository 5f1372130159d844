"""The relaunch window under Wine: centred with its own texts, closed at once
by a press on its close button, its keys and launch button."""

import time
import unittest

from test_ui_support import BODY, LANGS, PROGRAM_TITLES, Viewer, WindowTest, area, dark, point


class RelaunchWindowTest(WindowTest):
    CENTRE = (430, 295, 420, 210)
    TITLES = PROGRAM_TITLES
    CLOSE = (297, 15)

    def show(self, lang):
        viewer = Viewer(self, "launch", lang)
        rect = viewer.wait_shown()
        self.assertEqual(rect, self.CENTRE)
        return viewer, rect

    def test_centred_with_its_own_chinese_texts(self):
        for lang in LANGS:
            with self.case(lang=lang):
                screen = self.screen(lang)
                viewer, rect = self.show(lang)
                self.assert_window_at(screen, self.TITLES[lang], self.CENTRE)
                shot = screen.shot()
                self.keep(shot, f"relaunch-{lang[:5]}", rect)
                self.assert_title_row(shot, rect)
                self.assert_real_glyphs(shot, area(rect, 0, 32, 420, 62), dark, 10)
                # The line and the button are centred.
                rows = shot.region(*area(rect, 0, 32, 420, 62))
                inked = [x for x in range(420) if any(dark(rows[y][x]) for y in range(30))]
                self.assertAlmostEqual((inked[0] + inked[-1]) / 2, 210, delta=12)
                self.assert_ink(shot, area(rect, 170, 62, 250, 98))
                self.assert_plain(shot, area(rect, 0, 100, 420, 210), BODY)
                viewer.end()

    def test_pressing_the_close_button_closes_at_once(self):
        screen = self.screen("zh_CN.UTF-8")
        viewer, rect = self.show("zh_CN.UTF-8")
        screen.press(*point(rect, *self.CLOSE))
        try:
            viewer.wait_for("result 1", timeout=5)
        finally:
            screen.release()
        self.assertEqual(viewer.exit_code(), 1)

    def test_keys_and_the_launch_button(self):
        for how, code in (("Escape", 2), ("Return", 1), ("launch", 1)):
            with self.case(how=how):
                lang = "en_US.UTF-8"
                screen = self.screen(lang)
                viewer, rect = self.show(lang)
                if how == "launch":
                    # Pressing alone leaves it open; the click closes it.
                    screen.press(*point(rect, 210, 80))
                    time.sleep(0.8)
                    self.assertFalse(viewer.run.done())
                    screen.release()
                else:
                    screen.key(how, over=point(rect, 100, 150))
                self.assertEqual(viewer.exit_code(), code)

    def test_drag_by_its_taller_caption_area(self):
        screen = self.screen("en_US.UTF-8")
        viewer, rect = self.show("en_US.UTF-8")
        screen.drag(point(rect, 100, 28), point(rect, 0, 0))
        viewer.rect = (rect[0] - 100, rect[1] - 28, 420, 210)
        self.assert_window_at(screen, self.TITLES["en_US.UTF-8"], viewer.rect)

    def test_shown_by_an_installation_from_the_progress_window(self):
        lang = "zh_CN.UTF-8"
        screen = self.screen(lang)
        viewer = Viewer(self, "progress --done 1 --total 1 --outcome success --relaunch", lang)
        progress = viewer.wait_shown()
        viewer.wait_for("succeeded")
        time.sleep(1.5)
        screen.click(*point(progress, 260, 77))
        self.assert_window_at(screen, "升级程序", self.CENTRE)
        time.sleep(0.5)
        screen.key("Return", over=point(self.CENTRE, 100, 150))
        self.assertEqual(viewer.exit_code(), 0)
        self.assertEqual(viewer.lines()[-3:], ["DoInstall", "relaunch closed 1", "loop ended"])


if __name__ == "__main__":
    unittest.main()
