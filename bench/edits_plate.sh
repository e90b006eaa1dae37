#!/usr/bin/env bash
# Times the edit analysis on planted mixtures of a real control trace (test-data/abi/3730.ab1):
# edit_analysis_bench for one sample against reading its two files, then `vistrel-trace edits`
# of a 96-sample plate as a whole process with -j 1 and -j 2, best of RUNS, and the time per
# sample.
# usage: bench/edits_plate.sh BUILD_DIR TEST_DATA [RUNS]
set -euo pipefail
build=$1
data=$2
runs=${3:-3}
python=${PYTHON:-/usr/bin/python3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
control="$data/abi/3730.ab1"

# 96 wells, each a different mixture of the unedited allele and two indels of up to 20 bases.
guide=$("$python" - "$here/../tests/interop" "$control" "$work" <<'PY'
import os, random, sys
sys.path.insert(0, sys.argv[1])
from test_edits import Abif, GUIDE_START
abif = Abif(sys.argv[2])
rng = random.Random(7)
for row in "ABCDEFGH":
    for column in range(1, 13):
        well = "%s%02d" % (row, column)
        a, b = rng.sample([s for s in range(-20, 21) if s], 2)
        wt = rng.uniform(0.1, 0.6)
        x = rng.uniform(0, 1 - wt)
        abif.write_mixture(os.path.join(sys.argv[3], well + ".ab1"), GUIDE_START + 17,
                           {0: wt, a: x, b: 1 - wt - x}, well)
print(abif.bases[GUIDE_START:GUIDE_START + 20])
PY
)

"$build/bench/edit_analysis_bench" "$control" "$work/D06.ab1" "$guide" --benchmark_min_time=0.5

best() {  # best wall time in seconds of RUNS runs of the command
  local best=""
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
  done
  echo "$best"
}

echo
for jobs in 1 2; do
  t=$(best "$build/vistrel-trace" edits --control "$control" --guide "$guide" -j "$jobs" \
    "$work"/*.ab1)
  echo "edits of 96 samples, -j $jobs: $t s, $(echo "$t" | awk '{printf "%.1f", $1 * 1000 / 96}') ms a sample"
done
