"""A skin that cannot be used: missing, not a zip archive, or a layout that
cannot be read. The message box shows and the program ends with exit
code 1."""

import time
import unittest

from test_ui_support import Viewer, WindowTest, wait_until


class SkinFailureTest(WindowTest):
    def test_unusable_skin_shows_the_message_box_and_exits_with_1(self):
        cases = (
            ("missing", "window_viewer_noskin.exe", "progress"),
            ("not a zip", "window_viewer.exe", "broken 104"),
            ("bad layout", "window_viewer.exe", "broken 105"),
        )
        for name, exe, args in cases:
            with self.case(name=name):
                lang = "zh_CN.UTF-8"
                screen = self.screen(lang)
                viewer = Viewer(self, args, lang, exe=exe)
                ids = wait_until(lambda: screen.find_windows("^UI$"), message="no message box")
                x, y, w, h = screen.geometry(ids[-1])
                time.sleep(0.5)
                shot = screen.shot()
                if name == "missing":
                    self.keep(shot, "skin-failure-zh_CN", (x, y, w, h))
                self.assert_ink(shot, (x, y, w, h), minimum=50)
                self.assertNotIn("built", viewer.lines())
                self.assertNotIn("shown", viewer.lines())
                screen.key("Return", over=(x + w // 2, y + h // 2))
                self.assertEqual(viewer.exit_code(), 1)


if __name__ == "__main__":
    unittest.main()
