#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: fuzzer, work folder, seconds,
# then seed folders. The seeds are copied so the source tree stays untouched.
set -eu
fuzzer=$1 work=$2 seconds=$3
shift 3
rm -rf "$work"
mkdir -p "$work"
for seeds in "$@"; do
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
done
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$work"
