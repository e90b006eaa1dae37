"""vistrel --export-pdf and --export-png as a user runs them, without a display: the PDF's page
tree and header text, the PNG's size under the stored zooms, and the failures with their messages,
exit codes and no output left behind; and --help and --version, which need no display either.

usage: test_export.py VISTREL VISTREL_TRACE SAMPLE_FOLDER TEST_DATA_FOLDER
"""
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

VISTREL = TRACE_TOOL = SAMPLES = TEST_DATA = None
HAVE_POPPLER = shutil.which("pdfinfo") is not None and shutil.which("pdftotext") is not None


class ExportCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.tmp)
        self.config = os.path.join(self.tmp, "config")
        os.mkdir(self.config)
        self.out = os.path.join(self.tmp, "out")
        os.mkdir(self.out)
        self.sample = os.path.join(SAMPLES, "sample.ab1")

    def settings(self, **options):
        with open(os.path.join(self.config, "vistrel.ini"), "w") as f:
            f.write("[Options]\n")
            for key, value in options.items():
                f.write(f"{key.replace('_', ' ')}={value}\n")

    def run_vistrel(self, *args):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["XDG_CONFIG_HOME"] = self.config
        return subprocess.run([VISTREL, *args], capture_output=True, text=True, env=env,
                              timeout=120)

    def export(self, *args):
        result = self.run_vistrel(*args)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertNotIn("vistrel:", result.stderr)
        return result


def dump(path):
    result = subprocess.run([TRACE_TOOL, "dump", path], capture_output=True, text=True,
                            timeout=120)
    assert result.returncode == 0, result.stderr
    return json.loads(result.stdout)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(26)
    assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", head
    return struct.unpack(">II", head[16:24])


def flat_scf(path, samples):
    """Writes an SCF 3.00 file of `samples` zero samples in each channel and no bases."""
    end = 128 + 8 * samples
    header = struct.pack(">4s8I4s4I", b".scf", samples, 128, 0, 0, 0, end, 0, end, b"3.00", 2, 0,
                         0, 0)
    with open(path, "wb") as f:
        f.write(header.ljust(128, b"\0") + bytes(8 * samples))


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    size = re.search(r"^Page size:.*\((\w+)\)", info, re.M).group(1)
    return pages, size


def pdf_text(path, page):
    text = subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), path, "-"],
                          capture_output=True, text=True, check=True).stdout
    return " ".join(text.split())


class Pdf(ExportCase):
    def traces(self):
        yield self.sample
        real = os.path.join(TEST_DATA, "abi", "3730.ab1")
        if os.path.exists(real):
            yield real

    @unittest.skipUnless(HAVE_POPPLER, "pdfinfo and pdftotext are missing")
    def test_every_page_is_in_the_page_tree_under_its_header(self):
        for trace in self.traces():
            d = dump(trace)
            for option, paper in ((None, "A4"), ("Letter", "letter"), ("a4", "A4")):
                with self.subTest(trace=trace, paper=option):
                    pdf = os.path.join(self.out, "trace.pdf")
                    self.export("--export-pdf", pdf, *(["--page-size", option] if option else []),
                                trace)
                    pages, size = pdf_pages(pdf)
                    self.assertEqual(size, paper)
                    first = pdf_text(pdf, 1)
                    for text in ("Vistrel 1.45", d["fileInfoText"], d["sampleNameText"],
                                 d["runEndedText"], f"Page 1 of {pages}"):
                        self.assertIn(" ".join(text.split()), first)
                    self.assertIn(f"Page {pages} of {pages}", pdf_text(pdf, pages))


class Png(ExportCase):
    def test_the_whole_trace_is_as_wide_as_the_x_zoom_makes_it(self):
        samples = dump(self.sample)["maxSampleCount"]
        heights = set()
        # A stored Fit To Window (-3) draws at X zoom 1.
        for zoom, width in ((0, samples), (1, 2 * samples), (2, 4 * samples),
                            (-1, math.ceil(samples / 2)), (-2, math.ceil(samples / 4)),
                            (-3, samples)):
            with self.subTest(zoom=zoom):
                self.settings(X_Zoom=zoom)
                png = os.path.join(self.out, "trace.png")
                self.export("--export-png", png, self.sample)
                size = png_size(png)
                self.assertEqual(size[0], width)
                heights.add(size[1])
        self.assertEqual(len(heights), 1)
        # The small Y scale is 100 pixels lower.
        self.settings(Y_scale=4)
        self.export("--export-png", png, self.sample)
        self.assertEqual(png_size(png)[1], heights.pop() - 100)

    def test_an_image_wider_than_png_allows_is_refused_before_it_is_made(self):
        trace = os.path.join(self.tmp, "long.scf")
        flat_scf(trace, 300000)
        self.settings(X_Zoom=2)
        png = os.path.join(self.out, "long.png")
        result = self.run_vistrel("--export-png", png, trace)
        self.assertEqual(result.returncode, 1, result.stderr)
        for text in (png + ": The image would be 1200000 pixels wide", "at most 1000000",
                     "--bases FIRST-LAST", "a lower X zoom"):
            self.assertIn(text, result.stderr)
        self.assertFalse(os.path.exists(png))


class Information(ExportCase):
    def test_help_and_version_go_to_stdout(self):
        for option, text in (("--help", "usage: vistrel [FILE [--base N]]"), ("--version", "Vistrel 1.45")):
            with self.subTest(option=option):
                result = self.run_vistrel(option)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(text, result.stdout)
                self.assertEqual(result.stderr, "")

    def test_a_contig_window_without_reads_is_a_usage_error(self):
        result = self.run_vistrel("--contig", "--ref", "clone.fa")
        self.assertEqual(result.returncode, 2)
        self.assertIn("vistrel: no trace file given\n", result.stderr)


class Failures(ExportCase):
    def test_failures_say_why_and_leave_the_output_as_it_was(self):
        not_trace = os.path.join(self.tmp, "notes.ab1")
        with open(not_trace, "w") as f:
            f.write("not a trace\n")
        missing = os.path.join(self.tmp, "missing.ab1")
        pdf, png = os.path.join(self.out, "x.pdf"), os.path.join(self.out, "x.png")
        copy = os.path.join(self.out, "copy.ab1")
        shutil.copy(self.sample, copy)
        folder = os.path.join(self.out, "folder")
        os.mkdir(folder)
        for path in (pdf, png):
            with open(path, "wb") as f:
                f.write(b"earlier")
        before = {name: open(os.path.join(self.out, name), "rb").read()
                  for name in os.listdir(self.out) if name != "folder"}
        cases = [
            (["--export-pdf", pdf, missing], 1, missing + ": File not found"),
            (["--export-png", png, not_trace], 1,
             not_trace + ": Not an ABI or SCF file, or data is corrupt"),
            (["--export-pdf", os.path.join(self.tmp, "none", "x.pdf"), self.sample], 1,
             "Path not found"),
            (["--export-png", folder, self.sample], 1, folder + ": Access denied"),
            (["--export-png", copy, copy], 1, "would replace the trace file"),
            (["--export-png", png, "--bases", "690-701", self.sample], 1,
             "Bases 690 to 701 are not within the sequence of 700 bases"),
            (["--export-png", png, "--bases", "0-5", self.sample], 2, "--bases takes FIRST-LAST"),
            (["--export-png", png, "--bases", "9-3", self.sample], 2, "the first base is after"),
            (["--export-pdf", pdf, "--page-size", "A3", self.sample], 2,
             'unknown page size "A3"'),
            (["--export-png", png, "--page-size", "A4", self.sample], 2,
             "--page-size goes with --export-pdf"),
            (["--export-png", png], 2, "no trace file given"),
            # A name longer than a file system takes is no file, and no reason to stop.
            (["--export-png", png, "--" + "x" * 300, self.sample], 2, "unknown option --xxx"),
            # A path is a trace file, never the Y-scale switch of the window.
            (["--export-pdf", pdf, "/s"], 1, "/s: File not found"),
        ]
        for args, code, message in cases:
            with self.subTest(args=args):
                result = self.run_vistrel(*args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn("vistrel: ", result.stderr)
                self.assertIn(message, result.stderr)
                # Nothing written, replaced or left half-made.
                self.assertEqual(sorted(os.listdir(self.out)), sorted([*before, "folder"]))
                self.assertEqual(os.listdir(folder), [])
                for name, data in before.items():
                    with open(os.path.join(self.out, name), "rb") as f:
                        self.assertEqual(f.read(), data, name)


if __name__ == "__main__":
    VISTREL, TRACE_TOOL, SAMPLES, TEST_DATA = (os.path.abspath(a) for a in sys.argv[1:5])
    unittest.main(argv=sys.argv[:1], verbosity=1)
