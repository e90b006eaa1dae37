#!/usr/bin/env bash
# Times the batch commands on the real ABI test files, their list repeated to 1,000 files (and
# to 100 and 10,000 for the growth of qc), each as a whole process, best of RUNS:
# - qc with -j 1 and -j 2 against Biopython reading the same files for their qualities in one
#   Python process;
# - convert to SCF with -j 1 and -j 2 against io_lib's convert_trace -fofn on the same files;
# - qc of 100, 1,000 and 10,000 files with -j 2, and the time per file.
# usage: bench/batch_bench.sh BUILD_DIR TEST_DATA [RUNS]
set -euo pipefail
build=$1
data=$2
runs=${3:-3}
python=${PYTHON:-/usr/bin/python3}
tool="$build/vistrel-trace"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

readable=()
for f in "$data"/abi/*.ab1; do
  "$tool" dump "$f" >/dev/null 2>&1 && readable+=("$f")
done
(( ${#readable[@]} > 0 )) || { echo "no readable files in $data/abi" >&2; exit 1; }

# N copies under distinct names in a folder of their own; prints the folder.
copies() {
  local n=$1 folder="$work/in$1" i=0
  mkdir -p "$folder"
  while (( i < n )); do
    for f in "${readable[@]}"; do
      (( i < n )) || break
      cp "$f" "$folder/$i-$(basename "$f")"
      i=$((i + 1))
    done
  done
  echo "$folder"
}

# The best wall time of RUNS runs of a command, in milliseconds; `prepare` runs before each.
best() {
  local fastest=999999999 start end ms
  for _ in $(seq "$runs"); do
    prepare
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    (( ms < fastest )) && fastest=$ms
  done
  echo "$fastest"
}
prepare() { :; }

in1000=$(copies 1000)
files=("$in1000"/*)
cat >"$work/biopython.py" <<'PY'
import sys
from Bio import SeqIO
for path in sys.argv[1:]:
    SeqIO.read(path, "abi").letter_annotations["phred_quality"]
PY
qc1=$(best "$tool" qc -j 1 "${files[@]}")
qc2=$(best "$tool" qc -j 2 "${files[@]}")
bio=$(best "$python" "$work/biopython.py" "${files[@]}")
echo "qc of 1000 files, -j 1:              $qc1 ms"
echo "qc of 1000 files, -j 2:              $qc2 ms"
echo "Biopython reading their qualities:   $bio ms  ($(( bio / (qc2 > 0 ? qc2 : 1) ))x the qc -j 2 time)"

out="$work/out"
prepare() { rm -rf "$out"; mkdir -p "$out"; }
for f in "${files[@]}"; do echo "$f $out/$(basename "$f" .ab1).scf"; done >"$work/fofn"
conv1=$(best "$tool" convert --to scf -j 1 -d "$out" "${files[@]}")
conv2=$(best "$tool" convert --to scf -j 2 -d "$out" "${files[@]}")
iolib=$(best convert_trace -out_format scf -fofn "$work/fofn")
echo "convert of 1000 files, -j 1:         $conv1 ms"
echo "convert of 1000 files, -j 2:         $conv2 ms"
echo "io_lib convert_trace -fofn:          $iolib ms"
prepare() { :; }

for n in 100 1000 10000; do
  folder=$(copies "$n")
  many=("$folder"/*)
  ms=$(best "$tool" qc -j 2 "${many[@]}")
  echo "qc of $n files, -j 2:  $ms ms  ($(( ms * 1000 / n )) us per file)"
done
