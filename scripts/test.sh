#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the native
# tree under the sanitizers, the Windows tree under wine64 with this run's own
# prefix and displays. Arguments other than --native/--wine go to ctest.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"

run_native=1 run_win=1 ctest_args=()
for a in "$@"; do
  case "$a" in
    --wine) run_native=0 ;;
    --native) run_win=0 ;;
    *) ctest_args+=("$a") ;;
  esac
done
build_args=()
((run_native)) || build_args+=(--wine)
((run_win)) || build_args+=(--native)

start=$(date +%s)
"$BW_ROOT/scripts/build.sh" "${build_args[@]}"

trap bw_cleanup EXIT
summaries=()
passed=0 failed=0 status=0

run_ctest() {  # label, folder
  local label=$1 dir=$2 log
  log=$dir/ctest-run.log
  set +e
  ctest --test-dir "$dir" -j "$BW_JOBS" --output-on-failure --no-tests=error \
    "${ctest_args[@]}" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    summaries+=("$label: $line")
  else
    summaries+=("$label: no tests ran")
  fi
  ((rc == 0)) || status=1
}

if ((run_native)); then
  ( export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1
    run_ctest native "$BW_BUILD_DIR/native"
    declare -p summaries passed failed status >"$BW_BUILD_DIR/native/.summary" )
  source "$BW_BUILD_DIR/native/.summary"
fi

if ((run_win)); then
  bw_wine_env
  RUN=$BW_BUILD_DIR/run
  bw_new_prefix "$RUN/wine" || bw_die "could not create a Wine prefix"
  export WINEPREFIX=$RUN/wine/prefix HOME=$RUN/wine/home
  export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
  if bw_start_dual_display BW_DUAL_DISPLAY; then
    bw_new_prefix "$RUN/wine-dual" || bw_die "could not create a Wine prefix"
    export BW_DUAL_DISPLAY BW_DUAL_PREFIX=$RUN/wine-dual/prefix
    export BW_XRANDR_MONITORS=$(DISPLAY=$BW_DUAL_DISPLAY xrandr --listmonitors)
  else
    export BW_DUAL_REASON="Xorg with the dummy driver could not start on this machine"
    unset BW_DUAL_DISPLAY
  fi
  # Wine's server and its services keep the descriptors they inherit: they
  # start here, before CTest, and the server stays up (-p) until bw_cleanup
  # ends it, so no test starts them with its own pipes (wine-run.sh keeps
  # the desktop process off those pipes).
  start_wine() {
    "$BW_WINESERVER" -p >/dev/null 2>&1 || true
    "$BW_WINE" cmd /c exit >/dev/null 2>&1 || true
  }
  start_wine
  if [ -n "${BW_DUAL_DISPLAY:-}" ]; then
    ( export DISPLAY=$BW_DUAL_DISPLAY WINEPREFIX=$BW_DUAL_PREFIX; start_wine )
  fi
  run_ctest wine "$BW_BUILD_DIR/win"
fi

echo
echo "Summary ($(( $(date +%s) - start )) s):"
for s in "${summaries[@]}"; do echo "  $s"; done
echo "total: $passed passed, $failed failed"
exit $status
