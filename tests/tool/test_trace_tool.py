"""vistrel-trace as a user runs it: the JSON dump, batch conversion, messages and exit codes.

usage: test_trace_tool.py VISTREL_TRACE SAMPLE_FOLDER
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL = None
SAMPLES = None
CORRUPT = "Not an ABI or SCF file,\nor data is corrupt"


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def dump(path, *options):
    result = run("dump", *options, path)
    assert result.returncode == 0, result.stderr
    return json.loads(result.stdout)


class Dump(unittest.TestCase):
    def test_abi_sample_has_every_field(self):
        d = dump(os.path.join(SAMPLES, "sample.ab1"))
        self.assertEqual(list(d), [
            "format", "headerSkip", "codeSet", "maxSampleCount", "channels", "bases", "peaks",
            "baseCount", "peakCount", "editedBases", "editedPeaks", "originalBases",
            "originalPeaks", "fileTitle", "fileInfoText", "sampleNameText", "runEndedText",
            "windowTitle", "comments"])
        self.assertEqual(d["format"], "abi")
        self.assertEqual(d["codeSet"], 4)
        self.assertEqual("".join(c["letter"] for c in d["channels"]), "GATC")
        for c in d["channels"]:
            self.assertEqual(len(c["samples"]), c["sampleCount"])
        self.assertEqual(d["maxSampleCount"], max(c["sampleCount"] for c in d["channels"]))
        self.assertEqual(d["bases"], d["editedBases"])
        self.assertNotEqual(d["editedBases"], d["originalBases"])
        self.assertEqual(len(d["bases"]), d["baseCount"])
        self.assertEqual(len(d["peaks"]), d["peakCount"])
        self.assertEqual(d["fileTitle"], "sample.ab1")
        self.assertEqual(d["fileInfoText"], "File: sample.ab1")
        self.assertEqual(d["sampleNameText"], "Sequence Name: Vistrel sample")
        self.assertEqual(d["runEndedText"], "Run ended: Dec 8, 2026")
        self.assertEqual(d["windowTitle"], "Vistrel - Vistrel sample")
        self.assertIsNone(d["comments"])

    def test_original_shows_the_other_set(self):
        d = dump(os.path.join(SAMPLES, "sample.ab1"), "--original")
        self.assertEqual(d["bases"], d["originalBases"])
        self.assertEqual(d["peaks"], d["originalPeaks"])

    def test_scf_sample(self):
        d = dump(os.path.join(SAMPLES, "sample.scf"))
        self.assertEqual(d["format"], "scf")
        self.assertNotIn("editedBases", d)
        self.assertEqual("".join(c["letter"] for c in d["channels"]), "ACGT")
        self.assertEqual(max(max(c["samples"]) for c in d["channels"]), 1600)
        self.assertEqual(d["windowTitle"], "Vistrel")
        self.assertEqual(d["runEndedText"], "Run ended: Jul 9 2026 11:45")
        self.assertEqual(d["comments"], "NAME=Vistrel sample\nSTOP=Jul 9 2026 11:45\n")

    def test_bytes_above_127_are_escaped(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "latin.scf")
            with open(os.path.join(SAMPLES, "sample.scf"), "rb") as f:
                data = bytearray(f.read())
            count = int.from_bytes(data[12:16], "big")
            letters = int.from_bytes(data[24:28], "big") + 8 * count
            data[letters] = 0xE9
            with open(path, "wb") as f:
                f.write(data)
            out = run("dump", path).stdout
            self.assertIn('"bases":"\\u00e9', out)
            self.assertEqual(json.loads(out)["bases"][0], "\u00e9")

    def test_failures_print_the_message_alone(self):
        with tempfile.TemporaryDirectory() as tmp:
            text = os.path.join(tmp, "notes.txt")
            with open(text, "w") as f:
                f.write("This is no trace\n" * 20)
            empty = os.path.join(tmp, "empty.ab1")
            open(empty, "w").close()
            for path, message in [(text, CORRUPT), (empty, "The file could not be read"),
                                  (os.path.join(tmp, "absent.ab1"), "File not found"),
                                  (os.path.join(tmp, "no", "x.ab1"), "Path not found")]:
                result = run("dump", path)
                self.assertEqual(result.returncode, 1, path)
                self.assertEqual(result.stderr, message + "\n")
                self.assertEqual(result.stdout, "")

    def test_usage_errors(self):
        for args in [(), ("dump",), ("dump", "--bogus", "x"), ("convert", "x.ab1"),
                     ("convert", "--to", "pdf", "x.ab1"), ("frobnicate",),
                     ("convert", "--to", "scf", "-o", "a", "x.ab1", "y.ab1")]:
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("usage:", result.stderr)


class Convert(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.abi = os.path.join(self.tmp, "sample.ab1")
        self.scf = os.path.join(self.tmp, "sample.scf")
        shutil.copy(os.path.join(SAMPLES, "sample.ab1"), self.abi)
        shutil.copy(os.path.join(SAMPLES, "sample.scf"), self.scf)

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def read(self, name, mode="rb"):
        with open(os.path.join(self.tmp, name), mode) as f:
            return f.read()

    def test_each_target_with_an_output_folder(self):
        out = os.path.join(self.tmp, "out")
        os.mkdir(out)
        for target, name in [("scf", "sample.scf"), ("fasta", "sample.seq"), ("raw", "sample.txt")]:
            result = run("convert", "--to", target, "-d", out, self.abi)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stderr, "")
            self.assertTrue(os.path.exists(os.path.join(out, name)), target)
        source = dump(self.abi)
        converted = dump(os.path.join(out, "sample.scf"))
        self.assertEqual(converted["bases"], source["bases"])
        self.assertEqual(converted["peaks"], source["peaks"])
        self.assertIn("CONV=Vistrel 1.45\nEDIT=", converted["comments"])
        fasta = self.read("out/sample.seq", "r")
        self.assertTrue(fasta.startswith(">sample sequence exported from chromatogram file\n"))
        raw = self.read("out/sample.txt")
        self.assertEqual(len(raw), 29 * (source["maxSampleCount"] + 1))
        self.assertTrue(raw.startswith(b"     G      A      T      C\r\n"))

    def test_output_file_and_default_folder(self):
        target = os.path.join(self.tmp, "clone.txt")
        self.assertEqual(run("convert", "--to", "text", "-o", target, self.abi).returncode, 0)
        text = self.read("clone.txt", "r")
        self.assertEqual(text.replace("\n", ""), dump(self.abi)["bases"])
        self.assertEqual(run("convert", "--to", "text", "--original", self.abi).returncode, 0)
        self.assertEqual(self.read("sample.seq", "r").replace("\n", ""),
                         dump(self.abi)["originalBases"])

    def test_a_failure_does_not_stop_the_batch(self):
        bad = os.path.join(self.tmp, "bad.ab1")
        with open(bad, "w") as f:
            f.write("no trace here" * 20)
        out = os.path.join(self.tmp, "out")
        os.mkdir(out)
        result = run("convert", "--to", "scf", "-d", out, bad, self.abi)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, bad + ": " + CORRUPT + "\n")
        self.assertEqual(sorted(os.listdir(out)), ["sample.scf"])

    def test_write_failures_name_the_file(self):
        result = run("convert", "--to", "scf", "-d", os.path.join(self.tmp, "missing"), self.abi)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, self.abi + ": Path not found\n")

    def test_an_input_is_never_replaced(self):
        before = self.read("sample.scf")
        result = run("convert", "--to", "scf", self.scf)
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.startswith(self.scf + ": the output would replace the input"))
        self.assertEqual(self.read("sample.scf"), before)
        result = run("convert", "--to", "scf", "-o", os.path.join(self.tmp, ".", "sample.scf"), self.scf)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(self.read("sample.scf"), before)

    def test_batches_report_progress(self):
        inputs = []
        for i in range(5):
            inputs.append(os.path.join(self.tmp, f"copy{i}.ab1"))
            shutil.copy(self.abi, inputs[-1])
        result = run("convert", "--to", "scf", *inputs)
        self.assertEqual(result.returncode, 0)
        lines = result.stderr.splitlines()
        self.assertEqual(lines, [f"[{i + 1}/5] {p}" for i, p in enumerate(inputs)])
        for i in range(5):
            self.assertTrue(os.path.exists(os.path.join(self.tmp, f"copy{i}.scf")))


if __name__ == "__main__":
    TOOL, SAMPLES = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=1)
