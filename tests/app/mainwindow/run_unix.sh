#!/bin/sh
# Runs one command on the test's display, then leaves the named file with
# the command's exit code, so that the Wine side, which cannot wait on a
# Unix process, knows it has ended.
done_file=$1
shift
"$@" >"$done_file.log" 2>&1
echo $? >"$done_file.part"
mv "$done_file.part" "$done_file"
