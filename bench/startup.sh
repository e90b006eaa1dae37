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

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

empty=$(best "$build/bench/first_paint" empty)
vistrel=$(best "$build/bench/first_paint" vistrel "$file")
echo "empty window:        $empty"
echo "vistrel with a file: $vistrel"
