# The common run of a Windows benchmark program: packages, the Windows tree
# and the benchmark target built, a Wine prefix of the benchmark's own, a
# virtual screen when there is no display, then the program with its
# arguments. Usage: bw_run_wine_bench <target> <exe path below build/win> [args...]
bw_run_wine_bench() {
  local target=$1 exe=$BW_BUILD_DIR/win/$2 base=${1%_win}
  local work=$BW_BUILD_DIR/${base//_/-}
  shift 2
  "$BW_ROOT/scripts/setup.sh"
  BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
  cmake --build "$BW_BUILD_DIR/win" --target "$target" >&2
  mkdir -p "$work"
  bw_wine_env
  bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
  export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home XDG_DATA_HOME=$work/wine/home/.local/share
  trap bw_cleanup EXIT
  if [ -z "${DISPLAY:-}" ]; then
    bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
    export DISPLAY
  fi
  "$BW_WINE" "$exe" "$@"
}
