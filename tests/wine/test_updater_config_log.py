"""The configuration the updater derives from its place and command line,
as its log lines show it, in both languages."""

import calendar
import re
import time
import unittest

import winetest
from test_ui_support import wait_until

LANGS = ("zh_CN.UTF-8", "en_US.UTF-8")
NUM = r"(0|[1-9][0-9]*)"
HEADER = re.compile(rf"^\[KMX\]\[T\]\[{NUM}-{NUM}-{NUM} {NUM}:{NUM}:{NUM}\] ")
ARGS = "-url=http://server/dir/update.zip -md5=0123abcd -pagecallparam=x -forcedupdate=0"


def configuration_records(records):
    """The records of the first four log lines: the configuration."""
    lines = 0
    for count, (_, data) in enumerate(records, 1):
        lines += data.endswith(b"\n")
        if lines == 4:
            return records[:count]
    return None


def trace_lines(test, records, codepage, started, ended):
    """The messages of the configuration's log lines, after checking each header."""
    messages = []
    text = b"".join(data for _, data in records).decode(codepage, "replace")
    for line in text.splitlines(keepends=True):
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
        # The run goes on to its window and download; only its start is
        # looked at here, so it is ended once the configuration is logged.
        with self.session.start(f'"{inst.windows(exe)}" {args}', lang=lang) as run:
            wait_until(lambda: configuration_records(run.debug_records_so_far()) or run.done(), timeout=20,
                       message="no configuration logged")
            ended = time.time()
            run.end()
        r = run.result
        records = configuration_records(r.debug_records)
        self.assertIsNotNone(records, r.debug_text)
        self.assertEqual(len({pid for pid, _ in records}), 1, "written by more than the updater")
        return trace_lines(self, records, r.codepage, started, ended), records

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
                _, records = self.run_updater("C:\\A\\B", lang, args=f"-md5={md5}")
                codepage = winetest.LANGUAGES[lang]
                text = b"".join(data for _, data in records).decode(codepage)
                line = next(l for l in text.splitlines(keepends=True) if "zipMd5: " in l)
                self.assertTrue(line.endswith(f"zipMd5: {md5}\n"))
                size = len(line.encode(codepage))
                # zipPath's line comes before, the two path lines after: one piece each.
                pieces = [len(data) for _, data in records[1:-2]]
                self.assertEqual(pieces, [256] * (size // 256) + [size % 256])


if __name__ == "__main__":
    unittest.main()
