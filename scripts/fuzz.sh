#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a while, two at a time:
#
#   scripts/fuzz.sh [seconds per harness, default 30] [input ...]
#
# Without inputs every harness fuzz/<input>_fuzzer.cpp runs. Each run reads its scratch
# corpus first (build/fuzz/corpus/<input>/, where libFuzzer keeps the new inputs it
# finds), then its seed corpus (fuzz/corpus/<input>/) and its regression inputs
# (fuzz/regression/<input>/). A crash, a broken property, a leak, a sanitizer report or
# a slow input fails the script; the input is saved under build/fuzz/artifacts/<input>/
# and the run's output is build/fuzz/logs/<input>.log. Without clang it says so and
# does nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, fuzzers not run"
  exit 0
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

inputs=("$@")
if [ ${#inputs[@]} -eq 0 ]; then
  for source in fuzz/*_fuzzer.cpp; do
    name="$(basename "$source" .cpp)"
    inputs+=("${name%_fuzzer}")
  done
fi

mkdir -p build/fuzz/logs
run() {
  local input="$1"
  mkdir -p "build/fuzz/corpus/$input" "build/fuzz/artifacts/$input"
  if "build/fuzz/fuzz/${input}_fuzzer" -max_total_time="$seconds" -timeout=25 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$input/" \
      "build/fuzz/corpus/$input" "fuzz/corpus/$input" "fuzz/regression/$input" \
      >"build/fuzz/logs/$input.log" 2>&1; then
    local runs rate
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/logs/$input.log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "build/fuzz/logs/$input.log")"
    echo "fuzz: $input: ${runs:-?} runs, ${rate:-?} exec/s, no finding"
  else
    echo "fuzz: $input: FINDING, see build/fuzz/logs/$input.log and build/fuzz/artifacts/$input/"
    tail -n 40 "build/fuzz/logs/$input.log"
    return 1
  fi
}

failed=0
running=0
for input in "${inputs[@]}"; do
  if [ "$running" -ge 2 ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run "$input" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: at least one harness found a problem"
  exit 1
fi
echo "fuzz: ${#inputs[@]} harnesses ran ${seconds} s each, no finding"
