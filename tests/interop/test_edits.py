"""`vistrel-trace edits` on edited traces planted here from a real control trace.

usage: test_edits.py VISTREL_TRACE TEST_DATA
Each edited file is a copy of test-data/abi/3730.ab1 whose analysed traces are a mixture of
allele traces with known fractions (a deletion cuts its bases' samples out at the cut, an
insertion repeats the base before it). Checked: the table and JSON against the planted
fractions, the alleles file, the base-editing table against peak heights read here, failed
files as rows, -j 2 as -j 1, and the page in headless chromium.
Exits 77 when the test data has not been fetched.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from html.parser import HTMLParser

TOOL = None
DATA = None
CHROMIUM = "/usr/bin/chromium"
COLUMNS = ["file", "control", "guide", "strand", "cut", "r_squared", "indel_percent",
           "frameshift_percent", "ko_score", "donor_percent", "wild_type_percent",
           "top_alleles", "message"]
COMPLEMENT = str.maketrans("ACGT", "TGCA")


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def table(text):
    lines = text.splitlines()
    return [dict(zip(lines[0].split("\t"), line.split("\t"))) for line in lines[1:]]


class Abif:
    """The entries of an ABIF file that a planted copy needs: traces, base order, calls."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.image = bytearray(f.read())
        count, offset = struct.unpack(">i4xi", self.image[18:30])
        self.entries, self.directory = {}, {}
        for k in range(count):
            at = offset + 28 * k
            name, number, _, size, elements, length, data = struct.unpack(
                ">4sihhiii", self.image[at:at + 24])
            start = at + 20 if length <= 4 else data
            self.entries[(name.decode(), number)] = (start, elements, size)
            self.directory[(name.decode(), number)] = at
        order = self.raw("FWO_", 1).decode()
        self.channels = {letter: 9 + i for i, letter in enumerate(order)}
        self.bases = self.raw("PBAS", 2).decode()
        self.peaks = self.array("PLOC", 2)

    def raw(self, name, number):
        start, elements, size = self.entries[(name, number)]
        return bytes(self.image[start:start + elements * size])

    def array(self, name, number):
        start, elements, _ = self.entries[(name, number)]
        return list(struct.unpack(">%dh" % elements, self.image[start:start + 2 * elements]))

    def trace(self, letter):
        return self.array("DATA", self.channels[letter])

    def set_trace(self, letter, values):
        start, elements, _ = self.entries[("DATA", self.channels[letter])]
        clipped = [max(0, min(32767, round(v))) for v in values]
        self.image[start:start + 2 * elements] = struct.pack(">%dh" % elements, *clipped)

    def base_start(self, i):
        return (self.peaks[i - 1] + self.peaks[i]) // 2

    def allele(self, letter, cut, size):
        s = self.trace(letter)
        n, at = len(s), self.base_start(cut)
        if size < 0:
            s = s[:at] + s[self.base_start(cut - size):]
        else:
            s = s[:at] + s[self.base_start(cut - 1):at] * size + s[at:]
        return (s + [0] * n)[:n]

    def write_mixture(self, path, cut, planted, well=None):
        copy = Abif.__new__(Abif)
        copy.__dict__ = dict(self.__dict__, image=bytearray(self.image))
        if well:
            # The well the file says it was in, which the plate map takes first: a new text
            # at the end of the file.
            text = bytes([len(well)]) + well.encode()
            at = self.directory[("TUBE", 1)]
            copy.image[at + 12:at + 24] = struct.pack(">iii", len(text), len(text), len(copy.image))
            copy.image += text
        for letter in "ACGT":
            alleles = [(w, self.allele(letter, cut, size)) for size, w in planted.items()]
            copy.set_trace(letter, [sum(w * a[i] for w, a in alleles)
                                    for i in range(len(alleles[0][1]))])
        with open(path, "wb") as f:
            f.write(copy.image)
        return copy


class Dom(HTMLParser):
    def __init__(self, text):
        super().__init__()
        self.elements, self.open = [], []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        element = {"tag": tag, "attrs": dict(attrs), "text": "",
                   "parents": [dict(e["attrs"], tag=e["tag"]) for e in self.open]}
        self.elements.append(element)
        if tag != "meta":
            self.open.append(element)

    def handle_endtag(self, tag):
        while self.open and self.open.pop()["tag"] != tag:
            pass

    def handle_data(self, data):
        for element in self.open:
            element["text"] += data

    def within(self, tag, **attrs):
        return [e for e in self.elements if e["tag"] == tag and all(
            any(p.get(k) == v for p in e["parents"]) for k, v in attrs.items())]


# Planted mixtures, by well: the guide's strand and each allele's fraction.
PLANTED = {
    "A01": ("+", {0: 0.5, -1: 0.3, 1: 0.2}),
    "A02": ("+", {-20: 0.4, 20: 0.35, 0: 0.25}),
    "B05": ("-", {0: 0.2, -3: 0.5, 2: 0.3}),
    "H12": ("-", {-5: 0.6, 3: 0.4}),
}
GUIDE_START = 250  # 0-based first base of the forward guide in the control


class Edits(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.control = os.path.join(DATA, "abi", "3730.ab1")
        cls.abif = Abif(cls.control)
        forward = cls.abif.bases[GUIDE_START:GUIDE_START + 20]
        cls.guides = {"+": (forward, GUIDE_START + 17),
                      "-": (forward[::-1].translate(COMPLEMENT), GUIDE_START + 3)}
        cls.plate = os.path.join(cls.tmp, "plate")
        os.mkdir(cls.plate)
        cls.files = {}
        for well, (strand, planted) in PLANTED.items():
            path = os.path.join(cls.plate, well + ".ab1")
            cls.abif.write_mixture(path, cls.guides[strand][1], planted, well)
            cls.files[well] = path

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def edits(self, strand, *args):
        return run("edits", "--control", self.control, "--guide", self.guides[strand][0], *args)

    def test_planted_fractions_in_the_table_and_json_and_the_alleles_file(self):
        for strand in "+-":
            wells = [w for w, (s, _) in PLANTED.items() if s == strand]
            files = [self.files[w] for w in wells]
            alleles = os.path.join(self.tmp, "alleles" + strand)
            r = self.edits(strand, "--alleles", alleles, *files)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(r.stdout.splitlines()[0].split("\t"), COLUMNS)
            rows = table(r.stdout)
            with open(alleles) as f:
                shares = {}
                lines = f.read().splitlines()
            self.assertEqual(lines[0], "file\tallele\tpercent")
            for line in lines[1:]:
                file, allele, percent = line.split("\t")
                shares.setdefault(file, {})[allele] = float(percent)
            for well, row in zip(wells, rows):
                with self.subTest(well):
                    planted = PLANTED[well][1]
                    got = shares[row["file"]]
                    self.assertEqual(len(got), 41)
                    self.assertAlmostEqual(sum(got.values()), 100, delta=0.1 * 41)
                    for size in range(-20, 21):
                        name = "%+d" % size if size else "0"
                        self.assertAlmostEqual(got[name], 100 * planted.get(size, 0), delta=2)
                    self.assertEqual((row["strand"], int(row["cut"])),
                                     (strand, self.guides[strand][1]))
                    self.assertGreaterEqual(float(row["r_squared"]), 0.95)
                    indel = sum(v for k, v in planted.items() if k) * 100
                    shift = sum(v for k, v in planted.items() if k % 3) * 100
                    self.assertAlmostEqual(float(row["indel_percent"]), indel, delta=2)
                    self.assertAlmostEqual(float(row["frameshift_percent"]), shift, delta=2)
                    self.assertEqual(row["ko_score"], row["frameshift_percent"])
                    self.assertEqual(row["donor_percent"], "")
                    self.assertAlmostEqual(float(row["wild_type_percent"]),
                                           100 * planted.get(0, 0), delta=2)
                    top = sorted((-v, k) for k, v in planted.items() if k)[:3]
                    self.assertEqual([a.split(":")[0] for a in row["top_alleles"].split(",")],
                                     ["%+d" % k for _, k in top])
            lines = self.edits(strand, "--format", "json", *files).stdout.splitlines()
            for line, row in zip(lines, rows):
                record = json.loads(line)
                self.assertEqual(list(record), COLUMNS)
                self.assertEqual(record["donor_percent"], None)
                self.assertEqual(record["cut"], int(row["cut"]))
                self.assertEqual(record["indel_percent"], float(row["indel_percent"]))

    def test_failed_samples_are_rows_with_their_message_and_jobs_keep_the_order(self):
        damaged = os.path.join(self.tmp, "damaged.ab1")
        with open(damaged, "wb") as f:
            f.write(b"ABIF\0\1")
        other = os.path.join(DATA, "abi", "3100.ab1")
        files = [self.files["A01"], other, damaged, self.files["A02"]]
        one = self.edits("+", "-j", "1", *files)
        self.assertEqual(one.returncode, 1)
        self.assertEqual(self.edits("+", "-j", "2", *files).stdout, one.stdout)
        rows = table(one.stdout)
        self.assertEqual([r["file"] for r in rows], files)
        for row in rows[1:3]:
            self.assertTrue(row["message"])
            self.assertNotIn("\n", row["message"])
            self.assertEqual([row[c] for c in COLUMNS[3:12]], [""] * 9)
        self.assertIn("does not match the control before the cut", rows[1]["message"])
        self.assertEqual(rows[0]["message"], "")

        # A guide the control lacks fails every sample, naming the nearest match.
        guide = self.guides["+"][0]
        wrong = "".join("A" if c != "A" else "C" for c in guide[:4]) + guide[4:]
        r = run("edits", "--control", self.control, "--guide", wrong, self.files["A01"])
        self.assertEqual(r.returncode, 1)
        (row,) = table(r.stdout)
        self.assertIn("nearest match is " + guide, row["message"])
        self.assertIn("nearest match", r.stderr)
        for args in (["--guide", "ACGT"], ["--max-indel", "0"], ["--html", ""],
                     ["--format", "xml"], ["--cut-offset", "-1"]):
            self.assertEqual(self.edits("+", *args, self.files["A01"]).returncode, 2, args)

    def test_base_editing_shares_are_the_peak_heights(self):
        # Protospacer positions 5 to 7 carry 40% of their signal in the next channel.
        guide, cut = self.guides["+"]
        path = os.path.join(self.tmp, "base-edited.ab1")
        copy = self.abif.write_mixture(path, cut, {0: 1.0})
        traces = {letter: copy.trace(letter) for letter in "ACGT"}
        for position in range(5, 8):
            i = GUIDE_START + position - 1
            own = self.abif.bases[i]
            into = "ACGT"[("ACGT".index(own) + 1) % 4]
            for s in range(copy.base_start(i), copy.base_start(i + 1)):
                moved = 0.4 * traces[own][s]
                traces[own][s] -= moved
                traces[into][s] += moved
        for letter in "ACGT":
            copy.set_trace(letter, traces[letter])
        with open(path, "wb") as f:
            f.write(copy.image)
        r = self.edits("+", "--base-edit", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        main, extra = r.stdout.split("\n\n")
        self.assertEqual(len(table(main)), 1)
        rows = table(extra)
        self.assertEqual([int(row["position"]) for row in rows], list(range(1, 21)))
        for row in rows:
            with self.subTest(row["position"]):
                i = GUIDE_START + int(row["position"]) - 1
                peak = copy.peaks[i]
                heights = {letter: max(0, copy.trace(letter)[peak]) for letter in "ACGT"}
                total = sum(heights.values())
                for letter in "ACGT":
                    self.assertAlmostEqual(float(row[letter]), 100 * heights[letter] / total,
                                           delta=0.051)
                self.assertEqual(row["reference"], guide[int(row["position"]) - 1])
                self.assertEqual(row["edited"], "1" if 5 <= int(row["position"]) <= 7 else "0")
        (record,) = map(json.loads, self.edits("+", "--base-edit", "--format", "json",
                                               path).stdout.splitlines())
        self.assertEqual([p["edited"] for p in record["base_edit"]],
                         [5 <= p <= 7 for p in range(1, 21)])

    def test_the_page_in_a_browser(self):
        if not os.access(CHROMIUM, os.X_OK):
            self.skipTest("chromium not installed")
        page = os.path.join(self.tmp, "edits.html")
        files = [self.files[w] for w in PLANTED if PLANTED[w][0] == "-"]
        alleles = os.path.join(self.tmp, "page-alleles.tsv")
        r = self.edits("-", "--html", page, "--alleles", alleles, *files)
        self.assertEqual(r.returncode, 0, r.stderr)
        rows = table(r.stdout)
        with open(page, encoding="utf-8") as f:
            text = f.read()
        for outside in ("http:", "https:", "src=", "<link", "@import", "url("):
            self.assertNotIn(outside, text.lower())
        shown = subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                                "--user-data-dir=" + os.path.join(self.tmp, "profile"),
                                "--dump-dom", "file://" + page],
                               capture_output=True, text=True, timeout=120)
        self.assertEqual(shown.returncode, 0, shown.stderr)
        dom = Dom(shown.stdout)
        with open(alleles) as f:
            expected = [line.split("\t") for line in f.read().splitlines()[1:]]
        for i, row in enumerate(rows):
            with self.subTest(row["file"]):
                section = {"id": "sample-%d" % i}
                bars = dom.within("rect", **section)
                bars = [(b["attrs"]["data-allele"], b["attrs"]["data-percent"]) for b in bars
                        if "data-allele" in b["attrs"]]
                self.assertEqual(bars, [(a, p) for f, a, p in expected if f == row["file"]])
                (cut,) = [e for e in dom.within("line", **section) if "data-base" in e["attrs"]]
                self.assertEqual(cut["attrs"]["data-base"], row["cut"])
                traces = [e["attrs"]["class"] for e in dom.within("svg", **section)
                          if e["attrs"]["class"].startswith("trace")]
                self.assertEqual(traces, ["trace control", "trace edited"])
                self.assertEqual(len(dom.within("polyline", **section)), 9)
        wells = {e["attrs"]["data-well"]: e["attrs"] for e in dom.within("td")
                 if "data-well" in e["attrs"] and e["parents"][-1].get("tag") == "tr"}
        self.assertEqual(len(wells), 96)
        coloured = {w: a["data-indel"] for w, a in wells.items() if "data-indel" in a}
        self.assertEqual(coloured, {os.path.basename(r["file"])[:3]: r["indel_percent"]
                                    for r in rows})


def main():
    global TOOL, DATA
    TOOL, DATA = os.path.abspath(sys.argv[1]), sys.argv[2]
    if not os.path.isfile(os.path.join(DATA, "abi", "3730.ab1")):
        print("test data not fetched; run scripts/fetch-test-data", file=sys.stderr)
        return 77
    program = unittest.main(argv=[sys.argv[0]], exit=False, verbosity=1)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
