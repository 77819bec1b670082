#!/usr/bin/env bash
# Builds the Windows tree (MinGW-w64) and the native tree (clang with
# sanitizers) into $BW_BUILD_DIR/{win,native}. --wine or --native builds one.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

want_win=1 want_native=1
for a in "$@"; do
  case "$a" in
    --wine) want_native=0 ;;
    --native) want_win=0 ;;
    *) bw_die "unknown option $a" ;;
  esac
done

((want_win)) || export BW_NATIVE_ONLY=1
# One build at a time into a build folder (two runs at once would write the
# same files): a second caller waits, then finds little left to do.
mkdir -p "$BW_BUILD_DIR"
exec 8>"$BW_BUILD_DIR/.build.lock"
flock 8
[ -n "${BW_SKIP_SETUP:-}" ] || "$BW_ROOT/scripts/setup.sh"

configure() {  # folder, then cmake options
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.bw-options" 2>/dev/null)" != "$*" ]; then
    cmake -S "$BW_ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 ||
      { cat "$dir.configure.log" >&2; return 1; }
    echo "$*" >"$dir/.bw-options"
  fi
}

if ((want_win)); then
  deps=$("$BW_ROOT/scripts/setup-deps.sh")
  configure "$BW_BUILD_DIR/win" -DCMAKE_TOOLCHAIN_FILE="$BW_ROOT/cmake/toolchain-mingw64.cmake" \
    -DBW_DEPS_DIR="$deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BW_BUILD_DIR/win" -j "$BW_JOBS"
fi
if ((want_native)); then
  configure "$BW_BUILD_DIR/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  cmake --build "$BW_BUILD_DIR/native" -j "$BW_JOBS"
fi
