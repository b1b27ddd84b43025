#!/usr/bin/env bash
# Runs every libFuzzer target of a native build for the same number of seconds, one after the
# other, each over its own growing corpus and the committed seeds, and prints one line per target:
# executions, executions per second, findings (inputs that crashed, leaked, ran out of memory or
# timed out, kept in <build>/fuzz/findings-<target>/) and slow inputs (over 10 s of wall time,
# which on a busy machine is often the machine, kept beside them). Exit 1 when any target found
# something. With a number of executions, a target stops once it has run that many inputs (or
# its seconds are up), so that a slow target is not held back by the time a fast one needs.
#   tools/fuzz-all.sh <native build folder> <seconds per target> [targets run at once] [executions]
set -u
build=${1:?native build folder}
seconds=${2:-60}
jobs=${3:-1}
runs=${4:-0}
runsArg=()
[ "$runs" -gt 0 ] && runsArg=(-runs="$runs")
# An input frees well under a megabyte, so a 32 MB quarantine still holds back the frees of
# dozens of inputs (a use-after-free is caught as before) and keeps the heap warm; the default
# 256 MB spreads the inputs over fresh pages, whose faults cost a fifth to a third of the run.
# A caller's own ASAN_OPTIONS win.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz-all: no fuzz targets in $build/fuzz (a clang native build makes them)" >&2
  exit 2
fi
# Inputs that showed a fault.
faults() { ls "$1" | grep -cE '^(crash|leak|oom|timeout)-'; }

# One target's run; its line goes to <build>/fuzz/fuzz-all-<target>.line.
run_one() {
  local exe=$1 name work findings seeds before slowBefore log rc executed rate found slow
  name=$(basename "$exe" _fuzz)
  work="$build/fuzz/corpus-$name"
  findings="$build/fuzz/findings-$name"
  mkdir -p "$work" "$findings"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  before=$(faults "$findings")
  slowBefore=$(ls "$findings" | grep -c '^slow-unit-')
  log="$build/fuzz/fuzz-all-$name.log"
  "$exe" -max_total_time="$seconds" "${runsArg[@]}" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  found=$(( $(faults "$findings") - before ))
  slow=$(( $(ls "$findings" | grep -c '^slow-unit-') - slowBefore ))
  if [ -z "$executed" ]; then
    # A crash ends the run before the final figures; the last status line still has them.
    executed=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  fi
  [ "$rc" -ne 0 ] && [ "$found" -eq 0 ] && found=1
  printf '%-16s executions=%s exec/s=%s findings=%d slow=%d\n' "$name" "${executed:-0}" "${rate:-?}" \
    "$found" "$slow" \
    >"$build/fuzz/fuzz-all-$name.line"
}

running=0
for exe in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  run_one "$exe" &
  running=$((running + 1))
done
wait
for exe in "${targets[@]}"; do
  line="$build/fuzz/fuzz-all-$(basename "$exe" _fuzz).line"
  cat "$line"
  grep -q 'findings=0 ' "$line" || status=1
done
exit $status
