"""The launcher while the client runs: the question box, the link handed
over the client's pipe, and closing the client to start it again."""

import unittest

from test_launcher_common import CODEPAGE, LANGS, LauncherTestCase

PIPE_CAPACITY = 10240


class HandoffTest(LauncherTestCase):
    ROOT = "C:\\Handoff"

    def cancel(self, args, lang, key="Escape"):
        """Runs the launcher beside a running client and answers Cancel."""
        with self.launcher(args, lang) as run:
            self.answer_question(run, lang, key)
            result = run.wait()
        return result

    def test_cancel_hands_the_tail_over_byte_for_byte(self):
        cases = [
            ("tuvora://open?lesson=1", "open?lesson=1"),
            ("tuvora://", ""),
            # The shell's form: the closing quotation mark goes along.
            ('"tuvora://open?x=课堂&y=한"', 'open?x=课堂&y=한"'),
            ("--from C:\\a tuvora://a tuvora://b", "a tuvora://b"),
        ]
        for lang in LANGS:
            client = self.start_client(lang)
            clients = set(self.started_clients())
            for args, tail in cases:
                with self.subTest(lang=lang, args=args):
                    before = len(self.messages())
                    result = self.cancel(args, lang)
                    self.assertEqual(result.exit_code, 0)
                    self.assertEqual(result.debug_records, [])
                    # Characters the code page lacks arrive as its default character.
                    expected = tail.encode(CODEPAGE[lang], "replace") + b"\0"
                    self.assertEqual(self.messages()[before:], [expected])
            self.assertFalse(client.done(), "the client was closed")
            self.assertEqual(set(self.started_clients()), clients, "a second client was started")
            self.end_client(client)

    def test_cancel_without_the_prefix_sends_nothing(self):
        client = self.start_client("en_US.UTF-8")
        clients = set(self.started_clients())
        for args in ("", "open?lesson=1", "TUVORA://open"):
            with self.subTest(args=args):
                result = self.cancel(args, "en_US.UTF-8")
                self.assertEqual(result.exit_code, 0)
                self.assertEqual(result.debug_records, [])
        self.assertEqual(self.messages(), [])
        self.assertFalse(client.done())
        self.assertEqual(set(self.started_clients()), clients)

    def test_longest_tail_that_fits_is_sent_a_longer_one_is_refused(self):
        self.start_client("en_US.UTF-8")
        fits = "a" * (PIPE_CAPACITY - 1)
        result = self.cancel("tuvora://" + fits, "en_US.UTF-8")
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(self.messages(), [fits.encode() + b"\0"])

        result = self.cancel("tuvora://" + fits + "b", "en_US.UTF-8")
        self.assertEqual(result.exit_code, 1)
        self.assertEqual(self.messages(), [fits.encode() + b"\0"], "a cut link was sent")
        self.assertIn("link not handed over, 10241 bytes", result.debug_text)

    def test_pipe_missing_gives_exit_code_1(self):
        # A process named like the client that serves no pipe.
        self.inst = self.install(self.ROOT, {"stand-in\\tuvora.exe": "zenboclient.exe"})
        self.start_client("en_US.UTF-8", exe="stand-in\\tuvora.exe", serves_pipe=False)
        for args in ("tuvora://open?lesson=1", "tuvora://"):
            with self.subTest(args=args):
                result = self.cancel(args, "en_US.UTF-8")
                self.assertEqual(result.exit_code, 1)
                self.assertEqual(result.debug_records, [])
        self.assertEqual(self.started_clients(), {})

    def test_ok_closes_the_client_and_starts_it_again_with_the_parameters(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                old = self.start_client(lang)
                clients = self.started_clients()
                with self.launcher('"tuvora://open?x=课堂"', lang) as run:
                    self.answer_question(run, lang, "Return")
                    result = run.wait()
                    self.assertEqual(result.exit_code, 0)
                    new = self.wait_for_new_client(clients)
                self.assertTrue(old.done(), "the running client was not closed")
                self.assertEqual(old.wait().exit_code, 0)
                self.end_client(old)
                self.assertEqual(new["args"], 'open?x=课堂"')
                self.assertEqual(new["cwd"], self.inst.windows())
                self.assertEqual(self.messages(), [])

    def test_a_process_named_in_other_letter_case_is_not_the_client(self):
        self.inst = self.install(self.ROOT, {"other\\TUVORA.EXE": "zenboclient.exe"})
        self.start_client("en_US.UTF-8", exe="other\\TUVORA.EXE", serves_pipe=False)
        # No question: the launcher goes on to start the client.
        with self.launcher("tuvora://open", "en_US.UTF-8") as run:
            self.assertEqual(run.wait().exit_code, 0)
            new = self.wait_for_new_client({})
        self.assertEqual(new["args"], "open")


if __name__ == "__main__":
    unittest.main()
