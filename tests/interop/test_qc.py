"""`vistrel-trace qc` and the batch commands on every core, against independent values.

usage: test_qc.py VISTREL_TRACE TEST_DATA
- the qc columns of the real files against Biopython's reading of the same files (its sequence
  and qualities are the original set's, so qc runs with --original) and figures worked out here;
- a damaged file as an error row that does not stop the run;
- -j 1 and -j 4 giving the same output for qc, convert and align;
- --merge of two halves giving what one run gives, as TSV and as JSON, and of parts as they come
  from elsewhere (repeated headers, CR LF, odd names), with every value checked;
- the progress bar only when stderr is a terminal.
Exits 77 when the test data has not been fetched.
"""
import json
import os
import pty
import shutil
import subprocess
import sys
import tempfile
import unittest

from Bio import SeqIO

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_align  # noqa: E402  (the mixed-base rule written independently)

TOOL = None
DATA = None


def run(*args, **kwargs):
    return subprocess.run([TOOL, *args], capture_output=True, text=True, **kwargs)


def table(text):
    lines = text.splitlines()
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:]]


def contents(path):
    with open(path, "rb") as f:
        return f.read()


def mott(q, cutoff=0.05):
    best = (0, 0)
    best_sum = total = 0.0
    start = 0
    for i, v in enumerate(q):
        total += cutoff - 10 ** (-v / 10)
        if total <= 0:
            total, start = 0.0, i + 1
        elif total > best_sum:
            best_sum, best = total, (start, i + 1)
    return best


def crl(q):
    good = [sum(q[s:s + 20]) >= 400 for s in range(len(q) - 19)]
    longest = run_start = 0
    for s, ok in enumerate(good):
        if not ok:
            run_start = s + 1
        else:
            longest = max(longest, s - run_start + 20)
    return longest


def readable(folder):
    return [os.path.join(DATA, folder, n) for n in sorted(os.listdir(os.path.join(DATA, folder)))
            if run("dump", os.path.join(DATA, folder, n)).returncode == 0]


class QcColumns(unittest.TestCase):
    def test_real_files_against_biopython_and_independent_figures(self):
        files = readable("abi")
        r = run("qc", "--original", "-j", "2", *files)
        self.assertEqual(r.returncode, 0, r.stderr)
        rows = table(r.stdout)
        self.assertEqual([row["file"] for row in rows], files)
        for path, row in zip(files, rows):
            with self.subTest(os.path.basename(path)):
                record = SeqIO.read(path, "abi")
                q = record.letter_annotations.get("phred_quality", [])
                raw = record.annotations["abif_raw"]
                self.assertEqual(int(row["bases"]), len(record.seq))
                self.assertEqual(row["sample"], raw.get("SMPL1", b"").decode("latin-1"))
                self.assertEqual(row["instrument"],
                                 raw.get("MODL1", b"").decode().split("\0")[0].strip(" "))
                if not any(q):
                    # No quality values (none, or all zero): the whole read is judged, weak at best.
                    self.assertEqual((row["trimmed_length"], row["crl"]), ("", ""))
                    self.assertEqual(row["status"], "fail" if len(record.seq) < 100 else "weak")
                    continue
                start, end = mott(q)
                self.assertEqual(int(row["trimmed_length"]), end - start)
                if end > start:
                    self.assertEqual((int(row["trim_start"]), int(row["trim_end"])),
                                     (start + 1, end))
                    self.assertEqual(row["mean_quality"], "%.1f" % (sum(q[start:end]) / (end - start)))
                else:
                    self.assertEqual((row["trim_start"], row["mean_quality"]), ("", ""))
                self.assertEqual(int(row["q20_bases"]), sum(v >= 20 for v in q))
                self.assertEqual(int(row["crl"]), crl(q))
                d = test_align.dump(path, "--original")
                mixed = [m["index"] for m in test_align.mixed_oracle(d, 33)]
                self.assertEqual(int(row["mixed"]), sum(start <= i < end for i in mixed))
                status = ("fail" if end - start < 100 else
                          "weak" if crl(q) < 400 or int(row["mixed"]) * 100 > 2 * (end - start)
                          else "pass")
                self.assertEqual(row["status"], status)

    def test_the_sample_is_the_titles_and_traces_alone_say_so(self):
        scf, fsa = os.path.join(DATA, "scf", "3730.v3.scf"), os.path.join(DATA, "abi", "test.fsa")
        rows = table(run("qc", scf, fsa).stdout)
        for path, row in zip((scf, fsa), rows):
            title = json.loads(run("dump", path).stdout)["windowTitle"]
            self.assertEqual("Vistrel - " + row["sample"] if row["sample"] else "Vistrel", title)
        self.assertEqual([(r["message"], r["status"]) for r in rows],
                         [("", "pass"), ("no base calls", "fail")])

    def test_a_damaged_file_is_an_error_row_and_thresholds_move_the_status(self):
        with tempfile.TemporaryDirectory() as tmp:
            damaged = os.path.join(tmp, "P1_C03.ab1")
            with open(os.path.join(DATA, "abi", "3730.ab1"), "rb") as f:
                head = f.read(200)
            with open(damaged, "wb") as f:
                f.write(head)
            good = os.path.join(DATA, "abi", "3730.ab1")
            r = run("qc", good, damaged)
            self.assertEqual(r.returncode, 1)
            rows = table(r.stdout)
            self.assertEqual([row["status"] for row in rows], ["pass", "error"])
            self.assertTrue(rows[1]["message"])
            self.assertEqual(rows[1]["well"], "C03")  # from its name, for the plate map
            for options, status in ((["--min-length", "1100"], "fail"),
                                    (["--min-crl", "1086"], "weak"),
                                    (["--min-crl", "1085"], "pass"),
                                    (["--mixed-ratio", "10", "--max-mixed-percent", "0"],
                                     "weak"),
                                    (["--mixed-ratio", "10", "--max-mixed-percent", "1"],
                                     "pass")):
                with self.subTest(options=options):
                    self.assertEqual(table(run("qc", *options, good).stdout)[0]["status"], status)
            for bad in (["--min-length", "-1"], ["--max-mixed-percent", "101"], ["-j", "0"],
                        ["--format", "xml"]):
                self.assertEqual(run("qc", *bad, good).returncode, 2, bad)


class EveryCore(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        # Enough files that the jobs interleave: the real files, each three times.
        self.files = []
        for copy in range(3):
            for path in readable("abi") + readable("scf"):
                name = os.path.join(self.tmp, f"{copy}-{os.path.basename(path)}")
                shutil.copy(path, name)
                self.files.append(name)
        self.files.append(os.path.join(DATA, "abi", "fake.ab1"))

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def test_one_job_and_four_give_the_same_output(self):
        for args in (["qc"], ["qc", "--format", "json"], ["align", "--summary", "--ref",
                                                          self.reference()]):
            with self.subTest(args=args[:2]):
                one = run(*args, "-j", "1", *self.files)
                four = run(*args, "-j", "4", *self.files)
                self.assertEqual((one.returncode, one.stdout, one.stderr),
                                 (four.returncode, four.stdout, four.stderr))
        outputs = {}
        for jobs in ("1", "4"):
            folder = os.path.join(self.tmp, "out" + jobs)
            os.mkdir(folder)
            r = run("convert", "--to", "fastq", "-j", jobs, "-d", folder, *self.files)
            outputs[jobs] = (r.returncode, r.stderr.replace(folder, "OUT"),
                             {name: contents(os.path.join(folder, name))
                              for name in sorted(os.listdir(folder))})
        self.assertEqual(outputs["1"], outputs["4"])
        self.assertGreater(len(outputs["1"][2]), 20)

    def reference(self):
        d = test_align.dump(os.path.join(DATA, "abi", "3730.ab1"))
        path = os.path.join(self.tmp, "ref.fa")
        with open(path, "w") as f:
            f.write(">ref\n" + d["bases"][d["trim"][0]:d["trim"][1]].upper() + "\n")
        return path

    def test_merged_halves_equal_one_run(self):
        half = len(self.files) // 2
        for fmt in ("tsv", "json"):
            with self.subTest(fmt):
                whole = run("qc", "--format", fmt, *self.files)
                parts = []
                for i, chunk in enumerate((self.files[:half], self.files[half:])):
                    part = os.path.join(self.tmp, f"part{i}.{fmt}")
                    with open(part, "w") as f:
                        f.write(run("qc", "--format", fmt, *chunk).stdout)
                    parts.append(part)
                merged = run("qc", "--merge", "--format", fmt, *parts)
                self.assertEqual((merged.returncode, merged.stdout), (whole.returncode, whole.stdout))
        # Parts of different runs do not mix.
        other = os.path.join(self.tmp, "other.tsv")
        with open(other, "w") as f:
            f.write(run("qc", "--ref", self.reference(), self.files[0]).stdout)
        mixed = run("qc", "--merge", parts[0].replace("json", "tsv"), other)
        self.assertEqual(mixed.returncode, 1)
        self.assertIn("other.tsv", mixed.stderr)

    def test_json_lines_carry_numbers_and_nulls(self):
        rows = [json.loads(line) for line in run("qc", "--format", "json", *self.files).stdout.splitlines()]
        self.assertEqual(len(rows), len(self.files))
        good = next(row for row in rows if row["file"].endswith("0-3730.ab1"))
        self.assertIsInstance(good["bases"], int)
        self.assertIsInstance(good["mean_quality"], float)
        self.assertIsNone(rows[-1]["bases"])
        self.assertEqual(rows[-1]["status"], "error")

    def test_progress_bar_only_on_a_terminal(self):
        plain = run("qc", *self.files[:8])
        self.assertEqual(plain.stderr, "")
        controller, terminal = pty.openpty()
        try:
            proc = subprocess.run([TOOL, "qc", *self.files[:8]], stdout=subprocess.PIPE,
                                  stderr=terminal, text=True)
            os.close(terminal)
            seen = b""
            while True:
                try:
                    chunk = os.read(controller, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                seen += chunk
        finally:
            os.close(controller)
        self.assertEqual(proc.stdout, plain.stdout)
        self.assertIn(b"8/8", seen)
        self.assertIn(b"\r[", seen)


class MergeTrustsNoPart(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        # Names as runs have them: one not UTF-8, one that begins as a JSON line would.
        self.names = [b"caf\xe9.ab1", b"{x}.ab1", b"3730.ab1"]
        for name, source in zip(self.names, ("3730.ab1", "310.ab1", "3730.ab1")):
            shutil.copy(os.path.join(DATA, "abi", source), os.path.join(self.tmp.encode(), name))

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def qc(self, *args):
        r = subprocess.run([TOOL, "qc", *args], capture_output=True, cwd=self.tmp)
        return r.returncode, r.stdout, r.stderr.decode(errors="replace")

    def part(self, name, data):
        with open(os.path.join(self.tmp, name), "wb") as f:
            f.write(data)
        return name

    def test_parts_as_they_come_merge_to_one_run(self):
        for fmt in ("tsv", "json"):
            with self.subTest(fmt):
                whole = self.qc("--format", fmt, "--html", "whole.html", *self.names)
                self.assertEqual(whole[0], 0, whole[2])
                one = self.qc("--format", fmt, self.names[0])[1]
                rest = self.qc("--format", fmt, *self.names[1:])[1]
                # `split | xargs` runs qc several times into one part: headers between rows.
                joined = self.part("joined", one + rest)
                crlf = self.part("crlf", (one + rest).replace(b"\n", b"\r\n"))
                for part in (joined, crlf):
                    merged = self.qc("--merge", "--format", fmt, "--html", "merged.html", part)
                    self.assertEqual(merged[:2], whole[:2], part)
                    with open(os.path.join(self.tmp, "whole.html"), "rb") as a, \
                            open(os.path.join(self.tmp, "merged.html"), "rb") as b:
                        self.assertEqual(a.read(), b.read(), part)

    def test_values_are_checked_and_copied_whole(self):
        lines = self.qc(self.names[2])[1].decode().splitlines()
        header, row = lines[0].split("\t"), lines[1].split("\t")
        quality = header.index("mean_quality")

        def with_value(column, value):
            fields = list(row)
            fields[header.index(column)] = value
            return self.part("crafted.tsv", ("\n".join([lines[0], "\t".join(fields)]) + "\n").encode())

        for value in ("1e308", "-0.5", "123456789012345678901234567890.25"):
            with self.subTest(value):
                part = with_value("mean_quality", value)
                code, out, err = self.qc("--merge", "--format", "json", part)
                self.assertEqual((code, err), (0, ""))
                self.assertIn(b'"mean_quality":' + value.encode() + b",", out)
                self.assertEqual(json.loads(out)["mean_quality"], float(value))
                self.assertEqual(self.qc("--merge", part)[1].decode().splitlines()[1]
                                 .split("\t")[quality], value)
        for column, value, expected in (("mean_quality", '1,"status":"pass"', "a number"),
                                        ("mean_quality", "nan", "a number"),
                                        ("mean_quality", "1e999", "a number"),
                                        ("bases", "12.5", "a whole number"),
                                        ("status", "great", "pass, weak, fail or error"),
                                        ("profile", "1,x", "a list of whole numbers")):
            with self.subTest(value):
                code, out, err = self.qc("--merge", "--format", "json", with_value(column, value))
                self.assertEqual((code, out), (1, b""))
                self.assertEqual(err, f"crafted.tsv: line 2: the value of {column} is not "
                                      f"{expected}\n")
        json_line = self.qc("--format", "json", self.names[2])[1].decode()
        for crafted in (json_line.replace('"bases":1165', '"bases":"1165"'),
                        json_line.replace('"bases":1165', '"bases":[1165]')):
            code, out, err = self.qc("--merge", self.part("crafted.json", crafted.encode()))
            self.assertEqual((code, out), (1, b""), crafted)
            self.assertTrue(err.startswith("crafted.json: line 1"), err)
        self.part("empty.tsv", b"")
        self.assertEqual(self.qc("--merge", "empty.tsv"), (1, b"", "empty.tsv: it is empty\n"))


def main():
    global TOOL, DATA
    TOOL, DATA = os.path.abspath(sys.argv[1]), sys.argv[2]
    test_align.TOOL = TOOL
    test_align.DATA = DATA
    if not os.path.isdir(os.path.join(DATA, "abi")):
        print("test data not fetched; run scripts/fetch-test-data", file=sys.stderr)
        return 77
    program = unittest.main(argv=[sys.argv[0]], exit=False, verbosity=1)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
