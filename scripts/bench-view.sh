#!/usr/bin/env bash
# Measures the image view's repaint under Wine against a bare StretchDIBits
# of the same rectangles: 8000 x 6000 at 1 %, 100 % and 3200 %, and 3200 %
# of a small image. Usage: bench-view.sh [rounds] (default 15).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
source "$BW_ROOT/scripts/lib/wine-bench.sh"
bw_run_wine_bench bench_view_win tests/app/view/bench_view_win.exe "${1:-15}"
