"""vistrel-trace as a user runs it: the JSON dump, batch conversion, messages and exit codes.

usage: test_trace_tool.py VISTREL_TRACE SAMPLE_FOLDER
"""
import json
import os
import pty
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = None
SAMPLES = None
CORRUPT = "Not an ABI or SCF file, or data is corrupt"


def run(*args, **options):
    options.setdefault("timeout", 120)
    return subprocess.run([TOOL, *args], capture_output=True, text=True, **options)


def built_with_asan():
    # ASan reserves terabytes of shadow memory at start-up, so it cannot run under RLIMIT_AS.
    with open(TOOL, "rb") as f:
        return b"__asan_init" in f.read()


def write_long_scf(path, samples):
    """An SCF 2.00 file of 16-bit samples, all at full scale, and one base."""
    header = bytearray(128)
    header[0:4] = b".scf"
    struct.pack_into(">6I", header, 4, samples, 128, 1, 0, 0, 128 + 8 * samples)
    header[36:44] = b"2.00\0\0\0\2"
    with open(path, "wb") as f:
        f.write(header)
        f.write(struct.pack(">4H", 1600, 1600, 1600, 1600) * samples)
        f.write(bytes(8) + b"A" + bytes(3))


_shim = []


def fault_shim():
    """The preloaded library of fault_shim.c, built once; None without a C compiler."""
    if not _shim:
        folder = tempfile.mkdtemp()
        library = os.path.join(folder, "fault_shim.so")
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fault_shim.c")
        compiler = shutil.which("cc") or shutil.which("gcc")
        built = compiler and subprocess.run([compiler, "-shared", "-fPIC", "-o", library, source,
                                             "-ldl"], capture_output=True).returncode == 0
        _shim.append(library if built else None)
    return _shim[0]


def run_with_faults(*args, **faults):
    """The tool with fault_shim.c preloaded and its settings (VISTREL_SHIM_...) from `faults`."""
    library = fault_shim()
    if library is None or built_with_asan():
        raise unittest.SkipTest("no C compiler for the shim, or a sanitizer that must load first")
    env = dict(os.environ, LD_PRELOAD=library,
               **{"VISTREL_SHIM_" + k.upper(): str(v) for k, v in faults.items()})
    return run(*args, env=env)


def on_a_terminal(*args):
    """What the tool writes on stderr when stderr is a terminal."""
    controller, terminal = pty.openpty()
    try:
        subprocess.run([TOOL, *args], stdout=subprocess.DEVNULL, stderr=terminal, timeout=120)
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
    return seen.decode().replace("\r\n", "\n")


def dump(path, *options):
    result = run("dump", *options, path)
    assert result.returncode == 0, result.stderr
    return json.loads(result.stdout)


class Dump(unittest.TestCase):
    def test_abi_sample_has_every_field(self):
        d = dump(os.path.join(SAMPLES, "sample.ab1"))
        self.assertEqual(list(d), [
            "format", "headerSkip", "codeSet", "maxSampleCount", "channels", "bases", "peaks",
            "baseCount", "peakCount", "quality", "trim", "mixed", "editedBases", "editedPeaks",
            "editedQuality", "originalBases", "originalPeaks", "originalQuality", "fileTitle",
            "fileInfoText", "sampleNameText", "runEndedText", "windowTitle", "comments"])
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
        self.assertEqual(d["editedQuality"], d["quality"])
        self.assertIsNone(d["originalQuality"])
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
                     ("convert", "--to", "scf", "-o", "a", "x.ab1", "y.ab1"),
                     ("convert", "--to", "scf", "-o", "", "x.ab1"),
                     ("convert", "--to", "scf", "-d", "", "x.ab1"),
                     ("convert", "--to", "scf", "--trim", "x.ab1"),
                     ("convert", "--to", "raw", "--trim", "x.ab1"),
                     ("dump", "--trim-cutoff", "1.01", "x.ab1"),
                     ("convert", "--to", "scf", "-j", "257", "x.ab1"),
                     ("qc", "-j", "0", "x.ab1")] + [
                        ("convert", "--to", "fasta", "--trim", "--trim-cutoff", p, "x.ab1")
                        for p in ["-0.1", "2", "abc", "nan", "inf", "0.5x", ""]]:
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("usage:", result.stderr)

    def test_version_is_the_projects(self):
        cmake = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                             "CMakeLists.txt")
        with open(cmake) as f:
            version = re.search(r"project\(Vistrel VERSION ([0-9.]+)", f.read()).group(1)
        result = run("--version")
        self.assertEqual((result.returncode, result.stdout), (0, f"vistrel-trace {version}\n"))

    def test_threads_that_cannot_start_leave_fewer_workers(self):
        if built_with_asan():
            self.skipTest("AddressSanitizer cannot start under an address-space limit")
        # 256 thread stacks of 8 MB do not fit in 1 GB of address space.
        limit = 1 << 30
        files = [os.path.join(SAMPLES, "sample.ab1")] * 300
        # One malloc arena: the per-thread arenas of the workers that did start would otherwise
        # take what address space is left, more of it the busier the machine.
        result = run("qc", "-j", "256", *files, preexec_fn=lambda: resource.setrlimit(
            resource.RLIMIT_AS, (limit, limit)), env=dict(os.environ, MALLOC_ARENA_MAX="1"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(result.stdout.splitlines()), 301)

    def test_running_out_of_memory_while_building_the_json(self):
        if built_with_asan():
            self.skipTest("AddressSanitizer cannot start under an address-space limit")
        # Reading these 32 MB takes about 70 MB, making their JSON text about 220 MB: the limits
        # run out at different stages of the text.
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "long.scf")
            write_long_scf(path, 4_000_000)
            for limit in [96 << 20, 128 << 20, 160 << 20, 192 << 20]:
                result = run("dump", path, preexec_fn=lambda: resource.setrlimit(
                    resource.RLIMIT_AS, (limit, limit)))
                if "Sanitizer" in result.stderr:
                    self.skipTest(result.stderr)
                self.assertEqual((result.returncode, result.stderr, result.stdout),
                                 (1, "Insufficient memory\n", ""), limit >> 20)

    def test_a_fifo_is_refused_without_waiting_for_a_writer(self):
        with tempfile.TemporaryDirectory() as tmp:
            fifo = os.path.join(tmp, "pipe.ab1")
            os.mkfifo(fifo)
            for args, message in [(("dump", fifo), "Access denied\n"),
                                  (("convert", "--to", "scf", fifo), fifo + ": Access denied\n")]:
                try:
                    result = run(*args, timeout=5)
                except subprocess.TimeoutExpired:
                    result = None
                self.assertIsNotNone(result, f"{args[0]} is still waiting on the FIFO")
                self.assertEqual((result.returncode, result.stderr), (1, message))


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
        result = run("convert", "--to", "scf", "--force", "-o",
                     os.path.join(self.tmp, ".", "sample.scf"), self.scf)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(self.read("sample.scf"), before)

    def test_an_existing_output_is_replaced_only_with_force(self):
        other = os.path.join(self.tmp, "other.ab1")
        shutil.copy(self.abi, other)
        out = os.path.join(self.tmp, "out")
        target = os.path.join(out, "sample.scf")
        pointed = os.path.join(self.tmp, "unrelated.scf")

        def state():
            link = os.readlink(target) if os.path.islink(target) else None
            return link, self.read(target) if os.path.exists(target) else None

        for kind in ["file", "link", "dangling link"]:
            with self.subTest(kind):
                shutil.rmtree(out, ignore_errors=True)
                os.mkdir(out)
                with open(pointed, "wb") as f:
                    f.write(b"unrelated")
                if kind == "file":
                    shutil.copy(pointed, target)
                else:
                    os.symlink(pointed if kind == "link" else pointed + ".gone", target)
                before = state()
                result = run("convert", "--to", "scf", "-d", out, self.abi, other)
                self.assertEqual((result.returncode, result.stderr), (1, (
                    f"{self.abi}: the output {target} exists; use --force to replace it\n")))
                self.assertEqual(state(), before)
                self.assertEqual(dump(os.path.join(out, "other.scf"))["bases"], dump(other)["bases"])

                result = run("convert", "--to", "scf", "--force", "-d", out, self.abi, other)
                self.assertEqual((result.returncode, result.stderr), (0, ""))
                self.assertEqual(dump(target)["bases"], dump(self.abi)["bases"])

    def test_two_inputs_never_write_one_output(self):
        for folder in ["a", "b", "out"]:
            os.mkdir(os.path.join(self.tmp, folder))
        shutil.copy(self.abi, os.path.join(self.tmp, "a", "x.ab1"))
        write_long_scf(os.path.join(self.tmp, "b", "x.ab1"), 100)
        os.symlink("a", os.path.join(self.tmp, "alias"))
        first = dump(self.abi)["bases"]
        for args, output in [(["-d", "out", "a/x.ab1", "b/x.ab1"], "out/x.scf"),
                             (["a/x.ab1", "./a/x.ab1"], "./a/x.scf"),
                             (["a/x.ab1", "alias/x.ab1"], "alias/x.scf")]:
            with self.subTest(args):
                result = run("convert", "--to", "scf", "--force", *args, cwd=self.tmp)
                self.assertEqual((result.returncode, result.stderr), (1, (
                    f"{args[-1]}: the output {output} is also the output of an earlier file of "
                    "this run\n")))
                self.assertEqual(dump(os.path.join(self.tmp, output))["bases"], first)
                os.remove(os.path.join(self.tmp, output))

    def test_a_full_disk_leaves_the_target_and_no_temporary_file(self):
        disk, seen = os.path.join(self.tmp, "disk"), os.path.join(self.tmp, "seen")
        os.mkdir(disk)
        # The disk lives only as long as the private mount namespace: copy out what is left.
        script = ('disk=$1 seen=$2; shift 2\n'
                  'mount -t tmpfs -o size=16k tmpfs "$disk" || exit 125\n'
                  'printf kept > "$disk/old.scf"\n'
                  '"$@"; status=$?\n'
                  'cp -a "$disk/." "$seen" && exit $status\n')
        probe = subprocess.run(["unshare", "-m", "sh", "-c", 'mount -t tmpfs tmpfs "$0"', disk],
                               capture_output=True, text=True) if shutil.which("unshare") else None
        if probe is None or probe.returncode != 0:
            self.skipTest("cannot mount a tmpfs in a private mount namespace")
        for options in [["--force", "-o", os.path.join(disk, "old.scf")],
                        ["-o", os.path.join(disk, "new.scf")]]:
            with self.subTest(options):
                shutil.rmtree(seen, ignore_errors=True)
                os.mkdir(seen)
                result = subprocess.run(["unshare", "-m", "sh", "-c", script, "sh", disk, seen, TOOL,
                                         "convert", "--to", "scf", *options, self.abi],
                                        capture_output=True, text=True, timeout=120)
                self.assertEqual((result.returncode, result.stderr),
                                 (1, self.abi + ": Could not write file\n"))
                self.assertEqual(os.listdir(seen), ["old.scf"])
                self.assertEqual(self.read("seen/old.scf"), b"kept")

    def test_fastq_needs_quality_values_and_trim_without_them_writes_the_whole_read(self):
        bare = os.path.join(self.tmp, "bare.scf")
        write_long_scf(bare, 10)  # its probabilities are all zero: no quality values
        out = os.path.join(self.tmp, "out")
        os.mkdir(out)
        result = run("convert", "--to", "fastq", "-d", out, bare, self.abi)
        self.assertEqual((result.returncode, result.stderr), (1, (
            f"{bare}: This read has no quality values, so it cannot be exported as FASTQ.\n")))
        self.assertEqual(os.listdir(out), ["sample.fastq"])
        d = dump(self.abi)
        self.assertEqual(self.read("out/sample.fastq", "r").split("\n")[1], d["bases"])
        start, end = d["trim"]
        self.assertLess(end - start, d["baseCount"])
        result = run("convert", "--to", "fastq", "--trim", "--force", "-d", out, self.abi)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertEqual(self.read("out/sample.fastq", "r").split("\n")[1], d["bases"][start:end])

        result = run("convert", "--to", "text", "--trim", "--trim-cutoff", "0", "-d", out, bare,
                     self.abi)
        self.assertEqual((result.returncode, result.stderr), (0, (
            f"{bare}: This read has no quality values, so it has no trimmed region. The whole "
            f"read is written.\n{self.abi}: No part of this read is good enough at the trim "
            "cutoff, so its trimmed region is empty.\n")))
        self.assertEqual(self.read("out/bare.seq", "r"), "A")
        self.assertEqual(self.read("out/sample.seq", "r"), "")

    def copies(self, count):
        inputs = []
        for i in range(count):
            inputs.append(os.path.join(self.tmp, f"copy{i}.ab1"))
            shutil.copy(self.abi, inputs[-1])
        return inputs

    def test_batches_report_progress_on_a_terminal_only(self):
        inputs = self.copies(5)
        result = run("convert", "--to", "scf", *inputs)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        seen = on_a_terminal("convert", "--to", "scf", "--force", *inputs)
        self.assertEqual(seen.splitlines(), [f"[{i + 1}/5] {p}" for i, p in enumerate(inputs)])
        for i in range(5):
            self.assertTrue(os.path.exists(os.path.join(self.tmp, f"copy{i}.scf")))

    def test_an_in_place_save_where_the_file_system_reserves_no_space(self):
        # A second name makes the save write in place; the new content is longer than the old.
        target, other = os.path.join(self.tmp, "t.scf"), os.path.join(self.tmp, "u.scf")
        with open(target, "wb") as f:
            f.write(b"old")
        os.link(target, other)
        result = run_with_faults("convert", "--to", "scf", "--force", "-o", target, self.abi,
                                 no_fallocate=1)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertEqual(os.stat(target).st_ino, os.stat(other).st_ino)
        self.assertEqual(dump(other)["bases"], dump(self.abi)["bases"])

    def test_a_folder_that_cannot_be_flushed_is_named_with_the_reason(self):
        out = os.path.join(self.tmp, "out")
        os.mkdir(out)
        result = run_with_faults("convert", "--to", "scf", "-d", out, self.abi,
                                 folder_open_errno=24)
        self.assertEqual((result.returncode, result.stderr), (
            1, f"{out}: the folder could not be flushed to disk: Too many open files\n"))

    def test_an_interrupted_convert_leaves_only_whole_outputs(self):
        inputs = self.copies(8)
        out = os.path.join(self.tmp, "out")
        bases = dump(self.abi)["bases"]
        for sig, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            for at in (1, 4, 7):
                with self.subTest(signal=sig.name, write=at):
                    shutil.rmtree(out, ignore_errors=True)
                    os.mkdir(out)
                    result = run_with_faults("convert", "--to", "scf", "-j", "2", "-d", out,
                                             *inputs, signal=int(sig), signal_at_write=at)
                    self.assertEqual(result.returncode, status, result.stderr)
                    left = os.listdir(out)
                    self.assertEqual([n for n in left if not n.endswith(".scf")], [])
                    self.assertLess(len(left), 8)
                    for name in left:
                        self.assertEqual(dump(os.path.join(out, name))["bases"], bases, name)


if __name__ == "__main__":
    TOOL, SAMPLES = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=1)
