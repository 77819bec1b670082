#!/usr/bin/env bash
# Measures the user interface under Wine beside the system's own controls:
# repainting image buttons against a toolbar, a 100-entry popup against
# TrackPopupMenuEx, and making 100 images with their disabled looks.
# Usage: bench-ui.sh [rounds] (default 5).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
source "$BW_ROOT/scripts/lib/wine-bench.sh"
bw_run_wine_bench bench_ui_win tests/framework/ui/bench_ui_win.exe "${1:-5}"
