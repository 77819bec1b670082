#!/usr/bin/env bash
# Builds the image-history benchmark optimised and without sanitizers, runs it
# and prints its times against malloc + memcpy, PIL and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${BW_BUILD_DIR:-$root/build}/bench-document
mkdir -p "$work"
srcs=$(ls "$root"/imagelib/*.cpp "$root"/imagelib/codecs/*/*.cpp "$root"/app/document/*.cpp \
          "$root"/app/profiles/*.cpp "$root"/app/startup/*.cpp "$root"/framework/app/grow_array.cpp \
          "$root"/framework/draw/color.cpp "$root"/framework/settings/*.cpp "$root"/framework/text/*.cpp \
          "$root"/framework/zip/*.cpp | grep -v '_win\.cpp$')
clang++ -std=c++17 -O2 -DNDEBUG -I"$root" -o "$work/bench_document" \
  "$root/tests/app/document/bench/bench_document.cpp" $srcs -lpng -ljpeg -ltiff -lz -lpthread
"$work/bench_document" >"$work/ours.txt"
/usr/bin/python3 "$root/tests/app/document/bench/bench_peers.py" "$work" "$work/ours.txt"
