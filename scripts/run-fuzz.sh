#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a number of seconds each, one after another.
# Usage: scripts/run-fuzz.sh BUILD_DIR SECONDS [TARGET...]
# Each target starts from its committed corpus (fuzz/corpus/T), every input that ever failed
# (fuzz/regressions/T) and, for 3ds, the real scenes in tests/data/3ds; what it learns goes to
# BUILD_DIR/corpus/T. A finding stops the run with its input saved as BUILD_DIR/findings/T-*: once fixed,
# commit that file under fuzz/regressions/T so the ordinary test suite replays it for good.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image 3ds mp3 command_line show_file)

mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  seeds=(fuzz/regressions/"$t" fuzz/corpus/"$t")
  [ "$t" = 3ds ] && seeds+=(tests/data/3ds)
  mkdir -p "$build/corpus/$t"
  log="$build/fuzz-$t.log"
  echo "fuzz: $t for ${seconds} s"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$t-" "$build/corpus/$t" "${seeds[@]}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $t found a failing input (see $build/findings/); log: $log" >&2
    exit 1
  fi
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $t ran clean: $execs executions, ${done_line#*DONE   }"
done
