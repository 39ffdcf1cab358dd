#!/usr/bin/env bash
# Runs every benchmark; BUILD is the build folder.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
"$build/bench/area_average_bench" --benchmark_counters_tabular=true
for extra in "$here"/bench/*.sh; do
  [ -e "$extra" ] || continue
  echo
  bash "$extra" "$build"
done
