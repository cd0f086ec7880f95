#!/usr/bin/env bash
# Builds the libFuzzer programs of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs each for a bounded
# time, starting from its checked-in corpus.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    60 s per target, every target by default
#
# Fails when a target finds a crash, an input running longer than
# $TIMEOUT s (a hang), a leak or memory past $RSS_LIMIT_MB. The input that
# did it is kept as build-fuzz/findings/<target>/crash-…, timeout-…,
# leak-… or oom-…; fuzz/README.md says how it becomes a corpus file.
# New inputs the fuzzer found interesting go to build-fuzz/corpus/<target>,
# never into fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
(($# > 0)) && shift
targets=("$@")
((${#targets[@]})) || targets=(variant_json conversions filters sql_text)

TIMEOUT=${TIMEOUT:-10}
RSS_LIMIT_MB=${RSS_LIMIT_MB:-2048}
MAX_LEN=${MAX_LEN:-16384}

# The "fuzz" preset of CMakePresets.json: clang, build-fuzz/, fuzzers only.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
summary=()
for target in "${targets[@]}"; do
  program=build-fuzz/fuzz/fuzz_$target
  if [[ ! -x $program ]]; then
    echo "fuzz.sh: no target '$target'" >&2
    exit 2
  fi
  work=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  log=build-fuzz/logs/$target.log
  mkdir -p "$work" "$findings" build-fuzz/logs
  echo "== $target: $seconds s"
  status=0
  # The first folder receives the new inputs; the checked-in one is only read.
  "$program" "$work" "fuzz/corpus/$target" -dict="fuzz/dictionaries/$target.dict" \
    -max_total_time="$seconds" -timeout="$TIMEOUT" -rss_limit_mb="$RSS_LIMIT_MB" \
    -max_len="$MAX_LEN" -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -1)
  if ((status != 0)); then
    tail -n 60 "$log"
    failed+=("$target")
    summary+=("$target: FAILED (exit $status), see $log and $findings/")
  else
    grep -E '^(INFO: seed corpus|#[0-9]+ +DONE)' "$log" || true
    summary+=("$target: ${runs:-?} runs, ${found:-0} new inputs, nothing found")
  fi
done

echo "== fuzzing, $seconds s per target"
printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzz.sh: findings in ${failed[*]}" >&2
  exit 1
fi
