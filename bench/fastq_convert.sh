#!/usr/bin/env bash
# Times FASTQ conversion of the real ABI test files, their list repeated to about 200 files:
# one vistrel-trace process against one Python process with Biopython (read abi, write fastq),
# each as a whole process, best of RUNS.
# usage: bench/fastq_convert.sh BUILD_DIR TEST_DATA [RUNS]
set -euo pipefail
build=$1
data=$2
runs=${3:-5}
python=${PYTHON:-/usr/bin/python3}
tool="$build/vistrel-trace"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/vistrel" "$work/biopython"

# The files both can convert, copied under distinct names: one run never writes an output twice.
readable=()
for f in "$data"/abi/*.ab1; do
  if "$tool" convert --to fastq -o "$work/probe.fastq" --force "$f" >/dev/null 2>&1; then
    readable+=("$f")
  fi
done
(( ${#readable[@]} > 0 )) || { echo "no convertible files in $data/abi" >&2; exit 1; }
inputs=()
while (( ${#inputs[@]} < 200 )); do
  for f in "${readable[@]}"; do
    copy="$work/in/${#inputs[@]}-$(basename "$f")"
    cp "$f" "$copy"
    inputs+=("$copy")
  done
done

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

biopython_script='
import os, sys
from Bio import SeqIO
out = sys.argv[1]
for path in sys.argv[2:]:
    name = os.path.splitext(os.path.basename(path))[0]
    SeqIO.write(SeqIO.read(path, "abi"), os.path.join(out, name + ".fastq"), "fastq")
'
vistrel=$(best "$tool" convert --to fastq --force -d "$work/vistrel" "${inputs[@]}")
biopython=$(best "$python" -c "$biopython_script" "$work/biopython" "${inputs[@]}")
# Each side must have written every file, or the times compare nothing.
for side in vistrel biopython; do
  written=$(find "$work/$side" -name '*.fastq' | wc -l)
  (( written == ${#inputs[@]} )) || { echo "$side wrote $written of ${#inputs[@]} files" >&2; exit 1; }
done
echo "${#inputs[@]} files (${#readable[@]} distinct), best of $runs"
echo "vistrel-trace: ${vistrel}"
echo "Biopython:     $biopython"
