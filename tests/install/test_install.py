#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks what a desktop needs to open trace
files with Vistrel: the programs, a valid desktop entry naming the trace types, its icon, and
a MIME description that the shared MIME database accepts with the three extensions."""
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

BUILD = sys.argv.pop(1)
TYPES = {
    "ab1": "application/x-abi-chromatogram",
    "abi": "application/x-abi-chromatogram",
    "scf": "application/x-scf-chromatogram",
}


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.prefix = pathlib.Path(cls.folder.name)
        subprocess.run(["cmake", "--install", BUILD, "--prefix", str(cls.prefix)],
                       check=True, stdout=subprocess.DEVNULL)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_programs_are_installed(self):
        for name in ("vistrel", "vistrel-trace"):
            program = self.prefix / "bin" / name
            self.assertTrue(os.access(program, os.X_OK), program)

    def test_desktop_entry_opens_the_trace_types(self):
        entry = self.prefix / "share/applications/vistrel.desktop"
        subprocess.run(["desktop-file-validate", str(entry)], check=True)
        fields = dict(line.split("=", 1) for line in entry.read_text().splitlines() if "=" in line)
        self.assertEqual(fields["Exec"].split()[0], "vistrel")
        self.assertEqual(set(filter(None, fields["MimeType"].split(";"))), set(TYPES.values()))
        icon = self.prefix / "share/icons/hicolor/scalable/apps" / (fields["Icon"] + ".svg")
        self.assertTrue(icon.is_file(), icon)

    def test_mime_database_knows_the_extensions(self):
        database = self.prefix / "share/mime"
        subprocess.run(["update-mime-database", str(database)], check=True)
        globs = (database / "globs2").read_text()
        for extension, mime_type in TYPES.items():
            self.assertIn(f":{mime_type}:*.{extension}\n", globs)


if __name__ == "__main__":
    unittest.main()
