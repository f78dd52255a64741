#!/bin/sh
# Runs each fuzz target for a bounded time from its seed corpus.
#   fuzz/run.sh BUILD_DIR SECONDS
# New inputs go to a scratch folder in the build tree; a crash leaves its input there and
# fails the run.
set -eu
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../examples" && pwd)

run() {
  target=$1
  shift
  work="$build/fuzz-work/$target"
  mkdir -p "$work/corpus"
  echo "== $target for ${seconds}s"
  status=0
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "$@" >"$work/log" 2>&1 ||
    status=$?
  grep -E "^(Done|stat::)|SUMMARY|check failed|Test unit written" "$work/log" || true
  if [ "$status" -ne 0 ]; then
    echo "$target failed (status $status); see $work/log" >&2
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
}

passed=0
failed=0

run step_file_fuzz "$here/corpus/step" "$examples/comma" "$examples/point"
run number_text_fuzz "$here/corpus/number"
run spectrum_file_fuzz "$examples/instruments" "$examples/comma" "$here/../tests/data/biologic" "$here/../tests/data/pyimpspec"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
