#!/usr/bin/env bash
# Builds the deflate benchmark optimised and without sanitizers, makes its
# corpus with the zip test's fixture script, and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${BW_BUILD_DIR:-$root/build}/bench-deflate
mkdir -p "$work"
/usr/bin/python3 "$root/tests/framework/zip/make_zip_fixtures.py" "$work" >/dev/null
srcs=$(ls "$root"/framework/zip/*.cpp | grep -v '_win\.cpp$')
clang++ -std=c++17 -O2 -DNDEBUG -I"$root" -o "$work/bench_deflate" \
  "$root/tests/framework/zip/bench/bench_deflate.cpp" $srcs "$root/framework/text/crc32.cpp" -lz
"$work/bench_deflate" "$work/fixtures/corpus" "$work"
