"""zlib.dll is what the updater loads by name: a 32-bit DLL that stands alone
and exports ExtractZipToDir undecorated."""

import os
import re
import subprocess
import unittest
from pathlib import Path

DLL = Path(os.environ["PROGRAM_BIN_DIR"]) / "zlib.dll"
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll"}


class ZlibDllImageTest(unittest.TestCase):
    def setUp(self):
        self.headers = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(DLL)], check=True,
                                      capture_output=True, text=True).stdout

    def test_is_a_32_bit_dll(self):
        self.assertIn("file format pei-i386", self.headers)
        self.assertRegex(self.headers, r"Magic\s+010b\s+\(PE32\)")
        self.assertRegex(self.headers, r"Characteristics 0x[0-9a-f]+\n(\t.*\n)*?\tDLL\n")

    def test_exports_extract_zip_to_dir_undecorated(self):
        names = self.headers.split("[Ordinal/Name Pointer] Table\n", 1)[1].split("\n\n", 1)[0]
        exports = re.findall(r"\[\s*\d+\]\s+(\S+)", names)
        self.assertEqual(exports, ["ExtractZipToDir"])

    def test_imports_only_system_libraries(self):
        dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertIn("kernel32.dll", dlls)
        self.assertEqual(dlls - SYSTEM_DLLS, set())


if __name__ == "__main__":
    unittest.main()
