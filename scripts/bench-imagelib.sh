#!/usr/bin/env bash
# Builds the image-library benchmark optimised and without sanitizers, makes
# its images, runs it and prints its times beside PIL's and ImageMagick's
# (and, for JPEG, djpeg's and cjpeg's; for GIF, giflib's and gifsicle's).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${BW_BUILD_DIR:-$root/build}/bench-imagelib
mkdir -p "$work"
images="screen_1080 screen_2160 photo_1080 photo_2160"
# Operations: a 3840x2160 picture and the same kind at 1920x1080, per kind.
operations="photo_2160 photo_1080 screen_2160 screen_1080"
/usr/bin/python3 "$root/tests/imagelib/bench/make_bench_images.py" "$work" >/dev/null
srcs=$(ls "$root"/imagelib/*.cpp "$root"/imagelib/codecs/*/*.cpp | grep -v '_win\.cpp$')
srcs="$srcs $root/app/document/quantizer.cpp"
clang++ -std=c++17 -O2 -DNDEBUG -I"$root" -o "$work/bench_imagelib" \
  "$root/tests/imagelib/bench/bench_imagelib.cpp" $srcs -lpng -ljpeg -ltiff -lz
"$work/bench_imagelib" "$work" $images --operations $operations >"$work/ours.txt"
/usr/bin/python3 "$root/tests/imagelib/bench/bench_peers.py" "$work" "$work/ours.txt" $images \
  --operations $operations
/usr/bin/python3 "$root/tests/imagelib/bench/bench_gif_peers.py" "$work" "$work/ours.txt" $images
