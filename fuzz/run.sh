#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while each:
#   fuzz/run.sh BUILD_DIR SECONDS
# Each starts from its seed corpus (fuzz/corpus/<target>/) and from what
# earlier runs found (BUILD_DIR/fuzz/work/<target>/). A crash stops the run;
# its input is in BUILD_DIR/fuzz/crashes/: once the bug is fixed, copy it
# into the target's seed corpus so every smoke run tries it again.
set -euo pipefail
build_dir=${1:?build folder}
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")" && pwd)

# The build knows its targets (fuzz/CMakeLists.txt writes their list).
mapfile -t targets < "$build_dir/fuzz/targets.txt"

status=0
for target in "${targets[@]}"; do
  work="$build_dir/fuzz/work/$target"
  mkdir -p "$work" "$build_dir/fuzz/crashes"
  echo "== $target: ${seconds}s"
  if ! "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build_dir/fuzz/crashes/$target-" "$work" "$source_dir/corpus/$target" \
      > "$build_dir/fuzz/$target.log" 2>&1; then
    echo "$target FAILED: see $build_dir/fuzz/$target.log and $build_dir/fuzz/crashes/"
    tail -n 40 "$build_dir/fuzz/$target.log"
    status=1
  else
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$build_dir/fuzz/$target.log" | tr '\n' ' '
    echo
  fi
done
exit $status
