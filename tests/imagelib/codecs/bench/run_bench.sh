#!/usr/bin/env bash
# Builds the codec benchmark optimised and without sanitizers and compares
# it with PIL and ImageMagick. Not a test: timings depend on the machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../../.." && pwd)
work=${BW_BUILD_DIR:-$root/build}/bench-codecs
mkdir -p "$work"
# The whole portable image library, as the codec table names every codec built.
srcs=$(ls "$root"/imagelib/*.cpp "$root"/imagelib/codecs/*/*.cpp | grep -v '_win\.cpp$')
clang++ -std=c++17 -O2 -DNDEBUG -I"$root" $(pkg-config --cflags libpng) -o "$work/bench_codecs" \
  "$here/bench_codecs.cpp" $srcs $(pkg-config --libs libpng) -ljpeg -ltiff -lz
/usr/bin/python3 "$here/bench_compare.py" "$work" "$work/bench_codecs"
