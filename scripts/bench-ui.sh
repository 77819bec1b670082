#!/usr/bin/env bash
# Measures the user interface under Wine beside the system's own controls:
# repainting image buttons against a toolbar, a 100-entry popup against
# TrackPopupMenuEx, and making 100 images with their disabled looks.
# Usage: bench-ui.sh [rounds] (default 5).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
rounds=${1:-5}

"$BW_ROOT/scripts/setup.sh"
BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
cmake --build "$BW_BUILD_DIR/win" --target bench_ui_win >&2
EXE=$BW_BUILD_DIR/win/tests/framework/ui/bench_ui_win.exe

work=$BW_BUILD_DIR/bench-ui
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
