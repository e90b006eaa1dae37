#!/usr/bin/env bash
# Times the contig window's start-up with 96 reads on a 10 kb reference against an empty Qt
# window, each as a whole process, offscreen, best of RUNS: to its first paint, and to the first
# paint of the laid rows. The reads are the real 3730, 3100, A6_1-DB3 and 310 reads, each good
# region planted in a random reference, 24 copies each, every other copy reverse-complemented
# (traces and all) as an SCF file.
# usage: bench/contig_window.sh BUILD_DIR TEST_DATA [RUNS]
set -euo pipefail
build=$1
data=$2
runs=${3:-10}
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$build/vistrel-trace" "$data/abi" "$work" <<'PY'
import json, random, struct, subprocess, sys
tool, abi, out = sys.argv[1:]
comp = str.maketrans("ACGTRYKMSWBDHVNacgtrykmswbdhvn", "TGCAYRMKSWVHDBNtgcayrmkswvhdbn")

def write_scf(path, channels, bases, peaks, quals):
    count = max(len(c) for c in channels.values())
    header = bytearray(128)
    header[0:4] = b".scf"
    struct.pack_into(">6I", header, 4, count, 128, len(bases), 0, 0, 128 + 8 * count)
    header[36:44] = b"2.00\0\0\0\2"
    with open(path, "wb") as f:
        f.write(header)
        for j in range(count):
            f.write(struct.pack(">4H", *(min(max(channels[c][j] if j < len(channels[c]) else 0,
                                                 0), 65535) for c in "ACGT")))
        for i, b in enumerate(bases):
            f.write(struct.pack(">I4B", peaks[i], *[min(quals[i], 255)] * 4) + b.encode() + bytes(3))

rng = random.Random(5)
reference = [rng.choice("ACGT") for _ in range(10000)]
names = []
for k, name in enumerate(["3730.ab1", "3100.ab1", "A6_1-DB3.ab1", "310.ab1"]):
    d = json.loads(subprocess.run([tool, "dump", f"{abi}/{name}"], capture_output=True,
                                  text=True).stdout)
    start, end = d["trim"] or (0, len(d["bases"]))
    region = d["bases"][start:end].upper()[:2000]
    at = 200 + k * 2400
    reference[at:at + len(region)] = list(region)
    chans = {c["letter"]: c["samples"] for c in d["channels"]}
    n = d["maxSampleCount"]
    bases, peaks, quals = d["bases"], d["peaks"], d["quality"] or [20] * len(d["bases"])
    forward = f"{out}/f{k}.scf"
    write_scf(forward, chans, bases, peaks, quals)
    rc = {"ACGT"[i]: list(reversed(chans["TGCA"[i]])) for i in range(4)}
    reverse = f"{out}/r{k}.scf"
    write_scf(reverse, rc, bases.translate(comp)[::-1], [n - 1 - p for p in reversed(peaks)],
              quals[::-1])
    names += [forward, reverse] * 12
with open(f"{out}/reads.txt", "w") as f:
    f.write("\n".join(names))
with open(f"{out}/reference.fa", "w") as f:
    f.write(">clone\n" + "".join(reference) + "\n")
PY
mapfile -t reads < "$work/reads.txt"

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

echo "empty window:                  $(best "$build/bench/first_paint" empty)"
echo "contig window, first paint:    $(best "$build/bench/first_paint" contig "$work/reference.fa" "${reads[@]}")"
echo "contig window, rows laid:      $(best "$build/bench/first_paint" contig-laid "$work/reference.fa" "${reads[@]}")"
