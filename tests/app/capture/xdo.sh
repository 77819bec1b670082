#!/bin/sh
# Runs one xdotool command chain on the test's display, then leaves the
# named file so that the Wine side, which cannot wait on a Unix process,
# knows the input has been sent.
done_file=$1
shift
/usr/bin/xdotool "$@"
: >"$done_file"
