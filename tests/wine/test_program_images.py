"""The shipped programs are what Windows expects: 32-bit GUI images that
stand alone, with the manifest that sets their rights and controls."""

import os
import re
import subprocess
import unittest
from pathlib import Path

BIN = Path(os.environ["PROGRAM_BIN_DIR"])
OBJDUMP = "i686-w64-mingw32-objdump"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "comctl32.dll", "msvcrt.dll", "ws2_32.dll", "mswsock.dll", "gdiplus.dll",
               "msimg32.dll", "shlwapi.dll", "xmllite.dll", "windowscodecs.dll", "uxtheme.dll"}


def headers(exe):
    return subprocess.run([OBJDUMP, "-p", str(exe)], check=True, capture_output=True, text=True).stdout


class UpdaterImageTest(unittest.TestCase):
    exe = BIN / "Updater.exe"

    def test_pe32_gui_for_i386(self):
        text = headers(self.exe)
        self.assertIn("file format pei-i386", text)
        self.assertRegex(text, r"Magic\s+010b\s+\(PE32\)")
        self.assertRegex(text, r"Subsystem\s+00000002\s+\(Windows GUI\)")

    def test_imports_only_system_libraries(self):
        dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", headers(self.exe))}
        self.assertIn("kernel32.dll", dlls)
        self.assertEqual(dlls - SYSTEM_DLLS, set())

    def test_entry_is_wwinmain(self):
        symbols = subprocess.run(["i686-w64-mingw32-nm", str(self.exe)], check=True,
                                 capture_output=True, text=True).stdout
        self.assertRegex(symbols, r" T _wWinMain@16\n")

    def test_manifest_runs_as_invoker_with_common_controls_6(self):
        data = self.exe.read_bytes()
        self.assertRegex(data, rb'requestedExecutionLevel level="asInvoker"')
        self.assertRegex(data, rb'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"')


class LauncherImageTest(unittest.TestCase):
    exe = BIN / "TVRLaunch.exe"
    test_pe32_gui_for_i386 = UpdaterImageTest.test_pe32_gui_for_i386
    test_imports_only_system_libraries = UpdaterImageTest.test_imports_only_system_libraries
    test_entry_is_wwinmain = UpdaterImageTest.test_entry_is_wwinmain

    def test_manifest_requires_administrator(self):
        self.assertRegex(self.exe.read_bytes(), rb'requestedExecutionLevel level="requireAdministrator"')


if __name__ == "__main__":
    unittest.main()
