#!/usr/bin/env bash
# Cross-builds the third-party libraries for MinGW-w64 from Debian's source
# packages: libpng, libjpeg-turbo (version 8 interface), libtiff and OpenSSL
# (zlib comes from libz-mingw-w64-dev). The result goes into a cache outside
# the work tree, keyed by the source versions, the compiler and this script,
# and is reused while complete. Prints the finished folder.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

SOURCES=(libpng1.6 libjpeg-turbo tiff openssl)
# Raise when the build steps below change, so older cache entries are not reused.
RECIPE=1
APT_DIR=$BW_DEPS_CACHE/apt
mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/archives"

# One caller at a time, from the first shared file on: a second caller waits
# and then finds the finished entry.
exec 9>"$BW_DEPS_CACHE/.lock"
flock 9

# A private deb-src list beside the cache: the system's apt setup stays as it is.
uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
key=$(awk '/^Signed-By:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
cat > "$APT_DIR/src.sources.new" <<SRC
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: bookworm
Components: main
Signed-By: ${key:-/usr/share/keyrings/debian-archive-keyring.gpg}
SRC
if cmp -s "$APT_DIR/src.sources.new" "$APT_DIR/src.sources"; then
  rm -f "$APT_DIR/src.sources.new"
else
  mv "$APT_DIR/src.sources.new" "$APT_DIR/src.sources"
fi
APT_OPTS=(-o "Dir::Etc::SourceList=$APT_DIR/src.sources" -o "Dir::Etc::SourceParts=-"
          -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache::pkgcache="
          -o "Dir::Cache::srcpkgcache=" -o "Dir::Cache::Archives=$APT_DIR/archives")

if ! ls "$APT_DIR/lists/"*Sources* >/dev/null 2>&1; then
  bw_log "fetching the source package lists"
  apt-get "${APT_OPTS[@]}" update -q >/dev/null
fi

declare -A VERSION
for s in "${SOURCES[@]}"; do
  v=$(apt-cache "${APT_OPTS[@]}" showsrc "$s" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -1)
  [ -n "$v" ] || bw_die "no source version found for $s"
  VERSION[$s]=$v
done

compiler=$(x86_64-w64-mingw32-gcc-posix -dumpfullversion 2>/dev/null || echo none)
stamp=$( { for s in "${SOURCES[@]}"; do echo "$s=${VERSION[$s]}"; done
           echo "gcc=$compiler recipe=$RECIPE"; } | sha256sum | cut -c1-16)
OUT=$BW_DEPS_CACHE/mingw64-$stamp
if [ -f "$OUT/.complete" ]; then
  echo "$OUT"
  exit 0
fi

# Build into a private folder and move it into place only when every library
# is installed, so a half-finished build is never taken for a finished one.
WORK=$(mktemp -d "$BW_DEPS_CACHE/build.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
STAGE=$WORK/stage
mkdir -p "$STAGE" "$WORK/src"
bw_log "building dependencies into $OUT (this takes a few minutes once)"

cd "$WORK/src"
for s in "${SOURCES[@]}"; do
  apt-get "${APT_OPTS[@]}" source --download-only -q "$s=${VERSION[$s]}" >/dev/null
done
for tarball in *.orig.tar.*; do
  case "$tarball" in *.asc) continue ;; esac
  tar xf "$tarball"
done

TOOLCHAIN=$BW_ROOT/cmake/toolchain-mingw64.cmake
cmake_dep() {  # source folder, then extra options
  local src=$1; shift
  cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$STAGE" -DBW_DEPS_DIR="$STAGE" \
    -DCMAKE_PREFIX_PATH="$STAGE" "$@" >"$WORK/$src.log" 2>&1 &&
  cmake --build "$src/_build" -j "$BW_JOBS" >>"$WORK/$src.log" 2>&1 &&
  cmake --install "$src/_build" >>"$WORK/$src.log" 2>&1
}
fail() { bw_log "dependency build failed: $1"; tail -40 "$WORK/$1.log" >&2; exit 1; }

d=$( (ls -d libjpeg-turbo-*/ || true) | head -1); d=${d%/}
cmake_dep "$d" -DWITH_JPEG8=ON -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_LIBDIR="$STAGE/lib" || fail "$d"

d=$( (ls -d libpng-*/ || true) | head -1); d=${d%/}
cmake_dep "$d" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
  -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DCMAKE_INSTALL_LIBDIR=lib || fail "$d"

d=$( (ls -d libtiff-*/ tiff-*/ 2>/dev/null || true) | head -1); d=${d%/}
cmake_dep "$d" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
  -Dtiff-docs=OFF -Dcxx=OFF -Dwebp=OFF -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF \
  -Dlibdeflate=OFF -Djpeg=ON -Dzlib=ON -Djpeg12=OFF \
  -DJPEG_INCLUDE_DIR="$STAGE/include" -DJPEG_LIBRARY="$STAGE/lib/libjpeg.a" \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
  -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DCMAKE_INSTALL_LIBDIR=lib || fail "$d"

d=$( (ls -d openssl-*/ || true) | head -1); d=${d%/}
( cd "$d" &&
  ./Configure mingw64 --cross-compile-prefix=x86_64-w64-mingw32- no-shared no-tests \
     --prefix="$STAGE" --libdir=lib &&
  make -j "$BW_JOBS" build_libs && make install_dev ) >"$WORK/$d.log" 2>&1 || fail "$d"

for lib in libjpeg.a libpng16.a libtiff.a libssl.a libcrypto.a; do
  [ -f "$STAGE/lib/$lib" ] || { find "$STAGE" -name "*.a" >&2; bw_die "dependency build left no $lib"; }
done
grep -q '^#define JPEG_SUPPORT' "$STAGE/include/tiffconf.h" || bw_die "libtiff was built without JPEG"
grep -q '^#define ZIP_SUPPORT' "$STAGE/include/tiffconf.h" || bw_die "libtiff was built without zlib"
{ for s in "${SOURCES[@]}"; do echo "$s ${VERSION[$s]}"; done; } > "$STAGE/VERSIONS"
touch "$STAGE/.complete"
rm -rf "$OUT"
mv "$STAGE" "$OUT"
bw_log "dependencies ready in $OUT"
echo "$OUT"
