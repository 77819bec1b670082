#!/usr/bin/env bash
# Measures script timing under Wine: KEY from the script to the window's
# WM_KEYDOWN (median of 100), and the drift of one-second SLEEP and WAIT
# steps. Usage: bench-script.sh [steps] (default 60: two minutes).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
source "$BW_ROOT/scripts/lib/wine-bench.sh"
bw_run_wine_bench bench_script_win tests/app/script/bench_script_win.exe "${1:-60}"
