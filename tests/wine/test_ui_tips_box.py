"""The question box under Wine: its modes, buttons and keys with their
result codes, button looks, dragging, its owner and its tool tip."""

import time
import unittest

from test_ui_support import (BLUE, BODY, DARK_BLUE, LANGS, WHITE, Viewer, WindowTest, area, dark, near, point,
                             wait_until, whitish)


class TipsBoxTest(WindowTest):
    CENTRE = (485, 350, 310, 100)
    TITLE = "Livora提示"
    CONFIRM = (260, 81)
    CANCEL = (180, 81)
    CLOSE = (297, 15)

    def show(self, args, lang="zh_CN.UTF-8"):
        viewer = Viewer(self, f"tips {args}", lang)
        rect = viewer.wait_shown()
        return viewer, rect

    def test_modes_show_their_buttons(self):
        cases = (
            # mode, extra arguments, cancel shown, confirm labelled
            (0, "", False, True),
            (1, "", True, True),
            (2, "", False, False),
            (2, "--button 前往下载", False, True),
        )
        for lang in LANGS:
            for mode, extra, cancel, labelled in cases:
                with self.case(lang=lang, mode=mode, extra=extra):
                    screen = self.screen(lang)
                    viewer, rect = self.show(f"{mode} {extra}", lang)
                    self.assertEqual(rect, self.CENTRE)
                    self.assert_window_at(screen, self.TITLE, self.CENTRE)
                    shot = screen.shot()
                    suffix = "-button" if extra else ""
                    self.keep(shot, f"tips-mode{mode}{suffix}-{lang[:5]}", rect)
                    self.assert_title_row(shot, rect)
                    if cancel:
                        self.assert_ink(shot, area(rect, 144, 69, 216, 93))
                    else:
                        self.assert_plain(shot, area(rect, 144, 69, 216, 93), BODY)
                    self.assert_ink(shot, area(rect, 228, 72, 292, 90), present=labelled)
                    self.assert_real_glyphs(shot, area(rect, 10, 5, 284, 25), whitish, 2)  # 提示
                    self.assert_ink(shot, area(rect, 18, 30, 310, 60), minimum=150)
                    if lang == "zh_CN.UTF-8":  # the forced-update notice
                        self.assert_real_glyphs(shot, area(rect, 18, 30, 310, 60), dark, 12)
                    viewer.end()

    def test_buttons_keys_and_their_codes(self):
        cases = (
            (0, "click", self.CONFIRM, 1),
            (1, "click", self.CANCEL, 2),
            (0, "click", self.CLOSE, 2),
            (1, "key", "Escape", 2),
            (0, "key", "Return", 1),
        )
        for mode, how, what, code in cases:
            with self.case(mode=mode, how=how, what=what):
                lang = "en_US.UTF-8" if code == 1 else "zh_CN.UTF-8"
                screen = self.screen(lang)
                viewer, rect = self.show(f"{mode}", lang)
                if how == "click":
                    screen.click(*point(rect, *what))
                else:
                    screen.key(what, over=point(rect, 100, 45))
                self.assertEqual(viewer.exit_code(), code)
                self.assertEqual(viewer.lines()[-1], f"result {code}")

    def test_clicks_on_the_text_and_title_do_nothing(self):
        screen = self.screen("zh_CN.UTF-8")
        viewer, rect = self.show("1")
        screen.click(*point(rect, 100, 45))
        screen.click(*point(rect, 150, 25))
        screen.click(*point(rect, 40, 80))
        time.sleep(1)
        self.assertFalse(viewer.run.done())
        self.assertNotIn("result", " ".join(viewer.lines()))

    def test_button_looks_follow_the_mouse(self):
        screen = self.screen("zh_CN.UTF-8")
        viewer, rect = self.show("1")
        face = point(rect, 227, 81)
        self.assertTrue(near(screen.shot().pixel(*face), WHITE, 6))
        screen.move_mouse(*point(rect, *self.CONFIRM))
        time.sleep(0.5)
        hot = screen.shot()
        self.keep(hot, "tips-confirm-hot-zh_CN", rect)
        self.assertTrue(near(hot.pixel(*face), BLUE))
        screen.press(*point(rect, *self.CONFIRM))
        time.sleep(0.5)
        pushed = screen.shot()
        self.keep(pushed, "tips-confirm-pushed-zh_CN", rect)
        self.assertTrue(near(pushed.pixel(*face), DARK_BLUE))
        # Dragged off while pressed: normal again, and no click on release.
        screen.move_mouse(*point(rect, 100, 45))
        time.sleep(0.5)
        self.assertTrue(near(screen.shot().pixel(*face), WHITE, 6))
        screen.release()
        time.sleep(0.8)
        self.assertFalse(viewer.run.done())

    def test_drag_by_the_caption_but_not_over_the_close_button(self):
        screen = self.screen("en_US.UTF-8")
        viewer, rect = self.show("0", "en_US.UTF-8")
        screen.drag(point(rect, *self.CLOSE), point(rect, 150, 200))
        time.sleep(0.5)
        self.assert_window_at(screen, self.TITLE, rect)
        self.assertFalse(viewer.run.done(), "a press released off the close button closed the box")
        screen.drag(point(rect, 100, 10), point(rect, 250, 110))
        viewer.rect = (rect[0] + 150, rect[1] + 100, 310, 100)
        self.assert_window_at(screen, self.TITLE, viewer.rect)

    def test_owner_is_disabled_while_the_box_runs_and_centres_it(self):
        screen = self.screen("zh_CN.UTF-8")
        viewer, rect = self.show("0 --owner")
        self.assertEqual(rect, (100 + (600 - 310) // 2, 100 + (400 - 100) // 2, 310, 100))
        self.assertIn("owner enabled 0", viewer.lines())
        screen.key("Escape", over=point(rect, 100, 45))
        self.assertEqual(viewer.exit_code(), 2)
        lines = viewer.lines()
        self.assertLess(lines.index("owner enabled 0"), lines.index("owner enabled 1"))
        self.assertLess(lines.index("owner enabled 1"), lines.index("result 2"))

    def test_tool_tip_over_the_close_button(self):
        screen = self.screen("zh_CN.UTF-8")
        viewer, rect = self.show("0")
        # Under the pointer, the tip reaches past the box's right edge.
        below = (rect[0] + rect[2] + 1, rect[1] + 20, 60, 30)
        before = screen.shot()
        screen.move_mouse(*point(rect, *self.CLOSE))
        time.sleep(0.4)
        screen.move_mouse(*point(rect, self.CLOSE[0] + 1, self.CLOSE[1]))
        shot = wait_until(lambda: (lambda s: s if s.region(*below) != before.region(*below) else None)(
            screen.shot()), timeout=6, message="no tool tip appeared")
        self.keep(shot, "tips-close-tooltip-zh_CN", (rect[0], rect[1], 460, 170))


if __name__ == "__main__":
    unittest.main()
