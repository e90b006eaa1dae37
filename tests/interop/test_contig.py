"""The contig of real reads, checked against truth built here from a real read.

usage: test_contig.py VISTREL_TRACE TEST_DATA
A clone is one real read (3730.ab1), its reverse complement written as a second read, and
shifted or partial copies of it, written as small SCF files:
- the read and its reverse complement give the read as consensus, both strands covered, with
  a reference and without;
- differences planted in a reference come back exactly, in the conflicts table and in a VCF that
  bcftools reads and checks against the reference;
- a weak copy that disagrees with the two strong reads is no difference, and a conflict exactly
  past a quarter of their weight;
- a read across the origin of a circular reference (by --circular or a GenBank LOCUS line);
- reads that do not align, align poorly or cannot be read are told and left out;
- without a reference, overlapping partial copies join and an unrelated read stands alone;
- the BAM file read back by samtools.
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
COMPLEMENT = str.maketrans("ACGTRYKMSWBDHVN", "TGCAYRMKSWVHDBN")


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def revcomp(s):
    return s.translate(COMPLEMENT)[::-1]


def write_scf(path, bases, qualities):
    """An SCF 2.00 read of `bases` with a peak every 10 samples and each base's quality in all
    four probabilities."""
    count = 10 * len(bases)
    traces = [[0] * count for _ in range(4)]
    for i, base in enumerate(bases):
        channel = max("ACGT".find(base), 0)
        for k in range(-3, 4):
            traces[channel][10 * i + 5 + k] = 1000 * (4 - abs(k)) // 4
    header = bytearray(128)
    header[0:4] = b".scf"
    struct.pack_into(">6I", header, 4, count, 128, len(bases), 0, 0, 128 + 8 * count)
    header[36:44] = b"2.00\0\0\0\2"
    with open(path, "wb") as f:
        f.write(header)
        for j in range(count):
            f.write(struct.pack(">4H", *(t[j] for t in traces)))
        for i, base in enumerate(bases):
            f.write(struct.pack(">I4B", 10 * i + 5, *([qualities[i]] * 4)) + base.encode() + bytes(3))


def table(text):
    lines = text.splitlines()
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:]]


def fasta_records(text):
    records, name = {}, None
    for line in text.splitlines():
        if line.startswith(">"):
            name = line[1:]
            records[name] = ""
        else:
            records[name] += line
    return records


def plant(read):
    """A reference middle from `read` with three substitutions, two bases the read lacks and two
    it has extra, away from repeats; and the differences of the read against it, as (ref_pos
    from 1 within the middle, reference letter, read letter)."""
    def plain(k):
        return all(c in "ACGT" for c in read[k - 3:k + 4]) and read[k - 1] != read[k] != read[k + 1]

    spots = [k for k in range(40, len(read) - 40, 90) if plain(k)][:7]
    assert len(spots) == 7, "the read is too short or too ambiguous to plant in"
    kinds = dict(zip(spots, ["sub", "lacks", "extra", "sub", "lacks", "extra", "sub"]))
    middle, want = "", []
    for k, letter in enumerate(read):
        kind = kinds.get(k)
        if kind == "sub":
            middle += next(b for b in "ACGT" if b != letter)
            want.append((len(middle), middle[-1], letter))
        elif kind == "lacks":
            middle += next(b for b in "ACGT" if b not in (read[k - 1], letter))
            want.append((len(middle), middle[-1], "-"))
            middle += letter
        elif kind == "extra":
            want.append((len(middle), "-", letter))  # told at the position on its left
        else:
            middle += letter
    return middle, want


class Contig(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.path = os.path.join(DATA, "abi", "3730.ab1")
        d = json.loads(run("dump", cls.path).stdout)
        cls.start, cls.end = d["trim"]
        cls.bases = d["bases"].upper()
        cls.quality = d["quality"]
        cls.region = cls.bases[cls.start:cls.end]
        cls.reverse = cls.scf("reverse.scf", revcomp(cls.bases), cls.quality[::-1])
        rng = random.Random(20)
        cls.left = "".join(rng.choice("ACGT") for _ in range(300))
        cls.right = "".join(rng.choice("ACGT") for _ in range(250))
        cls.exact = cls.fasta("exact.fa", "clone", cls.left + cls.region + cls.right)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    @classmethod
    def scf(cls, name, bases, qualities):
        path = os.path.join(cls.tmp, name)
        write_scf(path, bases, qualities)
        return path

    @classmethod
    def fasta(cls, name, record, sequence):
        path = os.path.join(cls.tmp, name)
        with open(path, "w") as f:
            f.write(">%s\n%s\n" % (record, sequence))
        return path

    def contig(self, *args, status=0):
        r = run("contig", *args)
        self.assertEqual(r.returncode, status, r.stderr)
        return r

    def test_a_read_and_its_reverse_complement_give_the_read_on_both_strands(self):
        r = self.contig("--ref", self.exact, "--summary", self.path, self.reverse)
        self.assertEqual(r.stderr, "")
        [row] = table(r.stdout)
        n = len(self.region)
        self.assertEqual(row, {
            "contig": "clone_consensus", "reference": "clone", "reads": "2", "unaligned": "0",
            "ref_start": str(len(self.left) + 1), "ref_end": str(len(self.left) + n),
            "length": str(n), "covered": str(n), "covered_both_strands": str(n),
            "low_quality": str(sum(1 for q in self.quality[self.start:self.end] if 2 * q < 20)),
            "conflicts": "0", "differences": "0", "identity": "1.0000"})
        fastq = self.contig("--ref", self.exact, "--format", "fastq", self.path,
                            self.reverse).stdout.splitlines()
        self.assertEqual(fastq[:3], ["@clone_consensus", self.region, "+"])
        self.assertEqual(fastq[3], "".join(chr(33 + min(93, 2 * q))
                                           for q in self.quality[self.start:self.end]))
        # Without a reference the two reads join, the first one's strand kept.
        records = fasta_records(self.contig(self.path, self.reverse).stdout)
        self.assertEqual(records, {self.path: self.region})

    def test_planted_differences_come_back_exactly_in_the_table_and_the_vcf(self):
        middle, planted = plant(self.region)
        ref = self.fasta("planted.fa", "clone", self.left + middle + self.right)
        tsv, vcf = os.path.join(self.tmp, "planted.tsv"), os.path.join(self.tmp, "planted.vcf")
        self.contig("--ref", ref, "--conflicts", tsv, "--vcf", vcf, self.path, self.reverse)
        with open(tsv) as f:
            rows = table(f.read())
        got = [(int(row["ref_pos"]), row["reference"], row["consensus"]) for row in rows
               if row["kind"] in ("difference", "both")]
        self.assertEqual(got, [(len(self.left) + p, a, b) for p, a, b in planted])
        for row in rows:
            self.assertEqual(len(row["reads"].split(",")), 2)
        view = subprocess.run(["bcftools", "view", "-H", vcf], capture_output=True, text=True)
        self.assertEqual((view.returncode, view.stderr), (0, ""))
        records = [line.split("\t") for line in view.stdout.splitlines()]
        self.assertEqual(sorted(len(v[3]) - len(v[4]) for v in records), [-1, -1, 0, 0, 0, 1, 1])
        self.assertEqual({v[9] for v in records}, {"1/1"})
        norm = subprocess.run(["bcftools", "norm", "-f", ref, "--check-ref", "e", "-o", os.devnull,
                               vcf], capture_output=True, text=True)
        self.assertEqual(norm.returncode, 0, norm.stderr)

    def test_a_weak_read_against_two_strong_ones_is_a_conflict_only_past_a_quarter(self):
        # A base of quality 40 in the region: the strong reads give it 80 together.
        k = next(i for i in range(100, len(self.region)) if self.quality[self.start + i] == 40)
        other = next(b for b in "ACGT" if b != self.region[k])
        weak = self.region[:k] + other + self.region[k + 1:]
        tsv = os.path.join(self.tmp, "weak.tsv")
        position = str(len(self.left) + k + 1)
        for quality, conflict in ((20, False), (21, True)):
            with self.subTest(quality=quality):
                read = self.scf("weak%d.scf" % quality, weak, [quality] * len(weak))
                r = self.contig("--ref", self.exact, "--summary", "--conflicts", tsv, self.path,
                                self.reverse, read)
                self.assertEqual(table(r.stdout)[0]["differences"], "0")
                with open(tsv) as f:
                    rows = [row for row in table(f.read()) if row["ref_pos"] == position]
                self.assertEqual(len(rows), 1 if conflict else 0)
                if conflict:
                    self.assertEqual((rows[0]["kind"], rows[0]["consensus"], rows[0]["quality"]),
                                     ("conflict", self.region[k], str(80 - quality)))
                    self.assertEqual(rows[0]["reads"].split(","), [
                        "%s:%s:40:+" % (self.path, self.region[k]),
                        "%s:%s:40:-" % (self.reverse, self.region[k]),
                        "%s:%s:%d:+" % (read, other, quality)])

    def test_a_read_across_the_origin_of_a_circular_reference(self):
        cut = 400
        sequence = self.region[cut:] + self.right + self.region[:cut]
        genbank = os.path.join(self.tmp, "circular.gb")
        with open(genbank, "w") as f:
            f.write("LOCUS       ring  %d bp    DNA     circular SYN\nORIGIN\n" % len(sequence))
            for i in range(0, len(sequence), 60):
                f.write("%9d %s\n" % (i + 1, sequence[i:i + 60].lower()))
            f.write("//\n")
        fasta = self.fasta("circular.fa", "ring", sequence)
        for args in (["--ref", genbank], ["--ref", fasta, "--circular"]):
            with self.subTest(args=args):
                r = self.contig(*args, "--summary", "-o", os.path.join(self.tmp, "ring.fa"),
                                self.path)
                [row] = table(r.stdout)
                self.assertEqual([row[k] for k in ("ref_start", "ref_end", "covered",
                                                   "differences")],
                                 [str(len(sequence) - cut + 1), str(len(self.region) - cut),
                                  str(len(self.region)), "0"])
                with open(os.path.join(self.tmp, "ring.fa")) as f:
                    self.assertEqual(fasta_records(f.read()), {"ring_consensus": self.region})
        linear = table(self.contig("--ref", fasta, "--summary", self.path).stdout)[0]
        self.assertLess(int(linear["covered"]), len(self.region))

    def test_reads_that_align_nowhere_or_poorly_or_cannot_be_read_are_left_out(self):
        nowhere = self.scf("nowhere.scf", "N" * 300, [40] * 300)
        poor = "".join(b if i % 4 else next(c for c in "ACGT" if c != b)
                       for i, b in enumerate(self.region))
        poor = self.scf("poor.scf", poor, [40] * len(poor))
        fake = os.path.join(DATA, "abi", "fake.ab1")
        r = self.contig("--ref", self.exact, "--summary", nowhere, self.path, poor, fake,
                        status=1)
        lines = r.stderr.splitlines()
        self.assertEqual(lines[0], fake + ": Not an ABI or SCF file, or data is corrupt")
        self.assertEqual(lines[1], nowhere + ": does not align to the reference")
        self.assertRegex(lines[2], "^" + poor + r": identity 0\.7[0-9]{3} below 0\.8$")
        row = table(r.stdout)[0]
        self.assertEqual((row["reads"], row["unaligned"], row["differences"]), ("1", "2", "0"))

    def test_without_a_reference_partial_copies_join_and_a_stranger_stands_alone(self):
        first = self.scf("first.scf", self.region[:600], [40] * 600)
        second = self.scf("second.scf", revcomp(self.region[450:]), [40] * (len(self.region) - 450))
        stranger = os.path.join(DATA, "abi", "3100.ab1")
        r = self.contig("--summary", "-o", os.path.join(self.tmp, "joined.fa"), first, stranger,
                        second)
        rows = table(r.stdout)
        self.assertEqual([(row["contig"], row["reads"], row["reference"], row["differences"])
                          for row in rows], [(first, "2", "", ""), (stranger, "1", "", "")])
        self.assertEqual(rows[0]["covered_both_strands"], str(150))
        with open(os.path.join(self.tmp, "joined.fa")) as f:
            self.assertEqual(fasta_records(f.read())[first], self.region)

    def test_options_that_need_a_reference_are_usage_errors_without_one(self):
        for args in (["--vcf", "x.vcf"], ["--bam", "x.bam"], ["--circular"], ["--record", "r"],
                     ["--format", "fasta2"], ["-o", ""]):
            with self.subTest(args=args):
                self.assertEqual(run("contig", *args, self.path).returncode, 2)

    def test_the_bam_file_as_samtools_reads_it(self):
        bam = os.path.join(self.tmp, "reads.bam")
        self.contig("--ref", self.exact, "--bam", bam, "--summary", self.path, self.reverse)
        view = subprocess.run(["samtools", "view", bam], capture_output=True, text=True)
        self.assertEqual(view.returncode, 0, view.stderr)
        records = [line.split("\t") for line in view.stdout.splitlines()]
        clip_left, clip_right = self.start, len(self.bases) - self.end
        # Sorted by position, then by name.
        self.assertEqual([(r[0], r[1], r[3], r[5]) for r in records], sorted([
            (self.path, "0", str(len(self.left) + 1),
             "%dS%dM%dS" % (clip_left, len(self.region), clip_right)),
            (self.reverse, "16", str(len(self.left) + 1),
             "%dS%dM%dS" % (clip_left, len(self.region), clip_right))]))
        self.assertEqual({r[9] for r in records}, {self.bases})
        depth = subprocess.run(["samtools", "depth", "-a", "-r", "clone:%d-%d" % (
            len(self.left) + 1, len(self.left) + len(self.region)), bam],
            capture_output=True, text=True)
        self.assertEqual({line.split("\t")[2] for line in depth.stdout.splitlines()}, {"2"})

        # Across the origin: the longer side primary, the other supplementary.
        cut = 400
        ring = self.fasta("ring.fa", "ring", self.region[cut:] + self.right + self.region[:cut])
        self.contig("--ref", ring, "--circular", "--bam", bam, "--summary", self.path)
        records = [line.split("\t") for line in subprocess.run(
            ["samtools", "view", bam], capture_output=True, text=True).stdout.splitlines()]
        rest = len(self.region) - cut
        self.assertEqual([(r[1], r[3], r[5]) for r in records], [
            ("0", "1", "%dS%dM%dS" % (clip_left + cut, rest, clip_right)),
            ("2048", str(rest + len(self.right) + 1),
             "%dS%dM%dS" % (clip_left, cut, rest + clip_right))])


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
