#!/usr/bin/env bash
# Runs the fuzz targets built in build/fuzz one after the other, each on one core, and prints one
# summary line a target (executions, executions a second, coverage, crashes), also kept in
# build/fuzz/summary.txt. `make fuzz` calls it.
#
#   tools/fuzz.sh RUNS SECONDS TARGET...
#
# Each target runs until RUNS executions (-1: no limit) or SECONDS seconds (0: no limit), whichever
# comes first, from its corpus in build/fuzz/corpus/TARGET (kept between runs) and its seeds in
# fuzz/corpus/TARGET, with the dictionary fuzz/krelin.dict. A crashing input is saved as build/fuzz/crashes/TARGET-...
# and ends that target's run; the others still run. Exits 1 when a target crashed or did not run.
# A slow input (libFuzzer's slow-unit-..., ten seconds by the wall clock, which a busy machine can
# make of a quick one) is kept beside the crashes but is no crash: a run fails on a timeout only.
set -u
cd "$(dirname "$0")/.."
runs=$1 seconds=$2
shift 2
mkdir -p build/fuzz/crashes
: > build/fuzz/summary.txt
failed=0
crash_count() { ls build/fuzz/crashes | grep "^$1-" | grep -vc "^$1-slow-unit-"; }
for target in "$@"; do
  mkdir -p "build/fuzz/corpus/$target"
  log="build/fuzz/$target.log"
  before=$(crash_count "$target")
  echo "fuzz $target: -runs=$runs -max_total_time=$seconds"
  # A search may take long on a slow machine, never a minute.
  "build/fuzz/${target}Fuzz" "build/fuzz/corpus/$target" "fuzz/corpus/$target" -dict=fuzz/krelin.dict \
    -runs="$runs" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crashes/$target-" > "$log" 2>&1
  status=$?
  crashes=$(($(crash_count "$target") - before))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  coverage=$(grep -aoE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -1)
  line=$(printf '%-13s %9s executions %6s exec/s  %s  crashes %d' "$target" "${executions:-0}" "${rate:-0}" \
    "${coverage:-cov: ? ft: ? corp: ?}" "$crashes")
  echo "$line" | tee -a build/fuzz/summary.txt
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ] || [ -z "$executions" ]; then
    grep -a -A30 -m1 -E '^==[0-9]+==|runtime error|deadly signal' "$log" | head -40
    failed=1
  fi
done
exit "$failed"
