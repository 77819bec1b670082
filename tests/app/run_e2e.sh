#!/usr/bin/env bash
# Runs the end-to-end driver in a Wine prefix of its own, so that the
# single-instance tests (window broadcasts, named mutexes, the machine
# registry) meet no other test. Arguments: the driver, then gtest options.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
driver=$1; shift
work=${BW_TEST_OUT:?}.wine
bw_new_prefix "$work" || bw_die "could not create the test prefix"
export WINEPREFIX=$work/prefix HOME=$work/home
# A small drive Q: for the restore on a full disk (skipped where no tmpfs
# can be mounted; the test reads why from diskfull.txt).
diskfull="$BW_ROOT/tests/framework/settings/diskfull_drive.py"
trap '/usr/bin/python3 "$diskfull" cleanup "$work.drive" "$BW_TEST_OUT"; bw_cleanup' EXIT
/usr/bin/python3 "$diskfull" setup "$work.drive" "$BW_TEST_OUT"
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config
bw_wine_env
if [ -z "${DISPLAY:-}" ]; then
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
fi
"$BW_WINE" "$driver" "$@"
