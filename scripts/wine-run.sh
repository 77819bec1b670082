#!/usr/bin/env bash
# CTest's emulator for the Windows tree: runs one test executable under wine64
# in the run's own prefix and display (set up by scripts/test.sh). Executables
# declared DUAL_MONITOR get the two-monitor display and its own prefix.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: no WINEPREFIX/DISPLAY; run the tests through scripts/test.sh" >&2
  exit 2
fi
if [ "${BW_DISPLAY_KIND:-}" = dual ]; then
  if [ -n "${BW_DUAL_DISPLAY:-}" ]; then
    export DISPLAY=$BW_DUAL_DISPLAY WINEPREFIX=$BW_DUAL_PREFIX
  else
    export BW_DUAL_UNAVAILABLE=${BW_DUAL_REASON:-"no two-monitor display in this run"}
  fi
fi
# Helper processes that a test's program starts (Wine's desktop process,
# explorer.exe /desktop) inherit its output descriptors and outlive it: were
# these CTest's pipes, a test that passed would wait for them to its timeout.
# The program writes into a file instead, streamed to CTest while it runs.
log=$(mktemp "${TMPDIR:-/tmp}/bw-wine-run.XXXXXX") || exit 2
trap 'rm -f "$log"' EXIT
/usr/lib/wine/wine64 "$@" >"$log" 2>&1 &
pid=$!
tail -s 0.1 -n +1 -f --pid=$pid "$log" &
tailpid=$!
wait $pid
rc=$?
wait $tailpid
exit $rc
