"""Mixed peaks and alignment to a reference, checked against independent truth on real files.

usage: test_align.py VISTREL_TRACE TEST_DATA
- the mixed bases `dump` lists against a small implementation of the rule written here;
- `align` against references built from a real read with planted substitutions, insertions and
  deletions (none in a repeat) between unrelated flanks, on both strands;
- read bases past the reference's ends clipped alike in the table, the summary and the VCF;
- the VCF through bcftools, which must read it without a word, and check its REF alleles against
  the reference (small synthetic SCF reads give mixed peaks and no-calls where wanted);
- names with tabs, line breaks and bytes that are not UTF-8 in every output;
- reads and references that cannot align, each told in its own row or line in a run that goes
  on with the good files.
Exits 77 when the test data has not been fetched.
"""
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = None
DATA = None
COMPLEMENT = str.maketrans("ACGT", "TGCA")
IUPAC = {frozenset("AG"): "R", frozenset("CT"): "Y", frozenset("CG"): "S",
         frozenset("AT"): "W", frozenset("GT"): "K", frozenset("AC"): "M"}


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def bcftools(*args):
    return subprocess.run(["bcftools", *args], capture_output=True, text=True)


def vcf_records(path):
    view = bcftools("view", "-H", path)
    assert view.returncode == 0 and view.stderr == "", view.stderr
    return [line.split("\t") for line in view.stdout.splitlines()]


def write_scf(path, bases, mixed=()):
    """An SCF 2.00 read of `bases` at quality 40, a peak every 10 samples; a base in `mixed`
    has a second channel at 60% of its own under its peak."""
    count = 10 * len(bases)
    traces = [[0] * count for _ in range(4)]
    for i, base in enumerate(bases):
        channel = max("ACGT".find(base), 0)
        for c, height in [(channel, 1000)] + ([((channel + 1) % 4, 600)] if i in mixed else []):
            for k in range(-3, 4):
                traces[c][10 * i + 5 + k] = height * (4 - abs(k)) // 4
    header = bytearray(128)
    header[0:4] = b".scf"
    struct.pack_into(">6I", header, 4, count, 128, len(bases), 0, 0, 128 + 8 * count)
    header[36:44] = b"2.00\0\0\0\2"
    with open(path, "wb") as f:
        f.write(header)
        for j in range(count):
            f.write(struct.pack(">4H", *(t[j] for t in traces)))
        for i, base in enumerate(bases):
            f.write(struct.pack(">I4B", 10 * i + 5, *([40] * 4)) + base.encode() + bytes(3))


def dump(path, *options):
    r = run("dump", *options, path)
    assert r.returncode == 0, r.stderr
    return json.loads(r.stdout)


def readable_abi_files():
    folder = os.path.join(DATA, "abi")
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if run("dump", path).returncode == 0:
            yield path


def tallest_peak(s, lo, hi):
    """The tallest sample in s[lo..hi] at least as high as both of its neighbours, looking past
    the window's edges (none past the trace's ends); 0 without one."""
    return max([s[j] for j in range(max(lo, 0), min(hi, len(s) - 1) + 1)
                if (j == 0 or s[j - 1] <= s[j]) and (j == len(s) - 1 or s[j + 1] <= s[j])],
               default=0)


def mixed_oracle(d, ratio):
    """The mixed rule, written from its description."""
    samples = [c["samples"] for c in d["channels"]]
    letters = [c["letter"].upper() for c in d["channels"]]
    # Ties go to the first of A, C, G, T, whatever the file's channel order.
    order = sorted(range(4), key=lambda c: "ACGT".find(letters[c]) % 5)
    peaks, bases = d["peaks"], d["bases"]
    found = []
    for i in range(min(len(peaks), len(bases))):
        p = peaks[i]
        distances = []
        if i > 0:
            distances.append(p - peaks[i - 1])
        if i + 1 < len(peaks):
            distances.append(peaks[i + 1] - p)
        dist = min(distances) if distances else 12
        if dist <= 0:
            dist = 1
        h = max(1, dist // 4)
        heights = [max([s[j] for j in range(p - h, p + h + 1) if 0 <= j < len(s)], default=0)
                   for s in samples]
        if bases[i].upper() in letters:
            first = letters.index(bases[i].upper())
        else:
            first = max(order, key=lambda c: (heights[c], -order.index(c)))
        tops = [tallest_peak(s, p - h, p + h) for s in samples]
        others = [c for c in order if c != first]
        second = max(others, key=lambda c: (tops[c], -order.index(c)))
        if heights[first] > 0 and 100 * tops[second] >= ratio * heights[first]:
            pair = frozenset(letters[first] + letters[second])
            found.append({"index": i, "call": IUPAC.get(pair, "N"),
                          "ratio": round(tops[second] / heights[first], 3)})
    return found


class MixedPeaks(unittest.TestCase):
    def test_dump_lists_what_the_rule_gives(self):
        checked = 0
        for path in readable_abi_files():
            for ratio in ("33", "20"):
                with self.subTest(file=os.path.basename(path), ratio=ratio):
                    d = dump(path, "--mixed-ratio", ratio)
                    want = mixed_oracle(d, int(ratio))
                    got = d["mixed"]
                    self.assertEqual([(m["index"], m["call"]) for m in got],
                                     [(m["index"], m["call"]) for m in want])
                    for g, w in zip(got, want):
                        self.assertAlmostEqual(g["ratio"], w["ratio"], places=3)
                    checked += len(got)
        self.assertGreater(checked, 50)

    def test_ratio_outside_one_to_a_hundred_is_a_usage_error(self):
        path = os.path.join(DATA, "abi", "3730.ab1")
        for bad in ("0", "101", "x", "33.5"):
            self.assertEqual(run("dump", "--mixed-ratio", bad, path).returncode, 2, bad)


def plant(read):
    """The reference middle made from `read` and the columns of its true alignment: each column
    is (reference letter or '-', read index or None). Three substitutions, two bases the read
    lacks and two it has extra, each away from repeats."""
    def plain(k):
        return all(c in "ACGT" for c in read[k - 3:k + 4]) and read[k - 1] != read[k] != read[k + 1]

    spots = [k for k in range(40, len(read) - 40, 90) if plain(k)][:7]
    assert len(spots) == 7, "the read is too short or too ambiguous to plant in"
    kinds = dict(zip(spots, ["sub", "lacks", "extra", "sub", "lacks", "extra", "sub"]))
    columns = []
    for k, letter in enumerate(read):
        kind = kinds.get(k)
        if kind == "sub":
            columns.append((next(b for b in "ACGT" if b != letter), k))
        elif kind == "lacks":
            # A base the read does not have, before read base k, unlike both neighbours.
            columns.append((next(b for b in "ACGT" if b not in (read[k - 1], letter)), None))
            columns.append((letter, k))
        elif kind == "extra":
            columns.append(("-", k))
        else:
            columns.append((letter, k))
    middle = "".join(r for r, _ in columns if r != "-")
    return middle, columns


def expected_rows(columns, read, start, flank, reverse):
    """The differences as `align` prints them, from the true columns: reference order, gaps
    anchored on the letter to their left."""
    if reverse:
        columns = [(r.translate(COMPLEMENT), k) for r, k in reversed(columns)]
    rows, ref_pos, read_base = [], flank, None
    for r, k in columns:
        letter = read[k] if k is not None else "-"
        if reverse and k is not None:
            letter = letter.translate(COMPLEMENT)
        if r != "-":
            ref_pos += 1
        if k is not None:
            read_base = start + k + 1
        if r == "-" or k is None or r != letter:
            rows.append((ref_pos, r, letter, read_base))
    return rows


class Alignment(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.path = os.path.join(DATA, "abi", "3730.ab1")
        d = dump(cls.path)
        cls.start, end = d["trim"]
        cls.read = d["bases"][cls.start:end].upper()
        cls.quality = d["quality"]
        cls.mixed = {m["index"] for m in d["mixed"]}
        rng = random.Random(11)
        cls.middle, cls.columns = plant(cls.read)
        cls.flank = 400
        cls.left = "".join(rng.choice("ACGT") for _ in range(cls.flank))
        cls.right = "".join(rng.choice("ACGT") for _ in range(350))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def reference(self, reverse, layout="fasta"):
        middle = self.middle.translate(COMPLEMENT)[::-1] if reverse else self.middle
        sequence = self.left + middle + self.right
        path = os.path.join(self.tmp, f"ref-{reverse}-{layout}")
        with open(path, "w") as f:
            if layout == "fasta":
                f.write(">decoy\nACGTACGT\n>clone7 expected insert\n")
                f.writelines(sequence[i:i + 70] + "\n" for i in range(0, len(sequence), 70))
            else:
                f.write("LOCUS       clone7  %d bp  DNA\nORIGIN\n" % len(sequence))
                for i in range(0, len(sequence), 60):
                    f.write("%9d %s\n" % (i + 1, sequence[i:i + 60].lower()))
                f.write("//\n")
        return path

    def test_planted_differences_come_back_exactly_on_both_strands(self):
        for reverse in (False, True):
            for layout in ("fasta", "genbank"):
                with self.subTest(reverse=reverse, layout=layout):
                    ref = self.reference(reverse, layout)
                    args = ["align", "--ref", ref, self.path]
                    if layout == "fasta":
                        args[3:3] = ["--record", "clone7"]
                    r = run(*args)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    lines = r.stdout.splitlines()
                    self.assertEqual(lines[0].split("\t"), [
                        "file", "reference", "strand", "ref_pos", "ref", "read", "read_base",
                        "quality", "mixed"])
                    rows = [line.split("\t") for line in lines[1:]]
                    self.assertEqual({row[2] for row in rows}, {"-" if reverse else "+"})
                    self.assertEqual({row[1] for row in rows}, {"clone7"})
                    got = [(int(row[3]), row[4], row[5], int(row[6])) for row in rows]
                    want = expected_rows(self.columns, self.read, self.start, self.flank, reverse)
                    self.assertEqual(got, want)
                    for row in rows:
                        base = int(row[6]) - 1
                        self.assertEqual(int(row[7]), self.quality[base])
                        self.assertEqual(row[8], "1" if base in self.mixed else "0")

    def test_summary_and_vcf_that_bcftools_reads(self):
        ref = self.reference(False)
        vcf = os.path.join(self.tmp, "out.vcf")
        r = run("align", "--summary", "--vcf", vcf, "--ref", ref, "--record", "clone7", self.path,
                os.path.join(DATA, "abi", "fake.ab1"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("fake.ab1", r.stderr)
        rows = [line.split("\t") for line in r.stdout.splitlines()]
        self.assertEqual(len(rows), 2)
        summary = rows[1]
        aligned = sum(1 for c in self.columns)
        self.assertEqual(summary[2:8], ["+", str(self.flank + 1),
                                        str(self.flank + len(self.middle)), str(aligned),
                                        "%.4f" % ((aligned - 7) / aligned), "7"])
        view = subprocess.run(["bcftools", "view", "-H", vcf], capture_output=True, text=True)
        self.assertEqual(view.returncode, 0, view.stderr)
        self.assertEqual(view.stderr, "")
        records = [line.split("\t") for line in view.stdout.splitlines()]
        self.assertEqual(len(records), 7)
        # Three substitutions, two deletions of one base and two insertions of one base.
        self.assertEqual(sorted(len(v[3]) - len(v[4]) for v in records), [-1, -1, 0, 0, 0, 1, 1])
        self.assertEqual({v[9] for v in records} - {"1/1", "0/1"}, set())
        self.assertEqual({v[10] for v in records}, {"./."})  # the unreadable file's column

    def test_read_bases_past_the_reference_ends_are_clipped_in_every_output(self):
        # The reference is the read without its first and last 40 bases, and one substitution.
        cut = list(self.read[40:-40])
        cut[300] = next(b for b in "ACGT" if b != cut[300])
        cut = "".join(cut)
        vcf = os.path.join(self.tmp, "clipped.vcf")
        for reverse in (False, True):
            with self.subTest(reverse=reverse):
                ref = os.path.join(self.tmp, "cut.fa")
                with open(ref, "w") as f:
                    f.write(">cut\n" + (cut.translate(COMPLEMENT)[::-1] if reverse else cut) + "\n")
                table = run("align", "--ref", ref, "--vcf", vcf, self.path)
                self.assertEqual(table.returncode, 0, table.stderr)
                rows = [line.split("\t") for line in table.stdout.splitlines()[1:]]
                position = len(cut) - 300 if reverse else 301
                self.assertEqual([int(row[3]) for row in rows], [position])
                self.assertEqual([int(v[1]) for v in vcf_records(vcf)], [position])
                header, line = run("align", "--summary", "--ref", ref, self.path).stdout.splitlines()
                summary = dict(zip(header.split("\t"), line.split("\t")))
                self.assertEqual([summary[k] for k in (
                    "ref_start", "ref_end", "aligned_length", "identity", "differences",
                    "clipped_left", "clipped_right")], [
                    "1", str(len(cut)), str(len(cut)), "%.4f" % (1 - 1 / len(cut)), "1", "40", "40"])
                header, line = run("qc", "--ref", ref, self.path).stdout.splitlines()
                row = dict(zip(header.split("\t"), line.split("\t")))
                self.assertEqual([row[k] for k in ("identity", "differences")],
                                 [summary["identity"], summary["differences"]])

    def test_unreadable_references_are_refused_with_a_reason(self):
        cases = {"missing": (None, None), "binary": (b"\x89PNG\r\n\x1a\n\0\0", None),
                 "words": (b"hello world\n", None),
                 "folder": ("folder", "The reference is a folder, not a file."),
                 "empty": (b"", "The reference holds no sequence.")}
        for name, (content, message) in cases.items():
            with self.subTest(name):
                path = os.path.join(self.tmp, name)
                if content == "folder":
                    os.makedirs(path, exist_ok=True)
                elif content is not None:
                    with open(path, "wb") as f:
                        f.write(content)
                r = run("align", "--ref", path, self.path)
                self.assertEqual(r.returncode, 1)
                self.assertTrue(r.stderr.startswith(path + ": "), r.stderr)
                if message:
                    self.assertEqual(r.stderr, path + ": " + message + "\n")
                self.assertEqual(r.stdout, "")

    def test_names_with_tabs_line_breaks_and_latin1_bytes_break_no_output(self):
        names = [b"a\tb", b"c\nd", b"caf\xe9"]
        paths = []
        for name in names:
            paths.append(os.path.join(os.fsencode(self.tmp), name + b".ab1"))
            shutil.copy(self.path, paths[-1])
        # A record named by its whole header line, whose name VCF does not take as a contig.
        ref = os.path.join(self.tmp, "clone(7).fa")
        with open(self.reference(False)) as f, open(ref, "w") as out:
            out.write(f.read().replace(">clone7", ">clone(7)"))
        vcf = os.path.join(self.tmp, "names.vcf")
        r = subprocess.run([TOOL, "align", "--ref", ref, "--record", "clone(7) expected insert",
                            "--vcf", vcf, *paths], capture_output=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        rows = [line.split(b"\t") for line in r.stdout.splitlines()[1:]]
        self.assertEqual(len(rows), 3 * 7)
        self.assertEqual({len(row) for row in rows}, {9})
        self.assertEqual({row[1] for row in rows}, {b"clone(7)"})
        self.assertEqual({os.path.basename(row[0]) for row in rows},
                         {b"a b.ab1", b"c d.ab1", b"caf\xe9.ab1"})
        self.assertEqual({v[0] for v in vcf_records(vcf)}, {"clone_7_"})
        samples = bcftools("query", "-l", vcf)
        self.assertEqual(samples.stdout.splitlines(), ["a b", "c d", "caf\ufffd"])


class Genotypes(unittest.TestCase):
    def test_mixed_calls_no_calls_and_ambiguity_codes_of_the_reference(self):
        rng = random.Random(5)
        ref = [rng.choice("ACGT") for _ in range(300)]
        k = 150
        ref[k] = "R"  # so the aligner puts the substitution before the insertion
        extra = next(b for b in "CT" if b != ref[k + 1])
        reads = {"mixed": ref[50:k] + ["A", extra] + ref[k + 1:250],  # a mixed A, then C or T
                 "nocall": ref[50:k] + ["N"] + ref[k + 1:250],
                 "plain": ref[50:k] + ["G"] + ref[k + 1:250]}
        with tempfile.TemporaryDirectory() as tmp:
            fasta = os.path.join(tmp, "ref.fa")
            with open(fasta, "w") as f:
                f.write(">syn\n" + "".join(ref) + "\n")
            paths = []
            for name, bases in reads.items():
                paths.append(os.path.join(tmp, name + ".scf"))
                write_scf(paths[-1], "".join(bases), mixed={k - 50} if name == "mixed" else ())
            vcf = os.path.join(tmp, "out.vcf")
            r = run("align", "--ref", fasta, "--vcf", vcf, *paths)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual({tuple(v[3:5]): v[9:] for v in vcf_records(vcf)}, {
                ("N", "A"): ["0/1", "./.", "0/0"],
                ("N", "N" + extra): ["1/1", "./.", "0/0"],
                ("N", "G"): ["0/0", "./.", "1/1"]})
            header = bcftools("view", "-h", vcf).stdout
            self.assertIn("ambiguity codes are written as N", header)
            norm = bcftools("norm", "-f", fasta, "--check-ref", "e", "-o", os.devnull, vcf)
            self.assertEqual(norm.returncode, 0, norm.stderr)


def table(text):
    lines = text.splitlines()
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:]]


class AlignmentFailures(unittest.TestCase):
    """A read of N only and one of bytes that are no bases (io_lib's SCF copy of a real read with
    its letters overwritten), and a reference of one letter: no alignment scores above zero."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.good = [os.path.join(DATA, "abi", "3730.ab1"),
                    os.path.join(DATA, "scf", "3730.v3.scf")]
        cls.bad = [cls.overwritten("N"), cls.overwritten("\x07")]
        d = dump(cls.good[0])
        rng = random.Random(5)
        flank = "".join(rng.choice("ACGT") for _ in range(300))
        region = d["bases"][d["trim"][0]:d["trim"][1]].upper()
        cls.reference = cls.write("ref.fa", ">ref\n" + flank + region + flank + "\n")
        cls.one_letter = cls.write("one.fa", ">one\nA\n")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    @classmethod
    def write(cls, name, text):
        path = os.path.join(cls.tmp, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    @classmethod
    def overwritten(cls, letter):
        with open(os.path.join(DATA, "scf", "3730.v3.scf"), "rb") as f:
            scf = bytearray(f.read())
        bases, offset = struct.unpack(">I", scf[12:16])[0], struct.unpack(">I", scf[24:28])[0]
        # SCF 3: peak positions, then four rows of probabilities, then the letters.
        start = offset + 8 * bases
        scf[start:start + bases] = letter.encode("latin-1") * bases
        path = os.path.join(cls.tmp, "%02x.scf" % ord(letter))
        with open(path, "wb") as f:
            f.write(scf)
        return path

    def test_qc_keeps_every_row_and_marks_the_reads_that_do_not_align(self):
        files = [self.good[0], self.bad[0], self.good[1], self.bad[1]]
        r = run("qc", "--ref", self.reference, "-j", "2", *files)
        self.assertEqual(r.returncode, 1, r.stderr)
        rows = table(r.stdout)
        self.assertEqual([row["file"] for row in rows], files)
        for row in rows:
            with self.subTest(row["file"]):
                self.assertNotEqual(row["bases"], "")  # the read's own figures stay
                if row["file"] in self.bad:
                    self.assertEqual((row["status"], row["message"], row["strand"]),
                                     ("error", "the read does not align to the reference", ""))
                else:
                    self.assertEqual((row["strand"], row["ref_start"], row["identity"]),
                                     ("+", "301", "1.0000"))
                    self.assertNotEqual(row["status"], "error")

    def test_a_one_letter_reference_is_an_error_row_for_every_read(self):
        r = run("qc", "--ref", self.one_letter, *self.good)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertEqual([(row["status"], row["message"]) for row in table(r.stdout)],
                         [("error", "the read does not align to the reference")] * 2)

    def test_align_tells_the_read_that_does_not_align_and_goes_on(self):
        r = run("align", "--summary", "--ref", self.reference, self.bad[0], self.good[0])
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr, self.bad[0] + ": the read does not align to the reference\n")
        self.assertEqual([row["file"] for row in table(r.stdout)], [self.good[0]])


def main():
    global TOOL, DATA
    TOOL, DATA = sys.argv[1], sys.argv[2]
    if not os.path.isdir(os.path.join(DATA, "abi")):
        print("test data not fetched; run scripts/fetch-test-data", file=sys.stderr)
        return 77
    program = unittest.main(argv=[sys.argv[0]], exit=False, verbosity=1)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
