#!/usr/bin/env bash
# Times `vistrel-trace align` of one real read (3730.ab1's good region, planted with three
# substitutions, a base lost and a base gained, on the reverse strand) against a random reference
# of MEGABASES (100 by default) and a 10 kb plasmid, with the peak memory of each run. Beside each,
# the same run on a file without base calls (test.fsa), which reads the reference and never aligns:
# what the real run takes beyond it is the seed index and the alignment.
# usage: bench/align_large_reference.sh BUILD_DIR TEST_DATA [MEGABASES]
set -euo pipefail
build=$1
data=$2
megabases=${3:-100}
python=${PYTHON:-/usr/bin/python3}
tool="$build/vistrel-trace"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

read_file="$data/abi/3730.ab1"
no_bases="$data/abi/test.fsa"
"$tool" dump "$read_file" >"$work/read.json"

# Writes a FASTA reference of LETTERS random letters with the planted read at its middle.
make_reference() {
  "$python" - "$work/read.json" "$1" "$2" <<'EOF'
import json, os, sys
d = json.load(open(sys.argv[1]))
start, end = d["trim"]
read = bytearray(d["bases"][start:end].upper(), "ascii")
for k in (100, 300, 500):
    read[k] = ord("A" if read[k] != ord("A") else "C")
del read[700]
read[900:900] = b"G"
planted = bytes(read[::-1]).translate(bytes.maketrans(b"ACGT", b"TGCA"))
letters = int(sys.argv[2])
sequence = bytearray(os.urandom(letters).translate(bytes(b"ACGT" * 64)))
at = letters // 2
sequence[at:at + len(planted)] = planted
with open(sys.argv[3], "wb") as f:
    f.write(b">random\n")
    view = memoryview(sequence)
    for i in range(0, letters, 80):
        f.write(view[i:i + 80])
        f.write(b"\n")
print(at + 1)
EOF
}

# Runs align and prints its wall time, peak memory and the summary line it printed.
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$tool" align --summary --ref "$1" "$2" \
    >"$work/out" 2>"$work/err" || true
  read -r seconds user system kilobytes < <(tail -n 1 "$work/time")
  printf "  %-12s %6.2f s (cpu %6.2f s)  %7.1f MB  %s\n" "$(basename "$2")" "$seconds" \
    "$(awk "BEGIN { print $user + $system }")" \
    "$(awk "BEGIN { print $kilobytes / 1024 }")" \
    "$(tail -n +2 "$work/out" | cut -f3-8 | tr '\t' ' ')$(head -c 60 "$work/err")"
}

for letters in 10000 $((megabases * 1000000)); do
  at=$(make_reference "$letters" "$work/ref.fa")
  echo "reference of $letters letters, the read planted at $at (strand, ref_start, ref_end," \
    "aligned_length, identity, differences):"
  measure "$work/ref.fa" "$read_file"
  measure "$work/ref.fa" "$no_bases"
done
