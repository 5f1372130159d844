"""The launcher when the client is not running: the protocol registration,
its log lines, and the client's start with the link's parameters."""

import re
import unittest

from test_launcher_common import LANGS, LauncherTestCase

HEADER = re.compile(rb"^\[PWX\]\[I\]\[\d+-\d+-\d+ \d+:\d+:\d+\] ")


def messages(data, newline):
    """The messages of log lines (bytes), each header checked."""
    found = []
    for line in data.split(newline):
        if not line:
            continue
        m = HEADER.match(line)
        assert m, f"bad header: {line!r}"
        found.append(line[m.end():])
    assert data.endswith(newline)
    return found


def command_entry(launcher_path):
    escaped = launcher_path.replace("\\", "\\\\")
    return f'[HKEY_CLASSES_ROOT\\tuvora\\shell\\open\\command]\r\n@="\\"{escaped}\\" \\"%1\\""\r\n'


class StartTest(LauncherTestCase):
    ROOT = "C:\\Start Here"

    def launch(self, args, lang, cwd=None):
        """Runs the launcher with no client running; returns its result and
        the record of the client it started."""
        with self.launcher(args, lang) as run:
            result = run.wait()
            self.assertEqual(result.exit_code, 0)
            client = self.wait_for_new_client({})
        return result, client

    def test_no_command_line_registers_logs_and_starts_the_client(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                self.setUp()
                self.delete_protocol_key()
                result, client = self.launch("", lang)
                # Started in the launcher's folder, not the inherited C:\.
                self.assertEqual(client["args"], "")
                self.assertEqual(client["cwd"], self.inst.windows())

                reg = self.exported_protocol_key()
                self.assertIn('[HKEY_CLASSES_ROOT\\tuvora]\r\n@="URL:tuvora Protocol"\r\n"URL Protocol"=""\r\n',
                              reg)
                self.assertIn(command_entry(self.inst.windows("TVRLaunch.exe")), reg)

                expected = [b"class path: tuvora.exe", b"par: "]
                debug = b"".join(data for _, data in result.debug_records)
                self.assertEqual(messages(debug, b"\n"), expected)
                self.assertEqual({pid for pid, _ in result.debug_records}, {result.pid})
                # The C run-time's text mode turns the newline into CR LF.
                self.assertEqual(messages(result.stderr, b"\r\n"), expected)

    def test_parameters_reach_the_client_unchanged(self):
        cases = [
            ("tuvora://open?lesson=1", "open?lesson=1"),
            ('"tuvora://open?x=课堂"', 'open?x=课堂"'),
            ("-x C:\\a tuvora://a tuvora://b", "a tuvora://b"),
            # Without the prefix (for instance the updater's page-call
            # parameter) the whole command line is passed on.
            ("lesson=7 &x", "lesson=7 &x"),
            ("TUVORA://open", "TUVORA://open"),
        ]
        for lang in LANGS:
            for args, parameters in cases:
                with self.subTest(lang=lang, args=args):
                    self.setUp()
                    result, client = self.launch(args, lang)
                    self.assertEqual(client["args"], parameters)
                    # Log lines carry wide text in the Chinese code page.
                    self.assertIn(b"] par: " + parameters.encode("gbk") + b"\n",
                                  b"".join(data for _, data in result.debug_records))

    def test_registration_names_the_launcher_that_ran_last(self):
        self.delete_protocol_key()
        for root in ("C:\\Start\\A", "C:\\Start\\B"):
            self.inst = self.install(root)
            self.launch("", "en_US.UTF-8")
        self.assertIn(command_entry("C:\\Start\\B\\TVRLaunch.exe"), self.exported_protocol_key())

    def test_a_launcher_path_too_long_for_the_old_buffer_is_registered_whole(self):
        # Windows starts programs from paths shorter than 260 characters; the
        # old buffer held the command only for paths up to 252.
        root = "C:\\" + "L" * 120 + "\\" + "课" * 60 + "\\" + "M" * 59
        self.assertEqual(len(root + "\\TVRLaunch.exe"), 258)
        self.inst = self.install(root)
        self.launch("tuvora://x", "en_US.UTF-8")
        self.assertIn(command_entry(self.inst.windows("TVRLaunch.exe")), self.exported_protocol_key())

    def test_an_installers_description_of_the_scheme_is_kept(self):
        self.delete_protocol_key()
        self.reg("add", "HKCR\\tuvora", "/ve", "/d", "Tuvora Classroom Link", "/f")
        self.launch("", "en_US.UTF-8")
        reg = self.exported_protocol_key()
        self.assertIn('[HKEY_CLASSES_ROOT\\tuvora]\r\n@="Tuvora Classroom Link"\r\n"URL Protocol"=""\r\n', reg)


if __name__ == "__main__":
    unittest.main()
