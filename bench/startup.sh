#!/usr/bin/env bash
# Times start-up to the first painted frame: the program with a file against an empty window,
# each as a whole process, offscreen, best of RUNS.
# usage: bench/startup.sh BUILD_DIR TRACE_FILE [RUNS]
set -euo pipefail
build=$1
file=$2
runs=${3:-20}
export QT_QPA_PLATFORM=offscreen
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

best() {
  local fastest=999999
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(( (end - start) / 100000 ))
    (( ms < fastest )) && fastest=$ms
  done
  printf '%d.%d ms' $((fastest / 10)) $((fastest % 10))
}

empty=$(best "$build/bench/first_paint" empty)
vistrel=$(best "$build/bench/first_paint" vistrel "$file")
echo "empty window:        $empty"
echo "vistrel with a file: $vistrel"
