#!/usr/bin/env bash
# Measures script timing under Wine: KEY from the script to the window's
# WM_KEYDOWN (median of 100), and the drift of one-second SLEEP and WAIT
# steps. Usage: bench-script.sh [steps] (default 60: two minutes).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
steps=${1:-60}

"$BW_ROOT/scripts/setup.sh"
BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
cmake --build "$BW_BUILD_DIR/win" --target bench_script_win >&2
EXE=$BW_BUILD_DIR/win/tests/app/script/bench_script_win.exe

work=$BW_BUILD_DIR/bench-script
mkdir -p "$work"
bw_wine_env
bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home XDG_DATA_HOME=$work/wine/home/.local/share
trap bw_cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
fi
"$BW_WINE" "$EXE" "$steps"
