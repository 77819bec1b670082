#!/usr/bin/env bash
# Measures a Print Screen capture under Wine on a 1920x1080 screen: from
# SendInput to the saved PNG appearing (medians over repeated presses), for
# Brightwarden (minimised, a stored profile: the whole screen, saved under a
# fixed name as PNG at the default level, window left hidden) and for the
# floor (a minimal program built the same way doing BitBlt, GetDIBits, libpng
# into a temporary file and MoveFileExA on the same hotkey). The screen shows
# the screenshot-like picture of the image-library benchmark, and every
# saved file must equal it. Usage: bench-capture.sh [presses] (default 15).
#
# With --profile (scripts/bench-profile.sh) the floor makes the image
# library's calls instead (CreateFromBitmap, PNG through the library's
# temporary file and replace), and both are measured twice: as above, and
# with the image turned grey and halved (nearest neighbours) before the
# save; the processed files must equal the picture's grey half.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
profile=0
if [ "${1:-}" = --profile ]; then
  profile=1
  shift
fi
runs=${1:-15}

"$BW_ROOT/scripts/setup.sh"
BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
EXE=${BW_APP_EXE:-$BW_BUILD_DIR/win/app/Brightwarden.exe}  # or another build of the program
STORE=$BW_BUILD_DIR/win/tests/bench/bench_capture_profile.exe
deps=$("$BW_ROOT/scripts/setup-deps.sh")
src=$BW_ROOT/tests/bench/capture

work=$BW_BUILD_DIR/bench-capture
rm -rf "$work/out"
mkdir -p "$work/out"
# The picture: the image-library benchmark's 1920x1080 screenshot, as BMP
# for the helper that shows it and as raw RGB for the comparison.
/usr/bin/python3 - "$BW_ROOT" "$work" <<'PY'
import sys
sys.path.insert(0, sys.argv[1] + "/tests/imagelib/bench")
import numpy as np
from PIL import Image
import make_bench_images
pixels = make_bench_images.screenshot(1920, 1080, np.random.default_rng(7))
Image.fromarray(pixels, "RGB").save(sys.argv[2] + "/screen.bmp")
open(sys.argv[2] + "/screen.rgb", "wb").write(pixels.tobytes())
PY
cc=x86_64-w64-mingw32-gcc-posix
$cc -O2 -static -Wall -Wextra -o "$work/show_image.exe" "$src/show_image.c" -lgdi32
$cc -O2 -static -Wall -Wextra -I"$deps/include" -o "$work/capture_floor.exe" \
  "$src/capture_floor.c" "$deps/lib/libpng16.a" /usr/x86_64-w64-mingw32/lib/libz.a -lgdi32
$cc -O2 -static -Wall -Wextra -o "$work/bench_capture.exe" "$src/bench_capture.c"

bw_wine_env
bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home XDG_DATA_HOME=$work/wine/home/.local/share
trap bw_cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
fi
prog=$WINEPREFIX/drive_c/bench
mkdir -p "$prog/Init" "$prog/data" "$prog/shots"
cp -f "$EXE" "$prog/Brightwarden.exe"
record=$(/usr/bin/python3 - <<'PY'
record = bytearray(1326)
for offset, text in ((20, b'C:\\bench'), (280, b'C:\\bench\\data')):
    record[offset:offset + len(text)] = text
record[16] = 1
print(record.hex())
PY
)
"$BW_WINE" reg add 'HKLM\Software\Orvalund' /v Brightwarden /t REG_BINARY /d "$record" /f >/dev/null 2>&1

win() { printf 'Z:%s' "${1//\//\\}"; }
bench() {  # name, then mode and command line
  local name=$1; shift
  "$BW_WINE" "$work/bench_capture.exe" "$(win "$work/show_image.exe")" "$(win "$work/screen.bmp")" \
    "$runs" 'C:\bench\shots\shot.png' "$(win "$work/out/$name")-" "$@"
}
median() { awk '{print $2}' <<<"$1"; }
measured=1
# One comparison: the stored profile's variant (plain or processed), the
# floor's command line, and a label.
compare() {
  local variant=$1 label=${2:+$2 } floor app; shift 2
  "$BW_WINE" "$STORE" 'C:\bench\data' 'C:\bench\shots' "$variant" ||
    bw_die "could not store the profile"
  floor=$(bench "floor-$variant" floor "$@" 'C:\bench\shots\shot.png' "$variant") ||
    bw_die "the floor saved no file"
  echo "${label}floor:        $floor"
  app=$(bench "app-$variant" app 'C:\bench\Brightwarden.exe' -MINIMIZE) || app=
  echo "${label}Brightwarden: ${app:-not measured: no file appeared after a press}"
  if [ -z "$app" ]; then
    measured=0
    return
  fi
  awk -v a="$(median "$app")" -v f="$(median "$floor")" -v l="$label" \
    'BEGIN { printf "%sratio: %.2fx the floor (Brightwarden %.1f ms, floor %.1f ms)\n", l, a / f, a, f }'
}
if ((profile)); then
  FLOOR=$BW_BUILD_DIR/win/tests/bench/bench_capture_floor_image.exe
  compare plain "unprocessed:" "$(win "$FLOOR")"
  compare processed "grey + half:" "$(win "$FLOOR")"
  echo "targets: <= 150 ms unprocessed, <= 1.3x the floor"
else
  compare plain "" "$(win "$work/capture_floor.exe")"
  echo "targets: <= 1.3x the floor and <= 150 ms"
fi

/usr/bin/python3 - "$work" <<'PY'
import glob, sys
import numpy as np
from PIL import Image
work = sys.argv[1]
picture = np.frombuffer(open(work + "/screen.rgb", "rb").read(), np.uint8).reshape(1080, 1920, 3)
# Halving with nearest neighbours takes one pixel of each 2 x 2 block; which
# one is the library's choice.
halves = [np.asarray(Image.fromarray(np.ascontiguousarray(picture[y::2, x::2])).convert("L"), int)
          for y in (0, 1) for x in (0, 1)]
def good(path):
    image = Image.open(path)
    if "processed" not in path:
        return np.array_equal(np.asarray(image.convert("RGB")), picture)
    grey = np.asarray(image.convert("L"), int)
    return image.mode == "L" and any(grey.shape == h.shape and np.abs(grey - h).max() <= 1
                                     for h in halves)
bad = [f for f in sorted(glob.glob(work + "/out/*.png")) if not good(f)]
print("saved files as expected:", "all" if not bad else "NOT " + " ".join(bad))
sys.exit(1 if bad else 0)
PY
((measured)) || exit 1
