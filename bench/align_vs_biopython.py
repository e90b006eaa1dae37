"""Aligning a 1,000-base read to a 10,000-base reference on both strands with traceback: Vistrel's
aligner (analysis_bench) against Biopython's PairwiseAligner with the same scores (NUC.4.4, gap
open 10, extend 1, end gaps free in the reference), on the same sequences in the same run.

usage: /usr/bin/python3 bench/align_vs_biopython.py BUILD_DIR [RUNS]
"""
import json
import os
import random
import subprocess
import sys
import tempfile
import time

from Bio import Align
from Bio.Align import substitution_matrices
from Bio.Seq import reverse_complement


def sequences():
    rng = random.Random(3)
    reference = "".join(rng.choice("ACGT") for _ in range(10000))
    read = list(reference[4000:5000])
    for k in range(50, 1000, 97):  # a few substitutions
        read[k] = "A" if read[k] != "A" else "C"
    return "".join(read), reference


def biopython_seconds(read, reference, runs):
    aligner = Align.PairwiseAligner()
    aligner.substitution_matrix = substitution_matrices.load("NUC.4.4")
    aligner.open_gap_score, aligner.extend_gap_score = -10, -1
    # The reference is the target; gaps at the ends of the read (the query) cost nothing.
    aligner.query_end_gap_score = 0
    aligner.mode = "global"
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        for strand in (read, reverse_complement(read)):
            alignment = aligner.align(reference, strand)[0]  # one traceback
            str(alignment)
        best = min(best, time.perf_counter() - start)
    return best


def vistrel_seconds(build, read, reference):
    with tempfile.TemporaryDirectory() as tmp:
        sequences_path = os.path.join(tmp, "sequences.txt")
        report = os.path.join(tmp, "report.json")
        with open(sequences_path, "w") as f:
            f.write(read + "\n" + reference + "\n")
        subprocess.run(
            [os.path.join(build, "bench", "analysis_bench"), sequences_path,
             "--benchmark_filter=align", "--benchmark_out=" + report,
             "--benchmark_out_format=json"], capture_output=True, check=True)
        with open(report) as f:
            run = json.load(f)["benchmarks"][0]
    return run["real_time"] / {"ns": 1e9, "us": 1e6, "ms": 1e3, "s": 1}[run["time_unit"]]


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    read, reference = sequences()
    ours = vistrel_seconds(build, read, reference)
    theirs = biopython_seconds(read, reference, runs)
    print(f"vistrel (parasail):       {ours * 1000:9.1f} ms")
    print(f"Biopython PairwiseAligner: {theirs * 1000:9.1f} ms")
    print(f"Biopython / vistrel:       {theirs / ours:9.1f}x")


if __name__ == "__main__":
    main()
