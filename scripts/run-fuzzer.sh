#!/usr/bin/env bash
# Runs one libFuzzer target as the test command does: a fixed seed and a
# fixed number of runs over the committed seed folders, so the same commit
# always executes the same inputs and gives the same verdict.
#
#   run-fuzzer.sh <fuzzer> <work folder> <runs> [seed folders...]
#
# New inputs go to the work folder (emptied first); the seed folders are only
# read. With BW_FUZZ_SECONDS set (scripts/fuzz.sh) the run is exploratory
# instead: a random seed, that many seconds, the work folder kept and grown,
# and crash inputs kept beside it.
set -eu
fuzzer=$1 work=$2 runs=$3
shift 3

# Memory limits, from the image library's rule that an image's pixel data
# never exceeds 2^30 bytes:
# - the largest single allocation a decoder may rightly make is one image
#   block: 2^30 bytes of pixels + 40 bytes of header + 1024 bytes of palette,
#   just above 1024 MB, so -malloc_limit_mb=1025. Anything larger is a
#   decoder committing memory the library's rule forbids, and is reported;
# - resident memory: that block, fully written (1025 MB), plus what
#   AddressSanitizer adds (an eighth for shadow memory, 128 MB; a quarantine
#   of freed blocks, 256 MB) and the fuzzer itself with its corpus (seen up to
#   about 530 MB), so -rss_limit_mb=2048.
limits=(-malloc_limit_mb=1025 -rss_limit_mb=2048)

seeds=()
for s in "$@"; do
  [ -d "$s" ] && seeds+=("$s")
done

if [ -n "${BW_FUZZ_SECONDS:-}" ]; then
  mkdir -p "$work" "$work.crashes"
  exec "$fuzzer" "${limits[@]}" -max_total_time="$BW_FUZZ_SECONDS" -timeout=10 \
    -artifact_prefix="$work.crashes/" -print_final_stats=1 "$work" "${seeds[@]}"
fi

rm -rf "$work" "$work.crashes"
mkdir -p "$work" "$work.crashes"
# The same inputs must take the same paths on every run. Addresses steer a
# few of them (the operands of compared pointers, which the comparison
# tracing would turn into mutations, and a few paths through the libraries),
# so the run goes without address randomisation, in a fixed environment, and
# with -use_cmp=0. -reload=0: no time-driven rereading of the corpus folder.
# The timeout only catches hangs; a slow machine must not change the verdict.
fixed=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
  fixed=(setarch "$(uname -m)" -R)
fi
exec env -i PATH="$PATH" ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
  "${fixed[@]}" "$fuzzer" "${limits[@]}" -seed=1 -runs="$runs" -reload=0 -use_cmp=0 \
  -timeout=60 -artifact_prefix="$work.crashes/" -print_final_stats=1 "$work" "${seeds[@]}"
