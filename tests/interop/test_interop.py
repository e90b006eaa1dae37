"""Vistrel against two independent readers, io_lib and Biopython, on real instrument files.

usage: test_interop.py VISTREL_TRACE TEST_DATA
TEST_DATA is what scripts/fetch-test-data makes: abi/ holds the real ABI files (and a fake one),
scf/ holds io_lib's SCF version 2 and 3 copies of them. Exits 77 when it has not been fetched.

Known io_lib behaviour that the comparisons allow for:
- trace_dump lists the channels as A, C, G, T; Vistrel keeps the file's order (FWO_), so channels
  are matched by letter.
- reading ABI, io_lib shows an 'N' call (uppercase only) as '-', and its SCF copies store that '-'.
  It keeps every other byte of PBAS 1 (the edited calls) as it is, lowercase included.
- samples are the stored 16-bit values, shown unsigned: no shift, no clipping, no scaling.
- io_lib reads only DATA 9-12 unless told otherwise, so it refuses test.fsa (DATA 1-8 only);
  Vistrel shows the raw channels 1-4 of such a file without base calls.
- an SCF file cannot tell quality values that are all zero from none: io_lib then lists none,
  and Vistrel takes all-zero PCON values of an ABI file as none too.
Biopython's sequence and quality values of an ABI file are the original set's (PBAS2, PCON2).
"""
import io
import json
import os
import struct
import subprocess
import sys
import tempfile

CORRUPT = "Not an ABI or SCF file, or data is corrupt\n"
NO_BASE_CALLS = "This file has no base calls, so it has no sequence to export."
NO_QUALITIES = "This read has no quality values, so it cannot be exported as FASTQ."
TOOL = None
DATA = None


class Mismatch(Exception):
    pass


def same(what, got, want):
    if got == want:
        return
    if isinstance(got, (list, str)) and isinstance(want, (list, str)):
        if len(got) != len(want):
            raise Mismatch(f"{what}: {len(got)} values, expected {len(want)}")
        i = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), None)
        if i is not None:
            raise Mismatch(f"{what}: first difference at {i}: {got[i]!r}, expected {want[i]!r}")
    raise Mismatch(f"{what}: {got!r}, expected {want!r}")


def vistrel(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def dump(path, *options):
    r = vistrel("dump", *options, path)
    if r.returncode != 0:
        raise Mismatch(f"Vistrel refused it: {r.stderr.strip()!r}")
    return json.loads(r.stdout)


def channel(doc, letter):
    found = [c for c in doc["channels"] if c["letter"] == letter]
    if len(found) != 1:
        raise Mismatch(f"{len(found)} channels for {letter}: "
                       f"{[c['letter'] for c in doc['channels']]}")
    return found[0]


def io_lib(path):
    """io_lib's reading of a trace as {'letters', 'peaks', 'npoints', 'A'..'T': samples}, or None
    when it refuses the file."""
    r = subprocess.run(["trace_dump", path], capture_output=True)
    if r.returncode != 0:
        return None
    t = {"letters": "", "peaks": [], "A": [], "C": [], "G": [], "T": []}
    section = None
    for line in r.stdout.decode("latin-1").splitlines():  # latin-1 keeps each byte one letter
        if line.startswith("["):
            section = line.strip("[]")
        elif not line.strip():
            continue
        elif section == "Header" and line.endswith("# NPoints"):
            t["npoints"] = int(line.split()[0])
        elif section == "Bases":
            t["letters"] += line[0]
            t["peaks"].append(int(line[1:].split()[0]))
        elif section in ("A_Trace", "C_Trace", "G_Trace", "T_Trace"):
            t[section[0]].append(int(line.split("#")[0]))
    return t


def io_lib_qualities(path):
    """The quality values io_lib reads from an SCF file (the AV lines of the Experiment file it
    makes of it), or None when it lists none."""
    with open(path, "rb") as f:
        r = subprocess.run(["convert_trace", "-in_format", "scf", "-out_format", "exp"], stdin=f,
                           capture_output=True)
    if r.returncode != 0:
        raise Mismatch(f"io_lib cannot convert it: {r.stderr.strip()!r}")
    values = [int(v) for line in r.stdout.decode("latin-1").splitlines()
              if line.startswith("AV") for v in line[2:].split()]
    return values or None


def mott(qualities, cutoff):
    """The modified Mott region [start, end) of a list of Phred values, written afresh."""
    best, best_score, score, start = [0, 0], 0.0, 0.0, 0
    for i, q in enumerate(qualities):
        score += cutoff - 10 ** (-q / 10)
        if score <= 0:
            score, start = 0.0, i + 1
        elif score > best_score:
            best_score, best = score, [start, i + 1]
    return best


def abif_tags(path):
    """(name, number) of every entry in an ABIF directory, or None when it is not ABIF."""
    with open(path, "rb") as f:
        head = f.read(34)
        if len(head) < 34 or head[:4] != b"ABIF":
            return None
        count, offset = struct.unpack(">I4xI", head[18:30])
        f.seek(offset)
        directory = f.read(28 * count)
    return {(directory[i:i + 4].decode("latin-1"), struct.unpack(">I", directory[i + 4:i + 8])[0])
            for i in range(0, len(directory), 28)}


def scf_version(path):
    with open(path, "rb") as f:
        return f.read(40)[36:40].decode("latin-1")


# --- the checks; each raises Mismatch on a difference -------------------------------------------

def check_abi_against_io_lib(path):
    t = io_lib(path)
    if t is None:
        raise Mismatch("io_lib refused a file with base calls")
    d = dump(path)
    same("letters", d["bases"].replace("N", "-"), t["letters"])
    same("peaks", d["peaks"], t["peaks"])
    for letter in "ACGT":
        same(f"{letter} samples", channel(d, letter)["samples"], t[letter])
    return f"{len(t['letters'])} bases, {t['npoints']} samples"


def check_abi_against_biopython(path):
    from Bio import SeqIO
    try:
        raw = SeqIO.read(path, "abi").annotations["abif_raw"]
    except Exception as e:  # Biopython gives up on some valid files; Vistrel must still read them
        dump(path)
        return f"Biopython cannot read it ({type(e).__name__}); Vistrel can"
    d = dump(path)
    lanes = range(9, 13) if all(f"DATA{n}" in raw for n in range(9, 13)) else range(5, 9)
    same("channel letters", "".join(c["letter"] for c in d["channels"]),
         raw["FWO_1"][:4].decode("latin-1"))
    for c, n in zip(d["channels"], lanes):
        # Biopython decodes the stored shorts as signed; Vistrel shows the same 16 bits unsigned.
        same(f"{c['letter']} samples (DATA{n})", c["samples"], [v & 0xFFFF for v in raw[f"DATA{n}"]])
    same("edited letters (PBAS1)", d["editedBases"], raw["PBAS1"].decode("latin-1"))
    same("original letters (PBAS2)", d["originalBases"], raw["PBAS2"].decode("latin-1"))
    same("edited peaks (PLOC1)", d["editedPeaks"], list(raw["PLOC1"]))
    same("original peaks (PLOC2)", d["originalPeaks"], list(raw["PLOC2"]))
    same("shown letters", d["bases"], d["editedBases"])
    same("shown peaks", d["peaks"], d["editedPeaks"])
    return f"DATA{lanes[0]}-{lanes[-1]}, {raw['FWO_1'][:4].decode('latin-1')}"


def check_abi_qualities_against_biopython(path):
    from Bio import SeqIO
    record = SeqIO.read(path, "abi")
    d = dump(path, "--original")
    want = record.letter_annotations["phred_quality"]
    if not any(want):
        want = None  # all zero: the instrument gave none
    same("original quality (PCON2)", d["originalQuality"], want)
    same("shown quality with --original", d["quality"], want)
    edited = list(record.annotations["abif_raw"]["PCON1"])
    same("edited quality (PCON1)", d["editedQuality"], edited if any(edited) else None)
    return f"{len(want or [])} values, highest {max(want or [0])}"


def check_fastq_against_biopython(path, tmp):
    from Bio import SeqIO
    out = os.path.join(tmp, "record.fastq")
    r = vistrel("convert", "--to", "fastq", "--original", "--force", "-o", out, path)
    if not any(SeqIO.read(path, "abi").letter_annotations["phred_quality"]):
        same("refused without quality values", (r.returncode, r.stderr),
             (1, f"{path}: {NO_QUALITIES}\n"))
        return "no quality values: refused"
    if r.returncode != 0:
        raise Mismatch(f"convert failed: {r.stderr.strip()!r}")
    with open(out, newline="") as f:
        got = f.read().split("\n")
    want = io.StringIO()
    SeqIO.write(SeqIO.read(path, "abi"), want, "fastq")
    # The title names the file here and the sample in Biopython; the rest must be the same bytes.
    same("title", got[0][:1], "@")
    same("letters, '+' and qualities", got[1:], want.getvalue().split("\n")[1:])
    return f"{len(got[1])} bases"


def check_trim(path):
    # The shown set at the default cutoff and at a stricter one, and the other set of ABI files.
    runs = [((), 0.05), (("--trim-cutoff", "0.01"), 0.01)]
    if abif_tags(path) is not None:
        runs.append((("--original",), 0.05))
    regions = []
    for options, cutoff in runs:
        d = dump(path, *options)
        want = None if d["quality"] is None else mott(d["quality"], cutoff)
        same(f"region {' '.join(options)}", d["trim"], want)
        regions.append(d["trim"])
    return f"{regions} of {d['baseCount']}"


def check_trim_of_made_qualities(path, tmp):
    # The real file with its PCON entries replaced: no good base, two good runs parted by a gap
    # that empties the score (the later run longer, so the best must move) and two equal runs
    # (the first is kept).
    n = dump(path)["baseCount"]
    good, gap = [40] * 20, [0] * 5
    cases = [("all zero", [0] * n, None),
             ("two runs", good + gap + good + [40] * 10 + [0] * (n - 55), [25, 55]),
             ("a tie", good + gap + good + [0] * (n - 45), [0, 20])]
    with open(path, "rb") as f:
        image = f.read()
    for what, qualities, region in cases:
        data = bytearray(image)
        count, offset = struct.unpack(">I4xI", data[18:30])
        for entry in range(offset, offset + 28 * count, 28):
            if data[entry:entry + 4] == b"PCON":
                size, where = struct.unpack(">I4xI", data[entry + 12:entry + 24])
                data[where:where + size] = bytes(qualities[:size]).ljust(size, b"\0")
        made = os.path.join(tmp, "made.ab1")
        with open(made, "wb") as f:
            f.write(data)
        got = dump(made)
        same(f"{what}: quality", got["quality"], qualities if region else None)
        same(f"{what}: region", got["trim"], region)
        if region:
            same(f"{what}: independent region", mott(qualities, 0.05), region)
    return f"{n} bases"


def check_scf_against_io_lib(path):
    t = io_lib(path)
    if t is None:
        raise Mismatch("io_lib cannot read its own SCF file")
    d = dump(path)
    same("channel letters", "".join(c["letter"] for c in d["channels"]), "ACGT")
    same("letters", d["bases"], t["letters"])
    same("peaks", d["peaks"], t["peaks"])
    same("quality", d["quality"], io_lib_qualities(path))
    largest = max(max(t[letter], default=0) for letter in "ACGT")
    for letter in "ACGT":
        want = [v * 1600 // largest if largest else 0 for v in t[letter]]
        same(f"{letter} samples scaled to 1600", channel(d, letter)["samples"], want)
    return f"version {scf_version(path)}, largest sample {largest}"


def check_written_scf(path, tmp):
    out = os.path.join(tmp, os.path.basename(path) + ".out.scf")
    r = vistrel("convert", "--to", "scf", "-o", out, path)
    if r.returncode != 0:
        raise Mismatch(f"convert failed: {r.stderr.strip()!r}")
    same("version written", scf_version(out), "3.00")
    d = dump(path)
    t = io_lib(out)
    if t is None:
        raise Mismatch("io_lib refused the SCF file Vistrel wrote")
    same("letters", t["letters"], d["bases"])
    same("peaks", t["peaks"], d["peaks"])
    same("sample count", t["npoints"], d["maxSampleCount"])
    for letter in "ACGT":
        samples = channel(d, letter)["samples"]
        same(f"{letter} samples", t[letter], samples + [0] * (d["maxSampleCount"] - len(samples)))
    same("quality", io_lib_qualities(out), d["quality"] if any(d["quality"] or []) else None)
    return f"{len(t['letters'])} bases, {t['npoints']} samples"


def require(condition, detail):
    if not condition:
        raise Mismatch(detail)
    return "yes"


def check_refused(path):
    r = vistrel("dump", path)
    same("exit status", r.returncode, 1)
    same("message", r.stderr, CORRUPT)
    same("output", r.stdout, "")
    return "refused"


def check_without_base_calls(path, tmp):
    """A file with traces but no base calls: its channels as Biopython reads them (the analysed
    DATA 9-12, else the raw DATA 1-4), no bases, an SCF copy that io_lib reads, and no sequence
    export."""
    from Bio import SeqIO
    raw = SeqIO.read(path, "abi").annotations["abif_raw"]
    d = dump(path)
    same("bases", (d["baseCount"], d["editedBases"], d["originalBases"]), (0, "", ""))
    lanes = range(9, 13) if all(f"DATA{n}" in raw for n in range(9, 13)) else range(1, 5)
    for c, n in zip(d["channels"], lanes):
        same(f"{c['letter']} samples (DATA{n})", c["samples"], [v & 0xFFFF for v in raw[f"DATA{n}"]])
    out = os.path.join(tmp, "traces.scf")
    r = vistrel("convert", "--to", "scf", "--force", "-o", out, path)
    same("SCF written", (r.returncode, r.stderr), (0, ""))
    t = io_lib(out)
    if t is None:
        raise Mismatch("io_lib refused the SCF file Vistrel wrote")
    same("SCF letters", t["letters"], "")
    for c in d["channels"]:
        same(f"SCF {c['letter']} samples", t[c["letter"]], c["samples"])
    r = vistrel("convert", "--to", "fasta", "--force", "-o", os.path.join(tmp, "x.seq"), path)
    same("FASTA refused", (r.returncode, r.stderr), (1, f"{path}: {NO_BASE_CALLS}\n"))
    return f"DATA{lanes[0]}-{lanes[-1]}, {d['maxSampleCount']} samples"


def check_base_calls_renamed(path, tmp):
    # The same real file with its PBAS entries renamed opens as traces without base calls.
    with open(path, "rb") as f:
        data = bytearray(f.read())
    count, offset = struct.unpack(">I4xI", data[18:30])
    for entry in range(offset, offset + 28 * count, 28):
        if data[entry:entry + 4] == b"PBAS":
            data[entry:entry + 4] = b"XBAS"
    stripped = os.path.join(tmp, "no-base-calls.ab1")
    with open(stripped, "wb") as f:
        f.write(data)
    d, whole = dump(stripped), dump(path)
    same("bases", d["bases"], "")
    same("channels", d["channels"], whole["channels"])
    return "traces only"


# --- running -------------------------------------------------------------------------------------

def main():
    global TOOL, DATA
    TOOL, DATA = sys.argv[1], sys.argv[2]
    abi_dir, scf_dir = os.path.join(DATA, "abi"), os.path.join(DATA, "scf")
    if not os.path.exists(os.path.join(DATA, ".complete")):
        print(f"{DATA} is missing or incomplete: run scripts/fetch-test-data")
        return 77

    with_calls, without_calls, not_abi = [], [], []
    for name in sorted(os.listdir(abi_dir)):
        tags = abif_tags(os.path.join(abi_dir, name))
        if tags is None:
            not_abi.append(name)
        elif ("PBAS", 1) in tags:
            with_calls.append(name)
        else:
            without_calls.append(name)

    failures = 0
    total = 0

    def run(label, check, *args):
        nonlocal failures, total
        total += 1
        try:
            note = check(*args)
            print(f"  ok    {label}: {note}")
        except Exception as e:  # report every file, not just the first failure
            failures += 1
            kind = "" if isinstance(e, Mismatch) else f"{type(e).__name__}: "
            print(f"  FAIL  {label}: {kind}{e}")

    with tempfile.TemporaryDirectory() as tmp:
        print("the data set")
        run("real ABI files with base calls", require, len(with_calls) >= 5, f"only {with_calls}")
        run("fake.ab1 is there", require, "fake.ab1" in not_abi, f"not ABIF: {not_abi}")
        run("test.fsa has no base calls", require, "test.fsa" in without_calls,
            f"files without PBAS: {without_calls}")

        for name in with_calls:
            path = os.path.join(abi_dir, name)
            print(f"abi/{name}")
            run("same as io_lib", check_abi_against_io_lib, path)
            run("same as Biopython's raw tags", check_abi_against_biopython, path)
            run("quality values as Biopython's", check_abi_qualities_against_biopython, path)
            run("FASTQ as Biopython's", check_fastq_against_biopython, path, tmp)
            run("trimmed region", check_trim, path)
            run("SCF written, read by io_lib", check_written_scf, path, tmp)
            stem = os.path.splitext(name)[0]
            for version in ("v2", "v3"):
                scf = os.path.join(scf_dir, f"{stem}.{version}.scf")
                run(f"io_lib's {version} copy exists", require, os.path.exists(scf), f"no {scf}")

        for name in sorted(os.listdir(scf_dir)):
            path = os.path.join(scf_dir, name)
            print(f"scf/{name}")
            run("same as io_lib, scaled", check_scf_against_io_lib, path)
            run("trimmed region", check_trim, path)
            run("SCF written, read by io_lib", check_written_scf, path, tmp)

        print("refused files")
        for name in not_abi:
            run(f"abi/{name} (not ABIF)", check_refused, os.path.join(abi_dir, name))
        print("files without base calls")
        more_dir = os.path.join(DATA, "more")
        fragments = [os.path.join(more_dir, n) for n in sorted(os.listdir(more_dir))
                     if n.endswith(".fsa")] if os.path.isdir(more_dir) else []
        for path in [os.path.join(abi_dir, n) for n in without_calls] + fragments:
            run(os.path.relpath(path, DATA), check_without_base_calls, path, tmp)
        if with_calls:
            run(f"abi/{with_calls[0]} without PBAS", check_base_calls_renamed,
                os.path.join(abi_dir, with_calls[0]), tmp)
            print("made quality values")
            run(f"abi/{with_calls[-1]}, trimmed", check_trim_of_made_qualities,
                os.path.join(abi_dir, with_calls[-1]), tmp)

    print(f"{total - failures} of {total} checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
