#!/usr/bin/env bash
# Exploratory fuzzing, outside the test command: every fuzz target of the
# native tree (or those whose names match the given patterns) runs with a
# random seed for the given time, growing a corpus of its own in
# $BW_FUZZ_DIR (default <build>/fuzz), beside its committed seed folders.
#
#   scripts/fuzz.sh [seconds] [name patterns...]     (default 600 seconds)
#
# Targets run BW_FUZZ_JOBS at a time (default: half the cores). Each target's
# log is <dir>/<target>.log; crash, leak, timeout and out-of-memory inputs
# land in <dir>/<target>.crashes/. Add such an input to the target's seed
# folder together with its fix. The summary lists the executions per target.
#
# Memory limits, the same as the test command's and explained beside them in
# run-fuzzer.sh: -malloc_limit_mb=1025 (one image block at the library's 2^30
# limit) and -rss_limit_mb=2048 (that block plus the sanitizer and the fuzzer).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

seconds=600
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
patterns=("$@")
dir=${BW_FUZZ_DIR:-$BW_BUILD_DIR/fuzz}
jobs=${BW_FUZZ_JOBS:-$(( (BW_JOBS + 1) / 2 ))}

"$BW_ROOT/scripts/build.sh" --native
native=$BW_BUILD_DIR/native
mkdir -p "$dir"

# The fuzz tests as CTest knows them: name, fuzzer, runs, seed folders.
ctest --test-dir "$native" -L fuzz --show-only=json-v1 | /usr/bin/python3 -c '
import json, sys
for t in json.load(sys.stdin)["tests"]:
    cmd = t.get("command") or []
    if len(cmd) >= 4 and cmd[0].endswith("run-fuzzer.sh"):
        print("\t".join([t["name"], cmd[1]] + cmd[4:]))
' >"$dir/targets.tsv"

selected=()
while IFS=$'\t' read -r name _; do
  if [ ${#patterns[@]} -gt 0 ]; then
    keep=0
    for p in "${patterns[@]}"; do [[ $name == *$p* ]] && keep=1; done
    ((keep)) || continue
  fi
  selected+=("$name")
done <"$dir/targets.tsv"
[ ${#selected[@]} -gt 0 ] || bw_die "no fuzz target matches: ${patterns[*]}"

run_one() {  # target name
  local name=$1 fields
  IFS=$'\t' read -r -a fields < <(awk -F'\t' -v n="$name" '$1 == n' "$dir/targets.tsv")
  BW_FUZZ_SECONDS=$seconds "$BW_ROOT/scripts/run-fuzzer.sh" "${fields[1]}" "$dir/$name" 0 \
    "${fields[@]:2}" >"$dir/$name.log" 2>&1 || true
}

bw_log "fuzzing ${#selected[@]} targets for $seconds s each, $jobs at a time, in $dir"
running=0
for name in "${selected[@]}"; do
  run_one "$name" &
  running=$((running + 1))
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

echo
printf '%-40s %14s %10s %s\n' target executions exec/s findings
status=0
for name in "${selected[@]}"; do
  log=$dir/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  found=$(ls "$dir/$name.crashes" 2>/dev/null | wc -l)
  if grep -qE '^==[0-9]+==ERROR|^SUMMARY: |libFuzzer: (deadly|timeout|out-of-memory)' "$log"; then
    found="$found (see $log)"
    status=1
  fi
  printf '%-40s %14s %10s %s\n' "$name" "${runs:-?}" "${speed:-?}" "$found"
done
exit $status
