"""The qc report page, loaded in a real browser (headless chromium) from real files.

usage: test_report.py VISTREL_TRACE TEST_DATA
The run holds the real ABI and SCF files, copies of real reads named after wells in three
folders (a 96-well plate, one reaching row P, one column 24) and a damaged file whose name
holds HTML.
Exits 77 when the test data has not been fetched or chromium is not installed.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from html.parser import HTMLParser

TOOL = None
DATA = None
CHROMIUM = "/usr/bin/chromium"
VOID = {"meta", "link", "br", "img", "input", "hr", "col", "wbr"}


class Dom(HTMLParser):
    """Every element with its attributes, its text and the attributes of its ancestors."""

    def __init__(self, text):
        super().__init__()
        self.elements, self.open = [], []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        element = {"tag": tag, "attrs": dict(attrs), "text": "",
                   "parents": [dict(e["attrs"], tag=e["tag"]) for e in self.open]}
        self.elements.append(element)
        if tag not in VOID:
            self.open.append(element)

    def handle_endtag(self, tag):
        while self.open and self.open.pop()["tag"] != tag:
            pass

    def handle_data(self, data):
        for element in self.open:
            element["text"] += data

    def find(self, tag, **within):
        return [e for e in self.elements if e["tag"] == tag and all(
            any(p.get(k) == v for p in e["parents"]) for k, v in within.items())]


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def table(tsv):
    lines = tsv.splitlines()
    names = lines[0].split("\t")
    return [dict(zip(names, line.split("\t"))) for line in lines[1:]]


class Report(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        # A well below H or right of 12 each alone makes a plate one of 384.
        cls.plate96, cls.rows384, cls.columns384 = (
            os.path.join(cls.tmp, name) for name in ("p96", "p384rows", "p384columns"))
        for folder in (cls.plate96, cls.rows384, cls.columns384):
            os.mkdir(folder)
        scf = os.path.join(DATA, "scf")
        copies = {(cls.plate96, "A01.scf"): "3730.v3.scf", (cls.plate96, "H12.scf"): "310.v3.scf",
                  (cls.plate96, "D05.scf"): "empty.v3.scf", (cls.rows384, "B02.scf"): "3730.v3.scf",
                  (cls.rows384, "P07.scf"): "no_smpl1.v3.scf",
                  (cls.columns384, "H24.scf"): "3730.v3.scf"}
        for (folder, name), source in copies.items():
            shutil.copy(os.path.join(scf, source), os.path.join(folder, name))
        cls.damaged = os.path.join(cls.plate96, "C03 <b>&'x\".ab1")
        with open(cls.damaged, "wb") as f:
            f.write(b"ABIF\0\1")
        cls.files = (sorted(glob.glob(os.path.join(DATA, "abi", "*.ab1"))) +
                     sorted(glob.glob(os.path.join(scf, "*.scf"))) +
                     sorted(glob.glob(os.path.join(cls.plate96, "*"))) +
                     sorted(glob.glob(os.path.join(cls.rows384, "*"))) +
                     sorted(glob.glob(os.path.join(cls.columns384, "*"))))
        cls.page = os.path.join(cls.tmp, "report.html")
        r = run("qc", "--html", cls.page, *cls.files)
        assert r.returncode == 1, r.stderr  # the damaged file is an error row
        cls.rows = table(r.stdout)
        cls.dom = Dom(cls.load())

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    @classmethod
    def load(cls, fragment=""):
        r = subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                            "--user-data-dir=" + os.path.join(cls.tmp, "profile"),
                            "--dump-dom", "file://" + cls.page + fragment],
                           capture_output=True, text=True, timeout=120)
        assert r.returncode == 0 and "<tbody>" in r.stdout, r.stderr
        return r.stdout

    def reads(self, dom):
        """The table's rows as {class of cell: text}, in the order shown."""
        rows = []
        for e in dom.elements:
            inside = any(p.get("id") == "reads" for p in e["parents"])
            if e["tag"] == "tr" and inside and e["parents"][-1]["tag"] == "tbody":
                rows.append({})
            elif e["tag"] == "td" and inside:
                rows[-1][e["attrs"]["class"].split()[-1]] = e["text"]
        return rows

    def test_one_row_per_file_with_names_as_given_and_the_error_message(self):
        shown = self.reads(self.dom)
        self.assertEqual([r["c-file"] for r in shown], self.files)
        self.assertEqual([r["c-status"] for r in shown], [r["status"] for r in self.rows])
        broken = shown[self.files.index(self.damaged)]
        self.assertEqual(broken["c-status"], "error")
        self.assertEqual(broken["c-message"], self.rows[self.files.index(self.damaged)]["message"])
        self.assertTrue(broken["c-message"])
        self.assertEqual(len(self.dom.find("polyline", id="reads")),
                         sum(1 for r in self.rows if r["profile"]))

    def test_plate_maps_colour_each_well_by_its_reads_status(self):
        for plate, size, expected in [
                (self.plate96, 96, {"A01": "pass", "H12": "weak", "D05": "fail", "C03": "error"}),
                (self.rows384, 384, {"B02": "pass", "P07": "weak"}),
                (self.columns384, 384, {"H24": "pass"})]:
            with self.subTest(plate):
                wells = self.dom.find("td", **{"data-plate": plate})
                self.assertEqual(len(wells), size)
                status = {w["attrs"]["data-well"]: w["attrs"].get("data-status") for w in wells}
                self.assertEqual({k: v for k, v in status.items() if v}, expected)
                for w in wells:
                    if w["attrs"]["data-well"] in expected:
                        self.assertIn("s-" + expected[w["attrs"]["data-well"]],
                                      w["attrs"]["class"])
                        path = os.path.join(plate, w["attrs"]["data-well"])
                        (file,) = (f for f in self.files if f.startswith(path))
                        self.assertIn(file, w["attrs"]["title"])
        # Plates named inside ABI files: a well read alone shows that read's status.
        per_well = {}
        for r in self.rows:
            if r["well"]:
                per_well.setdefault((r["plate"], r["well"]), []).append(r["status"])
        for (plate, well), statuses in per_well.items():
            if len(statuses) == 1:
                cell = [w for w in self.dom.find("td", **{"data-plate": plate})
                        if w["attrs"]["data-well"] == well]
                self.assertEqual([c["attrs"]["data-status"] for c in cell], statuses, well)

    def test_a_well_of_several_reads_lists_each_on_a_line_of_its_own(self):
        folder = os.path.join(self.tmp, "twice")
        os.mkdir(folder)
        names = [os.path.join(folder, n) for n in ("A01.scf", "A01-again.scf")]
        for name in names:
            shutil.copy(os.path.join(DATA, "scf", "3730.v3.scf"), name)
        page = os.path.join(self.tmp, "twice.html")
        rows = table(run("qc", "--html", page, *names).stdout)
        with open(page, encoding="utf-8") as f:
            (cell,) = [w for w in Dom(f.read()).find("td") if "data-status" in w["attrs"]]
        self.assertEqual(cell["attrs"]["title"].split("\n"), ["A01"] + [
            f"{name}: pass, {row['trimmed_length']} bp" for name, row in zip(names, rows)])

    def test_summary_figures(self):
        # Two reads of different lengths: the median of an even count lies between them.
        pair = [os.path.join(self.plate96, "A01.scf"), os.path.join(self.plate96, "H12.scf")]
        for files in (self.files, pair):
            page = os.path.join(self.tmp, f"summary{len(files)}.html")
            rows = table(run("qc", "--html", page, *files).stdout)
            with open(page, encoding="utf-8") as f:
                dom = self.dom if files == self.files else Dom(f.read())
            figures = {p["data-figure"]: b["text"] for b in dom.find("b")
                       for p in b["parents"] if "data-figure" in p}
            lengths = sorted(int(r["trimmed_length"]) for r in rows if r["trimmed_length"])
            half = len(lengths) // 2
            median = lengths[half] if len(lengths) % 2 else (lengths[half - 1] + lengths[half]) / 2
            qualities = [float(r["mean_quality"]) for r in rows if r["mean_quality"]]
            expected = {"files": str(len(files)), "median trimmed length": f"{median:g}",
                        "mean quality": f"{sum(qualities) / len(qualities):.1f}"}
            for status in ("pass", "weak", "fail", "error"):
                expected[status] = str(sum(1 for r in rows if r["status"] == status))
            self.assertEqual(figures, expected)

    def test_self_contained_and_the_same_from_merged_parts(self):
        with open(self.page, encoding="utf-8") as f:
            page = f.read()
        for outside in ("http:", "https:", "src=", "<link", "@import", "url("):
            self.assertNotIn(outside, page.lower())
        half = len(self.files) // 2
        parts = []
        for i, (files, form) in enumerate([(self.files[:half], "tsv"), (self.files[half:], "json")]):
            parts.append(os.path.join(self.tmp, f"part{i}"))
            with open(parts[-1], "w", encoding="utf-8") as f:
                f.write(run("qc", "--format", form, *files).stdout)
        merged = os.path.join(self.tmp, "merged.html")
        run("qc", "--merge", "--html", merged, *parts)
        with open(merged, encoding="utf-8") as f:
            self.assertEqual(f.read(), page)

    def test_sorting_numbers_numerically_in_both_directions(self):
        values = [r["trimmed_length"] for r in self.rows]
        for fragment, sign in (("#sort=trimmed_length", 1), ("#sort=-trimmed_length", -1)):
            with self.subTest(fragment):
                shown = [r["c-file"] for r in self.reads(Dom(self.load(fragment)))]
                # Empty values last either way; equal values keep the order of the files.
                order = sorted(range(len(values)), key=lambda i: (
                    values[i] == "", sign * int(values[i] or 0), i))
                self.assertEqual(shown, [self.files[i] for i in order])

    def test_html_option_errors(self):
        r = run("qc", "--html", "", self.files[0])
        self.assertEqual(r.returncode, 2)
        page = os.path.join(self.tmp, "missing", "report.html")
        r = run("qc", "--html", page, self.files[0])
        self.assertEqual(r.returncode, 1)
        self.assertTrue(r.stderr.startswith(page + ": "), r.stderr)


def main():
    global TOOL, DATA
    TOOL, DATA = sys.argv[1], sys.argv[2]
    if not os.path.isdir(os.path.join(DATA, "abi")):
        print("test data not fetched; run scripts/fetch-test-data", file=sys.stderr)
        return 77
    if not os.access(CHROMIUM, os.X_OK):
        print("chromium not installed; run scripts/install-deps", file=sys.stderr)
        return 77
    program = unittest.main(argv=[sys.argv[0]], exit=False, verbosity=1)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
