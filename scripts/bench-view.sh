#!/usr/bin/env bash
# Measures the image view's repaint under Wine against a bare StretchDIBits
# of the same rectangles: 8000 x 6000 at 1 %, 100 % and 3200 %, and 3200 %
# of a small image. Usage: bench-view.sh [rounds] (default 15).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
rounds=${1:-15}

"$BW_ROOT/scripts/setup.sh"
BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
cmake --build "$BW_BUILD_DIR/win" --target bench_view_win >&2
EXE=$BW_BUILD_DIR/win/tests/app/view/bench_view_win.exe

work=$BW_BUILD_DIR/bench-view
mkdir -p "$work"
bw_wine_env
bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home XDG_DATA_HOME=$work/wine/home/.local/share
trap bw_cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
fi
"$BW_WINE" "$EXE" "$rounds"
