"""The configuration the updater derives from its place and command line,
as its log lines show it, in both languages."""

import calendar
import re
import time
import unittest

import winetest

LANGS = ("zh_CN.UTF-8", "en_US.UTF-8")
NUM = r"(0|[1-9][0-9]*)"
HEADER = re.compile(rf"^\[KMX\]\[T\]\[{NUM}-{NUM}-{NUM} {NUM}:{NUM}:{NUM}\] ")
ARGS = "-url=http://server/dir/update.zip -md5=0123abcd -pagecallparam=x -forcedupdate=0"


def trace_lines(test, result, started, ended):
    """The messages of the run's log lines, after checking each header."""
    messages = []
    for line in result.debug_lines:
        m = HEADER.match(line)
        test.assertIsNotNone(m, f"bad header: {line!r}")
        y, mo, d, h, mi, s = (int(g) for g in m.groups())
        when = calendar.timegm((y, mo, d, h, mi, s))
        test.assertTrue(started - 1 <= when <= ended + 1, f"not the UTC time of the run: {line!r}")
        test.assertTrue(line.endswith("\n"))
        messages.append(line[m.end():-1])
    return messages


class ConfigLogTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = winetest.Session.current()

    def run_updater(self, root, lang, args=ARGS, exe="temp\\Updater.exe"):
        inst = self.session.make_installation(root, {exe: "Updater.exe"})
        started = time.time()
        r = self.session.run(f'"{inst.windows(exe)}" {args}', lang=lang)
        ended = time.time()
        self.assertEqual(r.exit_code, 0)
        self.assertEqual({pid for pid, _ in r.debug_records}, {r.pid})
        return trace_lines(self, r, started, ended), r

    def test_four_trace_lines(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                messages, _ = self.run_updater("C:\\A\\B", lang)
                self.assertEqual(messages, [
                    "zipPath: C:\\A\\B\\temp\\update.zip",
                    "zipMd5: 0123abcd",
                    'clientDic: "C:\\A\\"',
                    'clientExePath: "C:\\A\\B\\TVRLaunch.exe"',
                ])

    def test_ampersand_in_a_folder_is_escaped(self):
        messages, _ = self.run_updater("C:\\R&D\\B", "en_US.UTF-8")
        self.assertEqual(messages[2:], ['clientDic: "C:\\R&&D\\"', 'clientExePath: "C:\\R&&D\\B\\TVRLaunch.exe"'])

    def test_drive_root(self):
        messages, _ = self.run_updater("C:\\", "en_US.UTF-8", exe="Updater.exe")
        self.session.unix_path("C:\\Updater.exe").unlink()
        self.assertEqual(messages[0], "zipPath: C:\\update.zip")
        self.assertEqual(messages[2:], ['clientDic: ""', 'clientExePath: "TVRLaunch.exe"'])

    def test_chinese_folder_in_each_code_page(self):
        messages, _ = self.run_updater("C:\\课程\\B", "zh_CN.UTF-8")
        self.assertEqual(messages[0], "zipPath: C:\\课程\\B\\temp\\update.zip")
        self.assertEqual(messages[2], 'clientDic: "C:\\课程\\"')
        # Not in code page 1252: the default character stands in.
        messages, _ = self.run_updater("C:\\课程\\B", "en_US.UTF-8")
        self.assertEqual(messages[2], 'clientDic: "C:\\??\\"')

    def test_long_line_reaches_the_debugger_in_256_byte_pieces(self):
        for lang, md5 in (("en_US.UTF-8", "f" * 400), ("zh_CN.UTF-8", "校验" * 150)):
            with self.subTest(lang=lang):
                _, r = self.run_updater("C:\\A\\B", lang, args=f"-md5={md5}")
                line = next(l for l in r.debug_lines if "zipMd5: " in l)
                self.assertTrue(line.endswith(f"zipMd5: {md5}\n"))
                size = len(line.encode(r.codepage))
                # zipPath's line comes before, the two path lines after: one piece each.
                pieces = [len(data) for _, data in r.debug_records[1:-2]]
                self.assertEqual(pieces, [256] * (size // 256) + [size % 256])


if __name__ == "__main__":
    unittest.main()
