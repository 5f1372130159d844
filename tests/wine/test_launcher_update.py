"""The staged update: the download's leftovers cleared, the package taken
out of temp and applied over the launcher's folder before the client starts;
a file in use, a damaged package, a copy that fails."""

import io
import unittest
import zipfile

from test_launcher_common import LANGS, LauncherTestCase

LEFTOVERS = ["temp\\Updater.exe", "temp\\update.td0", "temp\\update.td1", "temp\\update.td2",
             "temp\\update.td3", "temp\\update.td"]


def make_package(entries, method=zipfile.ZIP_DEFLATED):
    """A zip of {name: bytes}; a name ending in '/' is a folder."""
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", method) as z:
        for name, content in entries.items():
            if name.endswith("/"):
                z.writestr(zipfile.ZipInfo(name), b"")
            else:
                z.writestr(name, content)
    return data.getvalue()


def damage_entry(package, name):
    """The package with one byte of a stored entry's data changed: its CRC no longer matches."""
    with zipfile.ZipFile(io.BytesIO(package)) as z:
        info = z.getinfo(name)
    assert info.compress_type == zipfile.ZIP_STORED and info.file_size > 0
    header = package[info.header_offset:info.header_offset + 30]
    name_length, extra_length = int.from_bytes(header[26:28], "little"), int.from_bytes(header[28:30], "little")
    data_at = info.header_offset + 30 + name_length + extra_length
    damaged = bytearray(package)
    damaged[data_at] ^= 0xFF
    return bytes(damaged)


PACKAGE = {
    "a.txt": b"new a",
    "sub/b.txt": b"new b in a new folder",
    "empty/": b"",
    "课堂.txt": "新的".encode("utf-8"),
}


class UpdateTest(LauncherTestCase):
    ROOT = "C:\\Update"

    def write(self, rel, content):
        path = self.inst.unix(rel)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)

    def tree(self):
        """{relative path: bytes or 'folder'} of the installation, without the client's records."""
        found = {}
        for path in self.inst.unix().rglob("*"):
            rel = "\\".join(path.relative_to(self.inst.unix()).parts)
            if rel == "rec" or rel.startswith("rec\\"):
                continue
            found[rel] = "folder" if path.is_dir() else path.read_bytes()
        return found

    def launch(self, lang="en_US.UTF-8", args="tuvora://open?lesson=3"):
        with self.launcher(args, lang) as run:
            self.assertEqual(run.wait().exit_code, 0)
            client = self.wait_for_new_client({})
        # The client starts in the launcher's folder, after the update.
        self.assertEqual(client["cwd"], self.inst.windows())
        self.assertEqual(client["args"], args.split("tuvora://", 1)[-1])

    def stage_with_leftovers(self, package):
        for rel in LEFTOVERS:
            self.write(rel, b"leftover")
        self.write("temp\\zlib.dll", b"library")
        self.write("temp\\update.zip", package)
        self.write("a.txt", b"old a")
        self.write("keep.txt", b"untouched")

    def test_staged_package_is_applied_and_the_staging_folder_cleared(self):
        # A folder outside every ANSI code page: staging paths are wide throughout.
        for lang in LANGS:
            for root in ("C:\\Update", "C:\\课堂한\\Tuvora"):
                with self.subTest(lang=lang, root=root):
                    self.inst = self.install(root)
                    self.stage_with_leftovers(make_package(PACKAGE))
                    before = self.tree()
                    self.launch(lang)
                    expected = {k: v for k, v in before.items()
                                if k not in LEFTOVERS and k != "temp\\update.zip"}
                    expected.update({"a.txt": b"new a", "sub": "folder", "sub\\b.txt": b"new b in a new folder",
                                     "empty": "folder", "课堂.txt": "新的".encode("utf-8")})
                    self.assertEqual(self.tree(), expected)

    def test_a_package_beside_the_launcher_is_applied_without_anything_staged(self):
        self.write("a.txt", b"old a")
        self.write("update.zip", make_package({"a.txt": b"new a"}))
        self.launch()
        self.assertEqual(self.inst.unix("a.txt").read_bytes(), b"new a")
        self.assertFalse(self.inst.unix("update.zip").exists())

    def test_only_leftovers_are_deleted_and_nothing_is_applied(self):
        for rel in LEFTOVERS:
            self.write(rel, b"leftover")
        self.write("a.txt", b"old a")
        before = self.tree()
        self.launch()
        self.assertEqual(self.tree(), {k: v for k, v in before.items() if k not in LEFTOVERS})

    def test_a_file_in_use_fails_alone_and_the_others_apply(self):
        self.write("a.txt", b"old a")
        self.start_client("en_US.UTF-8", exe="zenboclient.exe", serves_pipe=False)
        before = self.tree()
        # The running second client process and the running launcher itself.
        self.write("temp\\update.zip", make_package({
            "zenboclient.exe": b"new zenbo", "TVRLaunch.exe": b"new launcher", "a.txt": b"new a"}))
        self.launch()
        after = self.tree()
        self.assertEqual(after["zenboclient.exe"], before["zenboclient.exe"])
        self.assertEqual(after["TVRLaunch.exe"], before["TVRLaunch.exe"])
        self.assertEqual(after["a.txt"], b"new a")
        self.assertNotIn("update.zip", after)
        self.assertNotIn("temp\\update.zip", after)

    def test_a_damaged_package_changes_no_installed_file(self):
        package = make_package({"a.txt": b"new a", "sub/b.txt": b"new b", "c.txt": b"new c"}, zipfile.ZIP_STORED)
        for damaged in (damage_entry(package, "sub/b.txt"), package[:len(package) // 2], b"not a zip"):
            with self.subTest(size=len(damaged)):
                self.inst = self.install(self.ROOT)
                self.stage_with_leftovers(damaged)
                before = self.tree()
                self.launch()
                # The package is deleted; it would fail the same way at every start.
                self.assertEqual(self.tree(), {k: v for k, v in before.items()
                                               if k not in LEFTOVERS and k != "temp\\update.zip"})

    def test_a_failed_copy_out_of_staging_keeps_the_staged_package(self):
        package = make_package({"a.txt": b"new a"})
        self.stage_with_leftovers(package)
        # A folder of the package's name: the copy cannot replace it.
        self.inst.unix("update.zip").mkdir()
        self.launch()
        self.assertEqual(self.inst.unix("temp\\update.zip").read_bytes(), package)
        self.assertEqual(self.inst.unix("a.txt").read_bytes(), b"old a")


if __name__ == "__main__":
    unittest.main()
