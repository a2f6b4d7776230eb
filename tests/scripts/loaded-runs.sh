#!/usr/bin/env bash
# The suite and the sanitizer suite on a loaded machine, to show that no
# bound on time can flake:
#   tests/scripts/loaded-runs.sh PLAIN_BUILD SANITIZER_BUILD [RUNS]
# The two suites run side by side, each the load of the other: the
# sanitizer suite RUNS times, the plain suite over and over until then (at
# least RUNS times). Every run of either must pass. The sanitizer run's
# environment and its ctest arguments (SANITIZE_CTEST_ARGS) come from the
# caller, as make test-loaded gives them.
set -uo pipefail
plain=${1:?plain build folder}
sanitized=${2:?sanitizer build folder}
runs=${3:-5}
logs=$(mktemp -d /tmp/voicememo-loaded-XXXXXX)
export QT_QPA_PLATFORM=offscreen

sanitized_runs() {
  local failed=0
  for ((i = 1; i <= runs; i++)); do
    if (cd "$sanitized" && ctest -j 2 --output-on-failure ${SANITIZE_CTEST_ARGS:-}) > "$logs/sanitized-$i.log" 2>&1; then
      echo "sanitizer suite, run $i: passed"
    else
      echo "sanitizer suite, run $i: FAILED (see $logs/sanitized-$i.log)"
      failed=1
    fi
  done
  return $failed
}

plain_runs() {  # until the sanitizer runs end (their pid is $1), and at least $runs times
  local failed=0 i=0
  while ((i < runs)) || kill -0 "$1" 2>/dev/null; do
    i=$((i + 1))
    if (cd "$plain" && ctest -j 2 --output-on-failure) > "$logs/plain-$i.log" 2>&1; then
      echo "plain suite, run $i: passed"
    else
      echo "plain suite, run $i: FAILED (see $logs/plain-$i.log)"
      failed=1
    fi
  done
  return $failed
}

sanitized_runs & sanitized_pid=$!
plain_runs "$sanitized_pid" & plain_pid=$!
status=0
wait "$sanitized_pid" || status=1
wait "$plain_pid" || status=1
echo "logs in $logs"
exit $status
