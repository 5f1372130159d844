"""The downloader under Wine: one download through Winsock from the test
server into an installation's temp folder whose name the ANSI code page
cannot spell."""

import hashlib
import unittest

import winetest


class DownloadTest(unittest.TestCase):
    def test_download_into_the_installations_temp_folder(self):
        session = winetest.Session.current()
        inst = session.make_installation("C:\\Download\\\u5347\u7ea7", {
            "temp\\download_wine_check.exe": "download_wine_check.exe",
        })
        program = inst.windows("temp\\download_wine_check.exe")
        r = session.run(f'"{program}"', lang="en_US.UTF-8", timeout=60)
        out = r.stdout.decode("ascii", "replace")
        self.assertEqual(r.exit_code, 0, out + r.stderr.decode("utf-8", "replace")[-2000:])
        self.assertIn("result=1 ", out)

        temp = inst.unix("temp")
        package = (temp / "update.zip").read_bytes()
        self.assertEqual(len(package), 5 * 1024 * 1024 + 3)
        self.assertIn(f"md5={hashlib.md5(package).hexdigest()}", out)
        self.assertEqual(sorted(p.name for p in temp.iterdir()), ["download_wine_check.exe", "update.zip"])


if __name__ == "__main__":
    unittest.main()
